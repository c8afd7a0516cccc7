#include "qrncore/qrnutils/ufs/zip_device.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "embedded_archive.h"
#include "qrncore/numerics/crc.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "support/memory_file.h"
#include "support/message_capture.h"
#include "support/ufs_read.h"
#include "support/test_paths.h"
#include "zip_writer.h"

namespace quarn {
namespace {

using test::read_all;
using test::read_virtual;

void put32(std::string &bytes, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = char((v >> (8 * i)) & 0xFF);
}
void put16(std::string &bytes, size_t at, uint16_t v) {
    bytes[at] = char(v & 0xFF);
    bytes[at + 1] = char(v >> 8);
}
// Offset of the central directory, from the end record of a comment-free archive.
size_t central_offset(const std::string &bytes) {
    const size_t end = bytes.size() - 22 + 16;
    return uint8_t(bytes[end]) | (uint8_t(bytes[end + 1]) << 8) | (uint8_t(bytes[end + 2]) << 16) |
           (size_t(uint8_t(bytes[end + 3])) << 24);
}

// A zip device over archive bytes held by a memory file ("<mem-file>").
auto_ptr_t<zip_device_t> mount_bytes(const std::string &bytes) {
    auto_ptr_t<file_t> file(new test::memory_file_t(bytes));
    return auto_ptr_t<zip_device_t>(new zip_device_t(file));
}

std::string read_path(zip_device_t &zip, const char *path) {
    auto_ptr_t<file_t> f = zip.open(path);
    return f ? read_all(*f) : "<missing>";
}

std::vector<std::string> listing(zip_device_t &zip, const char *path, bool full_paths) {
    std::vector<std::string> out;
    auto_ptr_t<fs_dirlist_t> list = zip.read_dir(path, full_paths);
    if (!list) return {"<null>"};
    for (const fs_direntry_t &e : *list) out.push_back(std::string(e.name.c_str()) + (e.type == FS_TYPE_DIRECTORY ? "/" : ""));
    return out;
}

std::string small_archive() {
    zippack::zip_writer_t w;
    w.add_file("a/b.txt", "inside a");
    w.add_file("readme.txt", "top");
    return w.bytes();
}

struct refusal_t {
    const char *what;
    std::string bytes;
    const char *message;
};

std::vector<refusal_t> refusals() {
    std::vector<refusal_t> cases;
    zippack::zip_writer_t commented;
    commented.add_file("x", "1");
    commented.set_comment("hello");
    cases.push_back({"comment", commented.bytes(), "[zipfs] Invalid end signature in file '<mem-file>'."});
    zippack::zip_writer_t empty;
    cases.push_back({"end record alone", empty.bytes(), "[zipfs] Too short file '<mem-file>'."});
    zippack::zip_writer_t many;
    char name[32];
    for (int i = 0; i < 40001; ++i) {
        snprintf(name, sizeof name, "f%05d", i);
        many.add_file(name, "");
    }
    cases.push_back({"40001 entries", many.bytes(),
                     "[zipfs] The number of files (40001) in file '<mem-file>' exceeded limits (40000)."});

    // small_archive's directory: record #0 (46 bytes and "a/b.txt"), record #1 (46
    // bytes and "readme.txt"), then the end record.
    const std::string base = small_archive();
    const size_t record0 = central_offset(base), record1 = record0 + 46 + 7;
    std::string offset = base;
    put32(offset, offset.size() - 22 + 16, uint32_t(offset.size() - 21));
    cases.push_back({"directory offset", offset, "[zipfs] Invalid central directory offset in file '<mem-file>'."});
    std::string signature = base;
    put32(signature, record1, 0x12345678);
    cases.push_back({"record signature", signature,
                     "[zipfs] Central directory record #1 signature does not match, in file '<mem-file>'."});
    std::string no_name = base;
    put16(no_name, record0 + 28, 0);
    cases.push_back({"empty name", no_name,
                     "[zipfs] Central directory record #0 has malformed name, in file '<mem-file>'."});
    std::string zero_in_name = base;
    zero_in_name[record0 + 46 + 1] = 0;
    cases.push_back({"zero byte in name", zero_in_name,
                     "[zipfs] Central directory record #0 has malformed name, in file '<mem-file>'."});
    zippack::zip_writer_t long_name;
    long_name.add_file(std::string(255, 'n'), "");
    cases.push_back({"255-byte name", long_name.bytes(),
                     "[zipfs] Central directory record #0 has too long name, in file '<mem-file>'."});
    std::string cut_name = base;
    put16(cut_name, record1 + 28, 200);
    cases.push_back({"name past the end", cut_name,
                     "[zipfs] Error reading name for record #1 from file '<mem-file>'."});
    // Three records announced, two present: the third would begin in the end record.
    std::string more = base;
    put16(more, more.size() - 22 + 10, 3);
    cases.push_back({"more records than the directory holds", more,
                     "[zipfs] Error reading central directory record #2 from file '<mem-file>'."});
    // An extra field that runs past the end: the next record cannot be read.
    std::string extra = base;
    put16(extra, record0 + 30, 60000);
    cases.push_back({"extra field past the end", extra,
                     "[zipfs] Error reading central directory record #1 from file '<mem-file>'."});
    return cases;
}

TEST(zip_device, refuses_archives_outside_the_format) {
    for (const refusal_t &c : refusals()) {
        SCOPED_TRACE(c.what);
        test::message_capture_t capture;
        auto_ptr_t<zip_device_t> zip = mount_bytes(c.bytes);
        ASSERT_TRUE(zip);
        EXPECT_FALSE(zip->is_valid());
        ASSERT_EQ(capture.texts(message_t::ERROR), std::vector<std::string>{c.message});
    }
}

TEST(zip_device, mounts_40000_entries) {
    zippack::zip_writer_t w;
    char name[32];
    for (int i = 0; i < 40000; ++i) {
        snprintf(name, sizeof name, "d%03d/f%05d.txt", i / 200, i);
        w.add_file(name, std::to_string(i));
    }
    test::message_capture_t capture;
    auto_ptr_t<zip_device_t> zip = mount_bytes(w.bytes());
    ASSERT_TRUE(zip->is_valid());
    EXPECT_TRUE(capture.texts(message_t::ERROR).empty());
    EXPECT_EQ(zip->get_record_count(), 40000u);
    EXPECT_EQ(read_path(*zip, "/d000/f00000.txt"), "0");
    EXPECT_EQ(read_path(*zip, "/d199/f39999.txt"), "39999");
    EXPECT_EQ(listing(*zip, "", false).size(), 200u);
    EXPECT_EQ(listing(*zip, "/d123", false).size(), 200u);
}

TEST(zip_device, deflated_entries_are_left_out_and_the_rest_stays) {
    zippack::zip_writer_t w;
    w.add_file("a.txt", "plain");
    w.add_deflated_file("b.txt", std::string(500, 'z'));
    w.add_file("c.txt", "also plain");
    test::message_capture_t capture;
    auto_ptr_t<zip_device_t> zip = mount_bytes(w.bytes());
    ASSERT_TRUE(zip->is_valid());
    EXPECT_EQ(capture.texts(message_t::ERROR),
              std::vector<std::string>{
                  "[zipfs] Unsupported compression method used: 8 for record #1 - b.txt, from file '<mem-file>'."});
    EXPECT_EQ(read_path(*zip, "/a.txt"), "plain");
    EXPECT_EQ(read_path(*zip, "/c.txt"), "also plain");
    EXPECT_EQ(zip->open("/b.txt").get(), nullptr);
    EXPECT_EQ(listing(*zip, "/", false), (std::vector<std::string>{"a.txt", "c.txt"}));
    // The mount checksum folds the CRCs of the records taken.
    char expected[96];
    snprintf(expected, sizeof expected, "[zipfs] <mem-file> successfully mounted [crc_%#x]", zip->get_checksum());
    EXPECT_TRUE(capture.contains(expected));
    EXPECT_EQ(zip->get_checksum(), crc32("plain", 5) ^ crc32("also plain", 10));
}

TEST(zip_device, directories_follow_from_names_and_records) {
    zippack::zip_writer_t w;
    w.add_file("a/b.txt", "b");                  // "a" only implied
    w.add_directory("plain/", false);            // a trailing "/" without the attribute
    w.add_file("plain/inside.txt", "inside");
    w.add_directory("marked", true, true);       // the attribute without a trailing "/"
    w.add_file("marked/x", "x");
    w.add_directory("deep/er", true);
    auto_ptr_t<zip_device_t> zip = mount_bytes(w.bytes());
    ASSERT_TRUE(zip->is_valid());
    EXPECT_EQ(zip->get_record_count(), 6u);

    EXPECT_EQ(listing(*zip, "", false), (std::vector<std::string>{"a/", "plain/", "marked/", "deep/"}));
    EXPECT_EQ(listing(*zip, "/a", true), (std::vector<std::string>{"/a/b.txt"}));
    EXPECT_EQ(listing(*zip, "/", true), (std::vector<std::string>{"/a/", "/plain/", "/marked/", "/deep/"}));
    EXPECT_EQ(listing(*zip, "/deep", false), (std::vector<std::string>{"er/"}));
    EXPECT_EQ(read_path(*zip, "/plain/inside.txt"), "inside");
    EXPECT_EQ(read_path(*zip, "/marked/x"), "x");
    EXPECT_EQ(listing(*zip, "/deep/er", false), std::vector<std::string>{});
    EXPECT_EQ(listing(*zip, "/missing", false), std::vector<std::string>{"<null>"});

    fs_stat_t st;
    ASSERT_TRUE(zip->stat("/a", &st));
    EXPECT_EQ(st.type, FS_TYPE_DIRECTORY);
    ASSERT_TRUE(zip->stat("", &st));
    EXPECT_EQ(st.type, FS_TYPE_DIRECTORY);
    ASSERT_TRUE(zip->stat("/a/b.txt", &st));
    EXPECT_EQ(st.type, FS_TYPE_FILE);
    EXPECT_EQ(st.size, 1u);
    EXPECT_FALSE(zip->stat("/mark", &st));

    // A directory is not opened; listing a file is an error.
    EXPECT_EQ(zip->open("/a").get(), nullptr);
    test::message_capture_t capture;
    EXPECT_EQ(listing(*zip, "/a/b.txt", false), std::vector<std::string>{"<null>"});
    EXPECT_TRUE(capture.contains("[zipfs] error reading a non-directory entry (/a/b.txt)"));
}

TEST(zip_device, lookups_are_exact_and_the_first_record_wins) {
    zippack::zip_writer_t w;
    w.add_file("a/b.txt", "first");
    w.add_file("a/b.txt", "second");
    w.add_file("a//b.txt", "third");   // the same path once "/" are folded
    w.add_file("f", "file");
    w.add_file("f/under", "hidden");   // runs through a file: left out
    w.add_directory("a", true);        // already there
    auto_ptr_t<zip_device_t> zip = mount_bytes(w.bytes());
    ASSERT_TRUE(zip->is_valid());
    EXPECT_EQ(read_path(*zip, "/a/b.txt"), "first");
    EXPECT_EQ(read_path(*zip, "a/b.txt"), "first");
    EXPECT_EQ(read_path(*zip, "//a///b.txt"), "first");
    EXPECT_EQ(read_path(*zip, "/A/B.TXT"), "<missing>");
    EXPECT_EQ(read_path(*zip, "/a/B.txt"), "<missing>");
    EXPECT_EQ(read_path(*zip, "/f"), "file");
    // A file does not stand for paths below it.
    EXPECT_EQ(read_path(*zip, "/f/under"), "<missing>");
    fs_stat_t st;
    EXPECT_FALSE(zip->stat("/a/b.txt/x", &st));
    EXPECT_EQ(listing(*zip, "", false), (std::vector<std::string>{"a/", "f"}));
}

TEST(zip_device, entry_reads_stay_inside_the_entry) {
    const std::string data = [] {
        std::string d(100, '\0');
        for (size_t i = 0; i < d.size(); ++i) d[i] = char('a' + i % 26);
        return d;
    }();
    zippack::zip_writer_t w;
    w.add_file("pad", std::string(33, '-'));
    w.add_file("dir/hundred.bin", data);
    auto_ptr_t<file_t> entry;
    {
        auto_ptr_t<zip_device_t> zip = mount_bytes(w.bytes());
        ASSERT_TRUE(zip->is_valid());
        entry = zip->open("/dir/hundred.bin");
        ASSERT_TRUE(entry);
        EXPECT_STREQ(entry->get_name(), "/dir/hundred.bin");
        mstring_dyn_t where;
        entry->get_system_location(where);
        EXPECT_STREQ(where.c_str(), "<mem-file>/dir/hundred.bin");
    }
    // The entry outlives its device: it shares the archive file.
    EXPECT_EQ(entry->size(), 100u);
    char buf[16] = "untouched";
    ASSERT_TRUE(entry->seek(95, FS_SEEK_SET));
    EXPECT_FALSE(entry->read(buf, 10));
    EXPECT_STREQ(buf, "untouched");
    EXPECT_EQ(entry->tell(), 95u);
    ASSERT_TRUE(entry->read(buf, 5));
    EXPECT_EQ(std::string(buf, 5), data.substr(95, 5));
    EXPECT_TRUE(entry->block_read(buf, 0, 100));
    EXPECT_FALSE(entry->block_read(buf, 1, 100));
    EXPECT_FALSE(entry->block_read(buf, 2, UINT64_MAX));
    EXPECT_EQ(read_all(*entry), data);
    EXPECT_FALSE(entry->block_write("x", 1, 0));
}

TEST(zip_device, local_headers_are_checked_when_opening) {
    zippack::zip_writer_t w;
    w.add_file("x", "data");
    w.add_file("y", "more");
    std::string bytes = w.bytes();
    put16(bytes, 8, 8);  // the local header of "x" claims deflate
    const size_t record1 = central_offset(bytes) + 46 + 1;
    put32(bytes, record1 + 42, 0xFFFFFF00u);  // "y" points past the archive
    auto_ptr_t<zip_device_t> zip = mount_bytes(bytes);
    ASSERT_TRUE(zip->is_valid());
    test::message_capture_t capture;
    EXPECT_EQ(zip->open("/x").get(), nullptr);
    EXPECT_EQ(zip->open("/y").get(), nullptr);
    EXPECT_EQ(capture.texts(message_t::ERROR),
              (std::vector<std::string>{"[zipfs] local header suggests compression, while global header does not! (/x)",
                                        "[zipfs] failed reading local file header (/y)"}));
}

// The archives the build makes: "base.tzk" beside the programs and the archive stored
// in this test program, mounted as the game mounts them.
class zip_mount_fixture : public ::testing::Test {
protected:
    void SetUp() override {
        fs_startup();
        previous = fs_set_archive_factory(zip_device_create);
    }
    void TearDown() override {
        for (fs_device_t *d : mounted) ufs_unmount(d);
        fs_set_archive_factory(previous);
        fs_shutdown();
    }

