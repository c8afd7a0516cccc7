#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"
#include "tools/kickup/src/exceptions.h"
#include "tools/kickup/src/settings.h"

namespace quarn::kickup {
namespace {

// A section as compact text: keys in read order with their values, then children in
// read order, each child in braces.
std::string dump(const settings_t &s) {
    std::string out;
    for (size_t i = 0; i < s.key_count(); ++i) {
        if (!out.empty()) out += " ";
        out += s.key_at(i) + "=" + s.get_string(s.key_at(i), "?");
    }
    for (size_t i = 0; i < s.child_count(); ++i) {
        if (!out.empty()) out += " ";
        out += s.child_name_at(i) + "{" + dump(s.child_at(i)) + "}";
    }
    return out;
}

// The tree of a text, or the failure's class and message with its line.
std::string read(const std::string &text) {
    try {
        return dump(*settings_parse(text, "specs.settings"));
    } catch (const base_exception_t &e) {
        return e.type_name() + ": " + e.message();
    }
}

TEST(launcher_settings, reads_trees_and_names_the_line_of_each_error) {
    const struct {
        const char *text, *expected;
    } cases[] = {
        {"", ""},
        {"\n\n  \t\n", ""},
        {"\"a\" : \"1\"\n\"b\":\"two words\"", "a=1 b=two words"},
        {"  # a comment after blanks\n\"a\" : \"1\"", "a=1"},
        {"\"flag\"\n\"flag2\"   trailing words", "flag=1 flag2=1"},
        {"\"z\" : \"1\"\n\"a\" : \"2\"", "z=1 a=2"},  // read order kept
        {"\"a\" : \"first\"\n\"a\" : \"second\"", "a=first"},
        {"\"  spaced key \" : \"  kept  \"", "spaced key=  kept  "},
        {"\"s\" {\n\"k\" : \"v\"\n\"t\" { ignored\n\"x\"\n}\n}\n\"after\" : \"1\"", "after=1 s{k=v t{x=1}}"},
        {"}\n\"a\" : \"1\"\n}", "a=1"},  // a "}" at the top is ignored
        {"\"q\\\"uote\" : \"va\\\"lue\"", "quote=value"},
        {"\"a\" : \"\"", "a="},
        {"\"a\" : \"x\"y\"", "a=x\"y"},
        {"\"a\" : \"1\"\r\n\"b\" : \"2\"\r\n", "a=1 b=2"},
        // The first block of a name stays and is listed once; the later one is read
        // for its syntax only.
        {"\"s\" {\n\"a\" : \"1\"\n}\n\"s\" {\n\"b\" : \"2\"\n}", "s{a=1}"},
        {"\"s\" {\n\"a\" : \"1\"\n}\n\"s\" {\n\"b\"", "settings_read_exception_t: EOF encountered before closing '}' in file:  [specs.settings]"},
        {"a : \"1\"", "settings_read_exception_t: Opening quote not found on line:  1"},
        {"\n\n\"a", "settings_read_exception_t: Closing quote not found on line:  3"},
        {"\"a\\\"", "settings_read_exception_t: Closing quote not found on line:  1"},
        {"\" \" : \"1\"", "settings_read_exception_t: Quoted string is empty on line:  1"},
        {"\"s\" {\n\"a\" : 1\n}",
         "settings_read_exception_t: Failed to read value from key [a] in section [s] on line:  2"},
        {"\"a\" : \"1", "settings_read_exception_t: Failed to read value from key [a] in section [specs.settings] on line:  1"},
        {"\"a\" : \"", "settings_read_exception_t: Failed to read value from key [a] in section [specs.settings] on line:  1"},
        {"\"s\" {\n\"a\" : \"1\"\n", "settings_read_exception_t: EOF encountered before closing '}' in file:  [specs.settings]"},
    };
    for (const auto &c : cases) EXPECT_EQ(read(c.text), c.expected) << c.text;
}

TEST(launcher_settings, nesting_is_capped_and_the_line_named) {
    std::string text;
    for (int i = 0; i < SETTINGS_DEPTH_MAX; ++i) text += "\"b" + std::to_string(i) + "\" {\n";
    std::string closing;
    for (int i = 0; i < SETTINGS_DEPTH_MAX; ++i) closing += "}\n";
    EXPECT_EQ(read(text + closing).substr(0, 4), "b0{b");
    EXPECT_EQ(read(text + "\"deeper\" {\n}\n" + closing),
              "settings_read_exception_t: Blocks nested too deeply on line:  " + std::to_string(SETTINGS_DEPTH_MAX + 1));
}

TEST(launcher_settings, typed_reads) {
    const auto root = settings_parse(
        "\"s\" {\n"
        "\"n\" : \"  1200 MHz\"\n\"h\" : \"84E2\"\n\"h0x\" : \"0x1f\"\n\"neg\" : \"-1\"\n"
        "\"big\" : \"99999999999\"\n\"letters\" : \"abc\"\n\"empty\" : \"\"\n}",
        "f");
    const settings_t &s = root->get_section("s");
    EXPECT_EQ(s.get_unsigned("n", 7), 1200u);
    EXPECT_EQ(s.get_hex("h", 7), 0x84E2u);
    EXPECT_EQ(s.get_hex("h0x", 7), 0x1Fu);
    EXPECT_EQ(s.get_unsigned("h", 7), 84u);
    EXPECT_EQ(s.get_unsigned("neg", 7), 0xFFFFFFFFu);
    EXPECT_EQ(s.get_unsigned("big", 7), 0xFFFFFFFFu);
    EXPECT_EQ(s.get_hex("letters", 7), 0xABCu);
    EXPECT_EQ(s.get_unsigned("missing", 7), 7u);
    EXPECT_EQ(s.get_string("missing", "def"), "def");
    try {
        s.get_unsigned("letters", 7);
        ADD_FAILURE() << "letters read as a number";
    } catch (const settings_fetch_exception_t &e) {
        EXPECT_EQ(e.message(), "invalid unsigned value for key [letters] in section [s]");
        EXPECT_EQ(e.source(), "settings");
        EXPECT_GT(e.line(), 0);
    }
    try {
        s.get_hex("empty", 7);
        ADD_FAILURE() << "an empty value read as a number";
    } catch (const settings_fetch_exception_t &e) {
        EXPECT_EQ(e.message(), "invalid hex value for key [empty] in section [s]");
    }
}

TEST(launcher_settings, missing_sections_read_as_the_shared_empty_one) {
    const auto root = settings_parse("\"a\" : \"1\"", "f");
    const settings_t &missing = root->get_section("nothing").get_section("deeper");
    EXPECT_EQ(&missing, &settings_t::null_proxy());
    EXPECT_EQ(missing.name(), "null_proxy");
    EXPECT_EQ(missing.key_count(), 0u);
    EXPECT_EQ(missing.child_count(), 0u);
    EXPECT_EQ(missing.get_unsigned("x", 5), 5u);
    EXPECT_EQ(root->name(), "f");
}

TEST(launcher_settings, files_are_read_whole_and_a_missing_one_is_named) {
    test::temp_dir_t dir;
    ASSERT_TRUE(test::write_file(dir.file("specs.settings"), "\"ratings\" {\n\"quality_count\" : \"3\"\n}\n"));
    const auto root = settings_load(dir.file("specs.settings"));
    EXPECT_EQ(root->name(), dir.file("specs.settings"));
    EXPECT_EQ(root->get_section("ratings").get_unsigned("quality_count", 5), 3u);
    for (const std::string &path : {dir.file("missing.settings"), dir.path()}) {
        try {
            settings_load(path);
            ADD_FAILURE() << path;
        } catch (const settings_file_exception_t &e) {
            EXPECT_EQ(e.message(), "Failed to open file:  [" + path + "]");
        }
    }
}

}  // namespace
}  // namespace quarn::kickup
