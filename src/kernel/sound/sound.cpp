#include "kernel/sound/sound.h"

#include "kernel/hw_devices.h"
#include "outside/qrnshared/bindery.h"
#include "outside/qrnshared/cmd.h"
#include "outside/qrnshared/cvar.h"
#include "outside/sonbase/snd_proc.h"
#include "qrncore/collections/list_dyn.h"
#include "qrncore/strings/cstring.h"
#include "qrncore/strings/number_text.h"
#include "qrncore/system/host_object.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_system.h"

using quarn::sound_u;
using quarn::sound::channel_t;
using quarn::sound::device_t;

namespace quarn {

namespace {

// The lists of sounds, made at start and freed at stop: their node pools must not
// outlive the host's allocator.
struct sound_lists_t : host_object_t {
    // Counted references; the only lasting count of a sound the game does not hold.
    list_dyn_t<ref_ptr_t<sound_u>> live;
    // Owners of the one-shot sounds, which keep them alive until they stop.
    list_dyn_t<owner_ptr_t<sound_u>> oneshots;
};

// Distances a sound gets before snd_def_mm_distances is called.
constexpr float DEFAULT_MIN_DISTANCE = 1.0f;
constexpr float DEFAULT_MAX_DISTANCE = 100000.0f;

struct front_end_t {
    float music_volume = 1.0f;
    float sfx_volume = 1.0f;
    device_t *current = nullptr;
    int32_t current_tag = -1;
    float default_min = DEFAULT_MIN_DISTANCE;
    float default_max = DEFAULT_MAX_DISTANCE;
    sound::listener_t listener;
    unit_system_t *system = nullptr;
    sound_lists_t *lists = nullptr;
};

front_end_t fe;

bool volume_is_number(const cvar_t *variable, const char *value);
void music_volume_changed(cvar_t *variable);
void sfx_volume_changed(cvar_t *variable);

cvar_t s_device("s_device", "snddev", cvar_t::STORED);
cvar_t s_reverse_stereo("s_reverse_stereo", "0", cvar_t::STORED);
cvar_t s_music_volume("s_music_volume", "1.0", cvar_t::STORED, volume_is_number, music_volume_changed);
cvar_t s_sfx_volume("s_sfx_volume", "1.0", cvar_t::STORED, volume_is_number, sfx_volume_changed);
cvar_t s_music_enabled("s_music_enabled", "1", cvar_t::STORED);
cvar_t s_sfx_enabled("s_sfx_enabled", "1", cvar_t::STORED);
cvar_t s_mix_rate("s_mix_rate", "44100", cvar_t::STORED);
cvar_t s_mix_depth("s_mix_depth", "16", cvar_t::STORED);
cvar_t s_mix_channels("s_mix_channels", "2", cvar_t::STORED);
cvar_t s_acceleration("s_acceleration", "0", cvar_t::STORED);

cvar_t *const variables[] = {&s_device,       &s_reverse_stereo, &s_music_volume, &s_sfx_volume,   &s_music_enabled,
                             &s_sfx_enabled,  &s_mix_rate,       &s_mix_depth,    &s_mix_channels, &s_acceleration};

int cmd_restart(const cmd_context_t *) {
    snd_restart();
    return cmd_t::DONE;
}

int cmd_info(const cmd_context_t *) { return snd_device_info(); }

cmd_t restart_command("s_restart", cmd_restart);
cmd_t info_command("s_info", cmd_info);

// Registers (phase 0) or unregisters (phase 1) the variables and commands.
void bind_console(int phase) {
    bindery_t bindery(phase);
    for (cvar_t *v : variables) bindery.update_cvar(*v);
    bindery.update_cmd(restart_command, cmd_t::NO_QUEUE);
    bindery.update_cmd(info_command, cmd_t::NO_QUEUE);
}

// ASCII case folding, whatever the C library's locale says.
bool names_match(const char *a, const char *b) {
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : char(c); };
    for (; *a && *b; ++a, ++b)
        if (lower(*a) != lower(*b)) return false;
    return *a == *b;
}

bool is_sound_device(const hw_device_t *device) { return device->device_class == hw_device_t::SOUND; }

// Every device of class 2 is a device of the sound layer: only that layer's base
// class registers with that class.
device_t *as_sound_device(hw_device_t *device) { return static_cast<device_t *>(device); }

template <class F>
void for_each_live(F f) {
    if (!fe.lists) return;
    for (auto &held : fe.lists->live) f(held.get());
}

void mark_playing_changed(uint32_t also_needed) {
    for_each_live([also_needed](sound_u *s) {
        if (s->has_flag(sound_u::PLAYING) && (s->flags & also_needed) == also_needed) s->flags |= sound_u::CHANGED;
    });
}

// Stops the sound's playback and closes its channel on the device it is open on.
void close_sound_channel(sound_u *s) {
    if (s->has_flag(sound_u::PLAYING)) {
        if (s->channel) s->channel->stop();
        s->set_flag(sound_u::PLAYING, false);
    }
    if (s->has_flag(sound_u::CHANNEL_OPEN)) {
        if (s->channel && s->channel->get_device()) s->channel->get_device()->close_channel(s->channel);
        s->set_flag(sound_u::CHANNEL_OPEN, false);
    }
    s->channel = nullptr;
}

void stop_every_channel() { for_each_live(close_sound_channel); }

// Stops every channel and shuts the current device down; false when none was current.
bool shut_down_current() {
    if (!fe.current) return false;
    stop_every_channel();
    hw_shutdown(fe.current);
    fe.current->state = hw_device_t::SHUT_DOWN;
    fe.current = nullptr;
    return true;
}

// Makes device current (none: no device) and starts it.
bool select_device(device_t *device) {
    shut_down_current();
    if (device) {
        message("[snd] select device (%s)", device->name.c_str());
        fe.current = device;
        if (hw_init(device)) {
            // A device shut down before and selected again runs once more, so the
            // registry polls it again.
            device->state = hw_device_t::RUNNING;
            return true;
        }
    }
    fe.current = nullptr;
    message("[snd] select device = NULL");
    return false;
}

// Sends the attributes when they changed, with the volume of the sound's kind.
void send_attributes(sound_u *s) {
    if (!s->has_flag(sound_u::CHANGED) || !s->channel) return;
    sound::channel_attributes_t attributes = s->attributes;
    attributes.volume *= s->has_flag(sound_u::MUSIC) ? fe.music_volume : fe.sfx_volume;
    s->channel->set_attributes(attributes);
    s->set_flag(sound_u::CHANGED, false);
}

// Drops a one-shot sound from its owner, which destroys it.
void drop_oneshot(sound_u *s) {
    auto &oneshots = fe.lists->oneshots;
    for (auto it = oneshots.begin(); it != oneshots.end(); ++it) {
        if (it->get() != s) continue;
        oneshots.erase(it);
        return;
    }
}

// One sound's part of the frame. The sound may be released at the end.
void update_sound(sound_u *s, bool music_enabled, bool sfx_enabled) {
    if (s->channel && s->channel->has_finished()) s->set_flag(sound_u::PLAY_REQUESTED, false);
    const bool requested = s->has_flag(sound_u::PLAY_REQUESTED);
    const bool playing = s->has_flag(sound_u::PLAYING);
    if (!playing && !requested) return;

    bool audible = requested && !s->has_flag(sound_u::MUTED) &&
                   (s->has_flag(sound_u::MUSIC) ? music_enabled : sfx_enabled);
    if (audible && s->has_flag(sound_u::POSITIONAL)) {
        const vec3_t &p = s->attributes.position;
        const vec3_t &l = fe.listener.placement.position;
        const float dx = p.x - l.x, dy = p.y - l.y, dz = p.z - l.z;
        const float max = s->attributes.max_distance;
        // At exactly the maximum distance a sound is silent.
        audible = dx * dx + dy * dy + dz * dz < max * max;
    }
    if (!audible && requested && !s->has_flag(sound_u::KEEP)) s->set_flag(sound_u::PLAY_REQUESTED, false);

    if (audible && !playing) {
        if (!s->channel) {
            s->channel = fe.current->open_channel(s->resource_name.c_str(), s->flags & sound_u::CREATOR_FLAGS);
            // Still requested: the next frame tries again.
            if (!s->channel) return;
            s->flags |= sound_u::CHANNEL_OPEN | sound_u::CHANGED;
        }
        send_attributes(s);
        s->channel->play();
        s->flags |= sound_u::PLAYING;
    } else if (!audible && playing) {
        close_sound_channel(s);
    } else if (audible) {
        send_attributes(s);
    }

    if (s->has_flag(sound_u::ONE_SHOT) && !audible) drop_oneshot(s);
}

// Survivors of snd_finish are the game's fault: reported, not released.
void report_survivors() {
    for_each_live([](sound_u *s) {
        if (s->is_alive()) error("undestroyed sound unit in snd_finish - BUG!");
    });
}

bool volume_is_number(const cvar_t *variable, const char *value) {
    const char *end = nullptr;
    v_strtod(value, &end);
    if (end != value && *v_skip_wspace(end) == 0) return true;
    warning("[snd] %s: '%s' is not a number - the value stays '%s'", variable->name, value, variable->get_text());
    return false;
}

// The variable's value clamped to [0, 1]; a clamped value is written back.
float clamped_volume(cvar_t *variable) {
    const double value = v_strtod(variable->get_text(), nullptr);
    if (value > 1.0) {
        variable->set_value_text("1.0");
        return 1.0f;
    }
    if (value < 0.0) {
        variable->set_value_text("0.0");
        return 0.0f;
    }
    return float(value);
}

void music_volume_changed(cvar_t *variable) {
    fe.music_volume = clamped_volume(variable);
    mark_playing_changed(0);
}

void sfx_volume_changed(cvar_t *variable) {
    fe.sfx_volume = clamped_volume(variable);
    mark_playing_changed(0);
}

}  // namespace

