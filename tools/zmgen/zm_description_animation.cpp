// The "animations" block of a model description: per-frame bone keys with
// durations, loops, and root motion.
#include <set>

#include "qrncore/strings/name_token.h"
#include "zm_builder.h"

namespace zmgen {

bool zm_builder_t::read_animations(const def_obj_t *animations) {
    if (!r.check(animations, {}, {}, true)) return false;
    std::set<uint64_t> tokens;
    for (const def_obj_t *a = animations->get_first_child(); a; a = a->get_next()) {
        if (!token_name(a, "animation")) return false;
        uint64_t token = 0;
        quarn::string_to_token(token, a->get_name());
        if (!tokens.insert(token).second) return r.fail(a, nullptr, "animation '%s' is named twice", a->get_name());
        zm_animation_t out;
        if (!read_animation(a, out)) return false;
        m_out.animations.push_back(std::move(out));
    }
    return true;
}

bool zm_builder_t::read_animation(const def_obj_t *a, zm_animation_t &out) {
    if (!r.check(a, {"loop", "frame_time", "move", "turn", "turn_ypr", "tracks", "length"}, {}, true)) return false;
    out.name = a->get_name();
    bool loop = false;
    float frame_time = 0.1f;
    vec3_t move;
    quat_t turn;
    if (!r.boolean(a, "loop", loop) || !r.real(a, "frame_time", frame_time) || !r.vec3(a, "move", move) ||
        !r.rotation(a, "turn", "turn_ypr", turn))
        return false;
    if (!(frame_time > 0.0f)) return r.fail(a, "frame_time", "'frame_time' must be above 0");
    bool moves = r.has(a, "move"), turns = r.has(a, "turn") || r.has(a, "turn_ypr");
    if (!a->get_first_child()) return r.fail(a, nullptr, "animation '%s' has no frames", a->get_name());

    // Tracks: as listed, every bone for "all", else every bone a frame names, in
    // bone order.
    const std::vector<zm_bone_t> &bones = m_out.geometry.bones;
    std::vector<int> tracks;
    std::vector<bool> tracked(bones.size(), false);
    if (r.has(a, "tracks")) {
        std::vector<std::string> names;
        r.words(a, "tracks", names);
        if (names.size() == 1 && names[0] == "all") {
            for (size_t b = 0; b < bones.size(); ++b) tracks.push_back(int(b));
        } else {
            for (const std::string &n : names) {
                const int b = bone_index(a, "tracks", n);
                if (b < 0) return false;
                if (tracked[size_t(b)]) return r.fail(a, "tracks", "bone '%s' is tracked twice", n.c_str());
                tracked[size_t(b)] = true;
                tracks.push_back(b);
            }
        }
    } else {
        for (const def_obj_t *f = a->get_first_child(); f; f = f->get_next())
            for (const def_obj_t *k = f->get_first_child(); k; k = k->get_next()) {
                const int b = bone_index(k, nullptr, k->get_name());
                if (b < 0) return false;
                tracked[size_t(b)] = true;
            }
        for (size_t b = 0; b < bones.size(); ++b)
            if (tracked[b]) tracks.push_back(int(b));
    }
    std::fill(tracked.begin(), tracked.end(), false);
    for (int b : tracks) {
        tracked[size_t(b)] = true;
        out.tracks.push_back(uint8_t(b));
    }

    // Frames as described: keys start from the rest pose; a frame's move and turn are
    // the root motion from it to the next frame.
    std::vector<vec3_t> moves_of;
    std::vector<quat_t> turns_of;
    for (const def_obj_t *f = a->get_first_child(); f; f = f->get_next()) {
        if (!r.check(f, {"duration", "move", "turn", "turn_ypr"}, {}, true)) return false;
        zm_frame_t frame;
        frame.duration = frame_time;
        vec3_t m = move;
        quat_t t = turn;
        if (!r.real(f, "duration", frame.duration) || !r.vec3(f, "move", m) || !r.rotation(f, "turn", "turn_ypr", t))
            return false;
        if (!(frame.duration > 0.0f)) return r.fail(f, "duration", "'duration' must be above 0");
        moves = moves || r.has(f, "move");
        turns = turns || r.has(f, "turn") || r.has(f, "turn_ypr");
        moves_of.push_back(m * m_scale);
        turns_of.push_back(t);
        for (const def_obj_t *k = f->get_first_child(); k; k = k->get_next()) {
            const int b = bone_index(k, nullptr, k->get_name());
            if (b < 0) return false;
            if (!tracked[size_t(b)])
                return r.fail(k, nullptr, "bone '%s' is not among the tracks of '%s'", k->get_name(), a->get_name());
            if (!r.check(k, {"translation", "rotation", "ypr", "stretch", "scale"})) return false;
        }
        for (int b : tracks) {
            const zm_bone_t &bone = bones[size_t(b)];
            zm_key_t key{bone.stretch, bone.rotation, bone.translation, bone.scale};
            if (const def_obj_t *k = f->find(bone.name.c_str()); k && k->get_parent() == f) {
                vec3_t translation = key.translation / m_scale;
                if (!r.vec3(k, "translation", translation) || !r.rotation(k, "rotation", "ypr", key.rotation) ||
                    !r.rotation(k, "stretch", "stretch", key.stretch) || !r.vec3(k, "scale", key.scale))
                    return false;
                key.translation = translation * m_scale;
            }
            frame.keys.push_back(key);
        }
        out.frames.push_back(std::move(frame));
    }

    // A loop ends on a copy of its first frame: playback goes on from frame 1.
    if (loop) {
        zm_frame_t copy = out.frames.front();
        out.frames.push_back(copy);
    }
    const size_t n = out.frames.size();
    if (n > 0xFFFF) return r.fail(a, nullptr, "animation '%s' has more than 65535 frames", a->get_name());
    // Root motion entry f + 1 is made from frame f to frame f + 1; entry 0 is none.
    for (size_t f = 0; f < n; ++f) {
        out.frames[f].move = f == 0 ? vec3_t{} : moves_of[f - 1];
        out.frames[f].turn = f == 0 ? quat_t{} : turns_of[f - 1];
    }
    out.root_translation = moves;
    out.root_rotation = turns;

    // The length: from the first frame to the last (a one-frame pose lasts its frame).
    out.length = 0.0f;
    for (size_t f = 0; f + 1 < n; ++f) out.length += out.frames[f].duration;
    if (n == 1) out.length = out.frames[0].duration;
    if (!r.real(a, "length", out.length)) return false;
    if (!(out.length > 0.0f)) return r.fail(a, "length", "'length' must be above 0");
    return true;
}

}  // namespace zmgen
