#pragma once
// sndgen: the game's generated sounds. A sound list names each sound on one line:
//
//     # path                         kind     seconds  settings
//     /sound/ui/cameraclick.ogg      noise    0.06     volume=0.7 fade=0.02
//     /sound/game/round.ogg          tone     0.6      freq=440 freq_end=880
//
// and every sound is written as Ogg Vorbis below an output folder that mirrors the
// virtual tree. docs/formats/sound-list.md describes the format.
#include <cstdint>
#include <string>
#include <vector>

namespace sndgen {

enum class kind_t { TONE, NOISE, SILENCE };

struct sound_t {
    std::string path;  // virtual path: "/" first, ".ogg" last, no "." or ".." parts
    kind_t kind = kind_t::SILENCE;
    double seconds = 0.0;
    double freq = 440.0;      // tone: start frequency, Hz
    double freq_end = 0.0;    // tone: end frequency; 0 keeps freq
    double volume = 0.5;      // peak amplitude, 0..1
    double fade = 0.005;      // seconds of linear fade in and out
    uint32_t rate = 22050;    // samples a second
    uint32_t seed = 1;        // noise: the generator's seed
    int line = 0;             // where the list gave it
};

// Reads a list; on the first error returns false with "name:line: what is wrong" in
// error. Paths must be unique.
bool parse_list(const std::string &text, const std::string &name, std::vector<sound_t> &out, std::string &error);

// The sound's samples, -1..1, mono.
std::vector<float> synthesize(const sound_t &sound);

// The samples as an Ogg Vorbis stream (quality 0.4, mono), with a stream serial made
// from serial_text, so that the same input always gives the same bytes. False when
// the encoder refuses the rate.
bool encode_ogg(const std::vector<float> &samples, uint32_t rate, const std::string &serial_text, std::string &out);

// Every sound of the list below folder (the path's folders made); false with the
// reason in error.
bool write_sounds(const std::vector<sound_t> &sounds, const std::string &folder, std::string &error);

}  // namespace sndgen
