#pragma once
// skybox_u ("skybox"): the sky model and the sun disc around the camera. The sky is
// "/model/skybox/model.zmd" in the look the weather preset names and the variant of
// the map; it stands at the camera's x and z at height 0, and its cloud texture moves
// with the wind. The sun disc "/model/particle/sun.zmd" stands 400 units out along the
// sun's direction, facing along it.
//
// Packets: the sky draws with a seven-slot array of its own: slot 0 the scene's sky
// camera (camera 3), 1 the sky's model packet, 2 a fog packet of its own (no fog: the
// sky is not fogged), 3 the scene's lit-colour light (light 8) and 5 the cloud
// texture matrix. The sun disc draws with the same packets but a model packet of its
// own, so that the two models do not share one placement.
//
// The environment makes it with its children; apply_preset sets the sky, the scene's
// update list moves the clouds, and the game process draws it once a frame through
// environment_u::update_skybox.
#include "game/scene/updatable.h"
#include "game/visuals/models/model_lib.h"
#include "game/visuals/models/model_object.h"
#include "game/visuals/shaders/fw_packets.h"
#include "outside/qrnshared/parameter_packet.h"
#include "qrncore/math/vec.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_class.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class model_desc_u;
class sun_u;

class skybox_u : public unit_t, public updatable_t {
    QRN_UNIT_CLASS(skybox_u, unit_t);

public:
    static constexpr const char *SKY_MODEL = "/model/skybox/model.zmd";
    static constexpr const char *SUN_MODEL = "/model/particle/sun.zmd";
    // Cloud texture units a second per metre a second of wind.
    static constexpr float CLOUD_SPEED = 0.004f;
    // How many sun positions (100 units each) out the disc stands.
    static constexpr float SUN_DISTANCE = 4.0f;
    // The scene's packets the sky takes: camera 3 (the sky camera) and light 8.
    static constexpr uint32_t SCENE_CAMERA = 2;
    static constexpr uint32_t SCENE_LIGHT = 7;

    // Makes the sky of the map in the look (stops at a missing sky model or a look or
    // variant it cannot make: no sky, no disc), enters the sky box in the current
    // scene's update list (once, however often it is called), then makes the sun disc
    // when its model is there. The sky box logs nothing of its own; the model library
    // names what it could not load.
    void set_sky(const char *map_name, const char *look_name);

    // Moves the clouds by the current scene's wind.
    void update(float dt) override;
    // Moves the clouds by a wind of unit direction and speed over dt seconds: each
    // texture offset goes against the wind's x and z, kept within −1..1.
    void move_clouds(float dt, const vec3_t &direction, float speed);
    // Draws the sky at (camera x, 0, camera z) with the cloud offset, then the sun
    // disc at camera + SUN_DISTANCE × the sun's position when the disc is in view.
    // True when the disc was drawn. (Not updatable_t::draw: the scene's draw of its
    // list leaves the sky to the game process's own call.)
    bool draw_sky(const vec3_t &camera, const sun_u *sun);

    model_object_u *get_sky() const { return m_sky.get(); }
    model_object_u *get_sun_disc() const { return m_sun.get(); }
    const vec2_t &get_scroll() const { return m_scroll; }
    bool is_listed() const { return m_listed; }
    r_parameter_array_t &get_packets() { return m_packets; }
    fw4pp_model_u *get_model_packet() const { return m_model_packet.get(); }
    fw4pp_texture_transform_u *get_texture_matrix_packet() const { return m_texture_packet.get(); }
    pp_fog_u *get_fog_packet() const { return m_fog_packet.get(); }

private:
    void on_construct();
    void on_destroy();
    void drop_models();

    model_ref_t<model_desc_u> m_sky_template;
    owner_ptr_t<model_object_u> m_sky;
    r_parameter_array_t m_packets;
    owner_ptr_t<fw4pp_model_u> m_model_packet;
    owner_ptr_t<fw4pp_texture_transform_u> m_texture_packet;
    owner_ptr_t<pp_fog_u> m_fog_packet;
    model_ref_t<model_desc_u> m_sun_template;
    owner_ptr_t<model_object_u> m_sun;
    vec2_t m_scroll{0.0f, 0.0f};
    bool m_listed = false;
};

}  // namespace quarn
