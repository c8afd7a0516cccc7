// Reads arbitrary bytes as definition files. The input is cut at each "\n--\n" into
// up to four files, "/fuzz/main.def", "/fuzz/a.def", "/fuzz/sub/b.def" and
// "/fuzz/c.def", served from memory, so that includes (relative ones, cycles,
// missing files) are read too. A pool that loads is written, read back and written
// again, and both texts must be the same; its objects are searched and read through
// every typed getter.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "outside/qrnshared/def_pool.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/qrnutils/ufs/mem_file.h"
#include "qrncore/system/messages.h"

namespace {

const char *const names[] = {"/main.def", "/a.def", "/sub/b.def", "/c.def"};
std::vector<std::string> files;

class served_device_t : public quarn::fs_device_t {
public:
    served_device_t() : fs_device_t(quarn::string::EMPTY, true) {}
    quarn::auto_ptr_t<quarn::file_t>::ret_t open(const quarn::string &path) override {
        for (size_t i = 0; i < files.size(); ++i)
            if (strcmp(path.c_str(), names[i]) == 0)
                return quarn::mem_file_bind(files[i].data(), uint32_t(files[i].size()));
        return nullptr;
    }
};

// Silences the log: errors are the expected answer to most inputs.
class quiet_t : public quarn::message_handler_t {
public:
    void process_message(const quarn::string &, quarn::message_t::type_t) override {}
};

bool set_up() {
    static quiet_t quiet;
    quarn::fs_startup();
    static served_device_t device;
    return quarn::ufs_mount_device(&device, "/fuzz", 1);
}

// A memory file that collects what the writer gives it.
std::string write(const quarn::def_pool_t &pool) {
    quarn::auto_ptr_t<quarn::file_t> file(quarn::mem_file_create());
    if (!pool.write_to(*file)) abort();
    std::string text(size_t(file->size()), '\0');
    if (!text.empty() && !file->block_read(text.data(), uint32_t(text.size()), 0)) abort();
    return text;
}

void visit(const quarn::def_pool_t &pool, const quarn::def_obj_t *o) {
    for (; o; o = o->get_next()) {
        char path[1024];
        if (o->get_path(path, sizeof path) && pool.find(path) != o) abort();
        for (const quarn::def_value_t *v = o->get_first_value(); v; v = v->get_next()) {
            int32_t i;
            float f[4];
            bool b;
            if (strcmp(o->get_value(v->get_key()), v->get_text()) != 0) abort();
            o->get_int(v->get_key(), i);
            o->get_real(v->get_key(), f[0]);
            o->get_bool(v->get_key(), b);
            o->get_point(v->get_key(), f, 1 + int(strlen(v->get_text()) % 4));
        }
        o->get_value("index");
        o->find("a");
        visit(pool, o->get_first_child());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const bool ready = set_up();
    if (!ready) return 0;
    files.clear();
    std::string rest(reinterpret_cast<const char *>(data), size);
    for (size_t cut; files.size() < 3 && (cut = rest.find("\n--\n")) != std::string::npos; rest.erase(0, cut + 4))
        files.push_back(rest.substr(0, cut));
    files.push_back(rest);

    quarn::def_pool_t pool;
    if (!pool.read_from("/fuzz/main.def")) return 0;
    visit(pool, pool.get_first_object());
    pool.find("template", 3);
    const std::string text = write(pool);
    quarn::def_pool_t again;
    if (!again.read_text(text.data(), text.size(), "/fuzz/written.def")) abort();
    if (write(again) != text) abort();
    return 0;
}
