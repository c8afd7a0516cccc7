// The behaviour-file scanner: its tokens, comments, numbers, strings, unknown bytes,
// and includes with their paths, depth and line numbers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/ai/zba/zba_scan.h"
#include "zba_fixture.h"

namespace quarn::test {
namespace {

using tk = zba_token_kind_t;

// A token as the tests write it: punctuation and keywords as themselves, the others
// as kind and text; numbers also with their value.
std::string shown(const zba_token_t &t) {
    switch (t.kind) {
        case tk::END: return "END";
        case tk::STOP: return "STOP";
        case tk::STRING: return "S:" + std::string(t.text);
        case tk::INTEGER: return "I:" + std::string(t.text) + "=" + std::to_string(t.integer);
        case tk::DECIMAL: {
            char value[32];
            snprintf(value, sizeof value, "%g", t.decimal);
            return "D:" + std::string(t.text) + "=" + value;
        }
        default: return t.text;
    }
}

// Every token of a scan up to END or STOP, that one included.
std::vector<std::string> scan_all(zba_scanner_t &scanner) {
    std::vector<std::string> out;
    for (int guard = 0; guard < 1000; ++guard) {
        const zba_token_t &t = scanner.next();
        out.push_back(shown(t));
        if (t.kind == tk::END || t.kind == tk::STOP) break;
    }
    return out;
}

struct scan_case_t {
    const char *what;
    std::string text;
    std::vector<std::string> tokens;
    std::vector<std::string> errors;
};

TEST(zba_scan, tokens_comments_numbers_strings_and_unknown_bytes) {
    const std::string seventy(70, 'x');
    const std::string keywords =
        "features attributes init animations priority super_weight behaviors channels probability anim s_weight "
        "e_weight length proportional weight warp info sound transitions simple complex single_frame";
    std::vector<std::string> keyword_tokens;
    for (const char *k : zba_keyword_names) keyword_tokens.push_back(k);
    keyword_tokens.push_back("END");
    const scan_case_t cases[] = {
        {"punctuation", "{ } : . ->", {"{", "}", ":", ".", "->", "END"}, {}},
        {"keywords", keywords, keyword_tokens, {}},
        {"keywords are lower case", "Features", {"END"}, {"[zba scan] t.zba:1 unknown token : 'Features'"}},
        {"strings keep blanks and line ends", "\"a b\" \"\" \"x\ny\"", {"S:a b", "S:", "S:x\ny", "END"}, {}},
        {"integers are decimal, with leading zeros; 0x is hexadecimal",
         "0 42 007 08 0x1F 0XfF 99999999999",
         {"I:0=0", "I:42=42", "I:007=7", "I:08=8", "I:0x1F=31", "I:0XfF=255", "I:99999999999=4294967295", "END"},
         {}},
        {"decimals", ".5 1. 1.5e3 1e3 00.35 2E-1",
         {"D:.5=0.5", "D:1.=1", "D:1.5e3=1500", "D:1e3=1000", "D:00.35=0.35", "D:2E-1=0.2", "END"},
         {}},
        {"an exponent needs its digits", "1e", {"I:1=1", "END"}, {"[zba scan] t.zba:1 unknown token : 'e'"}},
        {"times are numbers and colons", "00:00.35 1:30", {"I:00=0", ":", "D:00.35=0.35", "I:1=1", ":", "I:30=30", "END"},
         {}},
        {"comments run to the line end", "{ # } \"x\"\n} // {\n: #", {"{", "}", ":", "END"}, {}},
        {"a lone slash is unknown", "/ {", {"{", "END"}, {"[zba scan] t.zba:1 unknown token : '/'"}},
        {"unknown bytes are reported and skipped", "{ $\n\x01 }",
         {"{", "}", "END"},
         {"[zba scan] t.zba:1 unknown token : '$'", "[zba scan] t.zba:2 unknown token : '\\x01'"}},
        {"a minus without its arrow is unknown", "- >", {"END"},
         {"[zba scan] t.zba:1 unknown token : '-'", "[zba scan] t.zba:1 unknown token : '>'"}},
        {"a string of 70 characters is cut to 63", "\"" + seventy + "\" :",
         {"S:" + std::string(63, 'x'), ":", "END"},
         {"[zba scan] t.zba:1 string length exceeds buffer size (64 bytes)"}},
        {"an unterminated string stops the scan", "{ \"abc\n", {"{", "STOP"},
         {"[zba scan] t.zba:1 unterminated string constant"}},
        {"@ without an include is unknown", "@inc \"a\"", {"S:a", "END"},
         {"[zba scan] t.zba:1 unknown token : '@'", "[zba scan] t.zba:1 unknown token : 'inc'"}},
        {"an include path may not hold blanks", "@include \"a b\"", {"S:a b", "END"},
         {"[zba scan] t.zba:1 unknown token : '@'", "[zba scan] t.zba:1 unknown token : 'include'"}},
    };
    for (const scan_case_t &c : cases) {
        SCOPED_TRACE(c.what);
        message_capture_t log;
        zba_scanner_t scanner(c.text.data(), c.text.size(), "t.zba", "");
        EXPECT_EQ(scan_all(scanner), c.tokens);
        EXPECT_EQ(log.texts(message_t::ERROR), c.errors);
        EXPECT_EQ(scanner.failed(), c.tokens.back() == "STOP");
        EXPECT_EQ(shown(scanner.next()), c.tokens.back()) << "the last answer repeats";
    }
}

TEST(zba_scan, a_text_that_ends_inside_a_number_or_word_is_read_to_its_end) {
    // The text is not terminated: the scanner must not look past its length.
    const char bytes[] = {'{', ' ', '1', '.', '5', 'e', '2', 'a', 'n', 'i', 'm'};
    zba_scanner_t scanner(bytes, sizeof bytes, "t.zba", "");
    EXPECT_EQ(scan_all(scanner), (std::vector<std::string>{"{", "D:1.5e2=150", "anim", "END"}));
}

class zba_include : public zba_fixture_t {
protected:
    std::vector<std::string> scan_file(const std::string &path) {
        text = mount.files.files[path];
        scanner = std::make_unique<zba_scanner_t>(text.data(), text.size(), ("/zt" + path).c_str(), "/zt/a");
        std::vector<std::string> out;
        for (int guard = 0; guard < 1000; ++guard) {
            const zba_token_t &t = scanner->next();
            out.push_back(shown(t) + "@" + t.file + ":" + std::to_string(t.line));
            if (t.kind == tk::END || t.kind == tk::STOP) break;
        }
        return out;
    }

