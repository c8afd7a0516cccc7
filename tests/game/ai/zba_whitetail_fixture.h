#pragma once
// The whitetail's animation instance as the game makes it: the behaviour file from the
// archive stored in the program, its model and animations from the packed models
// ("base.tzk") through the model library, five channels, and a recording listener.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../models/model_lib_fixture.h"
#include "embedded_archive.h"
#include "game/ai/zba/zba_inst.h"
#include "game/ai/zba/zba_model_link.h"
#include "game/ai/zba/zba_resources.h"
#include "kernel/memory/m_server.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/qrnutils/ufs/zip_device.h"
#include "support/test_paths.h"
#include "zba_recording_listener.h"

namespace quarn::test {

class zba_whitetail_fixture_t : public model_lib_fixture_t {
protected:
    static constexpr const char *PATH = "/model/animal/whitetail/animal.zba";

    void SetUp() override {
        model_lib_fixture_t::SetUp();
        previous = fs_set_archive_factory(zip_device_create);
        base = ufs_mount(FS_DEVICE_ZIP, (test_bin_dir() + "/base.tzk").c_str(), "", true, 50);
        ASSERT_NE(base, nullptr);
        builtin = ufs_mount_romfs(fernwold_builtin_archive, uint32_t(fernwold_builtin_archive_size), "", 55);
        ASSERT_NE(builtin, nullptr);
        zba_set_model_source(&models);
        listener.name_of = [this](int32_t b) {
            const zba_info_t file = inst ? inst->get_info() : zba_info_t();
            return !file.is_null() && b >= 0 && uint32_t(b) < file.behavior_count()
                       ? std::string(file.behavior(uint32_t(b)).name())
                       : std::to_string(b);
        };
        instance = zba_inst_create(PATH, nullptr, nullptr, &listener, 5);
        ASSERT_TRUE(instance);
        inst = zba_inst_t::of(instance.get());
        ASSERT_NE(inst, nullptr);
    }
    void TearDown() override {
        inst = nullptr;
        instance.release();
        zba_free_unreferenced();
        zba_set_model_source(nullptr);
        if (builtin) ufs_unmount(builtin);
        if (base) ufs_unmount(base);
        fs_set_archive_factory(previous);
        model_lib_fixture_t::TearDown();
    }

    // The first behaviour of that name.
    int32_t behavior(const char *name) {
        const int32_t b = inst->get_info().find_behavior(name);
        EXPECT_GE(b, 0) << name;
        return b;
    }
    // The channel's state of the feature, by name ("*" when not known).
    std::string state(uint32_t channel, uint32_t feature) {
        const uint8_t s = inst->get_feature_state(channel, feature);
        return s == zba_layout::NO_STATE ? std::string("*")
                                         : std::string(inst->get_info().feature(feature).state_name(s));
    }
    // One update of dt, counted in the listener's lines.
    void step(float dt) {
        ++listener.frame;
        zba_inst_update_item(instance.get(), dt);
    }
    // Plays the behaviour on channel 0 (the one before has ended) and steps by 0.1 s
    // until it ends: what the listener heard on the way, without the frame numbers
    // and the footsteps (the moving behaviours' own business).
    std::vector<std::string> play_through(const char *name) {
        EXPECT_EQ(inst->play_behavior(behavior(name), 0, false), ZBA_OK) << name;
        const std::string end = "0 " + std::string(name) + " ch0";
        std::vector<std::string> lines;
        for (int i = 0; i < 200; ++i) {
            step(0.1f);
            for (const std::string &line : listener.take())
                if (line.find("footstep") == std::string::npos) lines.push_back(line.substr(line.find(' ') + 1));
            if (!lines.empty() && lines.back() == end) return lines;
        }
        ADD_FAILURE() << name << " never ended";
        return lines;
    }
    std::vector<std::string> warnings() { return log.texts(message_t::WARNING); }

    fs_archive_factory_t previous = nullptr;
    fs_device_t *base = nullptr;
    fs_device_t *builtin = nullptr;
    zba_model_library_source_t models;
    zba_recording_listener_t listener;
    c_item_ptr_t instance;
    zba_inst_t *inst = nullptr;
};

}  // namespace quarn::test
