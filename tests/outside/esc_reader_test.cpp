// The layout reader: the tree it gives, includes, and every fault as "file:line".
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "outside/qrnshared/ui/esc.h"
#include "support/message_capture.h"

namespace quarn::test {
namespace {

class map_source_t : public esc_source_t {
public:
    const char *read(const char *path, size_t *length) override {
        auto f = files.find(path);
        if (f == files.end()) return nullptr;
        *length = f->second.size();
        return f->second.c_str();
    }
    std::map<std::string, std::string> files;
};

// The tree as text: "class{attr=value,...}[children]" per entity.
std::string tree(const array_dyn_t<esc_entity_t *> &list) {
    std::string out;
    for (const esc_entity_t *e : list) {
        if (!out.empty()) out += " ";
        out += e->class_name.c_str();
        out += "{";
        for (uint32_t i = 0; i < e->attrs.get_count(); ++i)
            out += std::string(i ? "," : "") + e->attrs[i].name.c_str() + "=" + e->attrs[i].value.c_str();
        out += "}";
        if (!e->children.is_empty()) out += "[" + tree(e->children) + "]";
    }
    return out;
}

TEST(esc_reader, reads_entities_attributes_children_and_includes_in_file_order) {
    map_source_t source;
    source.files["/ui/common/uifx_cache.esc"] =
        "entity ui.comp.uifx.text { id: \"1\" }\n"
        "include \"more.esc\"  # relative to this file\n";
    source.files["/ui/common/more.esc"] = "entity ui.comp.uifx.text { id: \"2\" }\n";
    const char *text =
        "# the quit dialog\n"
        "entity ui.window {                      # one window root\n"
        "    coords: \"0 0 1024 768\"\n"
        "    entity ui.comp.text { id: \"50\" text: \"<align hstyle=center>\\y@@ui_quit_text@@ \\\"q\\\" \\\\</align>\" }\n"
        "    entity ui.comp.group { id: \"9999\" include \"/ui/common/uifx_cache.esc\" }\n"
        "}\n"
        "entity ui.handler.menu.quit { name: \"quit\" }\n";
    esc_document_t doc;
    ASSERT_TRUE(esc_parse(text, strlen(text), "/ui/mquit.esc", &source, doc));
    EXPECT_EQ(tree(doc.top),
              "ui.window{coords=0 0 1024 768}[ui.comp.text{id=50,text=<align hstyle=center>\\y@@ui_quit_text@@ \"q\" "
              "\\</align>} ui.comp.group{id=9999}[ui.comp.uifx.text{id=1} ui.comp.uifx.text{id=2}]] "
              "ui.handler.menu.quit{name=quit}");
    // Where each thing came from.
    const esc_entity_t &group = *doc.top[0]->children[1];
    EXPECT_STREQ(doc.file_name(group.file), "/ui/mquit.esc");
    EXPECT_EQ(group.line, 5u);
    EXPECT_STREQ(doc.file_name(group.children[1]->file), "/ui/common/more.esc");
    EXPECT_EQ(doc.top[0]->children[0]->attrs[1].line, 4u);
    EXPECT_EQ(doc.top[1]->line, 7u);
}

TEST(esc_reader, an_include_at_the_top_level_adds_top_level_entities) {
    map_source_t source;
    source.files["/ui/h.esc"] = "entity ui.handler.x { }";
    const char *text = "entity ui.window { }\ninclude \"h.esc\"\n";
    esc_document_t doc;
    ASSERT_TRUE(esc_parse(text, strlen(text), "/ui/w.esc", &source, doc));
    EXPECT_EQ(tree(doc.top), "ui.window{} ui.handler.x{}");
}

TEST(esc_reader, faults_fail_the_read_with_file_and_line) {
    map_source_t source;
    source.files["/ui/self.esc"] = "include \"self.esc\"\n";
    source.files["/ui/a.esc"] = "\n\ninclude \"b.esc\"";
    source.files["/ui/b.esc"] = "include \"a.esc\"";
    source.files["/ui/bad.esc"] = "entity x {\n  key \"v\"\n}";
    // Sixteen files deep is the most: /ui/d1.esc includes d2 ... each one further.
    for (int i = 1; i <= 17; ++i)
        source.files["/ui/d" + std::to_string(i) + ".esc"] =
            i < 17 ? "include \"d" + std::to_string(i + 1) + ".esc\"" : "entity leaf { }";
    std::string deep;
    for (int i = 0; i < 65; ++i) deep += "entity g {\n";
    for (int i = 0; i < 65; ++i) deep += "}\n";
    const struct {
        std::string text;
        const char *message;
    } cases[] = {
        {"entity ui.window {\n  coords: \"0 0 1 1\n}", "/ui/t.esc:2: unterminated value"},
        {"entity ui.window\n  coords: \"1\"", "/ui/t.esc:2: '{' must follow the class name 'ui.window'"},
        {"entity {", "/ui/t.esc:1: a class name must follow 'entity'"},
        {"\nentity ui.window {\n  entity ui.comp.text {\n}\n", "/ui/t.esc:2: the block of 'ui.window' opened here is not closed"},
        {"entity a { }\n}", "/ui/t.esc:2: '}' without a block"},
        {"id: \"3\"", "/ui/t.esc:1: the attribute 'id' stands outside any entity"},
        {"entity a { id \"3\" }", "/ui/t.esc:1: 'id' is neither 'entity', 'include' nor an attribute"},
        {"entity a { id: 3 }", "/ui/t.esc:1: the attribute 'id' needs a quoted value"},
        {"entity a { \"v\" }", "/ui/t.esc:1: a value without an attribute name"},
        {"entity a { @ }", "/ui/t.esc:1: unexpected character '@'"},
        {"entity a {\n include \"missing.esc\" }", "/ui/t.esc:2: the include '/ui/missing.esc' cannot be read"},
        {"include \"../../x.esc\"", "/ui/t.esc:1: the include '../../x.esc' climbs above the root"},
        {"include \"self.esc\"", "/ui/self.esc:1: the include '/ui/self.esc' is a cycle"},
        {"include \"a.esc\"", "/ui/b.esc:1: the include '/ui/a.esc' is a cycle"},
        {"include \"bad.esc\"", "/ui/bad.esc:2: 'key' is neither"},
        {"include \"d1.esc\"", "/ui/d15.esc:1: includes nest more than 16 files deep at '/ui/d16.esc'"},
        {deep, "/ui/t.esc:65: entities nest more than 64 deep"},
        {std::string("entity a { v: \"x\0y\" }", 21), "/ui/t.esc:1: a value holds a zero byte"},
        {"include \"\"", "/ui/t.esc:1: an include names no file"},
    };
    for (const auto &c : cases) {
        message_capture_t messages;
        esc_document_t doc;
        EXPECT_FALSE(esc_parse(c.text.data(), c.text.size(), "/ui/t.esc", &source, doc)) << c.text;
        EXPECT_TRUE(doc.top.is_empty());
        EXPECT_TRUE(messages.contains(std::string("[ui] ") + c.message)) << c.text << "\n logged: "
                                                                         << (messages.entries().empty() ? "" : messages.entries().back().text);
    }
}

TEST(esc_reader, a_file_of_comments_and_blanks_is_an_empty_layout) {
    esc_document_t doc;
    const char *text = "# nothing\n\r\n\t  # more\n";
    EXPECT_TRUE(esc_parse(text, strlen(text), "/ui/e.esc", nullptr, doc));
    EXPECT_TRUE(doc.top.is_empty());
}

}  // namespace
}  // namespace quarn::test
