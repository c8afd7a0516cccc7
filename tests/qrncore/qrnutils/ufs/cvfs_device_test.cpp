#include "qrncore/qrnutils/ufs/cvfs_device.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "qrncore/collections/abort_fixture.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/qrnutils/ufs/mount_fixture.h"
#include "qrncore/qrnutils/ufs/res_deps.h"
#include "qrncore/qrnutils/ufs/std_mount.h"
#include "support/message_capture.h"
#include "support/ufs_read.h"

namespace quarn {
namespace {

using test::read_virtual;

namespace stdfs = std::filesystem;

// A stand-in converter: copies the source from base/ into rsrc/, records the source
// as the dependency (with words after the path, which readers ignore) and logs each
// call. A file "fail" makes it fail with exit code 3.
const char *CONVERTER_SCRIPT = R"sh(#!/bin/sh
echo "$1" >> calls.log
if [ -f fail ]; then exit 3; fi
mkdir -p "rsrc$(dirname "$1")" ".dep$(dirname "$1")" || exit 4
cp "base$1" "rsrc$1" || exit 5
printf '%s written by the converter\r\n' "$1" > ".dep$1.dep"
)sh";

class recorder_t : public cvfs_callback_t {
public:
    void notify(const string &path, bool starting) override {
        calls.push_back(std::string(starting ? "start " : "end ") + path.c_str());
    }
    std::vector<std::string> calls;
};

// The development set of mode 5 over a fresh folder: sources in base/ (listed only),
// converted resources in rsrc/, records in .dep/, the converter above them.
class cvfs_fixture : public test::mount_fixture_t {
protected:
    void SetUp() override {
        test::mount_fixture_t::SetUp();
        for (const char *d : {"base", "rsrc", ".dep"}) stdfs::create_directories(dir.file(d));
        ASSERT_TRUE(mounts.mount_directories(STD_MOUNT_CONVERTING));
        ASSERT_NE(mounts.get_device(7), nullptr);
    }
    void before_shutdown() override {
        cvfs_device_t::set_notification(nullptr);
        mounts.unmount_directories();
    }

    void install_converter() {
        ASSERT_TRUE(test::write_file(dir.file("tools/resconvert"), CONVERTER_SCRIPT));
        ASSERT_EQ(chmod(dir.file("tools/resconvert").c_str(), 0755), 0);
    }
    // Writes a file with a last-write time `seconds` after a fixed moment.
    void put(const std::string &path, const std::string &content, int seconds) {
        ASSERT_TRUE(test::write_file(dir.file(path), content));
        stdfs::last_write_time(dir.file(path), moment + std::chrono::seconds(seconds));
    }
    std::string calls() { return test::read_file(dir.file("calls.log")); }

    std_mount_t mounts;
    const stdfs::file_time_type moment = stdfs::file_time_type::clock::now() - std::chrono::hours(1);
};

TEST_F(cvfs_fixture, reasons_for_converting) {
    struct case_t {
        const char *resource;
        std::vector<std::pair<std::string, int>> files;  // path (content = path), time
        std::string record;                              // "" for none
        bool out_of_date;
        const char *reason;
    };
    const case_t cases[] = {
        {"/one.txt", {{"base/one.txt", 0}}, "", true, "The resource is not converted."},
        {"/two.txt", {{"base/two.txt", 0}, {"rsrc/two.txt", 5}}, "", true, "Failed to read dependency list."},
        {"/three.txt",
         {{"base/three.txt", 0}, {"rsrc/three.txt", 5}},
         "/three.txt\r\n/gone.txt\r\n",
         true,
         "Dependency '/gone.txt' does not exist."},
        {"/four.txt",
         {{"base/four.txt", 0}, {"base/inc.txt", 6}, {"rsrc/four.txt", 5}},
         "/four.txt\r\n/inc.txt\r\n",
         true,
         "Dependency '/inc.txt' is newer."},
        // The same time is up to date; words after a path are ignored.
        {"/sub/five.txt",
         {{"base/sub/five.txt", 5}, {"base/inc.txt", 6}, {"rsrc/sub/five.txt", 5}},
         "  /sub/five.txt  made from this\r\n\r\n/sub/five.txt\n",
         false,
         ""},
        // A line of blanks holds no path: the record is not read.
        {"/six.txt", {{"base/six.txt", 0}, {"rsrc/six.txt", 5}}, "/six.txt\r\n   \r\n", true,
         "Failed to read dependency list."},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.resource);
        for (const auto &[path, seconds] : c.files) put(path, path, seconds);
        if (!c.record.empty()) put(".dep" + std::string(c.resource) + ".dep", c.record, 0);
        mstring_dyn_t reason("unset");
        EXPECT_EQ(resource_is_out_of_date(c.resource, &reason), c.out_of_date);
        EXPECT_STREQ(reason.c_str(), c.reason);
        EXPECT_EQ(resource_is_out_of_date(c.resource, nullptr), c.out_of_date);
    }
    test::message_capture_t capture;
    EXPECT_TRUE(resource_is_out_of_date("/six.txt", nullptr));
    EXPECT_EQ(capture.texts(message_t::ERROR),
              std::vector<std::string>{"Error processing dependency file '/six.txt.dep'."});
}

