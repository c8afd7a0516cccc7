// Ragdolls over the whitetail's generated skeleton in a headless physics scene: the
// load checks and the binding (each a table with its message), the limits, the bodies
// and shapes a fit makes, the pose following the bodies, velocities and hits.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "animal_body_fixture.h"
#include "game/visuals/physics/physics_body.h"
#include "game/visuals/physics/physics_shape.h"
#include "qrncore/math/matrix.h"
#include "qrncore/units/unit_load_tree.h"

namespace quarn::test {
namespace {

// Three parts on the root, spine and neck bones: a box, a capsule whose end pin is
// found from its one child joint, and a sphere; a hinge and a universal joint.
const std::string BASE = R"(RozErere
{
ragdoll : .r
{
parts: 3
parts[0]: .pelvis
parts[1]: .chest
parts[2]: .neck
joints: 3
joints[0]: .root
joints[1]: .spine
joints[2]: .neckj
root_joint: .root
dummy_one_frame_anim: "/model/animal/whitetail/dummy.zma"
}
ragdoll_part_box : .pelvis { end_pin_bone_name: spine mass: 12 actor_placement: (0, 0.95, 0.2) (1; 0, 0, 0) dimensions: (0.4, 0.45, 0.7) }
ragdoll_part_capsule : .chest { end_pin_bone_name: auto__detect mass: 8 actor_placement: (0, 1, -0.45) (1; 0, 0, 0) radius: 0.2 length: 0.25 }
ragdoll_part_sphere : .neck { end_pin_bone_name: head mass: 2 actor_placement: (0, 1.3, -0.65) (1; 0, 0, 0) radius: 0.1 }
ragdoll_joint_root : .root { child_part: .pelvis model_bone_name: root joint_placement: (0, 0.95, 0) (1; 0, 0, 0) }
ragdoll_joint_hinge : .spine { parent_part: .pelvis child_part: .chest model_bone_name: spine joint_placement: (0, 1, -0.4) (1; 0, 0, 0) axis: 0 low_limit: -20 high_limit: 20 }
ragdoll_joint_universal : .neckj { parent_part: .chest child_part: .neck model_bone_name: neck joint_placement: (0, 1.15, -0.6) (1; 0, 0, 0) axis0: 0 axis1: 1 low_limit0: -30 high_limit0: 30 }
}
)";

using edits_t = std::vector<std::pair<std::string, std::string>>;

std::string edited(const edits_t &edits) {
    std::string text = BASE;
    for (const auto &[from, to] : edits) {
        const size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) text.replace(at, from.size(), to);
    }
    return text;
}

// A fourth part on the front left leg, a second child joint of the chest.
const edits_t LEG = {
    {"parts: 3\n", "parts: 4\n"},
    {"parts[2]: .neck\n", "parts[2]: .neck\nparts[3]: .leg\n"},
    {"joints: 3\n", "joints: 4\n"},
    {"joints[2]: .neckj\n", "joints[2]: .neckj\njoints[3]: .legj\n"},
    {"ragdoll_joint_root :",
     "ragdoll_part_sphere : .leg { end_pin_bone_name: hoof_fl mass: 1 actor_placement: (-0.15, 0.5, -0.4) (1; 0, 0, 0) "
     "radius: 0.05 }\nragdoll_joint_hinge : .legj { parent_part: .chest child_part: .leg model_bone_name: leg_fl "
     "joint_placement: (-0.15, 0.95, -0.4) (1; 0, 0, 0) }\nragdoll_joint_root :"},
};

