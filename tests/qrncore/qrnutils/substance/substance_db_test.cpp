#include "qrncore/qrnutils/substance/substance_db.h"

#include <gtest/gtest.h>

#include <string>

#include "qrncore/qrnutils/ufs/fs.h"
#include "support/message_capture.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"

namespace quarn {
namespace {

// Puts substance files into a temporary folder mounted at "/material" and leaves the
// table cleared and unrequested after each case.
class substance_db_test : public ::testing::Test {
protected:
    void SetUp() override {
        fs_startup();
        m_device = ufs_mount(FS_DEVICE_DIRECTORY, m_dir.path().c_str(), "/material", true, 0);
        ASSERT_NE(m_device, nullptr);
    }
    void TearDown() override {
        while (m_requests > 0) release();
        set_substance_file("");
        if (m_device) ufs_unmount(m_device);
        fs_shutdown();
    }

    void write(const std::string &name, const std::string &text) { test::write_file(m_dir.file(name), text); }
    void request() {
        substance_db_request();
        ++m_requests;
    }
    void release() {
        substance_db_release();
        --m_requests;
    }
    // Requests the table from a file with the given text.
    void load(const std::string &text) {
        write("material.db", text);
        set_substance_file("/material/material.db");
        request();
    }

    test::temp_dir_t m_dir;
    fs_device_t *m_device = nullptr;
    int m_requests = 0;
};

TEST_F(substance_db_test, decimal_and_hexadecimal_indices) {
    load("3 wood\r\n0x10\tgrass\n");
    EXPECT_EQ(get_used_substance_count(), 2u);
    EXPECT_EQ(substance_idx2name(3), "wood");
    EXPECT_EQ(substance_idx2name(16), "grass");
    EXPECT_EQ(substance_name2idx("wood"), 3u);
    EXPECT_EQ(substance_name2idx("grass"), 16u);
    EXPECT_EQ(substance_name2idx("Wood"), SUBSTANCE_NONE);
    EXPECT_EQ(substance_name2idx("stone"), SUBSTANCE_NONE);
    EXPECT_EQ(substance_name2idx(""), SUBSTANCE_NONE);
    EXPECT_EQ(substance_idx2name(4), "");
}

TEST_F(substance_db_test, colons_and_repeats) {
    // "3: wood" and "3 wood" are the same pair; a later pair replaces the name; the
    // lowest index wins a name given twice; octal "010" is 8.
    load("3: wood\n5:bark\n5: birch\n9 wood\n010 eight\n255 last\n7");
    EXPECT_EQ(substance_idx2name(3), "wood");
    EXPECT_EQ(substance_idx2name(5), "birch");
    EXPECT_EQ(substance_name2idx("bark"), SUBSTANCE_NONE);
    EXPECT_EQ(substance_name2idx("wood"), 3u);
    EXPECT_EQ(substance_idx2name(8), "eight");
    EXPECT_EQ(substance_idx2name(255), "last");
    EXPECT_EQ(substance_idx2name(7), "") << "an index without a name ends the file";
    EXPECT_EQ(get_used_substance_count(), 5u);
}

TEST_F(substance_db_test, bad_indices_are_reported_and_skipped) {
    test::message_capture_t log;
    load("0 zero\n256 big\n-1 negative\nword wordy\n08 bad_octal\n3x trailing\n0x100 big_hex\n"
         "99999999999 huge\n4 four\n");
    EXPECT_EQ(substance_idx2name(0), "zero") << "a word no longer reads as 0";
    EXPECT_EQ(substance_idx2name(4), "four") << "reading goes on after a bad pair";
    EXPECT_EQ(get_used_substance_count(), 2u);
    const char *skipped[] = {"big", "negative", "wordy", "bad_octal", "trailing", "big_hex", "huge"};
    for (const char *name : skipped) {
        EXPECT_TRUE(log.contains(std::string("invalid index for substance ") + name +
                                 " in file /material/material.db"))
            << name;
        EXPECT_EQ(substance_name2idx(name), SUBSTANCE_NONE) << name;
    }
    EXPECT_EQ(log.texts(message_t::ERROR).size(), 7u);
}

TEST_F(substance_db_test, requests_and_releases_are_counted) {
    load("1 snow\n");
    write("material.db", "2 rain\n");
    request();  // the second request does not read the file again
    EXPECT_EQ(substance_idx2name(1), "snow");
    EXPECT_EQ(substance_idx2name(2), "");
    release();
    EXPECT_EQ(substance_idx2name(1), "snow");
    release();
    EXPECT_EQ(get_used_substance_count(), 0u);
    EXPECT_EQ(substance_idx2name(1), "");
    request();  // the count is back at 0: this one reads the new text
    EXPECT_EQ(substance_idx2name(2), "rain");
    EXPECT_EQ(get_used_substance_count(), 1u);

    // A release without a request is reported and leaves the count at 0, so the next
    // request still loads.
    release();
    test::message_capture_t log;
    substance_db_release();
    EXPECT_TRUE(log.contains("substance_db_release without a request"));
    request();
    EXPECT_EQ(substance_idx2name(2), "rain");
}

TEST_F(substance_db_test, user_data_and_indices_out_of_range) {
    load("1 snow\n");
    int marker = 0;
    substance_set_data(1, &marker);
    substance_set_data(300, &marker);
    EXPECT_EQ(substance_get_data(1), &marker);
    EXPECT_EQ(substance_get_data(2), nullptr);
    EXPECT_EQ(substance_get_data(300), nullptr);
    EXPECT_EQ(substance_get_data(256), nullptr);
    EXPECT_EQ(substance_idx2name(300), "");
    EXPECT_EQ(substance_idx2name(256), "");
    release();
    EXPECT_EQ(substance_get_data(1), nullptr) << "clearing drops the pointers too";
}

TEST_F(substance_db_test, a_missing_file_still_counts_as_a_request) {
    test::message_capture_t log;
    set_substance_file("/material/none.db");
    request();
    EXPECT_TRUE(log.contains("can't read substance file /material/none.db"));
    EXPECT_EQ(get_used_substance_count(), 0u);
    // The file appears, but the count is still raised: no retry.
    write("none.db", "1 snow\n");
    request();
    EXPECT_EQ(get_used_substance_count(), 0u);
    release();
    release();
    request();
    EXPECT_EQ(substance_idx2name(1), "snow");
}

TEST_F(substance_db_test, text_stops_at_a_nul_byte) {
    load(std::string("1 snow\n2 ra\0in\n3 ice\n", 21));
    EXPECT_EQ(substance_idx2name(2), "ra");
    EXPECT_EQ(substance_idx2name(3), "");
}

TEST(substance_db_data, the_game_file_holds_the_eighteen_substances) {
    test::message_capture_t log;
    fs_startup();
    fs_device_t *base = ufs_mount(FS_DEVICE_DIRECTORY, (test::test_source_dir() + "/data/base").c_str(), "/", true, 0);
    ASSERT_NE(base, nullptr);
    set_substance_file("/material/material.db");
    substance_db_request();
    EXPECT_EQ(get_used_substance_count(), 18u);
    for (uint32_t i = 0; i < 18; ++i) EXPECT_FALSE(substance_idx2name(i).is_empty()) << i;
    // The indices the game's shots, footsteps and emitters are written for.
    const char *fixed[] = {nullptr, nullptr, nullptr, "snow", "meadow", "grass", nullptr, "leaves", nullptr,
                           "dirt",  "sand",  nullptr, "mud_dry", "gravel", "rock", "metal", "water"};
    for (uint32_t i = 0; i < sizeof fixed / sizeof fixed[0]; ++i) {
        if (fixed[i]) {
            EXPECT_EQ(substance_name2idx(fixed[i]), i) << fixed[i];
        }
    }
    EXPECT_TRUE(log.texts(message_t::ERROR).empty());
    substance_db_release();
    set_substance_file("");
    ufs_unmount(base);
    fs_shutdown();
}

}  // namespace
}  // namespace quarn
