#include "qrncore/qrnutils/ufs/mem_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qrncore/qrnutils/ufs/cfile.h"
#include "support/memory_file.h"

namespace quarn {
namespace {

mem_file_t &as_mem(auto_ptr_t<file_t> &f) { return static_cast<mem_file_t &>(*f); }

TEST(mem_file, pages_are_made_where_writes_reach) {
    auto_ptr_t<file_t> f = mem_file_create();
    ASSERT_TRUE(f);
    EXPECT_STREQ(f->get_name(), "<mem-file>");
    EXPECT_EQ(as_mem(f).get_page_size(), 1024u);
    EXPECT_EQ(f->size(), 0u);

    // One byte at 5000: pages 0-3 stay empty and read as zeros.
    ASSERT_TRUE(f->block_write("x", 1, 5000));
    EXPECT_EQ(f->size(), 5001u);
    EXPECT_EQ(as_mem(f).get_page_count(), 5u);
    EXPECT_EQ(as_mem(f).get_owned_pages(), 1u);
    std::string zeros(5000, 'z');
    ASSERT_TRUE(f->block_read(zeros.data(), 5000, 0));
    EXPECT_EQ(zeros, std::string(5000, '\0'));
    char last = 0;
    ASSERT_TRUE(f->block_read(&last, 1, 5000));
    EXPECT_EQ(last, 'x');
    fs_stat_t st;
    ASSERT_TRUE(f->stat(&st));
    EXPECT_EQ(st.type, FS_TYPE_FILE);
    EXPECT_EQ(st.time, 0u);

    // 3000 bytes at 1000 cross pages 0-3: 24, 1024, 1024 and 928 bytes.
    auto_ptr_t<file_t> g = mem_file_create();
    std::string pattern(3000, '\0');
    for (size_t i = 0; i < pattern.size(); ++i) pattern[i] = char('a' + i % 26);
    ASSERT_TRUE(g->block_write(pattern.data(), 3000, 1000));
    EXPECT_EQ(as_mem(g).get_owned_pages(), 4u);
    EXPECT_EQ(g->size(), 4000u);
    std::string back(3000, '\0');
    ASSERT_TRUE(g->block_read(back.data(), 3000, 1000));
    EXPECT_EQ(back, pattern);
    // A write within the size keeps it; a read past it fails and moves nothing.
    ASSERT_TRUE(g->block_write("AB", 2, 1023));
    EXPECT_EQ(g->size(), 4000u);
    ASSERT_TRUE(g->block_read(back.data(), 2, 1023));
    EXPECT_EQ(back.substr(0, 2), "AB");
    back[0] = '#';
    EXPECT_FALSE(g->block_read(back.data(), 2, 3999));
    EXPECT_EQ(back[0], '#');
    EXPECT_TRUE(g->block_read(nullptr, 5, 9999));
    EXPECT_TRUE(g->block_write(nullptr, 5, 9999));
    EXPECT_EQ(g->size(), 4000u);
}

TEST(mem_file, nothing_goes_past_4_gib) {
    auto_ptr_t<file_t> f = mem_file_create();
    EXPECT_FALSE(f->block_write("x", 1, 0xFFFFFFFFull));
    EXPECT_FALSE(f->block_write("xy", 2, 0xFFFFFFFEull));
    EXPECT_FALSE(f->block_write("x", 1, 0x1FFFFFFFFull));
    EXPECT_EQ(f->size(), 0u);
    EXPECT_EQ(as_mem(f).get_page_count(), 0u);
    char c;
    EXPECT_FALSE(f->block_read(&c, 1, 0xFFFFFFFFFFFFFFFFull));
}

TEST(mem_file, bound_files_view_the_callers_block_read_only) {
    char block[] = "romfs contents";
    auto_ptr_t<file_t> f = mem_file_bind(block, 14);
    ASSERT_TRUE(f);
    EXPECT_STREQ(f->get_name(), "<mem-addr-file>");
    EXPECT_EQ(f->size(), 14u);
    EXPECT_EQ(as_mem(f).get_page_size(), 14u);
    EXPECT_EQ(as_mem(f).get_owned_pages(), 0u);
    char buf[9] = {};
    ASSERT_TRUE(f->block_read(buf, 8, 6));
    EXPECT_STREQ(buf, "contents");
    EXPECT_FALSE(f->block_read(buf, 2, 13));
    EXPECT_FALSE(f->block_write("X", 1, 0));
    EXPECT_EQ(block[0], 'r');
    // The view follows the caller's block: nothing was copied.
    block[0] = 'R';
    ASSERT_TRUE(f->block_read(buf, 1, 0));
    EXPECT_EQ(buf[0], 'R');

    auto_ptr_t<file_t> empty = mem_file_bind(block, 0);
    EXPECT_EQ(empty->size(), 0u);
    EXPECT_FALSE(empty->block_read(buf, 1, 0));
}

// The first masks of the savegame scrambling: they fix the constant for good.
TEST(cfile, scrambling_is_frozen) {
    uint8_t bytes[8] = {};
    cfile_scramble(bytes, 8, 0);
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 8),
              (std::vector<uint8_t>{0x87, 0x10, 0x39, 0x42, 0x6B, 0xB4, 0x9D, 0xE6}));
    // Only the low 8 bits of the offset count, and scrambling twice restores.
    uint8_t again[8] = {};
    cfile_scramble(again, 8, 0x100);
    EXPECT_EQ(std::vector<uint8_t>(again, again + 8), std::vector<uint8_t>(bytes, bytes + 8));
    cfile_scramble(bytes, 8, 0);
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 8), std::vector<uint8_t>(8, 0));
}

TEST(cfile, round_trip_in_pieces_at_any_offset) {
    auto *raw = new test::memory_file_t;
    auto_ptr_t<file_t> inner(raw);
    cfile_t scrambled(inner);
    const std::string text = "savegame: hunter at (12, 4), 3 deer";
    ASSERT_TRUE(scrambled.write(text.data(), 10));
    ASSERT_TRUE(scrambled.write(text.data() + 10, uint32_t(text.size() - 10)));
    // The plain bytes differ from the text.
    ASSERT_EQ(raw->bytes.size(), text.size());
    EXPECT_NE(raw->bytes, text);
    std::string back(text.size(), '\0');
    ASSERT_TRUE(scrambled.block_read(back.data(), 7, 0));
    ASSERT_TRUE(scrambled.block_read(back.data() + 7, uint32_t(text.size() - 7), 7));
    EXPECT_EQ(back, text);

    // The same bytes at offsets 0 and 256 are stored alike.
    ASSERT_TRUE(scrambled.block_write(text.data(), 10, 256));
    EXPECT_EQ(raw->bytes.substr(256, 10), raw->bytes.substr(0, 10));

    // Errors of the inner file come through.
    EXPECT_FALSE(scrambled.block_read(back.data(), 4, 1000));
    EXPECT_EQ(scrambled.get_error(), FS_ERR_IO);
    raw->write_limit = 300;
    const std::string long_text(100, 'w');
    EXPECT_FALSE(scrambled.block_write(long_text.data(), 100, 290));
    EXPECT_EQ(scrambled.get_error(), FS_ERR_IO);
}

}  // namespace
}  // namespace quarn