class ragdoll : public animal_body_fixture_t {
protected:
    void TearDown() override {
        fitted.reset();
        animal_body_fixture_t::TearDown();
    }
    model_object_u *model() { return inst->get_model(); }
    // Loads the text and fits it at placement; the ragdoll (null when the load failed).
    ragdoll_u *fit(const std::string &text, bool *fit_ok = nullptr, const placement_t &at = {}) {
        if (!load_text(text)) return nullptr;
        ragdoll_u *r = root<ragdoll_u>();
        if (!r) return nullptr;
        const bool ok = r->fit(model(), at, 1.0f, scene);
        if (fit_ok) *fit_ok = ok;
        return r;
    }
    void expect_empty_scene() {
        EXPECT_EQ(scene->get_body_count(), 0u);
        EXPECT_EQ(scene->get_shape_count(), 0u);
        EXPECT_EQ(scene->get_joint_count(), 0u);
    }
    placement_t bone(const char *name) {
        const int32_t b = model()->find_bone_by_name(name);
        EXPECT_GE(b, 0) << name;
        mat4_t m;
        model()->get_bone_matrix(uint32_t(b), &m);
        placement_t p({m.m[3], m.m[7], m.m[11]}, quat_t());
        p.rotation.set_matrix(m);
        p.rotation.normalize();
        return p;
    }
    owner_ptr_t<ragdoll_u> fitted;
};

void expect_near(const vec3_t &a, const vec3_t &b, float tolerance) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

void expect_same_rotation(const quat_t &a, const quat_t &b, float tolerance) {
    EXPECT_NEAR(std::fabs(a.dot(b)), 1.0f, tolerance) << a.w << " " << a.x << " " << a.y << " " << a.z << " / " << b.w
                                                      << " " << b.x << " " << b.y << " " << b.z;
}

TEST_F(ragdoll, load_checks_refuse_what_could_not_be_bound_or_simulated) {
    struct row_t {
        const char *what;
        edits_t edits;
        const char *message;
    };
    const row_t rows[] = {
        {"no parts", {{"parts: 3\nparts[0]: .pelvis\nparts[1]: .chest\nparts[2]: .neck\n", ""}}, "parts not found"},
        {"no joints", {{"joints: 3\njoints[0]: .root\njoints[1]: .spine\njoints[2]: .neckj\n", ""}}, "joints not found"},
        {"no root joint", {{"root_joint: .root\n", ""}}, "root_joint not found"},
        {"a joint without its child", {{"parent_part: .pelvis child_part: .chest", "parent_part: .pelvis"}},
         "missing child_part link"},
        {"a joint without its parent", {{"parent_part: .pelvis child_part: .chest", "child_part: .chest"}},
         "missing parent_part link"},
        {"equal universal axes", {{"axis0: 0 axis1: 1", "axis0: 1 axis1: 1"}},
         "Universal joint axes must have two DIFFERENT axes."},
        {"a hinge axis past z", {{"axis: 0", "axis: 3"}}, "axes are 0 (x), 1 (y) and 2 (z)"},
        {"a negative universal axis", {{"axis0: 0 axis1: 1", "axis0: -1 axis1: 1"}}, "axes are 0 (x), 1 (y) and 2 (z)"},
        {"a massless part", {{"mass: 8", "mass: 0"}}, "needs a mass above 0"},
        {"a negative radius", {{"radius: 0.1 }", "radius: -0.1 }"}}, "needs a radius and"},
        {"a zero capsule length", {{"length: 0.25", "length: 0"}}, "needs a radius and a length above 0"},
        {"a flat box", {{"dimensions: (0.4, 0.45, 0.7)", "dimensions: (0.4, 0, 0.7)"}}, "needs dimensions above 0"},
        {"a part below two joints",
         {{".neckj { parent_part: .chest child_part: .neck", ".neckj { parent_part: .pelvis child_part: .chest"}},
         "is the child of two joints"},
        {"a part joined to itself",
         {{".neckj { parent_part: .chest child_part: .neck", ".neckj { parent_part: .neck child_part: .neck"}},
         "Not every part of the ragdoll hangs from its root_joint"},
    };
    // The sphere's radius row: the message names the sphere.
    for (const row_t &row : rows) {
        SCOPED_TRACE(row.what);
        log.clear();
        EXPECT_FALSE(load_text(edited(row.edits)));
        const bool sphere = std::string(row.what) == "a negative radius";
        EXPECT_TRUE(log.contains(sphere ? "needs a radius above 0" : row.message));
    }
    log.clear();
    ASSERT_TRUE(load_text(BASE));
    EXPECT_FLOAT_EQ(root<ragdoll_u>()->get_total_mass(), 22.0f);
}

