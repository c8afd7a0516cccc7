#pragma once
// Sounds for the sound tests, made in the test: tones as WAV files (8- or 16-bit,
// mono or stereo) and as Ogg Vorbis (the sound generator's encoder), and a folder of
// them mounted in the virtual file system.
#include <cstdint>
#include <string>
#include <vector>

#include "qrncore/qrnutils/ufs/fs.h"
#include "support/temp_dir.h"

namespace quarn::test {

// seconds of a sine of frequency hertz at amplitude (0..1), one value a sample frame.
std::vector<float> sine(double frequency, uint32_t rate, double seconds, double amplitude = 0.5);

// A WAV file of the samples, the same samples on every channel.
std::string wav_file(const std::vector<float> &samples, uint32_t rate, uint16_t channels, uint16_t bits);
// A mono Ogg Vorbis file of the samples.
std::string ogg_file(const std::vector<float> &samples, uint32_t rate);

// A folder of sound files mounted at "/snd" (the virtual file system is started
// with it and stopped when it goes).
class sound_folder_t {
public:
    sound_folder_t();
    ~sound_folder_t();
    // Writes the file; its virtual path is "/snd/" + name.
    std::string add(const std::string &name, const std::string &bytes);

private:
    temp_dir_t m_dir;
    fs_device_t *m_mount = nullptr;
};

}  // namespace quarn::test
