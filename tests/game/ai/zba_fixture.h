#pragma once
// Behaviour files for tests: files served from memory below "/zt", parsed into a
// block, initialised through a model source whose descriptors and animations the test
// names, and dumped as text.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "game/ai/zba/zba_dump.h"
#include "game/ai/zba/zba_info.h"
#include "game/ai/zba/zba_model_source.h"
#include "game/ai/zba/zba_parse.h"
#include "game/visuals/models/model_anim_view.h"
#include "game/visuals/models/model_desc_view.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/qrnutils/ufs/zip_device.h"
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

// The model files as the build packs them into "base.tzk", read through their
// checked views: a descriptor that opens gives a stand-in item, an animation that
// opens its length.
class packed_models_t : public zba_model_source_t {
public:
    c_item_t *obtain_descriptor(const char *path) override {
        const std::vector<uint8_t> bytes = read(path);
        model_desc_view_t view;
        if (bytes.empty() || !view.open(bytes.data(), bytes.size(), path)) return nullptr;
        descriptor.add_ref();
        return &descriptor;
    }
    bool animation_length(const char *path, float *seconds) override {
        const std::vector<uint8_t> bytes = read(path);
        model_anim_view_t view;
        if (bytes.empty() || !view.open(bytes.data(), bytes.size(), path)) return false;
        *seconds = view.get_length();
        return true;
    }

    fake_item_t descriptor;

private:
    static std::vector<uint8_t> read(const char *path) {
        auto_ptr_t<file_t> f = fs_open(path, FS_REALM_VIRTUAL);
        if (!f) return {};
        std::vector<uint8_t> bytes(size_t(f->size()));
        if (!bytes.empty() && !f->block_read(bytes.data(), uint32_t(bytes.size()), 0)) return {};
        return bytes;
    }
};

// The packed "base.tzk" of the build mounted at the root while it lives.
class base_archive_t {
public:
    base_archive_t() : m_previous(fs_set_archive_factory(zip_device_create)) {
        m_device = ufs_mount(FS_DEVICE_ZIP, (test_bin_dir() + "/base.tzk").c_str(), "", true, 50);
        EXPECT_NE(m_device, nullptr);
    }
    ~base_archive_t() {
        if (m_device) ufs_unmount(m_device);
        fs_set_archive_factory(m_previous);
    }
    base_archive_t(const base_archive_t &) = delete;
    base_archive_t &operator=(const base_archive_t &) = delete;

private:
    fs_archive_factory_t m_previous;
    fs_device_t *m_device = nullptr;
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