TEST_F(ragdoll, binding_refuses_joints_off_their_bones_and_leaves_nothing_in_the_scene) {
    struct row_t {
        const char *what;
        edits_t edits;
        const char *message;  // null: the fit succeeds
    };
    edits_t two_children = LEG;
    const row_t rows[] = {
        {"a joint 0.02 off its bone", {{"(0, 1, -0.4) (1; 0, 0, 0) axis", "(0, 1.02, -0.4) (1; 0, 0, 0) axis"}},
         "Dislocated joint on bone spine"},
        {"a joint 0.005 off its bone", {{"(0, 1, -0.4) (1; 0, 0, 0) axis", "(0, 1.005, -0.4) (1; 0, 0, 0) axis"}},
         nullptr},
        {"auto-detection below two joints", two_children, "The end pin name cannot be auto-detected"},
        {"a missing bone", {{"model_bone_name: neck", "model_bone_name: nope"}}, "Could not find bone named 'nope'"},
        {"a missing end pin", {{"end_pin_bone_name: head", "end_pin_bone_name: nope2"}},
         "Could not find bone named 'nope2'"},
        {"an end pin on the joint's own bone", {{"end_pin_bone_name: head", "end_pin_bone_name: neck"}},
         "Invalid end pin on neck joint child"},
        {"a root joint on a child bone",
         {{"model_bone_name: root joint_placement: (0, 0.95, 0)", "model_bone_name: spine joint_placement: (0, 1, -0.4)"}},
         "The root_joint bone is not a root one!"},
        {"a root joint beside its bone", {{"joint_placement: (0, 0.95, 0)", "joint_placement: (0, 0.955, 0)"}},
         "The root_joint is not aligned to the root bone!"},
        {"no template animation", {{"/model/animal/whitetail/dummy.zma", "/t/none.zma"}},
         "Failed to load procedural animation '/t/none.zma'"},
    };
    for (const row_t &row : rows) {
        SCOPED_TRACE(row.what);
        log.clear();
        bool ok = false;
        ragdoll_u *r = fit(edited(row.edits), &ok);
        ASSERT_NE(r, nullptr) << (log.entries().empty() ? "" : log.entries().back().text);
        EXPECT_EQ(ok, row.message == nullptr);
        EXPECT_EQ(r->is_fitted(), ok);
        if (row.message) {
            EXPECT_TRUE(log.contains(row.message));
            expect_empty_scene();
        } else {
            EXPECT_EQ(scene->get_body_count(), 3u);
            r->release();
            expect_empty_scene();
        }
    }
}

TEST_F(ragdoll, the_shipped_whitetail_ragdolls_fit_its_skeleton) {
    const struct {
        const char *file;
        uint32_t parts;
    } files[] = {{"ragdoll_hires.unit", 8}, {"ragdoll_mires.unit", 7}, {"ragdoll_lores.unit", 4}};
    for (const auto &f : files) {
        SCOPED_TRACE(f.file);
        owner_ptr_t<ragdoll_u> r(load_unit_tree<ragdoll_u>(
            (std::string("/script/hookup/animals/whitetail/") + f.file).c_str()));
        ASSERT_TRUE(r);
        EXPECT_EQ(r->get_part_count(), f.parts);
        EXPECT_GT(r->get_total_mass(), 20.0f);
        EXPECT_TRUE(r->fit(model(), placement_t(), 1.0f, scene))
            << (log.entries().empty() ? "" : log.entries().back().text);
        EXPECT_EQ(scene->get_body_count(), f.parts);
        r->activate();
        for (int i = 0; i < 10; ++i) {
            scene->step(1.0f / 30.0f);
            r->update(1.0f / 30.0f);
        }
        r->release();
        expect_empty_scene();
    }
}

TEST_F(ragdoll, limits_add_the_current_angle_and_stay_on_their_side_of_zero) {
    struct row_t {
        float low, high, angle, want_low, want_high;
    };
    const row_t rows[] = {
        {-20.0f, 20.0f, 0.1f, -0.249066f, 0.449066f},
        {-20.0f, 20.0f, 0.0f, -0.349066f, 0.349066f},
        {10.0f, 30.0f, -0.5f, -0.325467f, 0.023599f},
        {10.0f, 30.0f, 0.0f, 0.0f, 0.523599f},
        {-200.0f, 200.0f, 0.0f, -3.1315928f, 3.1315928f},
    };
    for (const row_t &row : rows) {
        float low = 1.0f, high = -1.0f;
        ragdoll_joint_u::compute_limits(row.low, row.high, row.angle, low, high);
        EXPECT_NEAR(low, row.want_low, 1e-5f) << row.low << " " << row.angle;
        EXPECT_NEAR(high, row.want_high, 1e-5f) << row.high << " " << row.angle;
    }
}

