#pragma once
// Behaviour files for tests: files served from memory below "/zt", parsed into a
// block, initialised through a model source whose descriptors and animations the test
// names, and dumped as text.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "game/ai/zba_dump.h"
#include "game/ai/zba_info.h"
#include "game/ai/zba_model_source.h"
#include "game/ai/zba_parse.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/strings/string_dyn.h"
#include "support/fake_item.h"
#include "support/message_capture.h"
#include "support/served_files.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"

namespace quarn::test {

// Model descriptors and animations by path. A descriptor is a fake item whose
// references the test can count; an animation is a length.
class fake_models_t : public zba_model_source_t {
public:
    c_item_t *obtain_descriptor(const char *path) override {
        asked.push_back(path);
        auto it = descriptors.find(path);
        if (it == descriptors.end()) return nullptr;
        it->second.add_ref();
        return &it->second;
    }
    bool animation_length(const char *path, float *seconds) override {
        asked.push_back(path);
        auto it = lengths.find(path);
        if (it == lengths.end()) return false;
        *seconds = it->second;
        return true;
    }

    std::map<std::string, fake_item_t> descriptors;
    std::map<std::string, float> lengths;
    std::vector<std::string> asked;
};

// Files served from memory at "/zt" while it lives, with the file system started.
class zba_mount_t {
public:
    zba_mount_t() {
        fs_startup();
        EXPECT_TRUE(ufs_mount_device(&files, "/zt", 1));
    }
    ~zba_mount_t() {
        ufs_unmount_device(&files);
        fs_shutdown();
    }
    zba_mount_t(const zba_mount_t &) = delete;
    zba_mount_t &operator=(const zba_mount_t &) = delete;

    // Serves text as "/zt" + path.
    void put(const std::string &path, const std::string &text) { files.files[path] = text; }
    // Serves the test deer of tests/fixtures/zba/deer/ as "/zt/deer/...".
    void serve_deer() {
        const std::string dir = test_source_dir() + "/tests/fixtures/zba/deer";
        for (const char *name : {"/deer.zba", "/parts/stand.zba.bhv"}) {
            const std::string text = read_file(dir + name);
            EXPECT_FALSE(text.empty()) << name;
            put(std::string("/deer") + name, text);
        }
    }

    served_files_t files;
};

// The deer's model descriptor and the natural lengths of its animations.
inline void deer_models(fake_models_t &models) {
    models.descriptors["/zt/deer/deer.zmd"];
    models.lengths = {{"/zt/deer/anim/stand.zma", 3.0f},
                      {"/zt/deer/anim/walk.zma", 2.0f},
                      {"/zt/shared/lay_down.zma", 1.5f},
                      {"/zt/deer/anim/graze.zma", 0.5f}};
}

class zba_fixture_t : public ::testing::Test {
protected:
    void put(const std::string &path, const std::string &text) { mount.put(path, text); }
    void serve_deer() { mount.serve_deer(); }

    // Parses the served file; true when it parsed.
    bool parse(const std::string &path) { return parser.parse_file(("/zt" + path).c_str()); }
    // Parses text served as "/zt/test.zba".
    bool parse_text(const std::string &text) {
        put("/test.zba", text);
        return parse("/test.zba");
    }
    zba_info_t info() { return zba_info_t(parser.image()); }
    std::string dump() {
        string_dyn_t<> out;
        EXPECT_TRUE(zba_dump(info(), out));
        return out.c_str();
    }

    zba_mount_t mount;
    zba_parser_t parser;
    message_capture_t log;
};

}  // namespace quarn::test
