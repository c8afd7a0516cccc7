// The sound device on OpenAL Soft's loopback device: what the tests hear is what it
// renders.
#include <gtest/gtest.h>

#include <cmath>

#include "kernel/console/cvars.h"
#include "plugins/snddev/al_output.h"
#include "snddev_fixture.h"
#include "support/temp_dir.h"

namespace quarn::test {
namespace {

using namespace snddev;

constexpr uint32_t RATE = 44100;

struct levels_t {
    double left = 0.0, right = 0.0;
    double both() const { return std::sqrt((left * left + right * right) / 2.0); }
};

class sound_loopback : public snddev_fixture_t {
protected:
    void SetUp() override {
        snddev_fixture_t::SetUp();
        tone = sounds.add("tone.wav", wav_file(sine(441, RATE, 1.0), RATE, 1, 16));
    }
    sound_device_t &start_loopback() {
        start(al_loopback_create);
        sound::listener_t listener;
        device->set_listener(listener);
        return *device;
    }
    // frames sample frames of the stereo mix.
    std::vector<int16_t> render(uint32_t frames) {
        std::vector<int16_t> out(size_t(frames) * 2);
        EXPECT_EQ(device->get_output()->render(out.data(), frames), DS_OK);
        return out;
    }
    // The channels' root mean square over frames, after a moment for changes to settle.
    levels_t levels(uint32_t frames = 4410) {
        render(4096);
        const std::vector<int16_t> s = render(frames);
        levels_t l;
        for (size_t i = 0; i < s.size(); i += 2) {
            l.left += double(s[i]) * s[i];
            l.right += double(s[i + 1]) * s[i + 1];
        }
        l.left = std::sqrt(l.left / frames);
        l.right = std::sqrt(l.right / frames);
        return l;
    }
    // The channel with the attributes, playing, the frame done.
    sound_channel_t *playing(const std::string &path, uint32_t flags, const sound::channel_attributes_t &a) {
        sound_channel_t *c = open(path, flags);
        EXPECT_NE(c, nullptr);
        if (!c) return nullptr;
        c->set_attributes(a);
        EXPECT_TRUE(c->play());
        device->finish_frame();
        return c;
    }
    void change(sound_channel_t *c, const sound::channel_attributes_t &a) {
        c->set_attributes(a);
        device->finish_frame();
    }
    static int zero_crossings(const std::vector<int16_t> &s) {
        int n = 0;
        for (size_t i = 2; i < s.size(); i += 2) n += (s[i - 2] < 0) != (s[i] < 0);
        return n;
    }