void snd_start(unit_bank_t *bank, unit_system_t *system) {
    if (fe.lists) {
        warning("[snd] The sound front-end is started already");
        return;
    }
    fe = front_end_t();
    fe.lists = new sound_lists_t;
    if (!fe.lists) error("[snd] Out of memory for the lists of sounds - no sound can be made");
    // Registration may adopt values given on the command line, through the hooks.
    bind_console(bindery_t::REGISTER);
    if (bank) sound_u::register_class(*bank);
    else warning("[snd] No engine unit bank - the unit class 'sound' is not registered");
    fe.system = system;
    snd_proc_init();
}

void snd_stop() {
    bind_console(bindery_t::UNREGISTER);
    // Sounds left over are released here, so that no counted pointer of the front-end
    // outlives it; its console goes too.
    if (fe.lists) {
        // Devices and their channels may be gone with their plug-ins by now: channels
        // are forgotten, not closed; a device that still exists frees them itself.
        fe.current = nullptr;
        for_each_live([](sound_u *s) {
            s->channel = nullptr;
            s->set_flag(sound_u::PLAYING | sound_u::CHANNEL_OPEN, false);
        });
        snd_finish();
        delete fe.lists;
    }
    fe = front_end_t();
}

void snd_forget_sound(sound_u *sound) {
    close_sound_channel(sound);
    if (!fe.lists) return;
    auto &live = fe.lists->live;
    for (auto it = live.begin(); it != live.end(); ++it) {
        if (it->get() != sound) continue;
        live.erase(it);
        return;
    }
}