    fs_archive_factory_t previous = nullptr;
    std::vector<fs_device_t *> mounted;
};

TEST_F(zip_mount_fixture, built_archives_mount_from_disk_and_from_the_program) {
    test::message_capture_t capture;
    ASSERT_LT(fernwold_builtin_archive_size, uint64_t(UINT32_MAX));
    fs_device_t *builtin =
        ufs_mount_romfs(fernwold_builtin_archive, uint32_t(fernwold_builtin_archive_size), "", 55);
    ASSERT_NE(builtin, nullptr);
    mounted.push_back(builtin);
    EXPECT_TRUE(capture.contains("[zipfs] <mem-addr-file> successfully mounted [crc_"));
    const std::string archive = test::test_bin_dir() + "/base.tzk";
    fs_device_t *base = ufs_mount(FS_DEVICE_ZIP, archive.c_str(), "", true, 50);
    ASSERT_NE(base, nullptr);
    mounted.push_back(base);
    EXPECT_EQ(read_virtual("/builtin.txt"), "builtin archive\n");
    EXPECT_EQ(read_virtual("/base.txt"), "base archive\n");
    EXPECT_STREQ(base->get_root(), archive.c_str());

    // A broken block is refused by the romfs mount.
    static const char junk[64] = "not an archive";
    EXPECT_EQ(ufs_mount_romfs(junk, sizeof junk, "", 55), nullptr);
    EXPECT_TRUE(capture.contains("[zipfs] Invalid end signature in file '<mem-addr-file>'."));
    EXPECT_TRUE(capture.contains("UFS: romfs device not valid!"));
}

// Every truncation of a valid archive, and every byte flipped in three ways, mounts
// or is refused without reading out of bounds (the sanitizers watch); whatever
// mounts is walked and read in full.
void walk(zip_device_t &zip, const std::string &path, int depth) {
    auto_ptr_t<fs_dirlist_t> list = zip.read_dir(path.c_str(), true);
    if (!list || depth > 8) return;
    for (const fs_direntry_t &e : *list) {
        fs_stat_t st;
        zip.stat(e.name, &st);
        if (e.type == FS_TYPE_DIRECTORY) {
            walk(zip, e.name.c_str(), depth + 1);
        } else if (auto_ptr_t<file_t> f = zip.open(e.name)) {
            // A flipped size may claim gigabytes: read the head and the tail.
            char data[64];
            const uint64_t size = f->size();
            const uint32_t n = size < sizeof data ? uint32_t(size) : uint32_t(sizeof data);
            f->block_read(data, n, 0);
            f->block_read(data, n, size - n);
        }
    }
}

TEST(zip_device, corrupted_archives_never_read_out_of_bounds) {
    zippack::zip_writer_t w;
    w.add_directory("dir", true);
    w.add_file("dir/one.txt", "first entry");
    w.add_file("dir/sub/two.bin", std::string(40, '\x7f'));
    w.add_directory("plain/", false);
    w.add_deflated_file("packed.txt", "deflated deflated deflated");
    w.add_file("three", "3");
    const std::string valid = w.bytes();
    test::message_capture_t capture;
    size_t mounted = 0;
    auto attempt = [&](const std::string &bytes) {
        auto_ptr_t<zip_device_t> zip = mount_bytes(bytes);
        if (zip->is_valid()) {
            ++mounted;
            walk(*zip, "", 0);
        }
        capture.clear();
    };
    for (size_t n = 0; n <= valid.size(); ++n) attempt(valid.substr(0, n));
    for (size_t i = 0; i < valid.size(); ++i) {
        for (unsigned char mask : {0x01, 0x80, 0xFF}) {
            std::string bytes = valid;
            bytes[i] = char(bytes[i] ^ mask);
            attempt(bytes);
        }
    }
    // Flips in the data and in ignored fields still mount.
    EXPECT_GT(mounted, valid.size());
}

}  // namespace
}  // namespace quarn
