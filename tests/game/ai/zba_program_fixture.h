#pragma once
// Behaviour programs for tests: the program's memory manager on a fake clock, a
// behaviour file loaded from text as the ".zba" resource "/zt/t.zba" (model "m.zmd",
// animations "/zt/walk.zma" 2 s, "/zt/run.zma" 0.5 s, "/zt/look.zma" 1 s), a host
// whose channels are recorded and whose events are written down.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "game/ai/zba/zba_compile.h"
#include "game/ai/zba/zba_host.h"
#include "game/ai/zba/zba_listing.h"
#include "game/ai/zba/zba_resources.h"
#include "kernel/kernel_fixture.h"
#include "kernel/memory/m_server.h"
#include "kernel/sys.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/system/cmdline.h"
#include "support/zba_recorder.h"
#include "zba_fixture.h"

namespace quarn::test {

// A host that writes down what its processes report: "ended", "resumed",
// "sound <text>", "info <text>", each with the number of the update it came in.
class recording_host_t : public zba_host_t {
public:
    recording_host_t(c_item_t *file, zba_channels_t *channels) : zba_host_t(file, channels) {}

    void on_proc_event(uint32_t kind, c_item_t *, const char *text) override {
        std::string line;
        switch (kind) {
            case ZBA_EVENT_ENDED: line = "ended"; break;
            case ZBA_EVENT_RESUMED: line = "resumed"; break;
            case ZBA_EVENT_SOUND: line = std::string("sound ") + text; break;
            case ZBA_EVENT_INFO: line = std::string("info ") + text; break;
            default: line = "kind " + std::to_string(kind);
        }
        events.push_back(std::to_string(frame) + " " + line);
    }
    // Steps every process by dt and counts the update.
    void frame_step(float dt) {
        ++frame;
        update(dt);
    }

    uint32_t frame = 0;
    std::vector<std::string> events;
};

class zba_program_test : public kernel_fixture_t {
protected:
    void SetUp() override {
        kernel_fixture_t::SetUp();
        const char *args[] = {"game_tests", "-mm_pool_size", "32"};
        cdl_init(3, args);
        mm_init();
        models.descriptors["/zt/m.zmd"];
        models.lengths = {{"/zt/walk.zma", 2.0f}, {"/zt/run.zma", 0.5f}, {"/zt/look.zma", 1.0f}};
        zba_set_model_source(&models);
        sys_reset_random();
        log.clear();  // the memory manager's start-up notes
    }
    void TearDown() override {
        file.release();
        zba_free_unreferenced();
        EXPECT_EQ(item_count(), 0u) << "a program, process or file was left behind";
        zba_set_model_source(nullptr);
        kernel_fixture_t::TearDown();
        cdl_init(0, nullptr);
    }

    // The file's head: model, features and animations, then the behaviours given,
    // then the transitions given (without their "transitions" block).
    static std::string file_text(const std::string &behaviors, const std::string &transitions = "") {
        std::string text = "\"m\" : \"m.zmd\" {\n"
                           "  features { \"body\" { \"stand\" \"walk\" \"lay\" } \"head\" { \"up\" \"down\" } }\n"
                           "  animations {\n"
                           "    \"walk_a\" : \"walk.zma\"\n"
                           "    \"run_a\" : \"run.zma\" { priority : \"3\" super_weight : \"0.75\" }\n"
                           "    \"look_a\" : \"look.zma\"\n"
                           "  }\n"
                           "  behaviors {\n" +
                           behaviors + "\n  }\n";
        if (!transitions.empty()) text += "  transitions {\n" + transitions + "\n  }\n";
        return text + "}\n";
    }
    // Loads text as the behaviour file (served at "/zt" + name); true when it loaded.
    bool load(const std::string &text, const std::string &name = "/t.zba") {
        mount.put(name, text);
        c_item_t *item = mm_obtain_resource(MM_NAMED_LOAD_REF, ("/zt" + name).c_str(), &zba_u::unit_descriptor);
        if (!item) return false;
        file = item;
        item->release_ref();
        return true;
    }
    // The loaded file's block (the file stays where it is while the test runs: nothing
    // allocates enough to move it).
    zba_info_t info() { return zba_u::info_of(file.get()); }
    int32_t behavior(const char *name) { return info().find_behavior(name); }

    c_item_ptr_t compile(const char *name) {
        const int32_t b = behavior(name);
        return zba_compile(file.get(), &b, 1, nullptr, 0, nullptr, 0);
    }
    static std::vector<std::string> listing(c_item_t *program) {
        string_dyn_t<> text;
        EXPECT_TRUE(zba_listing(program, text));
        std::vector<std::string> lines;
        std::istringstream in(text.c_str());
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    static uint32_t item_count() { return mm_get_process()->get_manager().get_item_count(); }

    zba_mount_t mount;
    fake_models_t models;
    c_item_ptr_t file;
    message_capture_t log;
};

// A locked view of a process (or program) for reading its header and threads.
inline zba_thread_t thread_of(c_item_t *process, uint32_t i) {
    zba_proc_lock_t p(process);
    EXPECT_TRUE(p);
    EXPECT_LT(i, p ? p->thread_count : 0u);
    return p && i < p->thread_count ? p->threads()[i] : zba_thread_t();
}
inline zba_proc_t header_of(c_item_t *process) {
    zba_proc_lock_t p(process);
    EXPECT_TRUE(p);
    return p ? *p.get() : zba_proc_t();
}

}  // namespace quarn::test
