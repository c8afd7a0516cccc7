// sndgen: the sound list's lines and their errors, the samples of each kind, and Ogg
// Vorbis streams that decode to the sound that was asked for.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <vorbis/vorbisfile.h>

#include "sound_list.h"
#include "support/temp_dir.h"

namespace sndgen {
namespace {

// An Ogg Vorbis stream decoded from memory: mono samples and the rate, or nothing.
struct decoded_t {
    bool ok = false;
    long rate = 0;
    int channels = 0;
    std::vector<float> samples;
};

struct memory_t {
    const std::string *bytes;
    size_t at = 0;
};

decoded_t decode(const std::string &bytes) {
    memory_t m{&bytes};
    ov_callbacks io{};
    io.read_func = [](void *out, size_t size, size_t n, void *source) -> size_t {
        auto *mem = static_cast<memory_t *>(source);
        const size_t take = std::min(size * n, mem->bytes->size() - mem->at);
        memcpy(out, mem->bytes->data() + mem->at, take);
        mem->at += take;
        return size ? take / size : 0;
    };
    OggVorbis_File file;
    decoded_t d;
    if (ov_open_callbacks(&m, &file, nullptr, 0, io) != 0) return d;
    const vorbis_info *info = ov_info(&file, -1);
    d.rate = info->rate;
    d.channels = info->channels;
    for (;;) {
        float **pcm = nullptr;
        int section = 0;
        const long n = ov_read_float(&file, &pcm, 1024, &section);
        if (n < 0) {
            ov_clear(&file);
            return d;
        }
        if (n == 0) break;
        d.samples.insert(d.samples.end(), pcm[0], pcm[0] + n);
    }
    ov_clear(&file);
    d.ok = true;
    return d;
}

double rms(const std::vector<float> &s, size_t from, size_t to) {
    double sum = 0.0;
    for (size_t i = from; i < to; ++i) sum += double(s[i]) * s[i];
    return std::sqrt(sum / double(to - from));
}

std::vector<sound_t> parse_ok(const std::string &text) {
    std::vector<sound_t> sounds;
    std::string error;
    EXPECT_TRUE(parse_list(text, "sounds.list", sounds, error)) << error;
    return sounds;
}

TEST(sound_list, lines_give_sounds_with_their_settings) {
    const auto sounds = parse_ok(
        "# comment\n"
        "\n"
        "/sound/ui/click.ogg   noise 0.06  volume=0.7 fade=0.01 seed=7  # the camera\n"
        "/sound/game/round.ogg tone  0.6   freq=440 freq_end=880 rate=44100\r\n"
        "/sound/quiet.ogg      silence 2\n");
    ASSERT_EQ(sounds.size(), 3u);
    EXPECT_EQ(sounds[0].path, "/sound/ui/click.ogg");
    EXPECT_EQ(sounds[0].kind, kind_t::NOISE);
    EXPECT_DOUBLE_EQ(sounds[0].volume, 0.7);
    EXPECT_EQ(sounds[0].seed, 7u);
    EXPECT_EQ(sounds[0].line, 3);
    EXPECT_EQ(sounds[1].kind, kind_t::TONE);
    EXPECT_DOUBLE_EQ(sounds[1].freq_end, 880.0);
    EXPECT_EQ(sounds[1].rate, 44100u);
    EXPECT_EQ(sounds[2].kind, kind_t::SILENCE);
    EXPECT_DOUBLE_EQ(sounds[2].seconds, 2.0);
    EXPECT_EQ(sounds[2].rate, 22050u);
}

TEST(sound_list, bad_lines_name_their_line_and_fault) {
    const struct {
        const char *line;
        const char *error;
    } cases[] = {
        {"sound/a.ogg tone 1", "bad path 'sound/a.ogg'"},
        {"/sound/a.wav tone 1", "bad path '/sound/a.wav'"},
        {"/sound/../a.ogg tone 1", "bad path"},
        {"/sound//a.ogg tone 1", "bad path"},
        {"/sound/a b.ogg tone 1", "bad path '/sound/a'"},
        {"/sound/a.ogg", "the kind is missing"},
        {"/sound/a.ogg chord 1", "unknown kind 'chord'"},
        {"/sound/a.ogg tone", "the length in seconds is missing"},
        {"/sound/a.ogg tone 0", "bad length '0'"},
        {"/sound/a.ogg tone 601", "bad length '601'"},
        {"/sound/a.ogg tone 1s", "bad length '1s'"},
        {"/sound/a.ogg tone nan", "bad length 'nan'"},
        {"/sound/a.ogg tone 1 freq", "'freq' is no key=value setting"},
        {"/sound/a.ogg tone 1 freq=0", "bad freq '0'"},
        {"/sound/a.ogg tone 1 freq=11025", "a frequency at or above half the rate"},
        {"/sound/a.ogg tone 1 volume=1.5", "bad volume '1.5'"},
        {"/sound/a.ogg tone 1 fade=0.6", "the fades are longer than the sound"},
        {"/sound/a.ogg tone 1 rate=12345", "bad rate '12345'"},
        {"/sound/a.ogg tone 1 seed=3", "'seed' is no setting of this kind of sound"},
        {"/sound/a.ogg noise 1 seed=-3", "bad seed '-3'"},
        {"/sound/a.ogg silence 1 volume=1", "'volume' is no setting of this kind of sound"},
        {"/sound/a.ogg tone 1 freq=300 freq=400", "'freq=400' repeats a setting"},
        {"/sound/a.ogg tone 1 colour=red", "'colour' is no setting"},
    };
    for (const auto &c : cases) {
        std::vector<sound_t> sounds;
        std::string error;
        EXPECT_FALSE(parse_list(std::string("# first\n") + c.line + "\n", "list", sounds, error)) << c.line;
        EXPECT_EQ(error.rfind("list:2: ", 0), 0u) << error;
        EXPECT_NE(error.find(c.error), std::string::npos) << c.line << " gave " << error;
    }
    std::vector<sound_t> sounds;
    std::string error;
    EXPECT_FALSE(parse_list("/s/a.ogg tone 1\n/s/a.ogg noise 1\n", "list", sounds, error));
    EXPECT_EQ(error, "list:2: '/s/a.ogg' is listed twice");
}

TEST(sound_list, each_kind_encodes_to_a_stream_that_decodes_to_it) {
    const auto sounds = parse_ok(
        "/a.ogg tone 0.5 freq=1000 volume=0.5 fade=0\n"
        "/b.ogg noise 0.5 volume=0.5 seed=3\n"
        "/c.ogg silence 0.25 rate=8000\n");
    for (const sound_t &s : sounds) {
        SCOPED_TRACE(s.path);
        const std::vector<float> samples = synthesize(s);
        ASSERT_EQ(samples.size(), size_t(std::llround(s.seconds * s.rate)));
        std::string bytes, again;
        ASSERT_TRUE(encode_ogg(samples, s.rate, s.path, bytes));
        ASSERT_TRUE(encode_ogg(samples, s.rate, s.path, again));
        EXPECT_EQ(bytes, again) << "the same sound gives the same bytes";
        EXPECT_EQ(bytes.compare(0, 4, "OggS"), 0);
        const decoded_t d = decode(bytes);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.rate, long(s.rate));
        EXPECT_EQ(d.channels, 1);
        EXPECT_EQ(d.samples.size(), samples.size());
        const size_t mid = samples.size() / 2, span = samples.size() / 4;
        const double want = rms(samples, mid - span, mid + span);
        EXPECT_NEAR(rms(d.samples, mid - span, mid + span), want, 0.05 + 0.1 * want);
    }
    // A tone of 1000 Hz at volume 0.5 is a sine of amplitude 0.5.
    const std::vector<float> tone = synthesize(sounds[0]);
    EXPECT_NEAR(rms(tone, 0, tone.size()), 0.5 / std::sqrt(2.0), 0.01);
    EXPECT_EQ(synthesize(sounds[1]), synthesize(sounds[1])) << "noise follows its seed";
}

TEST(sound_list, fades_start_and_end_at_zero) {
    const auto sounds = parse_ok("/a.ogg noise 1 volume=1 fade=0.1\n");
    const std::vector<float> s = synthesize(sounds[0]);
    EXPECT_EQ(s.front(), 0.0f);
    EXPECT_EQ(s.back(), 0.0f);
    float peak_in_fade = 0.0f;
    for (size_t i = 0; i < 221; ++i) peak_in_fade = std::max(peak_in_fade, std::fabs(s[i]));
    EXPECT_LE(peak_in_fade, 0.1f + 1e-6f);
}

TEST(sound_list, sounds_are_written_below_the_folder_by_their_paths) {
    quarn::test::temp_dir_t dir;
    std::string error;
    ASSERT_TRUE(write_sounds(parse_ok("/sound/ui/a.ogg silence 0.1\n"), dir.path(), error)) << error;
    EXPECT_TRUE(decode(quarn::test::read_file(dir.file("sound/ui/a.ogg"))).ok);
}

}  // namespace
}  // namespace sndgen
