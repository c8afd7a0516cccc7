#include "game/world/sound_loop.h"

#include "kernel/sound/sound.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

constexpr unit_attr_t<UNIT_ATTR_FLOAT> volume_domain{{0.0f, 1.0f}};
constexpr unit_attr_t<UNIT_ATTR_FLOAT> range_domain{{0.0f, 250.0f}};

}  // namespace

QRN_UNIT_DEFINE(sound_loop_u, "sound_loop", QRN_ATTR(m_placement, UNIT_ATTR_PLACEMENT_SCALE, "placement"),
                QRN_ATTR(m_sound_file, UNIT_ATTR_STRING, "sound_file"),
                QRN_ATTR(m_volume, UNIT_ATTR_FLOAT, "volume", &volume_domain),
                QRN_ATTR(m_min_range, UNIT_ATTR_FLOAT, "min_range", &range_domain),
                QRN_ATTR(m_max_range, UNIT_ATTR_FLOAT, "max_range", &range_domain),
                QRN_ATTR(m_ambient, UNIT_ATTR_BOOL, "ambient"));

bool sound_loop_u::init_unit() {
    sound_u *sound = _snd_create(m_sound_file.c_str(), m_ambient ? AMBIENT_KIND : POSITIONAL_KIND, SOUND_TAG);
    if (!sound) {
        error("[game] The sound loop cannot create its sound '%s'", m_sound_file.c_str());
        return false;
    }
    m_sound.reset(sound);
    sound->attributes.min_distance = RANGE_SCALE * m_min_range;
    sound->attributes.max_distance = RANGE_SCALE * m_max_range;
    sound->attributes.volume = VOLUME_SCALE * m_volume;
    sound->set_position(m_placement.position.x, m_placement.position.y, m_placement.position.z);
    sound->play();
    return true;
}

void sound_loop_u::cleanup_unit() { m_sound.reset(); }

void sound_loop_u::on_destroy() { m_sound.reset(); }

}  // namespace quarn
