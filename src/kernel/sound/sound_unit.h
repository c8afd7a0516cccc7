#pragma once
// quarn::sound_u: a sound of the kernel's sound front-end, a unit of the class
// "sound". The front-end makes it (_snd_create, _snd_create_oneshot) and keeps it in
// its list of live sounds; the game asks it to play, moves it and writes its volume
// and distances, and each frame the front-end decides whether it is heard (see
// sound.h). A sound's destruction stops and closes its channel and takes it out of
// the front-end's lists.
#include <cstdint>

#include "outside/sonbase/channel.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class sound_u : public unit_t {
public:
    static const string class_name;
    static const uint32_t fingerprint;
    static const unit_descriptor_t unit_descriptor;
    static const unit_attribute_t unit_attributes[];
    static unit_base_t *create_instance(unit_system_t *system);
    static bool register_class(unit_bank_t &bank);

    // Flags the creator gives (the low 16 bits).
    static constexpr uint32_t POSITIONAL = 0x1;  // heard only within its maximum distance of the listener
    static constexpr uint32_t KEEP = 0x2;        // keeps its play request while it cannot be heard (looping)
    static constexpr uint32_t MUSIC = 0x8;       // music, else an effect
    static constexpr uint32_t CREATOR_FLAGS = 0xFFFF;
    // The front-end's state.
    static constexpr uint32_t CHANNEL_OPEN = 0x10000;
    static constexpr uint32_t PLAY_REQUESTED = 0x20000;
    static constexpr uint32_t PLAYING = 0x40000;
    static constexpr uint32_t CHANGED = 0x80000;   // the attributes go to the channel at the next update
    static constexpr uint32_t ONE_SHOT = 0x100000;  // released when it stops
    static constexpr uint32_t MUTED = 0x200000;     // its tag is neither the current one nor -1

    // Asks for playback (and marks the attributes changed); a sound whose playback is
    // already asked for stays as it is.
    void play();
    // Moves the sound and marks the attributes changed.
    void set_position(float x, float y, float z);
    // The rate factor; marks the attributes changed.
    void set_rate(float rate);

    bool has_flag(uint32_t flag) const { return (flags & flag) != 0; }
    void set_flag(uint32_t flag, bool on) { flags = on ? flags | flag : flags & ~flag; }

    // Closes the channel and leaves the front-end's lists, then as unit_t.
    void destroy() override;
    // Sounds exist only in the front-end's lists: a copy is made with _snd_create, so
    // clone gives nothing.
    owner_ptr_ret_t<unit_base_t> clone() override;
    const unit_descriptor_t *get_descriptor() const override;

    uint32_t flags = CHANGED;
    // Written by the game (volume, distances) and by the operations above; sent to the
    // channel with the current music or effect volume applied.
    sound::channel_attributes_t attributes;
    int32_t tag = -1;  // -1: heard under every tag
    mstring_dyn_t resource_name;
    sound::channel_t *channel = nullptr;  // while CHANNEL_OPEN

protected:
    explicit sound_u(unit_system_t *system);
    ~sound_u() override;
};

}  // namespace quarn
