// The whitetail's animation instance over its real model: the postures follow each
// other on the transitions the file provides, without a gap in the plans.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/visuals/models/model_object.h"
#include "zba_whitetail_fixture.h"

namespace quarn::test {
namespace {

using lines_t = std::vector<std::string>;
using zba_inst_content = zba_whitetail_fixture_t;

TEST_F(zba_inst_content, the_whitetail_goes_through_every_posture_and_back) {
    ASSERT_NE(inst->get_model(), nullptr);
    EXPECT_TRUE(inst->get_model()->is_loaded());
    EXPECT_EQ(inst->get_channel_count(), 5u);
    log.clear();

    struct step_t {
        const char *behavior;
        const char *body;  // the body's state once it ended
        lines_t lines;     // what the listener heard
    };
    const step_t steps[] = {
        {"stand", "stand", {"0 stand ch0"}},
        {"walk", "walk", {"1 walk ch0", "0 walk ch0"}},
        {"gallop", "gallop", {"1 gallop ch0", "0 gallop ch0"}},
        {"lay", "lay", {"1 lay ch0", "0 lay ch0"}},
        {"gallop", "gallop", {"1 gallop ch0", "0 gallop ch0"}},
        {"walk", "walk", {"1 walk ch0", "0 walk ch0"}},
        {"stand", "stand", {"1 stand ch0", "0 stand ch0"}},
        // Lying down from a stand with the head laid too is one complex motion, which
        // drops the body; "lay" alone does not ask for the head: it went down on the
        // body's simple transition above.
        {"lay_look", "lay", {"6 drop ch0", "1 lay_look ch0", "0 lay_look ch0"}},
        {"stand", "stand", {"1 stand ch0", "0 stand ch0"}},
    };
    for (const step_t &s : steps) {
        SCOPED_TRACE(s.behavior);
        EXPECT_EQ(play_through(s.behavior), s.lines);
        EXPECT_EQ(state(0, 0), s.body);
    }
    EXPECT_EQ(state(0, 1), "up") << "lay_look raised the head, and nothing since named it";
    for (const std::string &w : warnings()) EXPECT_EQ(w.find("unable"), std::string::npos) << w;
    EXPECT_TRUE(log.texts(message_t::ERROR).empty());
}

}  // namespace
}  // namespace quarn::test
