// Voice-over tables: every N-th request answers with a fresh copy of a random line;
// an empty table neither answers nor counts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/round/round_fixture.h"
#include "game/scene/base_ctrl.h"
#include "game/scene/scene_fixture.h"

namespace quarn::test {
namespace {

using voiceover = round_fixture_t;

std::string table_text(const std::string &name, uint32_t lines, const std::string &attributes) {
    std::string text = "voiceover_table : " + name + "\n{\n" + attributes;
    text += "voiceovers: " + std::to_string(lines) + "\n";
    for (uint32_t i = 0; i < lines; ++i) text += "voiceovers[" + std::to_string(i) + "]: .l" + std::to_string(i) + "\n";
    text += "}\n";
    for (uint32_t i = 0; i < lines; ++i)
        text += "voiceover : .l" + std::to_string(i) + " { sound_file: \"sound/voiceover/line_" + std::to_string(i) +
                ".ogg\" text: \"@@vo_line@@\" }\n";
    return text;
}

TEST_F(voiceover, tables_answer_every_nth_request) {
    struct case_t {
        const char *what;
        uint32_t lines;
        std::string attributes;
        std::string answers;  // one letter a request: y answered, . not
        uint32_t counted;     // requests counted after them
    };
    const case_t cases[] = {
        {"no lines", 0, "occurence: 1\n", "........", 0},
        {"no lines, every third", 0, "occurence: 3\n", "........", 0},
        {"\"vo.hit\": every third", 9, "priority: 2\noccurence: 3\n", "y..y..y.", 8},
        {"\"vo.missed\": every fifth", 5, "occurence: 5\n", "y....y....y.", 12},
        {"the default: every time", 2, "", "yyyy", 4},
        {"occurrence 0 is 1", 3, "occurence: 0\n", "yyyy", 4},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.what);
        owner_ptr_t<voiceover_table_u> table(load<voiceover_table_u>(table_text(".table", c.lines, c.attributes)));
        ASSERT_TRUE(table);
        randomizer_t random(5);
        std::string answers;
        for (size_t i = 0; i < c.answers.size(); ++i) {
            owner_ptr_t<voiceover_u> line(table->pick(random));
            answers += line ? 'y' : '.';
        }
        EXPECT_EQ(answers, c.answers);
        EXPECT_EQ(table->get_request_count(), c.counted);
    }
}

TEST_F(voiceover, a_pick_is_a_fresh_copy_of_the_line_the_generator_draws) {
    owner_ptr_t<voiceover_table_u> one(load<voiceover_table_u>(table_text(".one", 1, "")));
    ASSERT_TRUE(one);
    randomizer_t random(1);
    owner_ptr_t<voiceover_u> a(one->pick(random));
    owner_ptr_t<voiceover_u> b(one->pick(random));
    ASSERT_TRUE(a && b);
    EXPECT_NE(a.get(), b.get());
    EXPECT_NE(a.get(), one->voiceovers[0].get());
    EXPECT_STREQ(a->sound_file.c_str(), "sound/voiceover/line_0.ogg");
    EXPECT_STREQ(b->text.c_str(), "@@vo_line@@");
    EXPECT_TRUE(a->is_nameless()) << "names are not copied";

    owner_ptr_t<voiceover_table_u> four(load<voiceover_table_u>(table_text(".four", 4, "")));
    ASSERT_TRUE(four);
    randomizer_t picker(321);
    randomizer_t reference(321);
    for (int i = 0; i < 6; ++i) {
        owner_ptr_t<voiceover_u> line(four->pick(picker));
        ASSERT_TRUE(line);
        EXPECT_EQ(line->sound_file.c_str(), "sound/voiceover/line_" + std::to_string(reference.rand_u(4)) + ".ogg");
    }
}

TEST_F(voiceover, the_scene_draws_the_lines_and_without_one_nothing_answers) {
    owner_ptr_t<voiceover_table_u> table(load<voiceover_table_u>(table_text(".t", 4, "")));
    ASSERT_TRUE(table);
    EXPECT_FALSE(owner_ptr_t<voiceover_u>(table->pick()));
    EXPECT_EQ(table->get_request_count(), 0u);
    test_ctrl_u *ctrl = make_scene(42);
    randomizer_t reference(42);
    owner_ptr_t<voiceover_u> line(table->pick());
    ASSERT_TRUE(line);
    EXPECT_EQ(line->sound_file.c_str(), "sound/voiceover/line_" + std::to_string(reference.rand_u(4)) + ".ogg");
    EXPECT_EQ(ctrl->get_random().seed, reference.seed);
}

}  // namespace
}  // namespace quarn::test
