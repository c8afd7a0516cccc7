// The presentation takes "/def/ai.def" from the resource manager, through the ".def"
// loader of "lib/loaders", as the program does.
#include <gtest/gtest.h>

#include <string>

#include "game/ai/mind/ai_animal_presentation.h"
#include "kernel/kernel_fixture.h"
#include "kernel/memory/m_server.h"
#include "kernel/plugins.h"
#include "outside/qrnshared/qrnshared.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/cmdline.h"
#include "qrncore/system/dl_lib.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"

namespace quarn::test {
namespace {

class ai_presentation_resource : public kernel_fixture_t {
protected:
    void SetUp() override {
        kernel_fixture_t::SetUp();
        const char *args[] = {"game_tests", "-mm_pool_size", "32"};
        cdl_init(3, args);
        qrnshared_init(dl_lib_t::get_main_handle());
        fs_startup();
        mm_init();
        ASSERT_NE(dll_register((test_bin_dir() + "/lib/loaders").c_str()), nullptr);
    }
    void TearDown() override {
        kernel_fixture_t::TearDown();
        if (m_mount) ufs_unmount(m_mount);
        fs_shutdown();
        qrnshared_shutdown();
        dll_table_forget();
        const char *args[] = {"game_tests"};
        cdl_init(1, args);
    }
    void mount(const std::string &folder) {
        m_mount = ufs_mount(FS_DEVICE_DIRECTORY, folder.c_str(), "/", true, 0);
        ASSERT_NE(m_mount, nullptr);
    }

    randomizer_t random{3};
    message_capture_t log;
    temp_dir_t empty;

private:
    fs_device_t *m_mount = nullptr;
};

TEST_F(ai_presentation_resource, the_graphs_come_from_the_shipped_definition) {
    mount(test_source_dir() + "/data/builtin");
    ai_presentation_t p(random);
    ASSERT_TRUE(p.load_processors("whitetail"));
    for (uint32_t i = 0; i < AI_PROCESSOR_UNDEFINED; ++i) EXPECT_NE(p.get_processor(i), nullptr) << i;
    ai_presentation_t grizzly(random);
    ASSERT_TRUE(grizzly.load_processors("grizzly"));
    EXPECT_NE(grizzly.get_processor(5), nullptr) << "run_away from attack";
}

TEST_F(ai_presentation_resource, without_the_file_no_graph_loads) {
    mount(empty.path());
    ai_presentation_t p(random);
    EXPECT_FALSE(p.load_processors("whitetail"));
    EXPECT_TRUE(log.contains("[ai] error loading ai processors for species (whitetail)"));
    EXPECT_EQ(p.get_processor(0), nullptr);
}

}  // namespace
}  // namespace quarn::test
