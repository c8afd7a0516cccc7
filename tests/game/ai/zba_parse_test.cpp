// The behaviour-file parser: the block it builds (through its text dump), item times,
// and every message it gives for a broken file.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "zba_fixture.h"

namespace quarn::test {
namespace {

using zba_parse = zba_fixture_t;

TEST_F(zba_parse, the_test_deer_dumps_as_its_golden_text) {
    serve_deer();
    ASSERT_TRUE(parse("/deer/deer.zba"));
    fake_models_t models;
    deer_models(models);
    ASSERT_TRUE(info().init(&models));
    EXPECT_EQ(models.descriptors["/zt/deer/deer.zmd"].ref_count, 0u) << "a file without a runtime keeps nothing";
    const std::string golden = read_file(test_source_dir() + "/tests/fixtures/zba/deer/deer.dump");
    EXPECT_EQ(dump(), golden);
    EXPECT_EQ(log.texts(message_t::ERROR), std::vector<std::string>{});
}


// The start of a small valid file (four lines); cases append to it.
const std::string head =
    "\"m\" : \"m.zmd\" {\n"
    "features { \"body\" { \"stand\" \"lay\" } }\n"
    "attributes { \"script\" : \"string\" { } }\n"
    "animations { \"a\" : \"a.zma\" }\n";

// A file of head, one behaviour with the given channel items (line 5), and no
// transitions.
std::string with_items(const std::string &items) {
    return head + "behaviors { \"b\" { channels { \"c\" { " + items + " } } } }\n}\n";
}

TEST_F(zba_parse, item_times_are_seconds_or_minutes_and_seconds) {
    ASSERT_TRUE(parse_text(with_items("00:00.00 warp { warp : \"1\" } 0.00 warp { warp : \"2\" } "
                                      "1:30 warp { warp : \"3\" } 1:08 warp { warp : \"4\" } "
                                      ".5 warp { warp : \"5\" } 0x10 warp { warp : \"6\" }")));
    const zba_channel_t channel = info().behavior(0).channel(0);
    std::vector<float> times;
    zba_item_t item = channel.first_item();
    for (uint32_t i = 0; i < channel.item_count(); ++i, item = item.next()) times.push_back(item.time());
    EXPECT_EQ(times, (std::vector<float>{0.0f, 0.0f, 90.0f, 68.0f, 0.5f, 16.0f}));

    EXPECT_FALSE(parse_text(with_items("1.5:00 warp { warp : \"1\" }")));
    EXPECT_EQ(log.texts(message_t::ERROR),
              std::vector<std::string>{"[zba parse] /zt/test.zba:5 syntax error [ token ':' ]"});
}

TEST_F(zba_parse, items_start_from_their_defaults) {
    ASSERT_TRUE(parse_text(with_items("0 anim { anim : \"a\" } 1 weight { weight : \"0.5\" } 2 info { info : \"x\" }")));
    const zba_item_t anim = info().behavior(0).channel(0).first_item();
    EXPECT_EQ(anim.length(), 1.0f);
    EXPECT_EQ(anim.s_weight(), 1.0f);
    EXPECT_EQ(anim.e_weight(), 1.0f);
    EXPECT_FALSE(anim.proportional());
    EXPECT_EQ(anim.next().value(), 0.5f);
    EXPECT_STREQ(anim.next().next().text(), "x");
    // An animation without a block keeps priority 0 and super weight 1.
    EXPECT_EQ(info().animation(0).priority(), 0);
    EXPECT_EQ(info().animation(0).super_weight(), 1.0f);
    EXPECT_EQ(info().animation(0).length(), 1.0f) << "natural lengths are 1 until initialised";
}

TEST_F(zba_parse, names_are_found_without_regard_to_case) {
    serve_deer();
    ASSERT_TRUE(parse("/deer/deer.zba"));
    EXPECT_EQ(info().find_behavior("STAND"), 0);
    EXPECT_EQ(info().find_behavior("Walk"), 1);
    EXPECT_EQ(info().find_behavior("run"), -2);
    EXPECT_EQ(info().find_behavior(nullptr), -2);
    EXPECT_EQ(info().find_feature("HEAD"), 1);
    EXPECT_EQ(info().find_feature("tail"), -2);
    EXPECT_EQ(info().feature(0).find_state("LAY"), 2);
    EXPECT_EQ(info().feature(0).find_state("up"), -2);
}

struct broken_t {
    const char *what;
    std::string text;
    std::string message;                       // the one error; "" for the scanner's own
    uint32_t scratch = zba_layout::SCRATCH_CAPACITY;
};

std::string states(int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += "\"s" + std::to_string(i) + "\" ";
    return out;
}

TEST_F(zba_parse, every_message_names_file_line_and_token_and_the_file_does_not_load) {
    const std::string long63(63, 'v');
    std::string nine_values, nine_inits, nine_properties;
    for (int i = 0; i < 9; ++i) {
        nine_values += "\"script\" : \"" + long63 + "\" ";
        nine_inits += "init : \"" + long63 + "\" ";
        nine_properties += "s_weight : \"" + long63 + "\" ";
    }
    const std::string no_behaviors = "behaviors { }\n}\n";
    const std::string simple = "transitions { simple { \"body\" : \"lay\" { length : \"1\" } }";
    const std::string p = "[zba parse] /zt/test.zba:";
    const broken_t cases[] = {
        {"syntax error", "\"m\" \"m.zmd\" { }", p + "1 syntax error [ token 'm.zmd' ]"},
        {"no header section", "\"m\" : \"m.zmd\" {\nanimations { }", p + "2 syntax error [ token 'animations' ]"},
        {"text after the file", head + no_behaviors + "}", p + "7 syntax error [ token '}' ]"},
        {"an empty attribute block", "\"m\" : \"m.zmd\" {\nattributes { }", p + "2 syntax error [ token '}' ]"},
        {"a feature without states", "\"m\" : \"m.zmd\" {\nfeatures { \"f\" { } }", p + "2 syntax error [ token '}' ]"},
        {"behaviour blocks out of order",
         head + "behaviors { \"b\" { channels { } attributes { } } }\n}\n", p + "5 syntax error [ token 'attributes' ]"},
        {"an item of no kind", with_items("0 { }"), p + "5 syntax error [ token '{' ]"},
        {"an item without properties", with_items("0 info { }"), p + "5 syntax error [ token '}' ]"},
        {"a property of another kind", with_items("0 info { weight : \"1\" }"), p + "5 syntax error [ token 'weight' ]"},
        {"an animation item without its animation", with_items("0 anim { length : \"2\" }"),
         p + "5 syntax error [ token '}' ]"},
        {"transitions without simple ones", head + "behaviors { }\ntransitions { complex { } }\n}",
         p + "6 syntax error [ token 'complex' ]"},
        {"too many states", "\"m\" : \"m.zmd\" {\nfeatures { \"f\" { " + states(256) + "} }",
         p + "2 parser stack overflow [ token 's255' ]"},
        {"features already defined", "\"m\" : \"m.zmd\" {\nfeatures { }\nfeatures { }",
         p + "3 features already defined [ token 'features' ]"},
        {"attributes already defined",
         "\"m\" : \"m.zmd\" {\nattributes { \"a\" : \"int\" { } }\nfeatures { }\nattributes { }",
         p + "4 attributes already defined [ token 'attributes' ]"},
        {"animations already defined", head + "animations { }\n" + no_behaviors,
         p + "5 animations already defined [ token 'animations' ]"},
        {"behaviors already defined", head + "behaviors { }\nbehaviors { }\n}",
         p + "6 behaviors already defined [ token 'behaviors' ]"},
        {"channels already defined", head + "behaviors { \"b\" { channels { }\nchannels { } } }\n}",
         p + "6 channels already defined [ token 'channels' ]"},
        {"transitions.complex already defined",
         head + "behaviors { }\n" + simple + " complex { \"c\" { } }\ncomplex { \"d\" { } } }\n}",
         p + "7 transitions.complex already defined [ token 'complex' ]"},
        {"feature already defined", "\"m\" : \"m.zmd\" {\nfeatures { \"body\" { \"a\" } \"body\" { \"b\" } }",
         p + "2 feature 'body' already defined"},
        {"state already defined", "\"m\" : \"m.zmd\" {\nfeatures { \"body\" { \"a\" \"b\" \"a\" } }",
         p + "2 feature 'body' state 'a' already defined"},
        {"attribute already defined",
         "\"m\" : \"m.zmd\" {\nattributes { \"x\" : \"int\" { }\n\"x\" : \"float\" { } }", p + "3 attribute 'x' already defined"},
        {"unknown attribute type", "\"m\" : \"m.zmd\" {\nattributes { \"x\" : \"double\" { } }",
         p + "2 unknown attribute type 'double'"},
        {"animation already defined",
         "\"m\" : \"m.zmd\" {\nfeatures { }\nanimations { \"a\" : \"a.zma\" \"b\" : \"b.zma\" \"a\" : \"c.zma\" }",
         p + "3 animation 'a' already defined"},
        {"attribute not found", head + "behaviors { \"b\" { attributes { \"nope\" : \"1\" } } }\n}",
         p + "5 attribute 'nope' not found"},
        {"unknown feature", head + "behaviors { \"b\" { features { \"tail\" : \"up\" . } } }\n}",
         p + "5 unknown feature 'tail'"},
        {"unknown state", head + "behaviors { \"b\" { features { \"body\" : -> \"run\" } } }\n}",
         p + "5 unknown state 'run'"},
        {"unknown state in a simple transition",
         head + "behaviors { }\ntransitions { simple { \"body\" : \"run\" { length : \"1\" } } }\n}",
         p + "6 unknown state 'run'"},
        {"animation not found", with_items("0 anim { anim : \"zz\" }"), p + "5 animation 'zz' not found"},
        {"simple transition already defined",
         head + "behaviors { }\n" + simple.substr(0, simple.size() - 1) + "\n\"body\" : \"lay\" { length : \"2\" } } }\n}",
         p + "7 simple transition for 'body':'lay' was already defined"},
        {"an item of length 0", with_items("0 anim { anim : \"a\" length : \"0\" }"),
         p + "5 length must be above 0 [ token '0' ]"},
        {"a simple transition of negative length",
         head + "behaviors { }\ntransitions { simple { \"body\" : \"lay\" { length : \"-1\" } } }\n}",
         p + "6 length must be above 0 [ token '-1' ]"},
        {"the texts of one item overflow the scratch", with_items("0 anim { anim : \"a\" " + nine_properties + "}"),
         p + "5 INTERNAL: sbuf overflow [ token '" + long63 + "' ]"},
        {"an attribute's inits overflow the scratch",
         "\"m\" : \"m.zmd\" {\nattributes { \"x\" : \"string\" { " + nine_inits + "} }",
         p + "2 INTERNAL: sbuf overflow [meta attribute_prop:1a] [ token '" + long63 + "' ]"},
        {"an attribute map overflows the scratch",
         head + "behaviors { \"b\" { attributes { " + nine_values + "} } }\n}",
         p + "5 INTERNAL: sbuf overflow [attribute_map:1a] [ token '" + long63 + "' ]"},
        {"an attribute name overflows a small scratch", "\"m\" : \"m.zmd\" {\nattributes { \"long\" : \"int\" { } }",
         p + "2 INTERNAL: sbuf overflow [meta attribute:1a] [ token 'long' ]", 3},
        {"an attribute type overflows a small scratch", "\"m\" : \"m.zmd\" {\nattributes { \"ab\" : \"string\" { } }",
         p + "2 INTERNAL: sbuf overflow [meta_attributes:1b] [ token 'string' ]", 6},
        {"a missing include fails the file", head + "@include \"missing.zba.part\"\n" + no_behaviors, ""},
        {"an unterminated string fails the file", head + "behaviors { \"b", ""},
    };
    for (const broken_t &c : cases) {
        SCOPED_TRACE(c.what);
        log.clear();
        put("/test.zba", c.text);
        zba_parser_t own(zba_layout::IMAGE_CAPACITY, c.scratch);
        EXPECT_FALSE(own.parse_file("/zt/test.zba"));
        EXPECT_EQ(own.image(), nullptr);
        EXPECT_EQ(own.image_size(), 0u);
        // The file system adds its own line for a file it cannot open.
        std::vector<std::string> errors;
        for (const std::string &e : log.texts(message_t::ERROR))
            if (e.rfind("[zba ", 0) == 0) errors.push_back(e);
        ASSERT_EQ(errors.size(), 1u) << (errors.empty() ? "" : errors[0]);
        if (c.message.empty())
            EXPECT_EQ(errors[0].rfind("[zba scan] ", 0), 0u) << errors[0];
        else
            EXPECT_EQ(errors[0], c.message);
    }
}

TEST_F(zba_parse, a_file_that_does_not_read_is_reported) {
    EXPECT_FALSE(parse("/none.zba"));
    EXPECT_TRUE(log.contains("[zba parse] cannot open file /zt/none.zba"));
}

// With every capacity below what the test deer needs, the parse fails at one step of
// the grammar; together they name every step at which the block grows.
TEST_F(zba_parse, a_full_block_fails_at_the_step_that_overflows_it) {
    serve_deer();
    ASSERT_TRUE(parse("/deer/deer.zba"));
    const uint32_t size = parser.image_size();
    EXPECT_LT(size, zba_layout::IMAGE_CAPACITY);
    std::set<std::string> steps;
    const std::string tag = "INTERNAL: tbuf overflow [";
    for (uint32_t capacity = 0; capacity < size; ++capacity) {
        log.clear();
        zba_parser_t small(capacity);
        ASSERT_FALSE(small.parse_file("/zt/deer/deer.zba")) << capacity;
        const std::vector<std::string> errors = log.texts(message_t::ERROR);
        ASSERT_EQ(errors.size(), 1u) << capacity;
        const size_t at = errors[0].find(tag);
        ASSERT_NE(at, std::string::npos) << errors[0];
        steps.insert(errors[0].substr(at + tag.size(), errors[0].find(']', at) - at - tag.size()));
    }
    const std::set<std::string> all = {
        "input:1a",           "input:1b",           "meta_features:1a",      "meta_features:1b",
        "meta_features:1c",   "meta_features:1d",   "meta_feature:1a",       "meta_feature:1b",
        "meta_attributes:1a", "meta_attributes:1b", "meta_attribute:1a",     "meta_attribute:1b",
        "animations:1a",      "animation_header:1a", "animation_header:1b",  "behavior_header:1a",
        "behavior_header:1b", "behavior_header:1c", "behavior_header:1d",    "attribute_map:1b",
        "channels:1a",        "channel_header:1a",  "complex_transitions:1a"};
    EXPECT_EQ(steps, all);
    zba_parser_t exact(size);
    EXPECT_TRUE(exact.parse_file("/zt/deer/deer.zba")) << "the deer fits a block of its own size";
}

// The example of docs/formats/zba.md is a file that loads.
TEST_F(zba_parse, the_documented_example_parses) {
    const std::string doc = read_file(test_source_dir() + "/docs/formats/zba.md");
    const size_t start = doc.find("```\n# A deer");
    ASSERT_NE(start, std::string::npos);
    const size_t end = doc.find("```", start + 3);
    ASSERT_TRUE(parse_text(doc.substr(start + 4, end - start - 4)));
    EXPECT_EQ(info().behavior_count(), 2u);
    EXPECT_EQ(info().simple_count(), 3u);
    EXPECT_EQ(info().complex_count(), 1u);
}

}  // namespace
}  // namespace quarn::test
