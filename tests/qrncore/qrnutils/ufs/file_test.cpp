#include "qrncore/qrnutils/ufs/file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "qrncore/collections/abort_fixture.h"
#include "qrncore/qrnutils/ufs/file_trait.h"
#include "qrncore/qrnutils/ufs/mbio.h"
#include "support/memory_file.h"
#include "support/message_capture.h"

namespace quarn {
namespace {

TEST(file, reads_past_the_end_fail_and_keep_the_position) {
    test::memory_file_t f("0123456789");
    char buf[8] = {};
    ASSERT_TRUE(f.read(buf, 6));
    EXPECT_EQ(f.tell(), 6u);
    EXPECT_FALSE(f.read(buf, 6));
    EXPECT_EQ(f.get_error(), FS_ERR_IO);
    EXPECT_EQ(f.tell(), 6u);
    EXPECT_TRUE(f.read(buf, 4));
    EXPECT_EQ(f.get_error(), FS_ERR_NONE);
    EXPECT_TRUE(f.eof());
    // Block transfers leave the position alone.
    EXPECT_TRUE(f.block_read(buf, 2, 1));
    EXPECT_EQ(std::string(buf, 2), "12");
    EXPECT_FALSE(f.block_read(buf, 2, 9));
    EXPECT_EQ(f.tell(), 10u);
}

TEST(file, seeks_with_each_origin) {
    struct {
        uint64_t from;
        int32_t offset;
        int whence;
        bool ok;
        uint64_t position;
        fs_error_t error;
    } const cases[] = {
        {3, 4, FS_SEEK_SET, true, 4, FS_ERR_NONE},
        {3, 3, FS_SEEK_SET, true, 3, FS_ERR_NONE},
        {3, 20, FS_SEEK_SET, true, 20, FS_ERR_NONE},  // beyond the end is allowed
        {3, 2, FS_SEEK_CUR, true, 5, FS_ERR_NONE},
        {3, -3, FS_SEEK_CUR, true, 0, FS_ERR_NONE},
        {3, -4, FS_SEEK_CUR, false, 3, FS_ERR_IO},  // before the start
        {3, -4, FS_SEEK_END, true, 6, FS_ERR_NONE},
        {3, 0, FS_SEEK_END, true, 10, FS_ERR_NONE},
        {3, -11, FS_SEEK_END, false, 3, FS_ERR_IO},
        {3, -1, FS_SEEK_SET, false, 3, FS_ERR_IO},
        {3, 1, 5, false, 3, FS_ERR_BAD_WHENCE},
        {3, 1, -1, false, 3, FS_ERR_BAD_WHENCE},
    };
    for (const auto &c : cases) {
        test::memory_file_t f("0123456789");
        ASSERT_TRUE(f.seek(int32_t(c.from), FS_SEEK_SET));
        EXPECT_EQ(f.seek(c.offset, fs_whence_t(c.whence)), c.ok) << c.offset << " from " << c.whence;
        EXPECT_EQ(f.tell(), c.position) << c.offset << " from " << c.whence;
        EXPECT_EQ(f.get_error(), c.error) << c.offset << " from " << c.whence;
    }
    // Without a stat there is no end to seek from, no size and no time.
    test::memory_file_t blind("abc");
    blind.fail_stat = true;
    EXPECT_FALSE(blind.seek(0, FS_SEEK_END));
    EXPECT_EQ(blind.get_error(), FS_ERR_IO);
    EXPECT_EQ(blind.size(), 0u);
    EXPECT_EQ(blind.time(), 0u);
    EXPECT_EQ(blind.get_error(), FS_ERR_IO);
}

TEST(file, printf_writes_the_text_without_terminator) {
    test::memory_file_t f;
    EXPECT_TRUE(f.printf("%s=%d;", "a", 12));
    EXPECT_TRUE(f.printf("%s", ""));
    EXPECT_TRUE(f.printf("x"));
    EXPECT_EQ(f.bytes, "a=12;x");
    EXPECT_EQ(f.tell(), 6u);
    f.write_limit = 7;
    EXPECT_FALSE(f.printf("yz"));
    EXPECT_EQ(f.get_error(), FS_ERR_IO);
    EXPECT_EQ(f.tell(), 6u);
}

TEST(file, the_base_offers_no_requests_or_location) {
    test::memory_file_t f("abc");
    char buf[2];
    EXPECT_EQ(f.block_read_request(buf, 2, 0).get(), nullptr);
    EXPECT_EQ(f.get_error(), FS_ERR_NOT_SUPPORTED);
    EXPECT_EQ(f.block_write_request(buf, 2, 0).get(), nullptr);
    mstring_dyn_t where("unchanged");
    f.get_system_location(where);
    EXPECT_STREQ(where.c_str(), "unchanged");

    // A request made directly transfers at once.
    file_request_t ok(f, buf, 2, 1, false);
    EXPECT_TRUE(ok.is_complete());
    EXPECT_EQ(ok.get_bytes_moved(), 2);
    EXPECT_EQ(std::string(buf, 2), "bc");
    file_request_t bad(f, buf, 2, 2, false);
    EXPECT_EQ(bad.get_bytes_moved(), -1);
}

TEST(file_proxy, forwards_and_passes_errors_on) {
    auto *raw = new test::memory_file_t("payload");
    raw->set_fs_realm(FS_REALM_SYSTEM);
    auto_ptr_t<file_t> inner(raw);
    file_proxy_t proxy(inner);
    EXPECT_EQ(inner.get(), nullptr);
    EXPECT_STREQ(proxy.get_name(), "<mem-file>");
    EXPECT_EQ(proxy.get_fs_realm(), FS_REALM_SYSTEM);
    char buf[8] = {};
    ASSERT_TRUE(proxy.read(buf, 3));
    EXPECT_STREQ(buf, "pay");
    EXPECT_FALSE(proxy.read(buf, 8));
    EXPECT_EQ(proxy.get_error(), FS_ERR_IO);
    EXPECT_EQ(raw->get_error(), FS_ERR_IO);
    raw->fail_stat = true;
    EXPECT_EQ(proxy.size(), 0u);
    EXPECT_EQ(proxy.get_error(), FS_ERR_IO);
    ASSERT_TRUE(proxy.write("XY", 2));
    EXPECT_EQ(raw->bytes, "payXYad");
}

TEST(file, messages_name_the_file) {
    test::message_capture_t capture;
    test::memory_file_t f;
    file_error(&f, "bad %d", 1);
    file_warning(nullptr, "odd %s", "x");
    file_message(&f, "fine");
    ASSERT_EQ(capture.entries().size(), 3u);
    EXPECT_EQ(capture.entries()[0].text, "[<mem-file>] bad 1");
    EXPECT_EQ(capture.entries()[0].type, message_t::ERROR);
    EXPECT_EQ(capture.entries()[1].text, "[NULL] odd x");
    EXPECT_EQ(capture.entries()[1].type, message_t::WARNING);
    EXPECT_EQ(capture.entries()[2].type, message_t::MESSAGE);
}

// ---- binary layouts of the math types ----

std::string floats_le(std::initializer_list<float> values) {
    std::string out;
    for (float v : values) {
        uint32_t bits;
        memcpy(&bits, &v, 4);
        for (int b = 0; b < 4; ++b) out.push_back(char(bits >> (8 * b)));
    }
    return out;
}

template <class T>
std::string written(const T &value) {
    test::memory_file_t f;
    EXPECT_TRUE(file_trait_t<T>::write(value, f));
    return f.bytes;
}

TEST(file_trait, layouts_are_packed_little_endian_floats_in_field_order) {
    EXPECT_EQ(written(vec3_t{1, 2, 3}), floats_le({1, 2, 3}));
    EXPECT_EQ(written(vec2_t{1, -2}), floats_le({1, -2}));
    EXPECT_EQ(written(quat_t(0.5f, 1, 2, 3)), floats_le({0.5f, 1, 2, 3}));
    EXPECT_EQ(written(placement_t({1, 2, 3}, quat_t(4, 5, 6, 7))), floats_le({1, 2, 3, 4, 5, 6, 7}));
    const placement_scale_t ps({1, 2, 3}, 9, quat_t(4, 5, 6, 7));
    EXPECT_EQ(written(ps), floats_le({1, 2, 3, 9, 4, 5, 6, 7}));
    EXPECT_EQ(written(ps).size(), 32u);
    EXPECT_EQ(written(placement_nonuniform_t({1, 2, 3}, {8, 9, 10}, quat_t(4, 5, 6, 7))),
              floats_le({1, 2, 3, 8, 9, 10, 4, 5, 6, 7}));
    EXPECT_EQ(written(sphere_t({1, 2, 3}, 4)), floats_le({1, 2, 3, 4}));
    EXPECT_EQ(written(plane_t(0, 0, 1, -5)), floats_le({0, 0, 1, -5}));
    EXPECT_EQ(written(aabox_t({-1, -2, -3}, {1, 2, 3})), floats_le({-1, -2, -3, 1, 2, 3}));
    mat3_t m;
    for (int i = 0; i < 9; ++i) m.m[i] = float(i);
    EXPECT_EQ(written(m), floats_le({0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(written(mat4_t::identity()).size(), 64u);
}

TEST(file_trait, reads_give_back_what_was_written_and_fail_whole) {
    test::memory_file_t f;
    const placement_scale_t ps({1.5f, -2, 3}, 0.25f, quat_t(0.5f, 0.5f, -0.5f, 0.5f));
    ASSERT_TRUE(file_trait_t<placement_scale_t>::write(ps, f));
    ASSERT_TRUE(file_trait_t<plane_t>::write(plane_t(0, 0, 2, -4), f));
    ASSERT_TRUE(f.seek(0, FS_SEEK_SET));
    placement_scale_t back;
    ASSERT_TRUE(file_trait_t<placement_scale_t>::read(&back, f));
    EXPECT_EQ(memcmp(&back, &ps, sizeof ps), 0);
    plane_t plane;
    ASSERT_TRUE(file_trait_t<plane_t>::read(&plane, f));
    // Reading normalises the plane.
    EXPECT_FLOAT_EQ(plane.c, 1.0f);
    EXPECT_FLOAT_EQ(plane.d, -2.0f);

    // A short record changes nothing, the position included.
    test::memory_file_t short_file(floats_le({1, 2, 3}));
    quat_t q(1, 0, 0, 0);
    EXPECT_FALSE(file_trait_t<quat_t>::read(&q, short_file));
    EXPECT_TRUE(q.is_identity());
    EXPECT_EQ(short_file.tell(), 0u);
    EXPECT_EQ(file_read_float(short_file), 1.0f);
    EXPECT_TRUE(short_file.seek(0, FS_SEEK_END));
    EXPECT_EQ(file_read_float(short_file), 0.0f);
}

// ---- memory cursor ----

TEST(mbio, reads_need_the_whole_length_inside_the_block) {
    uint8_t block[10];
    for (int i = 0; i < 10; ++i) block[i] = uint8_t(i);
    mbio_t io;
    EXPECT_EQ(io.open(block, sizeof block), 0);
    EXPECT_EQ(io.read(4), block);
    uint8_t out[8] = {};
    EXPECT_EQ(io.read(out, 4), block + 4);
    EXPECT_EQ(out[3], 7);
    // Two bytes remain: a read of four is refused and the cursor stays.
    EXPECT_EQ(io.read(4), nullptr);
    EXPECT_EQ(io.read(out, 4), nullptr);
    EXPECT_EQ(io.get_offset(), 8u);
    EXPECT_EQ(io.read(2), block + 8);
    EXPECT_EQ(io.read(0u), nullptr);  // at the end

    EXPECT_TRUE(io.seek(3, FS_SEEK_SET));
    EXPECT_EQ(io.get_offset(), 3u);
    EXPECT_TRUE(io.seek(-2, FS_SEEK_CUR));
    EXPECT_EQ(io.tell(), block + 1);
    EXPECT_FALSE(io.seek(0, FS_SEEK_END));
    EXPECT_EQ(io.tell(), block + 1);
    EXPECT_TRUE(io.seek(-5, FS_SEEK_CUR));  // before the block: reads refuse
    EXPECT_EQ(io.read(1), nullptr);

    io.open(block, sizeof block);
    io.seek(1, FS_SEEK_SET);
    io.align(4);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(io.tell()) % 4, 0u);
    io.set(block + 6);
    EXPECT_EQ(io.write("ab", 2), block + 6);
    EXPECT_EQ(block[7], 'b');
    EXPECT_EQ(io.get_offset(), 8u);
}

class mbio_death : public test::abort_fixture_t {};

TEST_F(mbio_death, writes_past_the_block_abort) {
    uint8_t block[4];
    mbio_t io;
    io.open(block, sizeof block);
    io.write("ab", 2);
    EXPECT_DEATH(io.write("abc", 3), "Assertion");
}

}  // namespace
}  // namespace quarn