TEST_F(cvfs_fixture, opening_converts_what_is_out_of_date_and_falls_through) {
    install_converter();
    recorder_t recorder;
    EXPECT_EQ(cvfs_device_t::set_notification(&recorder), nullptr);
    put("base/model/tree.zmd", "tree v1", 0);

    EXPECT_EQ(read_virtual("/model/tree.zmd"), "tree v1");
    EXPECT_EQ(calls(), "/model/tree.zmd\n");
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"start /model/tree.zmd", "end /model/tree.zmd"}));
    EXPECT_EQ(test::read_file(dir.file(".dep/model/tree.zmd.dep")), "/model/tree.zmd written by the converter\r\n");
    EXPECT_FALSE(resource_is_out_of_date("/model/tree.zmd", nullptr));

    // Up to date: no second conversion.
    EXPECT_EQ(read_virtual("/model/tree.zmd"), "tree v1");
    EXPECT_EQ(calls(), "/model/tree.zmd\n");

    // A newer source is converted again, also when the device is asked for a stat
    // (through the root device the list-only sources answer stats first).
    put("base/model/tree.zmd", "tree version 2", 7200);
    fs_stat_t st;
    EXPECT_FALSE(mounts.get_device(7)->stat("/model/tree.zmd", &st));
    EXPECT_EQ(calls(), "/model/tree.zmd\n/model/tree.zmd\n");
    EXPECT_EQ(test::read_file(dir.file("rsrc/model/tree.zmd")), "tree version 2");
    EXPECT_EQ(recorder.calls.size(), 4u);
    EXPECT_EQ(cvfs_device_t::set_notification(nullptr), &recorder);
}

TEST_F(cvfs_fixture, a_failed_conversion_leaves_the_older_resource) {
    install_converter();
    put("base/a.txt", "new source", 100);
    put("rsrc/a.txt", "old resource", 0);
    put(".dep/a.txt.dep", "/a.txt\r\n", 0);
    put("fail", "", 0);
    test::message_capture_t capture;
    EXPECT_EQ(read_virtual("/a.txt"), "old resource");
    EXPECT_EQ(capture.texts(message_t::ERROR),
              std::vector<std::string>{"Failed to convert the file '/a.txt' (error 3)."});

    // Without the converter program, without a callback.
    ASSERT_TRUE(stdfs::remove(dir.file("tools/resconvert")));
    capture.clear();
    EXPECT_EQ(read_virtual("/a.txt"), "old resource");
    EXPECT_EQ(capture.texts(message_t::ERROR),
              std::vector<std::string>{"Failed to convert the file '/a.txt' (error -1)."});
    EXPECT_EQ(calls(), "/a.txt\n");

    // A resource with no record and no source fails every time and is not found.
    capture.clear();
    EXPECT_EQ(read_virtual("/nothing.txt"), "<missing>");
    EXPECT_TRUE(capture.contains("Failed to convert the file '/nothing.txt' (error -1)."));
}

TEST_F(cvfs_fixture, dependency_records) {
    res_deps_t deps;
    test::message_capture_t capture;
    EXPECT_TRUE(deps.add("/early.txt"));
    EXPECT_TRUE(capture.contains("Attempt to set dependency without setting the primary source first."));
    EXPECT_TRUE(deps.add_primary_source("/second.txt"));
    EXPECT_TRUE(capture.contains("Attempt to set multiple primary sources."));
    EXPECT_EQ(deps.get_count(), 2u);
    EXPECT_STREQ(deps.get(1).c_str(), "/second.txt");

    // The ".dep" mount of mode 5 is read-only: nothing takes the record.
    capture.clear();
    EXPECT_FALSE(deps.write("/res/x.bin"));
    EXPECT_EQ(capture.texts(message_t::ERROR),
              std::vector<std::string>{"Error creating dependency file '/res/x.bin.dep'."});

    // Mode 8 mounts it writable.
    mounts.unmount_directories();
    ASSERT_TRUE(test::write_file(dir.file("base/x"), ""));
    ASSERT_TRUE(mounts.mount_directories(STD_MOUNT_CONVERTER_OUTPUT));
    ASSERT_TRUE(deps.write("/res/x.bin"));
    EXPECT_EQ(test::read_file(dir.file(".dep/res/x.bin.dep")), "/early.txt\r\n/second.txt\r\n");
    res_deps_t back;
    ASSERT_TRUE(back.read("/res/x.bin"));
    ASSERT_EQ(back.get_count(), 2u);
    EXPECT_STREQ(back.get(0).c_str(), "/early.txt");
    EXPECT_TRUE(res_deps_t::remove_file("/res/x.bin"));
    EXPECT_FALSE(res_deps_t::remove_file("/res/x.bin"));
    capture.clear();
    EXPECT_FALSE(back.read("/res/x.bin"));
    EXPECT_TRUE(capture.entries().empty());
}

using res_deps_abort = test::abort_fixture_t;

TEST_F(res_deps_abort, a_bad_index_aborts) {
    res_deps_t deps;
    deps.add_primary_source("/a");
    EXPECT_DEATH(deps.get(1), "Index failed boundary check\\.");
}

}  // namespace
}  // namespace quarn