    std::string text;
    std::unique_ptr<zba_scanner_t> scanner;
};

TEST_F(zba_include, lines_count_per_file_and_go_on_after_the_include) {
    put("/a/main.zba", "{\n@include \"inc.part\" :\n}");
    put("/a/inc.part", "\n\n.\n");
    EXPECT_EQ(scan_file("/a/main.zba"),
              (std::vector<std::string>{"{@/zt/a/main.zba:1", ".@/zt/a/inc.part:3", ":@/zt/a/main.zba:2",
                                        "}@/zt/a/main.zba:3", "END@/zt/a/main.zba:3"}));
    EXPECT_EQ(log.texts(message_t::ERROR), std::vector<std::string>{});
}

TEST_F(zba_include, relative_paths_resolve_against_the_top_level_folder_and_absolute_ones_stay) {
    put("/a/main.zba", "@include \"sub/one.part\"");
    // From inside sub/, "two.part" still means the top-level file's folder.
    put("/a/sub/one.part", "{ @include \"two.part\" @include \"/zt/b/three.part\" }");
    put("/a/two.part", ":");
    put("/b/three.part", ".");
    EXPECT_EQ(scan_file("/a/main.zba"),
              (std::vector<std::string>{"{@/zt/a/sub/one.part:1", ":@/zt/a/two.part:1", ".@/zt/b/three.part:1",
                                        "}@/zt/a/sub/one.part:1", "END@/zt/a/main.zba:1"}));
}

TEST_F(zba_include, ten_nested_includes_load_and_the_eleventh_stops_the_scan) {
    // main includes n1, n1 includes n2, ... each level adds a token.
    auto chain = [&](int levels) {
        put("/a/main.zba", "@include \"n1.part\"");
        for (int i = 1; i <= levels; ++i) {
            std::string body = "\n:";
            if (i < levels) body += " @include \"n" + std::to_string(i + 1) + ".part\"";
            put("/a/n" + std::to_string(i) + ".part", body);
        }
    };
    chain(10);
    std::vector<std::string> tokens = scan_file("/a/main.zba");
    EXPECT_EQ(tokens.size(), 11u);
    EXPECT_EQ(tokens.back(), "END@/zt/a/main.zba:1");
    EXPECT_FALSE(scanner->failed());

    chain(11);
    tokens = scan_file("/a/main.zba");
    EXPECT_EQ(tokens.size(), 11u) << "ten tokens, then the stop";
    EXPECT_EQ(tokens.back(), "STOP@/zt/a/n10.part:2");
    EXPECT_TRUE(scanner->failed());
    EXPECT_EQ(scanner->depth(), 0u) << "every include is unwound";
    EXPECT_EQ(log.texts(message_t::ERROR),
              std::vector<std::string>{"[zba scan] /zt/a/n10.part:2 include nested too deeply"});
}

TEST_F(zba_include, an_include_that_does_not_read_stops_the_scan) {
    put("/a/main.zba", "{\n @include \"sub/one.part\"");
    put("/a/sub/one.part", ": @include \"missing.part\" .");
    EXPECT_EQ(scan_file("/a/main.zba"),
              (std::vector<std::string>{"{@/zt/a/main.zba:1", ":@/zt/a/sub/one.part:1", "STOP@/zt/a/sub/one.part:1"}));
    EXPECT_TRUE(scanner->failed());
    EXPECT_EQ(scanner->depth(), 0u);
    EXPECT_TRUE(log.contains("[zba scan] /zt/a/sub/one.part:1 can't load : /zt/a/missing.part"));
}

TEST(zba_scan, relative_paths_are_cut_to_63_characters) {
    string_dyn_t<> out;
    zba_scanner_t::absolute_path(out, "/x/y.zma", "/base");
    EXPECT_STREQ(out.c_str(), "/x/y.zma");
    zba_scanner_t::absolute_path(out, "y.zma", "/base");
    EXPECT_STREQ(out.c_str(), "/base/y.zma");
    zba_scanner_t::absolute_path(out, std::string(80, 'n').c_str(), "/base");
    EXPECT_EQ(std::string(out.c_str()), "/base/" + std::string(57, 'n'));
}

}  // namespace
}  // namespace quarn::test
