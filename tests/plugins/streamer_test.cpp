// The sound layer's file reader (outside/sonbase/streamer.h), tested here beside the
// sound plug-in whose tests make the sound files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "outside/sonbase/buffer.h"
#include "outside/sonbase/streamer.h"
#include "qrncore/qrnutils/ufs/mem_file.h"
#include "support/message_capture.h"
#include "test_sounds.h"

namespace quarn::test {
namespace {

using sound::streamer_t;

// A streamer over a copy of the bytes.
auto_ptr_t<streamer_t> from_bytes(const std::string &bytes, const char *name = "<test>") {
    auto_ptr_t<file_t> file = mem_file_create();
    EXPECT_TRUE(file->write(bytes.data(), uint32_t(bytes.size())));
    return streamer_t::open_file(static_cast<auto_ptr_t<file_t> &&>(file), name);
}

std::string read_all(streamer_t &s, uint64_t position, uint32_t bytes) {
    std::string out(bytes, '\0');
    EXPECT_TRUE(s.request_data(out.data(), position, bytes));
    return out;
}

TEST(sound_streamer, wav_files_of_every_format_read_from_any_position) {
    const std::vector<float> tone = sine(1000, 8000, 0.1);
    const struct {
        uint16_t channels, bits;
    } formats[] = {{1, 8}, {2, 8}, {1, 16}, {2, 16}};
    for (const auto &f : formats) {
        const std::string file = wav_file(tone, 8000, f.channels, f.bits);
        auto_ptr_t<streamer_t> s = from_bytes(file);
        ASSERT_TRUE(s) << f.channels << "/" << f.bits;
        EXPECT_EQ(s->get_format().channels, f.channels);
        EXPECT_EQ(s->get_format().bits, f.bits);
        EXPECT_EQ(s->get_format().rate, 8000u);
        const uint32_t block = f.channels * f.bits / 8;
        EXPECT_EQ(s->get_format().block_align, block);
        EXPECT_EQ(s->get_length(), uint64_t(800 * block));
        const std::string data = file.substr(44);
        EXPECT_EQ(read_all(*s, 0, uint32_t(data.size())), data);
        EXPECT_EQ(read_all(*s, 100 * block, 10 * block), data.substr(100 * block, 10 * block));
        // Past the end it goes on from the start; positions count round.
        EXPECT_EQ(read_all(*s, 790 * block, 20 * block), data.substr(790 * block) + data.substr(0, 10 * block));
        EXPECT_EQ(read_all(*s, 800 * block * 3 + block, block), data.substr(block, block));
    }
}

TEST(sound_streamer, wav_chunks_are_found_wherever_they_are) {
    const std::string plain = wav_file(sine(1000, 8000, 0.01), 8000, 1, 16);
    const std::string fmt = plain.substr(12, 24), data = plain.substr(36);
    // An odd-sized chunk before, the data before the format, a chunk after.
    const std::string odd = std::string("LIST") + std::string("\x03\0\0\0", 4) + "abc" + std::string(1, '\0');
    const std::string file = "RIFF" + plain.substr(4, 4) + "WAVE" + odd + data + fmt + "junk" + std::string(4, '\0');
    auto_ptr_t<streamer_t> s = from_bytes(file);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->get_length(), 160u);
    EXPECT_EQ(read_all(*s, 0, 160), data.substr(8));
}

TEST(sound_streamer, files_it_cannot_play_are_refused_with_the_reason) {
    const std::string good = wav_file(sine(1000, 8000, 0.01), 8000, 1, 16);
    auto with = [&](size_t at, const std::string &bytes) {
        std::string f = good;
        f.replace(at, bytes.size(), bytes);
        return f;
    };
    const struct {
        std::string file;
        const char *reason;
    } cases[] = {
        {"RIFX" + good.substr(4), "is neither a WAV nor an Ogg Vorbis file"},
        {good.substr(0, 10), "is too short for a sound file"},
        {good.substr(0, 12), "there is no format chunk"},
        {good.substr(0, 36), "there is no data chunk"},
        {with(20, std::string("\x03\0", 2)), "the samples are not PCM"},
        {with(22, std::string("\x03\0", 2)), "only mono and stereo are played"},
        {with(34, std::string("\x18\0", 2)), "only 8- and 16-bit samples are played"},
        {with(24, std::string(4, '\0')), "the sample rate is 0"},
        {with(32, std::string("\x04\0", 2)), "the block alignment does not match"},
        {with(16, std::string("\x08\0\0\0", 4)), "the format chunk is cut short"},
        {"OggS" + std::string(60, 'x'), "not an Ogg Vorbis stream"},
    };
    for (const auto &c : cases) {
        message_capture_t log;
        EXPECT_FALSE(from_bytes(c.file, "/bad.wav")) << c.reason;
        EXPECT_TRUE(log.contains(c.reason)) << c.reason;
    }
}

TEST(sound_streamer, a_file_cut_short_plays_what_it_holds) {
    const std::string good = wav_file(sine(1000, 8000, 0.01), 8000, 1, 16);
    auto_ptr_t<streamer_t> s = from_bytes(good.substr(0, good.size() - 21));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->get_length(), 138u) << "whole frames of what is there";
}

TEST(sound_streamer, ogg_vorbis_decodes_to_16_bit_samples_from_any_position) {
    const std::vector<float> tone = sine(441, 22050, 0.5, 0.5);
    auto_ptr_t<streamer_t> s = from_bytes(ogg_file(tone, 22050));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->get_format().channels, 1);
    EXPECT_EQ(s->get_format().bits, 16);
    EXPECT_EQ(s->get_format().rate, 22050u);
    ASSERT_EQ(s->get_length(), tone.size() * 2);
    std::string all = read_all(*s, 0, uint32_t(s->get_length()));
    double error = 0.0;
    for (size_t i = 0; i < tone.size(); ++i) {
        int16_t v;
        memcpy(&v, all.data() + 2 * i, 2);
        error = std::max(error, std::fabs(v / 32767.0 - tone[i]));
    }
    EXPECT_LT(error, 0.05) << "close to the tone encoded";
    // Any position, and on from the start past the end.
    EXPECT_EQ(read_all(*s, 2000, 400), all.substr(2000, 400));
    EXPECT_EQ(read_all(*s, all.size() - 100, 300), all.substr(all.size() - 100) + all.substr(0, 200));
    EXPECT_EQ(read_all(*s, 2000, 400), all.substr(2000, 400)) << "after a wrap";
}

TEST(sound_streamer, files_come_from_the_virtual_file_system) {
    sound_folder_t sounds;
    const std::string path = sounds.add("x.wav", wav_file(sine(1000, 8000, 0.01), 8000, 1, 8));
    EXPECT_TRUE(streamer_t::open(path.c_str()));
    message_capture_t log;
    EXPECT_FALSE(streamer_t::open("/snd/none.wav"));
    EXPECT_TRUE(log.contains("[sonbase] Can not open the sound file '/snd/none.wav'"));
}

TEST(sound_streamer, silence_is_that_of_the_format) {
    struct plain_buffer_t : sound::buffer_t {
        plain_buffer_t() : buffer_t(0) {}
        sound::channel_t *create_channel(uint32_t) override { return nullptr; }
    } b;
    uint8_t bytes[4] = {1, 2, 3, 4};
    b.bits_per_sample = 8;
    b.generate_silence(bytes, 3);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(bytes), 4), std::string("\x80\x80\x80\x04", 4));
    b.bits_per_sample = 16;
    b.generate_silence(bytes, 4);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(bytes), 4), std::string(4, '\0'));
}

}  // namespace
}  // namespace quarn::test
