// A live animal's rules that need no scene: its senses, turning, the movement poll,
// the detail levels, the head without a head bone, and what the body's set-up reads
// and refuses. The animal is made bare (no model, no mind) and placed by the test.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "../world/env_fixture.h"
#include "game/ai/mind/ai_world.h"
#include "game/ai/animals/simple_animal.h"
#include "outside/qrnshared/def_obj.h"
#include "outside/qrnshared/def_pool.h"
#include "support/math_compare.h"

namespace quarn::test {
namespace {

// A bare animal the test places.
class probe_animal_t : public simple_animal_t {
public:
    void place(const vec3_t &position, const vec3_t &facing) {
        m_position = position;
        m_facing = normalized(facing);
        m_rotation.set_cartes(m_facing);
    }
    void set_species(int32_t index) { m_species_index = index; }
    void set_height(float h) { m_radius = h; }
    bool body_setup(const ai_animal_setup_t &setup) { return animal_base_t::setup(setup); }
};

float flat_angle_degrees(const vec3_t &a, const vec3_t &b) {
    return std::atan2(std::fabs(a.z * b.x - a.x * b.z), a.x * b.x + a.z * b.z) * 57.29578f;
}

using live_animal = env_fixture_t;

TEST_F(live_animal, senses_by_distance_view_and_wind) {
    // Looking along -z from the origin.
    probe_animal_t deer, bear;
    deer.place({0, 0, 0}, {0, 0, -1});
    deer.set_species(1);
    bear.place({0, 0, 0}, {0, 0, -1});
    bear.set_species(7);
    const float rad = 3.14159265f / 180.0f;
    const vec3_t at70{20.0f * std::sin(70.0f * rad), 0.0f, -20.0f * std::cos(70.0f * rad)};
    const vec3_t at100{20.0f * std::sin(100.0f * rad), 0.0f, -20.0f * std::cos(100.0f * rad)};
    const struct {
        const char *what;
        const probe_animal_t &animal;
        vec3_t point;
        float expected;
    } sight[] = {
        {"whitetail, 70 degrees off its look, near", deer, at70, 1.0f},
        {"grizzly, 70 degrees: fading out from 60 to 90", bear, at70, 2.0f / 3.0f},
        {"whitetail, 100 degrees: fading out from 90 to 120", deer, at100, 2.0f / 3.0f},
        {"grizzly, 100 degrees: blind", bear, at100, 0.0f},
        {"ahead, halfway between near 20 and far 40", deer, {0, 0, -30}, 0.5f},
        {"ahead beyond far", deer, {0, 0, -45}, 0.0f},
    };
    for (const auto &c : sight) EXPECT_NEAR(c.animal.sight_test(c.point, 20.0f, 40.0f), c.expected, 1e-4f) << c.what;
    // Nothing is seen at 90 or farther, whatever the ranges.
    for (float d : {90.0f, 150.0f}) EXPECT_EQ(deer.sight_test({0, 0, -d}, 500.0f, 1000.0f), 0.0f) << d;
    EXPECT_GT(deer.sight_test({0, 0, -89.0f}, 500.0f, 1000.0f), 0.0f);

    EXPECT_NEAR(deer.smell_test({30, 0, 0}, 120.0f), 0.75f, 1e-6f);
    EXPECT_NEAR(deer.hearing_test({0, 0, 47.5f}, 5.0f, 90.0f), 0.5f, 1e-6f);
    EXPECT_EQ(deer.hearing_test({0, 0, 3}, 5.0f, 90.0f), 1.0f);

    // The hunter's scent, range 1000: near the hunter (falling to 0 at 25) in any wind,
    // and downwind in a cone about the wind, fading out toward the range.
    owner_ptr_t<wind_u> wind(load<wind_u>("wind : .w { wind_speed: 4 wind_direction_orig: (1, 0, 0) }"));
    owner_ptr_t<wind_u> calm(load<wind_u>("wind : .c { wind_speed: 0.01 wind_direction_orig: (1, 0, 0) }"));
    ASSERT_TRUE(wind && calm);
    const vec3_t hunter{0, 0, 0};
    const auto scent_at = [&](const vec3_t &p, const wind_u *w) {
        probe_animal_t a;
        a.place(p, {0, 0, -1});
        return a.scent_test(hunter, 1000.0f, w);
    };
    const float downwind_200 = 1.0f - std::pow(0.2f, 1.07f);
    const struct {
        const char *what;
        vec3_t animal;
        const wind_u *wind;
        float expected;
    } scent[] = {
        {"upwind, far", {-100, 0, 0}, wind.get(), 0.0f},
        {"upwind, near: (25 - d) / 17", {-10, 0, 0}, wind.get(), 15.0f / 17.0f},
        {"downwind, along the wind", {200, 0, 0}, wind.get(), downwind_200},
        {"downwind, in the cone beside the wind", {200, 0, 20}, wind.get(), downwind_200},
        {"downwind, beside the cone", {200, 0, 60}, wind.get(), 0.0f},
        {"downwind, far along the wind", {800, 0, 0}, wind.get(), 1.0f - std::pow(0.8f, 1.07f)},
        {"wind too weak to turn, far", {200, 0, 0}, calm.get(), 0.0f},
        {"wind too weak to turn, near", {-5, 0, 0}, calm.get(), 1.0f},
        {"no wind at all, near", {10, 0, 0}, nullptr, 15.0f / 17.0f},
        {"on the point", {0, 0, 0}, wind.get(), 0.0f},
    };
    for (const auto &c : scent) EXPECT_NEAR(scent_at(c.animal, c.wind), c.expected, 1e-3f) << c.what;

    // Where a point lies from the facing (-z): base ahead, +1/+2 half left/right,
    // +3/+4 behind left/right.
    const struct {
        vec3_t point;
        int32_t sector;
    } sectors[] = {{{0, 0, -10}, 50}, {{-5, 0, -5}, 51}, {{5, 0, -5}, 52}, {{-5, 0, 5}, 53}, {{5, 0, 5}, 54}, {{-10, 0, 0}, 53}};
    for (const auto &s : sectors) EXPECT_EQ(deer.direction_sector(s.point, 50), s.sector) << s.point.x << ", " << s.point.z;
}

TEST_F(live_animal, turning_follows_a_circle_and_never_snaps_to_the_heading) {
    const float pi = 3.14159265f;
    const struct {
        const char *what;
        vec3_t heading;
        float urgency;
        float motion, dt;
        float turned;  // degrees
    } cases[] = {
        // Walking 3 units a second, m = 0.1: the circle's radius is 1.4 * 3 + 5 = 9.2.
        {"exactly opposite: the formula's step to the left", {0, 0, 1}, 0.0f, 0.1f, 1.0f / 30.0f, 0.1f / 9.2f * 180.0f / pi},
        {"urgent: six times tighter at urgency 1", {0, 0, 1}, 1.0f, 0.1f, 1.0f / 30.0f, 0.6f / 9.2f * 180.0f / pi},
        {"nearly there: stops on the heading", {0.001f, 0, -1}, 0.0f, 0.1f, 1.0f / 30.0f, 0.0573f},
        {"standing still", {1, 0, 0}, 0.0f, 0.0f, 1.0f / 30.0f, 0.0f},
        {"a zero step", {1, 0, 0}, 0.0f, 0.1f, 0.0f, 0.0f},
    };
    for (const auto &c : cases) {
        probe_animal_t a;
        a.place({0, 0, 0}, {0, 0, -1});
        a.set_heading(normalized(c.heading));
        a.set_urgency(c.urgency);
        a.turn(c.motion, c.dt);
        EXPECT_NEAR(flat_angle_degrees(a.get_facing(), {0, 0, -1}), c.turned, 1e-3f) << c.what;
        EXPECT_NEAR(length(a.get_facing()), 1.0f, 1e-5f) << c.what;
    }
    probe_animal_t a;
    a.place({0, 0, 0}, {0, 0, -1});
    a.set_heading({0, 0, 1});
    a.turn(0.1f, 1.0f / 30.0f);
    EXPECT_LT(a.get_facing().x, 0.0f) << "opposite the heading it turns left";
    a.set_heading({1, 0, 0});
    a.place({0, 0, 0}, {0, 0, -1});
    a.turn(0.1f, 1.0f / 30.0f);
    EXPECT_GT(a.get_facing().x, 0.0f) << "toward a heading on the right";
}

TEST_F(live_animal, the_poll_tells_a_state_once_when_it_is_reached) {
    probe_animal_t a;
    a.place({0, 0, 0}, {0, 0, -1});
    a.go_to({0, 0, -10}, 5.0f, 2.0f, 50.0f, animal_t::PATH_LIMIT);
    EXPECT_EQ(a.get_target().state, animal_t::MOVE_ON_THE_WAY);
    const struct {
        vec3_t position;
        int32_t first, then;
    } steps[] = {
        {{0, 0, 0}, 4, 3},      // on the way (from the state 0 the target started at)
        {{0, 0, -6}, 11, 10},   // inside the radius
        {{0, 0, -9}, 21, 20},   // arrived
        {{0, 0, -6.5f}, 10, 10},  // back out to near: no rise
        {{0, 0, 60}, 1, 1},     // beyond the far distance
        {{0, 0, -8.5f}, 21, 20},
    };
    for (const auto &s : steps) {
        a.set_position(s.position);
        a.update_movement_state();
        EXPECT_EQ(a.poll_movement(), s.first) << s.position.z;
        EXPECT_EQ(a.poll_movement(), s.then) << s.position.z;
    }
    // With an orientation, arriving needs the facing within 20 degrees of it.
    const vec3_t east{1, 0, 0};
    a.go_to({0, 0, -10}, 5.0f, 2.0f, 50.0f, animal_t::PATH_LIMIT, &east);
    a.set_position({0, 0, -9});
    a.update_movement_state();
    EXPECT_EQ(a.poll_movement(), 11) << "facing -z, not east";
    a.place({0, 0, -9}, {1, 0, -0.3f});
    a.update_movement_state();
    EXPECT_EQ(a.poll_movement(), 21);
    // Roaming, a state below 5 reads 5 inside the roam radius.
    a.place({0, 0, 0}, {0, 0, -1});
    a.roam_around({3, 0, 0}, 10.0f);
    a.update_movement_state();
    EXPECT_EQ(a.poll_movement(), animal_t::MOVE_ROAMING + 1);
}

TEST_F(live_animal, detail_levels_switch_near_at_35_and_far_at_85) {
    const float near2 = 35.0f * 35.0f, far2 = 85.0f * 85.0f;
    const struct {
        int32_t level;
        float d;
        int32_t next;
    } cases[] = {
        {0, near2 - 1.0f, 3}, {0, near2, 2},        {2, near2 - 1.0f, 3}, {2, near2, 2},     {2, far2 + 1.0f, 2},
        {3, far2, 3},         {3, far2 + 1.0f, 2},  {3, 0.0f, 3},         {1, 0.0f, 1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(animal_base_t::next_detail_level(c.level, c.d), c.next) << c.level << " at " << std::sqrt(c.d);
}

TEST_F(live_animal, without_a_head_bone_the_head_sits_ahead_of_and_above_the_body) {
    probe_animal_t a;
    // Turned to face +x: (0, 0.7 h, -0.8 h) in its frame is 0.8 h along +x.
    a.place({1, 2, 3}, {1, 0, 0});
    a.set_height(2.0f);
    ASSERT_LT(a.get_head_bone(), 0);
    vec3_t head;
    const vec3_t at = a.get_head_offset(&head);
    EXPECT_TRUE(vec_near(at, vec3_t{1, 2, 3}, TOL_ULPS));
    EXPECT_TRUE(vec_near(head, vec3_t{2.6f, 3.4f, 3.0f}, TOL_TRIG)) << head.x << " " << head.y << " " << head.z;
}

// Species and entries for the body's set-up (no model can be had here: the set-up
// logs that and goes on).
const char *const setup_text = R"(
def species {
    def whitetail {
        index: "1"
        score_max: "100"
        species_interaction: "0, 0.5 ,-1,x"
        spoor_dist: "0"
        trail_type: "wtail_trail"
        s_specific: "/sound/animal/whitetail/snort.ogg"
        def male { model: "/model/animal/whitetail/animal.zba" gender: "1" scale: "2" }
        def fourth { model: "/model/animal/whitetail/animal.zba" gender: "4" }
        def bare { gender: "1" }
    }
}
def animals {
    def a { position: "1 2 3" score: "50" weight: "60" scale: "1.5" }
    def turned { position: "0 0 0" orientation: "1 0 0" score: "50" weight: "60" }
    def lost { score: "50" weight: "60" }
}
)";

TEST_F(live_animal, the_body_set_up_reads_the_definitions_and_refuses_what_it_cannot_use) {
    def_pool_t pool;
    ASSERT_TRUE(pool.read_text(setup_text, strlen(setup_text), "/t/setup.def"));
    const auto setup_of = [&](const char *entry, const char *gender) {
        ai_animal_setup_t s;
        s.entry = pool.find((std::string("animals.") + entry).c_str());
        s.species = pool.find("species.whitetail");
        s.gender = pool.find((std::string("species.whitetail.") + gender).c_str());
        s.species_name = "whitetail";
        s.gender_name = gender;
        s.game = &pool;
        return s;
    };
    message_capture_t log;
    probe_animal_t a;
    ASSERT_TRUE(a.body_setup(setup_of("a", "male")));
    EXPECT_TRUE(vec_near(a.get_position(), vec3_t{1, 2, 3}, TOL_ULPS));
    EXPECT_TRUE(vec_near(a.get_facing(), vec3_t{0, 0, -1}, TOL_ULPS)) << "no orientation: facing -z";
    EXPECT_FLOAT_EQ(a.get_scale(), 3.0f) << "the entry's scale times the gender's";
    EXPECT_FLOAT_EQ(a.get_score_ratio(), 0.5f);
    EXPECT_EQ(a.get_species_index(), 1);
    EXPECT_EQ(a.get_gender_index(), 0);
    // "species_interaction" is read as decimals; a species past the list is neutral.
    EXPECT_EQ(a.get_species_relation(1), 0.5f);
    EXPECT_EQ(a.get_species_relation(2), -1.0f);
    EXPECT_EQ(a.get_species_relation(7), 0.0f);
    EXPECT_EQ(a.get_spoor_distance(), animal_base_t::NO_FOOTPRINTS) << "a spoor distance of 0 leaves no prints";
    EXPECT_EQ(a.get_sound(animal_base_t::SOUND_SPECIFIC), nullptr) << "the kernel made no sound: skipped";
    EXPECT_TRUE(log.contains("[ai] cannot find sound (/sound/animal/whitetail/snort.ogg)"));
    EXPECT_TRUE(log.contains("[ai] couldn't create animal '/model/animal/whitetail/animal.zba'"));

    probe_animal_t b;
    ASSERT_TRUE(b.body_setup(setup_of("turned", "male")));
    EXPECT_TRUE(vec_near(b.get_facing(), vec3_t{1, 0, 0}, TOL_ULPS));
    EXPECT_TRUE(vec_near(b.get_rotation().get_cartes(), vec3_t{1, 0, 0}, TOL_TRIG));

    const struct {
        const char *entry, *gender, *message;
    } refused[] = {
        {"a", "fourth", "[ai] animal (unnamed) has an invalid gender (4): 1 male, 2 female or 3 young"},
        {"a", "bare", "[ai] gamedef pool has no animal model !"},
        {"lost", "male", nullptr},
    };
    for (const auto &r : refused) {
        log.clear();
        probe_animal_t c;
        EXPECT_FALSE(c.body_setup(setup_of(r.entry, r.gender))) << r.entry << "." << r.gender;
        if (r.message) {
            EXPECT_TRUE(log.contains(r.message)) << r.message;
        }
    }
}

}  // namespace
}  // namespace quarn::test