uint32_t snd_live_count() { return fe.lists ? fe.lists->live.get_count() : 0; }

uint32_t snd_oneshot_count() { return fe.lists ? fe.lists->oneshots.get_count() : 0; }

}  // namespace quarn

using namespace quarn;

bool snd_init_devices() { return select_device(snd_eval_devicestring(s_device.get_text())); }

bool snd_restart() {
    device_t *device = fe.current;
    if (device && names_match(device->name.c_str(), s_device.get_text())) {
        stop_every_channel();
        if (device->restart()) return true;
        error("[snd] restart of device (%s) failed", device->name.c_str());
        fe.current = nullptr;
        return false;
    }
    shut_down_current();
    return snd_init_devices();
}

int snd_device_shutdown() { return shut_down_current() ? 1 : 0; }

int snd_shutdown_devices() {
    // The current device goes first with its channels stopped and closed: shut down
    // under them, the sounds would keep channels of a device that may be deleted next.
    int count = snd_device_shutdown();
    for (int i = 0; i < hw_device_count(); ++i) {
        hw_device_t *device = hw_device_get(i);
        if (!is_sound_device(device) || device->state == hw_device_t::SHUT_DOWN) continue;
        hw_shutdown(device);
        device->state = hw_device_t::SHUT_DOWN;
        ++count;
    }
    return count;
}

device_t *snd_device_current() { return fe.current; }

device_t *snd_device_get(int n) {
    for (int i = 0; i < hw_device_count(); ++i) {
        hw_device_t *device = hw_device_get(i);
        if (is_sound_device(device) && n-- == 0) return as_sound_device(device);
    }
    message("[snd] get device = NULL");
    return nullptr;
}

int snd_device_count() {
    int count = 0;
    for (int i = 0; i < hw_device_count(); ++i) count += is_sound_device(hw_device_get(i));
    message("[snd] device count : %d", count);
    return count;
}

