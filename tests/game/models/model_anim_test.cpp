// The animation reader: frames, tracks, keys and root streams, and the checks that
// keep playback from dividing by zero or looping for ever.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "game/models/model_fixtures.h"
#include "game/visuals/models/model_anim_view.h"
#include "game/visuals/models/model_layout.h"
#include "qrncore/strings/name_token.h"
#include "support/message_capture.h"
#include "support/model_walk.h"

namespace quarn {
namespace {

using bytes_t = std::vector<uint8_t>;
using anim_t = test::opened_t<model_anim_view_t>;

TEST(model_animation, reads_back_frames_tracks_and_keys) {
    zmgen::zm_animation_t a = test::fixture_animation();
    a.frames[2].turn = {0, 0, 1, 0};
    a.frames[1].keys[0].rotation = {0, 1, 0, 0};
    const anim_t m(test::write_animation(a));
    ASSERT_TRUE(m.ok);
    const model_anim_view_t &v = m.view;
    EXPECT_TRUE(test::walk_model(v));
    uint64_t name = 0;
    string_to_token(name, "walk");
    EXPECT_EQ(v.get_name(), name);
    EXPECT_EQ(v.get_frame_count(), 3u);
    EXPECT_EQ(v.get_track_count(), 2u);
    EXPECT_EQ(v.get_flags(), 6);
    EXPECT_EQ(v.get_length(), 0.5f);
    EXPECT_EQ(v.get_durations()[2], 0.25f);
    EXPECT_EQ(v.get_track_map()[1], 1);
    // Keys frame-major: frame 2, track 1 is key 5; 14 floats each.
    EXPECT_EQ(v.get_key(2, 1).translation, (vec3_t{0, 0, 2}));
    EXPECT_EQ(v.get_keys()[5 * 14 + 10], 2.0f);
    EXPECT_EQ(v.get_key(1, 0).rotation.x, 1.0f);
    EXPECT_EQ(v.get_key(0, 0).scale, (vec3_t{1, 1, 1}));
    EXPECT_EQ(v.get_root_translation()[2], (vec3_t{0, 0, -1}));
    EXPECT_EQ(v.get_root_rotation()[2].y, 1.0f);

    // Without the flags the streams are not there.
    a.root_translation = a.root_rotation = false;
    const anim_t plain(test::write_animation(a));
    ASSERT_TRUE(plain.ok);
    EXPECT_EQ(plain.view.get_flags(), 0);
    EXPECT_EQ(plain.view.get_root_translation(), nullptr);
    EXPECT_EQ(plain.view.get_root_rotation(), nullptr);
}

TEST(model_animation, refuses_what_playback_cannot_run) {
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    struct case_t {
        const char *name;
        std::function<void(zmgen::zm_animation_t &)> change;
        uint64_t field;
        const char *what;
    };
    const case_t cases[] = {
        {"no frames", [](auto &a) { a.frames.clear(); }, zm::ANIM_FRAME_COUNT, "has no frames"},
        {"a frame of 0 seconds", [](auto &a) { a.frames[1].duration = 0; }, 48, "frame 1 lasts 0 seconds"},
        {"a frame of -0 seconds", [](auto &a) { a.frames[0].duration = -0.0f; }, 44, "frame 0 lasts -0 seconds"},
        {"a negative frame", [](auto &a) { a.frames[2].duration = -1; }, 52, "frame 2 lasts -1 seconds"},
        {"a frame of NaN seconds", [=](auto &a) { a.frames[2].duration = nan; }, 52, "frame 2 lasts nan seconds"},
        {"an endless frame", [=](auto &a) { a.frames[0].duration = inf; }, 44, "frame 0 lasts inf seconds"},
        {"a NaN length", [=](auto &a) { a.length = nan; }, zm::ANIM_LENGTH, "the length is not a finite number"},
        {"an endless length", [=](auto &a) { a.length = -inf; }, zm::ANIM_LENGTH, "the length is not"},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.name);
        zmgen::zm_animation_t a = test::fixture_animation();
        c.change(a);
        test::message_capture_t capture;
        EXPECT_FALSE(anim_t(test::write_animation(a), "/model/x/broken.zma").ok);
        const std::vector<std::string> errors = capture.texts(message_t::ERROR);
        ASSERT_EQ(errors.size(), 2u);
        EXPECT_EQ(errors[0], "[model] Model animation '/model/x/broken.zma' is malformed.");
        char field[64];
        snprintf(field, sizeof field, "(field at offset 0x%llx).", (unsigned long long)c.field);
        EXPECT_NE(errors[1].find(c.what), std::string::npos) << errors[1];
        EXPECT_NE(errors[1].find(field), std::string::npos) << errors[1];
    }

    // Streams reached through patched offsets and counts.
    const bytes_t good = test::write_animation(test::fixture_animation());
    const uint32_t size = uint32_t(good.size());
    struct patch_t {
        const char *name;
        uint64_t at;
        uint32_t value;
        const char *what;
    };
    const patch_t patches[] = {
        {"durations past the end", zm::ANIM_DURATIONS, size - 8, "the frame durations"},
        {"durations unaligned", zm::ANIM_DURATIONS, 46, "not 4-byte aligned"},
        {"track map past the end", zm::ANIM_TRACKS, size - 1, "the track map"},
        {"keys past the end", zm::ANIM_KEYS, size - 8, "the keys"},
        {"root translation past the end", zm::ANIM_ROOT_TRANSLATION, 0xFFFFFFF0, "the root translation stream"},
        {"root rotation unaligned", zm::ANIM_ROOT_ROTATION, zmgen::zm_read_u32(good, zm::ANIM_ROOT_ROTATION) - 2,
         "the root rotation stream at"},
    };
    for (const patch_t &p : patches) {
        SCOPED_TRACE(p.name);
        bytes_t b = good;
        zmgen::zm_patch_u32(b, p.at, p.value);
        test::message_capture_t capture;
        EXPECT_FALSE(anim_t(b).ok);
        EXPECT_TRUE(capture.contains(p.what));
    }
    // A stream whose flag is clear is not looked at.
    bytes_t b = good;
    zmgen::zm_patch_u16(b, zm::ANIM_FLAGS, 0);
    zmgen::zm_patch_u32(b, zm::ANIM_ROOT_ROTATION, 0xFFFFFFFF);
    EXPECT_TRUE(anim_t(b).ok);
}

}  // namespace
}  // namespace quarn