    std::string tone;
};

TEST_F(sound_loopback, volume_is_gain_in_millibels) {
    start_loopback();
    sound::channel_attributes_t a;
    sound_channel_t *c = playing(tone, sound::channel_t::LOOPING, a);
    const double full = levels().both();
    EXPECT_GT(full, 1000.0);
    for (float volume : {0.5f, 0.25f, 0.1f, 0.02f}) {
        a.volume = volume;
        change(c, a);
        const double expected = std::pow(10.0, sound::channel_t::linear_gain_to_millibells(volume) / 2000.0);
        EXPECT_NEAR(levels().both() / full, expected, 0.01 + expected * 0.01) << volume;
    }
    a.volume = 0.0f;
    change(c, a);
    EXPECT_LT(levels().both(), 2.0) << "silent but for the mix's dither";
}

TEST_F(sound_loopback, pitch_follows_the_rate) {
    start_loopback();
    sound::channel_attributes_t a;
    sound_channel_t *c = playing(tone, sound::channel_t::LOOPING, a);
    render(1024);
    const int base = zero_crossings(render(RATE / 5));
    EXPECT_NEAR(base, 2 * 441 / 5, 3);
    for (float rate : {2.0f, 0.5f, 1.5f}) {
        a.rate = rate;
        change(c, a);
        render(1024);
        EXPECT_NEAR(zero_crossings(render(RATE / 5)), base * rate, 4) << rate;
    }
}

TEST_F(sound_loopback, a_sound_to_the_right_is_heard_on_the_right) {
    start_loopback();
    sound::channel_attributes_t a;
    a.position = vec3_t(5.0f, 0.0f, 0.0f);
    a.min_distance = 1.0f;
    a.max_distance = 100.0f;
    sound_channel_t *c = playing(tone, sound::channel_t::POSITIONAL | sound::channel_t::LOOPING, a);
    const levels_t right = levels();
    EXPECT_GT(right.right, 2.0 * right.left);
    reversed = true;
    device->set_listener(sound::listener_t());
    change(c, a);
    const levels_t reversed_levels = levels();
    EXPECT_GT(reversed_levels.left, 2.0 * reversed_levels.right) << "reversed stereo swaps the sides";
    // Behind the listener and in front: the same on both sides.
    reversed = false;
    device->set_listener(sound::listener_t());
    a.position = vec3_t(0.0f, 0.0f, -5.0f);
    change(c, a);
    const levels_t ahead = levels();
    EXPECT_NEAR(ahead.left / ahead.right, 1.0, 0.05);
}

TEST_F(sound_loopback, distance_attenuates) {
    start_loopback();
    sound::channel_attributes_t a;
    a.min_distance = 1.0f;
    a.max_distance = 100.0f;
    a.position = vec3_t(0.0f, 0.0f, -2.0f);
    sound_channel_t *c = playing(tone, sound::channel_t::POSITIONAL | sound::channel_t::LOOPING, a);
    const double near = levels().both();
    a.position = vec3_t(0.0f, 0.0f, -4.0f);
    change(c, a);
    EXPECT_NEAR(near / levels().both(), 2.0, 0.1) << "inverse distance from the minimum distance on";
    a.position = vec3_t(0.0f, 0.0f, -0.5f);
    change(c, a);
    const double inside = levels().both();
    a.position = vec3_t(0.0f, 0.0f, -1.0f);
    change(c, a);
    EXPECT_NEAR(inside / levels().both(), 1.0, 0.02) << "full volume inside the minimum distance";
    a.position = vec3_t(0.0f, 0.0f, -99.0f);
    change(c, a);
    EXPECT_LT(levels().both(), near / 500.0) << "nearly silent near the maximum distance";
}

// A streamed file, played frame by frame as the kernel would: the mix of every frame.
struct stream_run_t {
    std::vector<int16_t> mix;
    uint32_t finished_after = 0;  // frames rendered when the channel said it had finished
};

class sound_loopback_stream : public sound_loopback {
protected:
    stream_run_t run(const std::string &path, uint32_t flags, int frames) {
        start_loopback();
        stream_run_t r;
        sound_channel_t *c = playing(path, flags, sound::channel_attributes_t());
        const uint32_t per_frame = RATE / 60;
        for (int f = 0; f < frames && !r.finished_after; ++f) {
            const std::vector<int16_t> part = render(per_frame);
            r.mix.insert(r.mix.end(), part.begin(), part.end());
            device->finish_frame();
            if (c->has_finished()) r.finished_after = uint32_t(r.mix.size() / 2);
        }
        return r;
    }
    // The first and one past the last frame that is not silent, and the longest run
    // of silent frames between them.
    static void span(const std::vector<int16_t> &mix, size_t &first, size_t &end, size_t &gap) {
        first = end = gap = 0;
        bool seen = false;
        size_t run = 0;
        for (size_t i = 0; i < mix.size() / 2; ++i) {
            if (std::abs(mix[2 * i]) > 40) {
                if (!seen) first = i;
                seen = true;
                end = i + 1;
                gap = std::max(gap, run);
                run = 0;
            } else if (seen) {
                ++run;
            }
        }
    }
};

TEST_F(sound_loopback_stream, a_streamed_file_plays_whole_without_gaps_and_then_finishes) {
    const struct {
        const char *kind;
        std::string file;
    } files[] = {
        {"wav", wav_file(sine(441, RATE, 0.5, 0.5), RATE, 1, 16)},
        {"wav stereo 8-bit", wav_file(sine(441, RATE, 0.5, 0.5), RATE, 2, 8)},
        {"ogg", ogg_file(sine(441, RATE, 0.5, 0.5), RATE)},
    };
    for (const auto &f : files) {
        const std::string path = sounds.add("music", f.file);
        const stream_run_t r = run(path, sound::channel_t::MUSIC, 120);
        size_t first = 0, end = 0, gap = 0;
        span(r.mix, first, end, gap);
        EXPECT_LT(first, 100u) << f.kind;
        EXPECT_NEAR(double(end - first), RATE / 2.0, 200.0) << f.kind << ": the whole file is heard once";
        EXPECT_LT(gap, 4u) << f.kind << ": no gaps";
        ASSERT_GT(r.finished_after, 0u) << f.kind;
        EXPECT_GE(r.finished_after, end) << f.kind << ": finished only once its end was heard";
        EXPECT_LT(r.finished_after, end + RATE / 60 * 2) << f.kind;
        device.reset();
    }
}

TEST_F(sound_loopback_stream, a_stopped_stream_plays_on_where_it_stopped) {
    const std::string path = sounds.add("music.wav", wav_file(sine(441, RATE, 0.5, 0.5), RATE, 1, 16));
    start_loopback();
    sound_channel_t *c = playing(path, sound::channel_t::MUSIC, sound::channel_attributes_t());
    const uint32_t per_frame = RATE / 60;
    std::vector<int16_t> mix;
    auto frames = [&](int n) {
        for (int f = 0; f < n && !c->has_finished(); ++f) {
            const std::vector<int16_t> part = render(per_frame);
            mix.insert(mix.end(), part.begin(), part.end());
            device->finish_frame();
        }
    };
    frames(10);
    c->stop();
    const size_t stopped_at = mix.size();
    frames(20);
    size_t heard_while_stopped = 0;
    for (size_t i = stopped_at + 2 * 512; i < mix.size(); i += 2) heard_while_stopped += std::abs(mix[i]) > 40;
    EXPECT_EQ(heard_while_stopped, 0u);
    EXPECT_TRUE(c->play());
    frames(120);
    EXPECT_TRUE(c->has_finished());
    size_t heard = 0;
    for (size_t i = 0; i < mix.size(); i += 2) heard += std::abs(mix[i]) > 40;
    // Nothing is heard twice; pausing fades the voice out over a few milliseconds,
    // which are not heard again either.
    EXPECT_LT(heard, RATE / 2 + RATE / 200) << "nothing again";
    EXPECT_GT(heard, RATE / 2 - RATE / 40) << "nothing lost but the fade";
}

TEST_F(sound_loopback_stream, a_looping_stream_wraps_and_plays_on) {
    for (const std::string &file : {wav_file(sine(441, RATE, 0.1, 0.5), RATE, 1, 16),
                                    ogg_file(sine(441, RATE, 0.1, 0.5), RATE)}) {
        const std::string path = sounds.add("loop", file);
        const stream_run_t r = run(path, sound::channel_t::MUSIC | sound::channel_t::LOOPING, 60);
        size_t first = 0, end = 0, gap = 0;
        span(r.mix, first, end, gap);
        EXPECT_EQ(r.finished_after, 0u) << "a looping stream never finishes";
        EXPECT_GT(end - first, RATE * 0.9) << "a second of a tenth-of-a-second file";
        EXPECT_LT(gap, 4u);
        device.reset();
    }
}

TEST_F(sound_loopback, the_mix_rate_set_before_the_start_is_used_and_stored) {
    set("s_mix_rate", "22050");
    start_loopback();
    sound::channel_attributes_t a;
    playing(tone, sound::channel_t::LOOPING, a);
    render(1024);
    // The tone is 441 Hz whatever the mix's rate: twice the crossings per sample frame.
    EXPECT_NEAR(zero_crossings(render(22050 / 5)), 2 * 441 / 5, 3);
    device->shutdown();
    EXPECT_STREQ(s_mix_rate.get_text(), "22050");

    temp_dir_t home;
    fs_device_t *mount = ufs_mount(FS_DEVICE_DIRECTORY, home.path().c_str(), "/home", false, 200);
    ASSERT_NE(mount, nullptr);
    process_store_cfg("/home/config.cfg");
    ufs_unmount(mount);
    const std::string config = read_file(home.file("config.cfg"));
    EXPECT_NE(config.find("uset s_mix_rate \"22050\""), std::string::npos) << config;
}

TEST_F(sound_loopback, the_loopback_is_the_output_when_none_opens) {
    output_ref_t output;
    ASSERT_EQ(al_output_create(output), DS_OK);
    // On a machine with a sound card the default device opens; elsewhere the loopback
    // stands in.
    const std::string what = output->describe();
    EXPECT_TRUE(what.find("the default output device") == 0 || what.find("a loopback device") == 0) << what;
    ASSERT_EQ(al_loopback_create(output), DS_OK);
    int16_t samples[4];
    EXPECT_EQ(output->render(samples, 2), DSERR_UNINITIALIZED) << "no mix before the primary format";
    auto_ptr_t<primary_i> primary;
    ASSERT_EQ(output->create_primary(primary), DS_OK);
    wave_format_t bad;
    bad.channels = 6;
    bad.rate = 44100;
    bad.bits = 16;
    bad.block_align = 12;
    EXPECT_EQ(primary->set_format(bad), DSERR_BADFORMAT);
}

}  // namespace
}  // namespace quarn::test
