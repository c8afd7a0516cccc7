// Reads arbitrary bytes as a UI layout (".esc"). Includes come from a few fixed files
// (one that holds entities, one that includes itself, one that includes the next
// level) so that include paths, cycles and depth are reached. A layout that reads
// must hold what the format promises: named classes, named attributes, entities no
// deeper than the limit, and every entity and attribute placed in a file read.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "outside/qrnshared/ui/esc.h"
#include "qrncore/system/messages.h"

namespace {

class quiet_t : public quarn::message_handler_t {
public:
    void process_message(const quarn::string &, quarn::message_t::type_t) override {}
};

class source_t : public quarn::esc_source_t {
public:
    const char *read(const char *path, size_t *length) override {
        const char *text = nullptr;
        if (strcmp(path, "/ui/common/part.esc") == 0) text = "entity ui.comp.text { id: \"1\" text: \"\\y<ret>\" }\n";
        else if (strcmp(path, "/ui/common/self.esc") == 0) text = "include \"self.esc\"";
        else if (strncmp(path, "/ui/common/deep", 15) == 0) text = "include \"deep.esc\"\nentity x { }";
        if (!text) return nullptr;
        *length = strlen(text);
        return text;
    }
};

void check(const quarn::esc_document_t &doc, const quarn::array_dyn_t<quarn::esc_entity_t *> &list, int depth) {
    if (depth > quarn::esc_document_t::MAX_NESTING) abort();
    for (const quarn::esc_entity_t *e : list) {
        if (e->class_name.is_empty() || e->file >= doc.files.get_count() || e->line == 0) abort();
        for (const quarn::esc_attr_t &a : e->attrs)
            if (a.name.is_empty() || a.file >= doc.files.get_count() || a.line == 0) abort();
        check(doc, e->children, depth + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static quiet_t quiet;
    static source_t source;
    quarn::esc_document_t doc;
    if (!quarn::esc_parse(reinterpret_cast<const char *>(data), size, "/ui/common/fuzz.esc", &source, doc)) {
        if (!doc.top.is_empty()) abort();
        return 0;
    }
    check(doc, doc.top, 1);
    return 0;
}
