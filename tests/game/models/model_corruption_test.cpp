// Every valid model file, corrupted every way: cut at every length, each byte flipped
// three ways, and each 32-bit word pointed past the end. Each image sits in a block of
// exactly its size, so under the sanitizers a read outside it stops the test; each one
// either loads and then hands out only data inside itself (walked in full), or fails
// with a "[model]" error.
#include <gtest/gtest.h>

#include <string>

#include "game/models/model_fixtures.h"
#include "support/message_capture.h"
#include "support/model_walk.h"

namespace quarn {
namespace {

using bytes_t = std::vector<uint8_t>;

template <class V>
void corrupt_every_way(const bytes_t &good) {
    test::message_capture_t capture;
    size_t loaded = 0, refused = 0;
    std::string first_fault;
    auto attempt = [&](const bytes_t &b, const std::string &how) {
        capture.clear();
        const test::opened_t<V> m(b);
        bool fine;
        if (m.ok) {
            ++loaded;
            fine = test::walk_model(m.view);
        } else {
            ++refused;
            fine = false;
            for (const std::string &e : capture.texts(message_t::ERROR)) fine = fine || e.rfind("[model] ", 0) == 0;
        }
        if (!fine && first_fault.empty()) first_fault = how;
    };

    ASSERT_TRUE(test::opened_t<V>(good).ok);
    for (size_t n = 0; n < good.size(); ++n)
        attempt(bytes_t(good.begin(), good.begin() + long(n)), "cut to " + std::to_string(n));
    for (size_t i = 0; i < good.size(); ++i)
        for (uint8_t mask : {0xFF, 0x01, 0x80}) {
            bytes_t b = good;
            b[i] ^= mask;
            attempt(b, "byte " + std::to_string(i) + " flipped by " + std::to_string(mask));
        }
    const uint32_t size = uint32_t(good.size());
    for (size_t i = 0; i + 4 <= good.size(); i += 4)
        for (uint32_t past : {size, size + 1, size - 1, 0x7FFFFFFFu, 0xFFFFFFFFu}) {
            bytes_t b = good;
            zmgen::zm_patch_u32(b, i, past);
            attempt(b, "word " + std::to_string(i) + " set to " + std::to_string(past));
        }
    EXPECT_EQ(first_fault, "");
    // Both outcomes occur: the corruption reached the checks and the walks.
    EXPECT_GT(loaded, 0u);
    EXPECT_GT(refused, 0u);
}

TEST(model_corruption, geometry) {
    corrupt_every_way<model_geom_view_t>(test::write_geometry(test::fixture_geometry()));
}

TEST(model_corruption, descriptor) {
    corrupt_every_way<model_desc_view_t>(test::write_descriptor(test::fixture_descriptor()));
}

TEST(model_corruption, collision) {
    corrupt_every_way<model_coll_view_t>(test::write_collision(test::fixture_collision()));
}

TEST(model_corruption, animation) {
    corrupt_every_way<model_anim_view_t>(test::write_animation(test::fixture_animation()));
}

}  // namespace
}  // namespace quarn