// The fit measures how far the pose has already turned each limited axis: with the
// spine bent 0.1 rad about the hinge's axis, the hinge's -20 and 20 degrees become
// -0.249 and 0.449 rad; the neck, not bent against the chest, keeps +-30 degrees.
TEST_F(ragdoll, a_bent_spine_moves_the_hinge_limits_by_its_bend) {
    model_object_u *m = model();
    const int32_t spine = m->find_bone_by_name("spine");
    ASSERT_GE(spine, 0);
    const model_bone_t *bones = m->get_geom()->get_bones();
    const uint32_t count = m->get_bone_count();
    // The spine's model-space rotation becomes the bend times its rest.
    const quat_t spine_rest = bone("spine").rotation;
    quat_t bend;
    bend.set_axis_angle({1.0f, 0.0f, 0.0f}, 0.1f);
    uint8_t map[256];
    for (uint32_t b = 0; b < count; ++b) map[b] = uint8_t(b);
    owner_ptr_t<model_anim_procedural_u> pose(model_anim_procedural_u::create());
    ASSERT_TRUE(pose->set_tracks(count, map));
    for (uint32_t b = 0; b < count; ++b) {
        model_key_t key{bones[b].stretch, bones[b].rotation, bones[b].translation, bones[b].scale};
        if (b == uint32_t(spine)) key.rotation = bones[b].rotation * spine_rest.get_conjugate() * bend * spine_rest;
        pose->set_key(b, key);
    }
    const int32_t channel = m->play_animation(pose.get(), MODEL_CHANNEL_FROZEN, 0x23, 40, 1.0f);
    ASSERT_GE(channel, 0);
    m->advance_channel(uint32_t(channel), 0.0f);
    expect_same_rotation(bone("spine").rotation, bend * spine_rest, 1e-5f);

    bool ok = false;
    ragdoll_u *r = fit(BASE, &ok);
    ASSERT_TRUE(r && ok) << (log.entries().empty() ? "" : log.entries().back().text);
    float low = 0.0f, high = 0.0f;
    ASSERT_TRUE(r->get_joint(1)->get_fitted_limits(0, low, high));
    EXPECT_NEAR(low, -0.249066f, 1e-4f);
    EXPECT_NEAR(high, 0.449066f, 1e-4f);
    ASSERT_TRUE(r->get_joint(2)->get_fitted_limits(0, low, high));
    EXPECT_NEAR(low, -0.523599f, 1e-4f);
    EXPECT_NEAR(high, 0.523599f, 1e-4f);
    EXPECT_FALSE(r->get_joint(1)->get_fitted_limits(1, low, high)) << "a hinge has one axis";
    r->release();
    EXPECT_FALSE(r->get_joint(1)->get_fitted_limits(0, low, high)) << "nothing once released";
    m->free_channel(uint32_t(channel));
}

