#include <gtest/gtest.h>

#include <cstring>

#include "outside/qrnshared/vprocess.h"
#include "snddev_fixture.h"

namespace quarn::test {
namespace {

using namespace snddev;
using sound::buffer_t;

class sound_device : public snddev_fixture_t {};

TEST_F(sound_device, init_takes_its_steps_in_order_and_runs) {
    struct idle_process_t : vprocess_t {
        idle_process_t() : vprocess_t(0) {}
    } process;
    plugin.process = &process;
    start();
    EXPECT_EQ(output_script().calls,
              (std::vector<std::string>{"output.create", "output.set_cooperative_level", "output.create_primary",
                                        "primary.set_format", "primary.query_listener"}));
    EXPECT_TRUE(log.contains("[snddev] Sound output: a scripted output."));
    EXPECT_TRUE(log.contains("[snddev] Initialization OK."));
    EXPECT_EQ(device->state, hw_device_t::RUNNING);
    EXPECT_EQ(process.hold_count, 1);
    device->shutdown();
    EXPECT_EQ(device->state, hw_device_t::SHUT_DOWN);
    EXPECT_EQ(process.hold_count, 0);
    EXPECT_EQ(output_script().outputs_alive, 0);
    plugin.process = nullptr;
}

TEST_F(sound_device, each_init_failure_is_logged_with_the_name_of_its_result) {
    const struct {
        const char *operation;
        result_t code;
        const char *logged;
    } cases[] = {
        {"output.create", DSERR_NODRIVER, "[snddev] Error creating DirectSound [DSERR_NODRIVER]."},
        {"output.set_cooperative_level", DSERR_INVALIDPARAM,
         "[snddev] Error setting cooperative level [DSERR_INVALIDPARAM]."},
        {"output.create_primary", DSERR_OUTOFMEMORY, "[snddev] Error creating primary buffer [DSERR_OUTOFMEMORY]."},
        {"primary.set_format", DSERR_BADFORMAT, "[snddev] Error setting primary buffer format [DSERR_BADFORMAT]."},
        {"primary.query_listener", DSERR_UNSUPPORTED, "[snddev] Error querying 3D listener [DSERR_UNSUPPORTED]."},
        {"primary.query_listener", 0x80001234u, "[snddev] Error querying 3D listener [DSERR_UNKNOWN]."},
    };
    for (const auto &c : cases) {
        device.reset();
        reset_output_script();
        log.clear();
        output_script().fail(c.operation, c.code);
        device.reset(new sound_device_t(plugin, scripted_output_create, nullptr, variables));
        EXPECT_FALSE(device->init()) << c.operation;
        EXPECT_TRUE(log.contains(c.logged)) << c.operation;
        EXPECT_FALSE(log.contains("Initialization OK")) << c.operation;
        EXPECT_EQ(output_script().calls.back(), c.operation) << "nothing after the failure";
    }
}

TEST_F(sound_device, the_primary_format_comes_from_the_kernel_variables) {
    const struct {
        const char *rate, *depth, *channels;
        uint32_t hertz;
        uint16_t bits, count, block;
        uint32_t per_second;
    } cases[] = {
        {"22050", "8", "1", 22050, 8, 1, 1, 22050},
        {"0x5622", "16", "2", 22050, 16, 2, 4, 88200},
        {"44100", "16", "2", 44100, 16, 2, 4, 176400},
        {"48000", "8", "2", 48000, 8, 2, 2, 96000},
    };
    for (const auto &c : cases) {
        set("s_mix_rate", c.rate);
        set("s_mix_depth", c.depth);
        set("s_mix_channels", c.channels);
        reset_output_script();
        start();
        ASSERT_EQ(output_script().formats.size(), 1u);
        const wave_format_t &f = output_script().formats[0];
        EXPECT_EQ(f.rate, c.hertz) << c.rate;
        EXPECT_EQ(f.bits, c.bits);
        EXPECT_EQ(f.channels, c.count);
        EXPECT_EQ(f.block_align, c.block);
        EXPECT_EQ(f.bytes_per_second, c.per_second);
        EXPECT_EQ(variables.mix_rate.get_int(), int32_t(c.hertz)) << "the plug-in reads the kernel's variable";
        device.reset();
    }
    EXPECT_STREQ(s_mix_rate.get_text(), "48000") << "nothing was written back";
    EXPECT_EQ(variables.mix_rate.link_target, nullptr) << "unlinked when the device went";
}

TEST_F(sound_device, the_listener_reaches_the_output_with_z_reversed) {
    start();
    sound::listener_t listener;
    listener.placement.position = vec3_t(1.0f, 2.0f, 3.0f);
    listener.velocity = vec3_t(0.5f, 0.0f, -4.0f);
    listener.distance_factor = 2.0f;
    listener.rolloff_factor = 0.5f;
    listener.doppler_factor = 0.25f;
    const struct {
        quat_t rotation;
        bool reversed;
        vec3_t front, top;
    } cases[] = {
        {quat_t(), false, vec3_t(0.0f, 0.0f, 1.0f), vec3_t(0.0f, 1.0f, 0.0f)},
        {quat_t(), true, vec3_t(0.0f, 0.0f, 1.0f), vec3_t(0.0f, -1.0f, 0.0f)},
        // A quarter turn about +Y: looking along -X.
        {quat_t(std::sqrt(0.5f), 0.0f, std::sqrt(0.5f), 0.0f), false, vec3_t(-1.0f, 0.0f, 0.0f),
         vec3_t(0.0f, 1.0f, 0.0f)},
    };
    for (const auto &c : cases) {
        reversed = c.reversed;
        listener.placement.rotation = c.rotation;
        device->set_listener(listener);
        const listener_params_t &p = output_script().listeners.back();
        EXPECT_NEAR(p.front.x, c.front.x, 1e-5f);
        EXPECT_NEAR(p.front.y, c.front.y, 1e-5f);
        EXPECT_NEAR(p.front.z, c.front.z, 1e-5f);
        EXPECT_NEAR(p.top.x, c.top.x, 1e-5f);
        EXPECT_NEAR(p.top.y, c.top.y, 1e-5f);
        EXPECT_NEAR(p.top.z, c.top.z, 1e-5f);
        EXPECT_EQ(p.position.z, -3.0f);
        EXPECT_EQ(p.velocity.z, 4.0f);
        EXPECT_EQ(p.distance_factor, 2.0f);
        EXPECT_EQ(p.rolloff_factor, 0.5f);
        EXPECT_EQ(p.doppler_factor, 0.25f);
    }
    output_script().fail("listener.set_all", DSERR_INVALIDPARAM);
    device->set_listener(listener);
    EXPECT_TRUE(log.contains("[snddev] Setting of listener data failed [DSERR_INVALIDPARAM]."));
    device->finish_frame();
    EXPECT_EQ(output_script().count("listener.commit"), 1) << "the frame commits the deferred settings";
}

TEST_F(sound_device, buffers_are_sized_and_described_by_their_flags) {
    const std::string stereo = sounds.add("stereo.wav", wav_file(sine(441, 44100, 0.5), 44100, 2, 16));
    const std::string mono = sounds.add("mono.wav", wav_file(sine(441, 22050, 0.5), 22050, 1, 8));
    start();
    const struct {
        const std::string &file;
        uint32_t flags;
        bool made;
        uint32_t size, caps;
    } cases[] = {
        {stereo, 0, true, 88200, CAPS_VOLUME | CAPS_FREQUENCY | CAPS_SOFTWARE},
        {stereo, buffer_t::STREAMED, true, 176400, CAPS_VOLUME | CAPS_FREQUENCY | CAPS_SOFTWARE | CAPS_STREAMING},
        {stereo, buffer_t::STREAMED | buffer_t::LONG_WINDOW, true, 1764000,
         CAPS_VOLUME | CAPS_FREQUENCY | CAPS_SOFTWARE | CAPS_STREAMING},
        {stereo, buffer_t::THREE_D, false, 0, 0},
        {mono, buffer_t::THREE_D, true, 11025, CAPS_VOLUME | CAPS_FREQUENCY | CAPS_SOFTWARE | CAPS_3D},
    };
    for (const auto &c : cases) {
        log.clear();
        buffer_t *b = device->create_buffer(c.file.c_str(), c.flags);
        ASSERT_EQ(b != nullptr, c.made) << c.file << " " << c.flags;
        if (!b) {
            EXPECT_TRUE(log.contains("[snddev] Error creating sound buffer - stereo 3D sounds not supported (" + c.file +
                                     ")."));
            continue;
        }
        EXPECT_EQ(b->buffer_size, c.size) << c.flags;
        const buffer_desc_t &desc = output_script().buffers.back().desc;
        EXPECT_EQ(desc.caps, c.caps) << c.flags;
        EXPECT_EQ(desc.bytes, c.size);
        EXPECT_EQ(desc.algorithm, (c.flags & buffer_t::THREE_D) ? ALGORITHM_NO_VIRTUALIZATION : ALGORITHM_DEFAULT);
        EXPECT_EQ(desc.format.bytes_per_second, desc.format.rate * desc.format.block_align);
    }
    // A whole buffer is filled at once; a streamed one waits for the frames.
    EXPECT_EQ(output_script().buffers[0].written.size(), 1u);
    EXPECT_EQ(output_script().buffers[0].written[0].bytes.size(), 88200u);
    EXPECT_TRUE(output_script().buffers[1].written.empty());
}

TEST_F(sound_device, files_that_do_not_play_are_refused) {
    const std::string empty = sounds.add("empty.wav", wav_file({}, 22050, 1, 16));
    start();
    for (const std::string &file : {std::string("/snd/missing.wav"), empty}) {
        log.clear();
        EXPECT_EQ(device->create_buffer(file.c_str(), buffer_t::STREAMED | buffer_t::STREAM_LOOPS), nullptr);
        EXPECT_TRUE(log.contains("[snddev] Error opening sound file (" + file + ")!")) << file;
    }
    EXPECT_TRUE(log.contains("has no samples"));
    output_script().fail("output.create_buffer", DSERR_OUTOFMEMORY);
    const std::string tone = sounds.add("tone.wav", wav_file(sine(441, 22050, 0.1), 22050, 1, 16));
    EXPECT_EQ(device->create_buffer(tone.c_str(), 0), nullptr);
    EXPECT_TRUE(log.contains("[snddev] Error creating sound buffer (" + tone + ") [DSERR_OUTOFMEMORY]."));
}

TEST_F(sound_device, the_buffer_list_stays_linked_when_buffers_go) {
    const std::string tone = sounds.add("tone.wav", wav_file(sine(441, 22050, 0.1), 22050, 1, 16));
    start();
    for (int gone : {0, 1, 2}) {
        buffer_t *b[3];
        for (buffer_t *&x : b) x = device->create_buffer(tone.c_str(), 0);
        device->destroy_buffer(b[gone]);
        std::vector<buffer_t *> left;
        for (int i = 0; i < 3; ++i)
            if (i != gone) left.push_back(b[i]);
        EXPECT_EQ(device->get_first_buffer(), left[0]) << gone;
        EXPECT_EQ(device->get_last_buffer(), left[1]) << gone;
        EXPECT_EQ(left[0]->prev, nullptr);
        EXPECT_EQ(left[0]->next, left[1]);
        EXPECT_EQ(left[1]->prev, left[0]);
        EXPECT_EQ(left[1]->next, nullptr);
        // The next buffer goes after the last one left.
        buffer_t *more = device->create_buffer(tone.c_str(), 0);
        EXPECT_EQ(left[1]->next, more);
        EXPECT_EQ(more->prev, left[1]);
        EXPECT_EQ(device->get_last_buffer(), more);
        for (buffer_t *x : {left[1], left[0], more}) device->destroy_buffer(x);
        EXPECT_EQ(device->get_first_buffer(), nullptr);
        EXPECT_EQ(device->get_last_buffer(), nullptr);
        EXPECT_EQ(device->get_buffer_count(), 0u);
    }
}

TEST_F(sound_device, channels_share_whole_buffers_and_own_their_streams) {
    const std::string tone = sounds.add("tone.wav", wav_file(sine(441, 22050, 0.2), 22050, 1, 16));
    start();
    sound::channel_t *a = open(tone), *b = open(tone), *c = open(tone, sound::channel_t::POSITIONAL);
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(a->get_buffer(), b->get_buffer()) << "one whole buffer for one resource and flags";
    EXPECT_NE(a->get_buffer(), c->get_buffer());
    EXPECT_EQ(device->get_buffer_count(), 2u);
    sound::channel_t *m1 = open(tone, sound::channel_t::MUSIC), *m2 = open(tone, sound::channel_t::MUSIC);
    EXPECT_NE(m1->get_buffer(), m2->get_buffer());
    EXPECT_EQ(m1->get_buffer()->get_flags(), uint32_t(buffer_t::STREAMED));
    EXPECT_EQ(open(tone, sound::channel_t::MUSIC | sound::channel_t::LOOPING)->get_buffer()->get_flags(),
              uint32_t(buffer_t::STREAMED | buffer_t::STREAM_LOOPS));
    EXPECT_EQ(device->get_buffer_count(), 5u);
    device->close_channel(m1);
    device->close_channel(a);
    device->close_channel(b);
    EXPECT_EQ(device->get_buffer_count(), 4u) << "the stream went with its channel; the whole buffer stays";
    device->shutdown();
    EXPECT_EQ(device->get_buffer_count(), 0u);
    EXPECT_EQ(output_script().outputs_alive, 0) << "the output went with its last buffer";
}

TEST_F(sound_device, a_lost_buffer_is_restored_and_locked_once_more) {
    const std::string tone = sounds.add("tone.wav", wav_file(sine(441, 22050, 0.1), 22050, 1, 16));
    start();
    output_script().fail("buffer.lock", DSERR_BUFFERLOST);
    EXPECT_NE(device->create_buffer(tone.c_str(), 0), nullptr);
    EXPECT_EQ(output_script().count("buffer.restore"), 1);
    EXPECT_EQ(output_script().count("buffer.lock"), 2);
    output_script().fail("buffer.lock", DSERR_BUFFERLOST, 2);
    EXPECT_EQ(device->create_buffer(tone.c_str(), 0), nullptr);
    EXPECT_TRUE(log.contains("[snddev] Failed to lock memory region at offset 0 of size 4410 (" + tone +
                             ") [DSERR_BUFFERLOST]."));
    output_script().fail("buffer.unlock", DSERR_INVALIDCALL);
    EXPECT_EQ(device->create_buffer(tone.c_str(), 0), nullptr);
    EXPECT_TRUE(log.contains("[snddev] Failed to unlock the data buffer (" + tone + ") [DSERR_INVALIDCALL]."));
}

TEST_F(sound_device, channel_bind_failures) {
    const std::string tone = sounds.add("tone.wav", wav_file(sine(441, 22050, 0.1), 22050, 1, 16));
    start();
    output_script().fail("output.duplicate", DSERR_ALLOCATED);
    EXPECT_EQ(open(tone), nullptr);
    EXPECT_TRUE(log.contains("[snddev] Error duplicating sound buffer! (" + tone + ") [DSERR_ALLOCATED]."));
    output_script().fail("channel.query_3d", DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(open(tone, sound::channel_t::POSITIONAL), nullptr);
    EXPECT_TRUE(log.contains("[snddev] Error getting 3D sound buffer interface (" + tone + ") [DSERR_CONTROLUNAVAIL]."));
    output_script().fail("output.duplicate", DSERR_GENERIC);
    EXPECT_EQ(open(tone, sound::channel_t::MUSIC), nullptr);
    EXPECT_EQ(device->get_buffer_count(), 2u) << "the stream that got no channel is gone";
}

TEST_F(sound_device, play_stop_and_the_cursor) {
    const std::string tone = sounds.add("tone.wav", wav_file(sine(441, 22050, 0.5), 22050, 1, 16));
    start();
    sound_channel_t *c = open(tone);
    ASSERT_NE(c, nullptr);
    scripted_voice_t &voice = output_script().voices.back();
    EXPECT_TRUE(c->play());
    EXPECT_TRUE(voice.playing);
    EXPECT_FALSE(voice.looping);
    voice.cursor = 1000;
    c->stop();
    EXPECT_FALSE(voice.playing);
    voice.cursor = 0;
    EXPECT_TRUE(c->play());
    EXPECT_EQ(voice.positions_set.back(), 1000u) << "play resumes where stop left";

    output_script().fail("channel.stop", DSERR_GENERIC);
    voice.cursor = 2000;
    c->stop();
    EXPECT_TRUE(log.contains("[snddev] Error stopping channel (" + tone + ") [DSERR_GENERIC]."));
    EXPECT_TRUE(c->is_started()) << "a refused stop changes nothing";

    // A lost buffer does not play and says nothing; other failures are logged.
    c->stop();
    log.clear();
    output_script().fail("channel.play", DSERR_BUFFERLOST);
    EXPECT_FALSE(c->play());
    EXPECT_TRUE(log.entries().empty());
    output_script().fail("channel.play", DSERR_GENERIC);
    EXPECT_FALSE(c->play());
    EXPECT_TRUE(log.contains("[snddev] Error playing channel (" + tone + ") [DSERR_GENERIC]."));
    output_script().fail("channel.get_status", DSERR_GENERIC);
    EXPECT_FALSE(c->is_playing());
    EXPECT_TRUE(log.contains("[snddev] Error querying channel status (" + tone + ") [DSERR_GENERIC]."));

    sound_channel_t *loop = open(tone, sound::channel_t::LOOPING);
    EXPECT_TRUE(loop->play());
    EXPECT_TRUE(output_script().voices.back().looping);
    EXPECT_FALSE(loop->has_finished()) << "a looping channel never finishes";
    output_script().voices.back().playing = false;
    EXPECT_FALSE(loop->has_finished());
    sound_channel_t *once = open(tone);
    EXPECT_FALSE(once->has_finished()) << "not started";
    once->play();
    EXPECT_FALSE(once->has_finished());
    output_script().voices.back().playing = false;
    EXPECT_TRUE(once->has_finished());
}

TEST_F(sound_device, attributes_become_volume_frequency_and_3d_place) {
    const std::string tone = sounds.add("tone.wav", wav_file(sine(441, 44100, 0.1), 44100, 1, 16));
    start();
    sound_channel_t *c = open(tone, sound::channel_t::POSITIONAL);
    scripted_voice_t &voice = output_script().voices.back();
    sound::channel_attributes_t a;
    a.position = vec3_t(3.0f, 0.0f, -4.0f);
    a.velocity = vec3_t(0.0f, 0.0f, 2.0f);
    a.volume = 0.5f;
    a.min_distance = 2.0f;
    a.max_distance = 10.0f;
    const struct {
        float rate;
        uint32_t frequency;
        const char *warning;
    } cases[] = {
        {1.0f, 44100, nullptr},
        {0.5f, 22050, nullptr},
        {10.0f, 200000, "[snddev] set_freqency - value above maximum (441000.0) (/snd/tone.wav)"},
        {0.001f, 100, "[snddev] set_freqency - value below minimum (44.1) (/snd/tone.wav)"},
    };
    for (const auto &x : cases) {
        a.rate = x.rate;
        log.clear();
        c->set_attributes(a);
        device->finish_frame();
        EXPECT_EQ(voice.frequency, x.frequency) << x.rate;
        if (x.warning) EXPECT_TRUE(log.contains(x.warning)) << x.rate;
        else EXPECT_TRUE(log.entries().empty()) << x.rate;
    }
    const buffer_3d_params_t &p = voice.params_3d.back();
    EXPECT_EQ(p.position.z, 4.0f);
    EXPECT_EQ(p.velocity.z, -2.0f);
    EXPECT_EQ(p.min_distance, 2.0f);
    EXPECT_EQ(p.max_distance, 8.0f) << "the volume start, three quarters of the way";
    EXPECT_EQ(p.inside_cone_angle, 360u);
    // Five units away, inside the volume start: the gain as given.
    EXPECT_EQ(voice.volume, -602);
    a.position = vec3_t(9.0f, 0.0f, 0.0f);
    c->set_attributes(a);
    device->finish_frame();
    EXPECT_EQ(voice.volume, sound::channel_t::linear_gain_to_millibells(0.25f)) << "half way from 8 to 10";

    sound_channel_t *flat = open(tone);
    flat->set_attributes(a);
    device->finish_frame();
    EXPECT_EQ(output_script().voices.back().volume, -602) << "no distance law without 3D";
    output_script().fail("channel.set_volume", DSERR_INVALIDPARAM);
    output_script().fail("channel.set_frequency", DSERR_INVALIDPARAM);
    output_script().fail("3d.set_all", DSERR_INVALIDPARAM);
    c->set_attributes(a);
    device->finish_frame();
    EXPECT_TRUE(log.contains("[snddev] Error setting volume (0.250) [DSERR_INVALIDPARAM]."));
    EXPECT_TRUE(log.contains("[snddev] Error setting frequency (" + tone + ") [DSERR_INVALIDPARAM]."));
    EXPECT_TRUE(log.contains("[snddev] Error setting 3D attributes [DSERR_INVALIDPARAM]."));
}

TEST_F(sound_device, gains_in_millibels) {
    const struct {
        float gain;
        int32_t millibels;
    } cases[] = {{1.0f, 0}, {2.0f, 0}, {0.5f, -602}, {0.1f, -2000}, {0.01f, -4000}, {1e-6f, -10000}, {0.0f, -10000},
                 {-1.0f, -10000}};
    for (const auto &c : cases) EXPECT_EQ(sound::channel_t::linear_gain_to_millibells(c.gain), c.millibels) << c.gain;
}

// A stream of 8-bit mono samples at 8000 Hz: one byte a frame, a ring of 8000 bytes and
// a chunk of 2000.
class sound_stream : public snddev_fixture_t {
protected:
    void SetUp() override {
        snddev_fixture_t::SetUp();
        std::vector<float> ramp(5000);
        for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = float(i % 200) / 100.0f - 1.0f;
        file = wav_file(ramp, 8000, 1, 8);
        path = sounds.add("ramp.wav", file);
        start();
    }
    sound_channel_t *stream(bool loops) {
        sound_channel_t *c = open(path, sound::channel_t::MUSIC | (loops ? sound::channel_t::LOOPING : 0u));
        EXPECT_NE(c, nullptr);
        buffer = static_cast<sound_buffer_t *>(c->get_buffer());
        return c;
    }
    // The frame with the channel's voice at cursor; the region written, if any.
    const scripted_region_t *frame(uint32_t cursor) {
        for (scripted_voice_t &v : output_script().voices) v.cursor = cursor;
        const size_t before = written().size();
        device->finish_frame();
        return written().size() > before ? &written().back() : nullptr;
    }
    std::vector<scripted_region_t> &written() { return output_script().buffers.back().written; }
    std::string samples(size_t from, size_t count) const { return file.substr(44 + from, count); }

    std::string file, path;
    sound_buffer_t *buffer = nullptr;
};

TEST_F(sound_stream, the_refill_writes_what_fits_between_cursor_and_write_position) {
    sound_channel_t *c = stream(true);
    c->play();
    EXPECT_EQ(buffer->buffer_size, 8000u);
    const struct {
        uint32_t cursor;
        int offset;  // -1: nothing written
        uint32_t bytes;
    } steps[] = {
        {0, 0, 2000},       // P <= W < S: up to the ring's end, a chunk at most
        {0, 2000, 2000},    {100, 4000, 2000}, {100, 6000, 2000},
        {0, -1, 0},         // W >= S and P < B: the ring is full
        {3000, 0, 2000},    // W >= S: from the start up to just before the cursor
        {3000, 2000, 999},  // P > W: up to one frame before the cursor
        {3000, -1, 0},      // no room under a frame
        {7999, 2999, 2000}, {7999, 4999, 2000}, {7999, 6999, 999}, {7999, -1, 0},
    };
    for (const auto &s : steps) {
        const scripted_region_t *r = frame(s.cursor);
        if (s.offset < 0) {
            EXPECT_EQ(r, nullptr) << "cursor " << s.cursor;
            continue;
        }
        ASSERT_NE(r, nullptr) << "cursor " << s.cursor;
        EXPECT_EQ(r->offset, uint32_t(s.offset)) << "cursor " << s.cursor;
        EXPECT_EQ(r->bytes.size(), s.bytes) << "cursor " << s.cursor;
    }
    // The file is 5000 bytes: the third region ran past its end and on from its start.
    EXPECT_EQ(written()[0].bytes, samples(0, 2000));
    EXPECT_EQ(written()[2].bytes.substr(0, 1000), samples(4000, 1000));
    EXPECT_EQ(written()[2].bytes.substr(1000), samples(0, 1000)) << "the stream starts again at its end";
    EXPECT_EQ(written()[4].bytes, samples(3000, 2000));
    EXPECT_EQ(written()[5].bytes, samples(0, 999));
    EXPECT_FALSE(c->has_finished());
}

TEST_F(sound_stream, a_stream_ends_in_silence_and_finishes_once_its_end_is_played) {
    sound_channel_t *c = stream(false);
    c->play();
    frame(0);
    frame(0);
    const scripted_region_t *end = frame(0);
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(end->bytes.substr(0, 1000), samples(4000, 1000));
    EXPECT_EQ(end->bytes.substr(1000), std::string(1000, '\x80')) << "8-bit silence after the end";
    EXPECT_EQ(frame(0)->bytes, std::string(2000, '\x80')) << "silence on";
    EXPECT_FALSE(c->has_finished()) << "written, not yet heard";
    frame(2500);
    frame(4999);
    EXPECT_FALSE(c->has_finished());
    frame(5000);
    EXPECT_TRUE(c->has_finished());
}

TEST_F(sound_stream, sixteen_bit_stereo_writes_a_quarter_second_and_never_half_a_frame) {
    const std::string wide = sounds.add("wide.wav", wav_file(sine(441, 44100, 2.0), 44100, 2, 16));
    sound_channel_t *c = open(wide, sound::channel_t::MUSIC);
    c->play();
    EXPECT_EQ(c->get_buffer()->buffer_size, 176400u);
    const scripted_region_t *r = frame(0);
    EXPECT_EQ(r->bytes.size(), 44100u) << "a quarter of a second";
    for (int i = 0; i < 3; ++i) frame(0);
    EXPECT_EQ(frame(2), nullptr) << "less than a frame before the cursor leaves no room";
    EXPECT_EQ(frame(6), nullptr) << "room for half a frame is none";
    const scripted_region_t *last = frame(8);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->offset, 0u);
    EXPECT_EQ(last->bytes.size(), 4u);
}

}  // namespace
}  // namespace quarn::test
