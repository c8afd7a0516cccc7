#include "test_sounds.h"

#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include "sound_list.h"

namespace quarn::test {

namespace {

void put(std::string &out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(char(value >> (8 * i)));
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
    std::string out;
    EXPECT_TRUE(sndgen::encode_ogg(samples, rate, "test", out));
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
