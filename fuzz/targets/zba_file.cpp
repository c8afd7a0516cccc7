// Reads arbitrary bytes as behaviour files. The input is cut at each "\n--\n" into up
// to four files, "/fuzz/main.zba", "/fuzz/a.zba.part", "/fuzz/sub/b.zba.part" and
// "/fuzz/c.zba.bhv", served from memory, so that includes (relative and absolute ones,
// nesting, missing files) are read too. A file that parses gets its durations with
// every natural length 1.0 (no models), is dumped, and every behaviour, feature and
// state is found again by its name.
#include <strings.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/ai/zba_dump.h"
#include "game/ai/zba_info.h"
#include "game/ai/zba_parse.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/system/messages.h"
#include "support/served_files.h"

namespace {

const char *const names[] = {"/main.zba", "/a.zba.part", "/sub/b.zba.part", "/c.zba.bhv"};

// Silences the log: errors are the expected answer to most inputs.
class quiet_t : public quarn::message_handler_t {
public:
    void process_message(const quarn::string &, quarn::message_t::type_t) override {}
};

quarn::test::served_files_t *files = nullptr;

bool set_up() {
    static quiet_t quiet;
    quarn::fs_startup();
    static quarn::test::served_files_t device;
    files = &device;
    return quarn::ufs_mount_device(&device, "/fuzz", 1);
}

void visit(quarn::zba_info_t info) {
    info.compute_durations();
    quarn::string_dyn_t<> text;
    if (!quarn::zba_dump(info, text)) abort();
    for (uint32_t i = 0; i < info.behavior_count(); ++i) {
        const int32_t found = info.find_behavior(info.behavior(i).name());
        // Names compare without regard to case, so an earlier one may answer.
        if (found < 0 || uint32_t(found) > i) abort();
        if (strcasecmp(info.behavior(uint32_t(found)).name(), info.behavior(i).name()) != 0) abort();
    }
    for (uint32_t f = 0; f < info.feature_count(); ++f) {
        const quarn::zba_feature_t feature = info.feature(f);
        const int32_t found = info.find_feature(feature.name());
        if (found < 0 || uint32_t(found) > f) abort();
        for (uint32_t s = 0; s < feature.state_count(); ++s) {
            const int32_t state = feature.find_state(feature.state_name(s));
            if (state < 0 || uint32_t(state) > s) abort();
            const int32_t simple = feature.simple_transition(s);
            if (simple != -1 && (simple < 0 || uint32_t(simple) >= info.simple_count())) abort();
        }
    }
    info.unload();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const bool ready = set_up();
    if (!ready) return 0;
    files->files.clear();
    std::string rest(reinterpret_cast<const char *>(data), size);
    std::vector<std::string> parts;
    for (size_t cut; parts.size() < 3 && (cut = rest.find("\n--\n")) != std::string::npos; rest.erase(0, cut + 4))
        parts.push_back(rest.substr(0, cut));
    parts.push_back(rest);
    for (size_t i = 0; i < parts.size(); ++i) files->files[names[i]] = parts[i];

    quarn::zba_parser_t parser;
    if (!parser.parse_file("/fuzz/main.zba")) return 0;
    if (parser.image_size() > quarn::zba_layout::IMAGE_CAPACITY) abort();
    visit(quarn::zba_info_t(parser.image()));
    return 0;
}
