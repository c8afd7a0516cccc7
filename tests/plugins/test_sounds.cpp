#include "test_sounds.h"

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

namespace quarn::test {

namespace {

void put(std::string &out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(char(value >> (8 * i)));
}

void append_page(std::string &out, const ogg_page &page) {
    out.append(reinterpret_cast<const char *>(page.header), size_t(page.header_len));
    out.append(reinterpret_cast<const char *>(page.body), size_t(page.body_len));
}

}  // namespace

std::vector<float> sine(double frequency, uint32_t rate, double seconds, double amplitude) {
    std::vector<float> out(size_t(seconds * rate));
    for (size_t i = 0; i < out.size(); ++i) out[i] = float(amplitude * std::sin(2.0 * M_PI * frequency * double(i) / rate));
    return out;
}

std::string wav_file(const std::vector<float> &samples, uint32_t rate, uint16_t channels, uint16_t bits) {
    const uint32_t block = uint32_t(channels) * bits / 8;
    const uint32_t data = uint32_t(samples.size()) * block;
    std::string out = "RIFF";
    put(out, 36 + data, 4);
    out += "WAVEfmt ";
    put(out, 16, 4);
    put(out, 1, 2);
    put(out, channels, 2);
    put(out, rate, 4);
    put(out, rate * block, 4);
    put(out, block, 2);
    put(out, bits, 2);
    out += "data";
    put(out, data, 4);
    for (float s : samples) {
        for (uint16_t c = 0; c < channels; ++c) {
            if (bits == 8) put(out, uint32_t(std::lround(128.0 + 127.0 * s)), 1);
            else put(out, uint32_t(uint16_t(int16_t(std::lround(32767.0 * s)))), 2);
        }
    }
    return out;
}

std::string ogg_file(const std::vector<float> &samples, uint32_t rate) {
    vorbis_info info;
    vorbis_info_init(&info);
    EXPECT_EQ(vorbis_encode_init_vbr(&info, 1, long(rate), 0.6f), 0);
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1234);
    ogg_packet header, header_comment, header_code;
    vorbis_analysis_headerout(&dsp, &comment, &header, &header_comment, &header_code);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &header_comment);
    ogg_stream_packetin(&stream, &header_code);
    std::string out;
    ogg_page page;
    while (ogg_stream_flush(&stream, &page)) append_page(out, page);

    // Blocks of samples, then the end of the stream (a write of none).
    const size_t chunk = 1024;
    for (size_t at = 0;; at += chunk) {
        const size_t n = at < samples.size() ? std::min(chunk, samples.size() - at) : 0;
        if (n == 0) {
            vorbis_analysis_wrote(&dsp, 0);
        } else {
            float **buffer = vorbis_analysis_buffer(&dsp, int(n));
            memcpy(buffer[0], samples.data() + at, n * sizeof(float));
            vorbis_analysis_wrote(&dsp, int(n));
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page)) append_page(out, page);
            }
        }
        if (n == 0) break;
    }
    while (ogg_stream_flush(&stream, &page)) append_page(out, page);
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

sound_folder_t::sound_folder_t() {
    fs_startup();
    m_mount = ufs_mount(FS_DEVICE_DIRECTORY, m_dir.path().c_str(), "/snd", true, 100);
    EXPECT_NE(m_mount, nullptr);
}

sound_folder_t::~sound_folder_t() {
    if (m_mount) ufs_unmount(m_mount);
    fs_shutdown();
}

std::string sound_folder_t::add(const std::string &name, const std::string &bytes) {
    EXPECT_TRUE(write_file(m_dir.file(name), bytes)) << name;
    return "/snd/" + name;
}

}  // namespace quarn::test
