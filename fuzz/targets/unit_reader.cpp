// Reads arbitrary bytes as a unit file into the unit classes of the tests (attributes
// of every kind, domains, derived and abstract classes, load hooks), including
// includes (served from memory) and resource values (through a tie that refuses
// them). After each load every unit it made must be freed again.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_load.h"
#include "qrncore/units/unit_resource_tie.h"
#include "qrncore/units/test_units.h"
#include "support/memory_file.h"

namespace quarn {
namespace {

// Resources load as null and every array operation on them is refused.
class null_tie_t : public unit_resource_tie_t {
public:
    bool get_resource_name(mstring_t *out, unit_base_t *) override { return out->copy("null"); }
    bool check_resource_type(unit_base_t *) override { return true; }
    void destroy_value(unit_base_t *, const unit_attribute_t *) override {}
    void destroy_array(unit_base_t *, const unit_attribute_t *) override {}
    bool clone_value(unit_base_t *, const unit_attribute_t *, unit_base_t *) override { return true; }
    bool clone_array(unit_base_t *, const unit_attribute_t *, unit_base_t *) override { return true; }
    unit_base_t *load(const string &, unit_base_t *, const unit_attribute_t *) override { return nullptr; }
    void unload(unit_base_t *, unit_base_t *, const unit_attribute_t *) override {}
    bool remove_array_element(unit_base_t *, const unit_attribute_t *, uint32_t) override { return false; }
    bool get_array_size(unit_base_t *, const unit_attribute_t *, uint32_t *out) override {
        *out = 0;
        return true;
    }
    bool set_array_capacity(unit_base_t *, const unit_attribute_t *, uint32_t) override { return true; }
    bool get_value(unit_base_t *, const unit_attribute_t *, unit_base_t **out) override {
        *out = nullptr;
        return true;
    }
    bool get_element(unit_base_t *, const unit_attribute_t *, uint32_t, unit_base_t **) override { return false; }
    bool get_array_copy(unit_base_t *, const unit_attribute_t *, array_t<unit_base_t *> *) override { return false; }
    bool set_value(unit_base_t *, const unit_attribute_t *, unit_base_t *value) override { return value == nullptr; }
    bool set_element(unit_base_t *, const unit_attribute_t *, uint32_t, unit_base_t *) override { return false; }
    bool append(unit_base_t *, const unit_attribute_t *, uint32_t, unit_base_t *) override { return false; }
    bool prepend(unit_base_t *, const unit_attribute_t *, uint32_t, unit_base_t *) override { return false; }
};

// A virtual file over a copy of the bytes.
class text_file_t : public test::memory_file_t {
public:
    text_file_t(const char *name, const void *data, size_t size)
        : memory_file_t(std::string(static_cast<const char *>(data), size), name) {
        set_fs_realm(FS_REALM_VIRTUAL);
    }
};

// "/f/part.txt" holds a unit and an include of itself through "/f/loop.txt"; every
// other name fails to open.
class fuzz_opener_t : public unit_file_opener_t {
public:
    file_t *open(const char *path, uint32_t) override {
        static const char part[] = "test_all : .inc { int: 1 ref: .top }\n";
        static const char loop[] = "@include \"loop.txt\"\n";
        static const char attrs[] = " int: 2\n owners[]: .inc2\n";
        const char *text = strcmp(path, "/f/part.txt") == 0    ? part
                           : strcmp(path, "/f/loop.txt") == 0  ? loop
                           : strcmp(path, "/f/attrs.txt") == 0 ? attrs
                                                               : nullptr;
        return text ? new text_file_t(path, text, strlen(text)) : nullptr;
    }
    void close(file_t *file) override { delete file; }
};

struct world_t {
    world_t() : system(bank) {
        system.set_default();
        test::register_test_units(bank);
    }
    null_tie_t tie;
    unit_bank_t bank;
    unit_system_t system;
    fuzz_opener_t opener;
};

}  // namespace
}  // namespace quarn

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using namespace quarn;
    static world_t world;
    // UNIT_READER_LOG=1 shows what the reader logs (for looking at a seed).
    static std::unique_ptr<message_stdio_t> out(getenv("UNIT_READER_LOG") ? new message_stdio_t : nullptr);
    const uint32_t before = unit_base_t::get_live_count();
    {
        text_file_t file("/f/top.txt", data, size);
        unit_load_t loader(file, world.system, &world.opener);
        if (size % 2) {
            owner_ptr_t<unit_base_t> tree(loader.load_tree_generic());
            if (tree) owner_ptr_t<unit_base_t> copy(tree->clone());
        } else if (loader.load()) {
            for (uint32_t i = 0; i < loader.get_root_count(); ++i)
                owner_ptr_t<unit_base_t> copy(loader.get_root(i)->clone());
        }
    }
    unit_system_t::clean_garbage();
    test::test_hooked_u::log.clear();  // the hooks' record would grow with every input
    if (unit_base_t::get_live_count() != before) abort();  // a load left units behind
    return 0;
}