TEST_F(ragdoll, a_fit_makes_a_body_per_part_in_group_five_and_the_pose_follows_the_bodies) {
    bool ok = false;
    ragdoll_u *r = fit(BASE, &ok);
    ASSERT_TRUE(r && ok) << (log.entries().empty() ? "" : log.entries().back().text);
    EXPECT_FLOAT_EQ(r->get_total_mass(), 22.0f);
    EXPECT_EQ(scene->get_body_count(), 3u);
    EXPECT_EQ(scene->get_shape_count(), 3u);
    EXPECT_EQ(scene->get_joint_count(), 5u);  // hinge + motor, universal + two motors
    for (uint32_t i = 0; i < r->get_part_count(); ++i) {
        physics_shape_t *shape = r->get_part(i)->get_shape();
        EXPECT_EQ(shape->get_collision_group(), RAGDOLL_COLLISION_GROUP);
        EXPECT_EQ(shape->get_draw_mode(), 1);
        EXPECT_EQ(shape->get_material(), 1);
        EXPECT_FLOAT_EQ(shape->get_mass(), r->get_part(i)->mass);
    }
    EXPECT_EQ(r->get_part(1)->get_end_pin_bone(), model()->find_bone_by_name("neck"));
    // At rest the bodies sit where the parts are.
    expect_near(r->get_part(0)->get_body()->get_world_pose().position, {0.0f, 0.95f, 0.2f}, 1e-4f);

    // Falling and turning: the root bone goes with the pelvis, the spine turns with the
    // chest.
    r->activate();
    r->get_part(1)->get_body()->set_angular_velocity({1.5f, 0.0f, 0.0f});
    for (int i = 0; i < 15; ++i) {
        scene->step(1.0f / 30.0f);
        r->update(1.0f / 30.0f);
    }
    const physics_pose_t pelvis = r->get_part(0)->get_body()->get_world_pose();
    EXPECT_LT(pelvis.position.y, 0.6f);  // it fell
    const placement_t root_bone = bone("root");
    expect_near(root_bone.from_local_space(vec3_t{0.0f, 0.0f, 0.2f}), pelvis.position, 2e-3f);
    expect_same_rotation(root_bone.rotation, pelvis.rotation, 1e-4f);
    const physics_pose_t chest = r->get_part(1)->get_body()->get_world_pose();
    expect_same_rotation(bone("spine").rotation, chest.rotation, 1e-3f);
    EXPECT_GT(std::fabs(chest.rotation.x), 0.05f);  // it did turn
    placement_t got;
    ASSERT_TRUE(r->get_root_placement(got));
    expect_near(got.position, r->get_part(0)->get_body()->get_world_interpolated_pose().position, 1e-5f);
}

TEST_F(ragdoll, velocities_add_up_and_hits_push_the_nearest_part) {
    bool ok = false;
    ragdoll_u *r = fit(BASE, &ok, placement_t({5.0f, 0.0f, 0.0f}, quat_t()));
    ASSERT_TRUE(r && ok);
    r->add_velocity({1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 0.5f});
    r->add_velocity({0.0f, 2.0f, 0.0f}, {0.0f, 0.0f, 0.3f});
    for (uint32_t i = 0; i < r->get_part_count(); ++i) {
        physics_body_t *body = r->get_part(i)->get_body();
        EXPECT_FALSE(body->is_disabled());
        expect_near(body->get_world_linear_velocity(), {1.0f, 2.0f, 0.0f}, 1e-4f);
        // Turns about one axis compose to their sum.
        expect_near(body->get_angular_velocity(), {0.0f, 0.0f, 0.8f}, 1e-4f);
    }
    // About another axis they compose as rotations: the axis tilts, the turn is not
    // the vector sum.
    r->add_velocity({0.0f, 0.0f, 0.0f}, {0.8f, 0.0f, 0.0f});
    const vec3_t w = r->get_part(0)->get_body()->get_angular_velocity();
    EXPECT_GT(w.x, 0.1f);
    EXPECT_GT(w.z, 0.1f);
    EXPECT_GT(std::fabs(w.y), 0.01f);

    for (uint32_t i = 0; i < r->get_part_count(); ++i) r->get_part(i)->get_body()->set_force({0.0f, 0.0f, 0.0f});
    r->apply_hit({0.0f, 0.0f, 100.0f}, {5.0f, 1.3f, -0.7f});
    EXPECT_EQ(length(r->get_part(0)->get_body()->get_force()), 0.0f);
    EXPECT_EQ(length(r->get_part(1)->get_body()->get_force()), 0.0f);
    EXPECT_GT(length(r->get_part(2)->get_body()->get_force()), 99.0f);

    r->deactivate();
    for (uint32_t i = 0; i < r->get_part_count(); ++i) EXPECT_TRUE(r->get_part(i)->get_body()->is_disabled());
    EXPECT_FALSE(r->is_active());
    r->activate();
    EXPECT_TRUE(r->is_active());
    EXPECT_FALSE(r->get_part(0)->get_body()->is_disabled());
}

}  // namespace
}  // namespace quarn::test
