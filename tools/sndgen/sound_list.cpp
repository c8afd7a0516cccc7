#include "sound_list.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include <vorbis/vorbisenc.h>

#include "qrncore/numerics/randomizer.h"

namespace sndgen {

namespace {

constexpr double MAX_SECONDS = 600.0;
constexpr uint32_t RATES[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000};

bool read_number(const std::string &text, double &out) {
    const char *end = text.data() + text.size();
    const auto r = std::from_chars(text.data(), end, out);
    return r.ec == std::errc() && r.ptr == end && std::isfinite(out);
}

bool read_unsigned(const std::string &text, uint32_t &out) {
    const char *end = text.data() + text.size();
    const auto r = std::from_chars(text.data(), end, out);  // decimal only
    return r.ec == std::errc() && r.ptr == end;
}

bool path_is_valid(const std::string &path) {
    if (path.size() < 6 || path[0] != '/' || path.compare(path.size() - 4, 4, ".ogg") != 0) return false;
    std::istringstream parts(path.substr(1));
    for (std::string part; std::getline(parts, part, '/');) {
        if (part.empty() || part == "." || part == "..") return false;
        for (char c : part)
            if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.')) return false;
    }
    return true;
}

// One "key=value" setting into the sound; false with the reason.
bool apply(sound_t &s, const std::string &setting, std::string &why) {
    const size_t eq = setting.find('=');
    if (eq == std::string::npos) {
        why = "'" + setting + "' is no key=value setting";
        return false;
    }
    const std::string key = setting.substr(0, eq), value = setting.substr(eq + 1);
    const bool tone = s.kind == kind_t::TONE, noise = s.kind == kind_t::NOISE;
    double number = 0.0;
    if ((key == "freq" || key == "freq_end") && tone) {
        if (!read_number(value, number) || number < 1.0) {
            why = "bad " + key + " '" + value + "'";
            return false;
        }
        (key == "freq" ? s.freq : s.freq_end) = number;
    } else if (key == "volume" && !(s.kind == kind_t::SILENCE)) {
        if (!read_number(value, s.volume) || s.volume < 0.0 || s.volume > 1.0) {
            why = "bad volume '" + value + "' (0 to 1)";
            return false;
        }
    } else if (key == "fade" && !(s.kind == kind_t::SILENCE)) {
        if (!read_number(value, s.fade) || s.fade < 0.0) {
            why = "bad fade '" + value + "'";
            return false;
        }
    } else if (key == "seed" && noise) {
        if (!read_unsigned(value, s.seed)) {
            why = "bad seed '" + value + "'";
            return false;
        }
    } else if (key == "rate") {
        if (!read_unsigned(value, s.rate) || std::find(std::begin(RATES), std::end(RATES), s.rate) == std::end(RATES)) {
            why = "bad rate '" + value + "'";
            return false;
        }
    } else {
        why = "'" + key + "' is no setting of this kind of sound";
        return false;
    }
    return true;
}

// The checks that need every setting.
bool check(const sound_t &s, std::string &why) {
    const double nyquist = s.rate / 2.0;
    if (s.kind == kind_t::TONE && (s.freq >= nyquist || s.freq_end >= nyquist)) {
        why = "a frequency at or above half the rate";
        return false;
    }
    if (s.kind != kind_t::SILENCE && 2.0 * s.fade > s.seconds) {
        why = "the fades are longer than the sound";
        return false;
    }
    return true;
}

}  // namespace

bool parse_list(const std::string &text, const std::string &name, std::vector<sound_t> &out, std::string &error) {
    std::istringstream lines(text);
    std::set<std::string> paths;
    int number = 0;
    for (std::string line; std::getline(lines, line);) {
        ++number;
        if (const size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
        std::istringstream words(line);
        std::string path, kind, seconds;
        if (!(words >> path)) continue;  // blank or comment
        const auto fail = [&](const std::string &why) {
            error = name + ":" + std::to_string(number) + ": " + why;
            return false;
        };
        if (!path_is_valid(path)) return fail("bad path '" + path + "' (a virtual path ending in .ogg)");
        if (!paths.insert(path).second) return fail("'" + path + "' is listed twice");
        sound_t s;
        s.path = path;
        s.line = number;
        if (!(words >> kind)) return fail("the kind is missing (tone, noise or silence)");
        if (kind == "tone") s.kind = kind_t::TONE;
        else if (kind == "noise") s.kind = kind_t::NOISE;
        else if (kind == "silence") s.kind = kind_t::SILENCE;
        else return fail("unknown kind '" + kind + "' (tone, noise or silence)");
        if (!(words >> seconds)) return fail("the length in seconds is missing");
        if (!read_number(seconds, s.seconds) || s.seconds <= 0.0 || s.seconds > MAX_SECONDS)
            return fail("bad length '" + seconds + "' (more than 0, at most 600 seconds)");
        std::set<std::string> keys;
        std::string why;
        for (std::string setting; words >> setting;) {
            if (!keys.insert(setting.substr(0, setting.find('='))).second)
                return fail("'" + setting + "' repeats a setting");
            if (!apply(s, setting, why)) return fail(why);
        }
        if (!check(s, why)) return fail(why);
        out.push_back(s);
    }
    return true;
}

std::vector<float> synthesize(const sound_t &s) {
    const size_t count = size_t(std::llround(s.seconds * s.rate));
    std::vector<float> samples(count, 0.0f);
    if (s.kind == kind_t::SILENCE) return samples;
    const size_t fade = size_t(std::llround(s.fade * s.rate));
    quarn::randomizer_t random(s.seed);
    const double end_freq = s.freq_end > 0.0 ? s.freq_end : s.freq;
    double phase = 0.0;
    for (size_t i = 0; i < count; ++i) {
        double envelope = 1.0;
        if (fade > 0 && i < fade) envelope = double(i) / double(fade);
        if (fade > 0 && count - 1 - i < fade) envelope = std::min(envelope, double(count - 1 - i) / double(fade));
        double value;
        if (s.kind == kind_t::TONE) {
            value = std::sin(phase);
            const double freq = s.freq + (end_freq - s.freq) * double(i) / double(count);
            phase = std::fmod(phase + 2.0 * M_PI * freq / s.rate, 2.0 * M_PI);
        } else {
            value = random.rand() * 2.0 - 1.0;
        }
        samples[i] = float(s.volume * envelope * value);
    }
    return samples;
}

bool encode_ogg(const std::vector<float> &samples, uint32_t rate, const std::string &serial_text, std::string &out) {
    out.clear();
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 1, long(rate), 0.4f) != 0) {
        vorbis_info_clear(&info);
        return false;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "ENCODER", "fernwold sndgen");
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);

    // The serial from the path, so that a sound's bytes never change between builds.
    uint32_t serial = 0;
    for (unsigned char c : serial_text) serial = serial * 31u + c;
    ogg_stream_state stream;
    ogg_stream_init(&stream, int(serial & 0x7FFFFFFF));
    ogg_page page;
    ogg_packet packet;
    const auto write_pages = [&](bool flush) {
        while (flush ? ogg_stream_flush(&stream, &page) : ogg_stream_pageout(&stream, &page)) {
            out.append(reinterpret_cast<const char *>(page.header), size_t(page.header_len));
            out.append(reinterpret_cast<const char *>(page.body), size_t(page.body_len));
        }
    };

    ogg_packet header, header_comment, header_code;
    vorbis_analysis_headerout(&dsp, &comment, &header, &header_comment, &header_code);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &header_comment);
    ogg_stream_packetin(&stream, &header_code);
    write_pages(true);  // the headers on pages of their own, as players expect

    constexpr size_t CHUNK = 4096;
    for (size_t at = 0;; at += CHUNK) {
        const size_t n = at < samples.size() ? std::min(CHUNK, samples.size() - at) : 0;
        if (n > 0) {
            float **buffer = vorbis_analysis_buffer(&dsp, int(n));
            std::copy(samples.begin() + long(at), samples.begin() + long(at + n), buffer[0]);
        }
        vorbis_analysis_wrote(&dsp, int(n));  // 0: the end of the stream
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                write_pages(false);
            }
        }
        if (n == 0) break;
    }
    write_pages(true);

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return true;
}

bool write_sounds(const std::vector<sound_t> &sounds, const std::string &folder, std::string &error) {
    namespace fs = std::filesystem;
    for (const sound_t &s : sounds) {
        std::string bytes;
        if (!encode_ogg(synthesize(s), s.rate, s.path, bytes)) {
            error = s.path + ": the encoder refuses the rate " + std::to_string(s.rate);
            return false;
        }
        const fs::path file = fs::path(folder) / s.path.substr(1);
        std::error_code ec;
        fs::create_directories(file.parent_path(), ec);
        std::ofstream stream(file, std::ios::binary | std::ios::trunc);
        if (ec || !stream.write(bytes.data(), std::streamsize(bytes.size())) || !stream.flush()) {
            error = "cannot write '" + file.string() + "'";
            return false;
        }
    }
    return true;
}

}  // namespace sndgen