device_t *snd_eval_devicestring(const char *name) {
    if (!name) return nullptr;
    for (int i = 0; i < hw_device_count(); ++i) {
        hw_device_t *device = hw_device_get(i);
        if (is_sound_device(device) && device->present && names_match(device->name.c_str(), name))
            return as_sound_device(device);
    }
    return nullptr;
}

void snd_device_suspend() {
    if (fe.current) hw_suspend(fe.current);
}

void snd_device_revive() {
    if (fe.current) hw_revive(fe.current);
}

int snd_device_info() { return cmd_t::DONE; }

float snd_get_music_volume() { return fe.music_volume; }

float snd_get_sfx_volume() { return fe.sfx_volume; }

bool snd_is_accelerated() { return s_acceleration.get_int() != 0; }

bool snd_is_stereo_reversed() { return s_reverse_stereo.get_int() != 0; }

void snd_listener(const placement_t *placement, const vec3_t *velocity) {
    if (!placement) {
        error("[snd] snd_listener without a placement - the listener stays");
        return;
    }
    fe.listener.placement = *placement;
    fe.listener.velocity = velocity ? *velocity : vec3_t{};
    mark_playing_changed(sound_u::POSITIONAL);
}

float snd_distance_factor(float factor) { return fe.listener.distance_factor = factor; }

float snd_rolloff_factor(float factor) { return fe.listener.rolloff_factor = factor; }

void snd_def_mm_distances(float min_distance, float max_distance) {
    fe.default_min = min_distance;
    fe.default_max = max_distance;
}

float snd_get_length(const char *) { return 0.0f; }

void snd_set_current_tag(int tag) {
    fe.current_tag = tag;
    for_each_live([tag](sound_u *s) { s->set_flag(sound_u::MUTED, s->tag != tag && s->tag != -1); });
}

void snd_enforce_attributes() {
    if (fe.current) mark_playing_changed(0);
}

sound_u *_snd_create(const char *resource_name, uint32_t flags, int32_t tag) {
    if (!resource_name || !resource_name[0]) {
        error("[snd] A sound needs a resource name");
        return nullptr;
    }
    if (!fe.lists || !fe.system) {
        error("[snd] No unit system for sounds - the sound '%s' is not made", resource_name);
        return nullptr;
    }
    auto *s = static_cast<sound_u *>(unit_system_t::create_unit_in(fe.system, sound_u::unit_descriptor));
    if (!s) {
        error("[snd] Out of memory for the sound '%s'", resource_name);
        return nullptr;
    }
    // Counted from here on: a failure below lets the reference go, and the unit goes
    // to the garbage list.
    ref_ptr_t<sound_u> hold(s);
    if (!s->resource_name.copy(string(resource_name))) {
        error("[snd] Out of memory for the sound '%s'", resource_name);
        return nullptr;
    }
    s->flags |= flags | sound_u::CHANGED;
    s->tag = tag;
    s->attributes.min_distance = fe.default_min;
    s->attributes.max_distance = fe.default_max;
    if (!fe.lists->live.append(std::move(hold))) {
        error("[snd] Out of memory for the sound '%s'", resource_name);
        return nullptr;
    }
    if (tag != fe.current_tag && tag != -1) s->flags |= sound_u::MUTED;
    return s;
}

sound_u *_snd_create_oneshot(const char *resource_name, uint32_t flags, int32_t tag) {
    sound_u *s = _snd_create(resource_name, flags, tag);
    if (!s) return nullptr;
    s->flags |= sound_u::ONE_SHOT;
    if (!fe.lists->oneshots.append(owner_ptr_t<sound_u>(s))) {
        // The owner let go of it: destroyed and out of the live list.
        error("[snd] Out of memory for the one-shot sound '%s'", resource_name);
        return nullptr;
    }
    return s->is_alive() ? s : nullptr;
}

void snd_update_state() {
    if (!fe.current || !fe.lists) return;
    fe.current->set_listener(fe.listener);
    const bool music_enabled = s_music_enabled.get_int() != 0;
    const bool sfx_enabled = s_sfx_enabled.get_int() != 0;
    auto &live = fe.lists->live;
    for (auto it = live.begin(); it != live.end();) {
        // The next entry first: releasing a one-shot takes its entry out of the list.
        sound_u *s = it->get();
        ++it;
        update_sound(s, music_enabled, sfx_enabled);
    }
    fe.current->finish_frame();
}

void snd_finish() {
    if (!fe.lists) return;
    fe.lists->oneshots.remove_all();
    report_survivors();
}
