// "/def/ai.def" as the game ships it: every graph loads without a message, its chains
// cover every urge value, and walking it reaches each of its states.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "game/ai/mind/ai_manners.h"
#include "game/ai/mind/ai_processor.h"
#include "outside/qrnshared/def_obj.h"
#include "outside/qrnshared/def_pool.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "support/message_capture.h"
#include "support/test_paths.h"

namespace quarn::test {
namespace {

class ai_content : public ::testing::Test {
protected:
    ai_content() {
        fs_startup();
        m_mount = ufs_mount(FS_DEVICE_DIRECTORY, (test_source_dir() + "/data/builtin").c_str(), "/", true, 0);
        EXPECT_NE(m_mount, nullptr);
    }
    ~ai_content() override {
        if (m_mount) ufs_unmount(m_mount);
        fs_shutdown();
    }

private:
    fs_device_t *m_mount = nullptr;
};

TEST_F(ai_content, every_graph_loads_cleanly_covers_the_urges_and_reaches_its_states) {
    def_pool_t pool;
    ASSERT_TRUE(pool.read_from("/def/ai.def"));
    const def_obj_t *ai = pool.find("ai");
    ASSERT_NE(ai, nullptr);
    std::set<std::string> species;
    for (const def_obj_t *s = ai->get_first_child(); s; s = s->get_next()) {
        species.insert(s->get_name());
        // "rest" is the graph every animal falls back on; "run_away" may borrow "attack".
        EXPECT_NE(s->find("rest"), nullptr) << s->get_name();
        EXPECT_TRUE(s->find("run_away") || s->find("attack")) << s->get_name();
        for (const def_obj_t *block = s->get_first_child(); block; block = block->get_next()) {
            const std::string where = std::string(s->get_name()) + "." + block->get_name();
            bool known = false;
            for (uint32_t i = 0; i < AI_PROCESSOR_COUNT; ++i) known |= where.ends_with(std::string(".") + ai_processor_name(i));
            EXPECT_TRUE(known) << where << " is no processor";
            message_capture_t log;
            ai_processor_t p;
            ASSERT_TRUE(p.load(*block)) << where;
            randomizer_t random(99);
            for (int v = 0; v <= 20; ++v) p.step(float(v) / 20.0f, -1, random);
            for (const auto &e : log.entries()) ADD_FAILURE() << where << ": " << e.text;
            // From each chain's entry, a long walk sees every state of the chain.
            for (uint32_t c = 0; c < p.get_chain_count(); ++c) {
                std::set<int32_t> seen;
                const float v = (p.get_chain(c).low + p.get_chain(c).high) * 0.5f;
                p.set_current(int32_t(c), int32_t(c), 0);
                for (int i = 0; i < 2000; ++i) {
                    p.step(v, -1, random);
                    seen.insert(p.get_current_state());
                }
                for (uint32_t s2 = 0; s2 < p.get_state_count(); ++s2) {
                    if (p.get_state(s2).chain != int32_t(c)) continue;
                    EXPECT_TRUE(seen.count(int32_t(s2))) << where << " never reaches state " << s2;
                }
            }
        }
    }
    EXPECT_EQ(species, (std::set<std::string>{"whitetail", "moose", "grizzly", "squirrel"}));
    // The whitetail has a graph for every activity.
    for (uint32_t i = 0; i < AI_PROCESSOR_UNDEFINED; ++i)
        EXPECT_NE(pool.find((std::string("ai.whitetail.") + ai_processor_name(i)).c_str()), nullptr)
            << ai_processor_name(i);
}

}  // namespace
}  // namespace quarn::test
