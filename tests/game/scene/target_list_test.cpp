// The target list: the nearest hit among the receivers wins, in insertion order for
// ties, and only the winner hears of the shot, with the record it filled itself.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "game/scene/scene_list.h"
#include "game/scene/target.h"
#include "game/scene/target_list.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_system.h"
#include "support/message_capture.h"

namespace quarn::test {
namespace {

// Hits at a fixed distance along -z (or misses), writes its tag into the record, and
// notes what it was given.
class fake_receiver_t : public hit_receiver_t {
public:
    fake_receiver_t(bool hits, float distance, uint8_t tag) : m_hits(hits), m_distance(distance), m_tag(tag) {}

    bool intersect(shot_record_t &record, vec3_t &hit_point, const placement_t &shot, const vec3_t &) override {
        ++asked;
        record_was_reset = record_is_reset(record) && hit_point.x == 0 && hit_point.y == 0 && hit_point.z == 0;
        // Scribble over the whole record: the next receiver must still get a fresh one.
        memset(record.bytes, m_tag, shot_record_t::SIZE);
        hit_point = shot.position + vec3_t{0.0f, 0.0f, -m_distance};
        return m_hits;
    }
    void on_hit(const vec3_t &hit_point, projectile_u *, shot_record_t &record, const placement_t &,
                const vec3_t &) override {
        ++hits;
        delivered = record;
        delivered_point = hit_point;
    }
    const hit_target_info_t *get_target_info() override { return nullptr; }

    static bool record_is_reset(const shot_record_t &r) {
        for (size_t i = 0; i < shot_record_t::SIZE; ++i)
            if (r.bytes[i] != (i < 12 ? 0xFF : 0x00)) return false;
        return true;
    }

    int asked = 0;
    int hits = 0;
    bool record_was_reset = false;
    shot_record_t delivered{};
    vec3_t delivered_point{0, 0, 0};

private:
    bool m_hits;
    float m_distance;
    uint8_t m_tag;
};

struct receiver_spec_t {
    bool hits;
    float distance;
};

struct shot_case_t {
    const char *name;
    std::vector<receiver_spec_t> receivers;
    int removed;  // index of a receiver taken out again before the shot, or -1
    int winner;   // index, or -1 for no hit
};

TEST(target_list, the_nearest_hit_wins_and_alone_hears_of_it) {
    const shot_case_t cases[] = {
        {"empty list", {}, -1, -1},
        {"nobody hit", {{false, 5}, {false, 1}}, -1, -1},
        {"nearest of three", {{true, 30}, {true, 10}, {true, 20}}, -1, 1},
        {"a tie keeps the earlier", {{true, 10}, {true, 10}}, -1, 0},
        {"a miss nearer than the hit", {{false, 1}, {true, 50}}, -1, 1},
        {"a removed receiver is never asked", {{true, 5}, {true, 10}}, 0, 1},
    };
    const placement_t shot({1.0f, 2.0f, 3.0f}, quat_t{});
    const vec3_t end{1.0f, 2.0f, -997.0f};
    for (const shot_case_t &c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<fake_receiver_t> receivers;
        for (size_t i = 0; i < c.receivers.size(); ++i)
            receivers.emplace_back(c.receivers[i].hits, c.receivers[i].distance, uint8_t(0xA0 + i));
        target_list_t list;
        for (fake_receiver_t &r : receivers) ASSERT_TRUE(list.add(&r));
        if (c.removed >= 0) list.remove(&receivers[c.removed]);
        list.remove(nullptr);  // absent: nothing happens

        // find_nearest_hit copies the winner's record and point out, and only then.
        shot_record_t record;
        memset(record.bytes, 0x55, shot_record_t::SIZE);
        vec3_t point{7, 7, 7};
        hit_receiver_t *found = list.find_nearest_hit(record, point, shot, end);
        if (c.winner < 0) {
            EXPECT_EQ(found, nullptr);
            EXPECT_EQ(record.bytes[0], 0x55);
            EXPECT_EQ(point.x, 7.0f);
        } else {
            EXPECT_EQ(found, &receivers[c.winner]);
            const uint8_t tag = uint8_t(0xA0 + c.winner);
            EXPECT_EQ(record.bytes[0], tag);
            EXPECT_EQ(record.bytes[shot_record_t::SIZE - 1], tag);
            EXPECT_FLOAT_EQ(point.z, 3.0f - c.receivers[c.winner].distance);
        }

        vec3_t hit_point{0, 0, 0};
        hit_receiver_t *hit = list.shoot(hit_point, nullptr, shot, end);
        EXPECT_EQ(hit, c.winner < 0 ? nullptr : &receivers[c.winner]);
        for (size_t i = 0; i < receivers.size(); ++i) {
            SCOPED_TRACE(i);
            const fake_receiver_t &r = receivers[i];
            if (int(i) == c.removed) {
                EXPECT_EQ(r.asked, 0);
                continue;
            }
            EXPECT_EQ(r.asked, 2);
            EXPECT_TRUE(r.record_was_reset);
            EXPECT_EQ(r.hits, int(i) == c.winner ? 1 : 0);
        }
        if (c.winner >= 0) {
            const fake_receiver_t &w = receivers[c.winner];
            for (uint8_t byte : w.delivered.bytes) ASSERT_EQ(byte, uint8_t(0xA0 + c.winner));
            EXPECT_FLOAT_EQ(w.delivered_point.z, hit_point.z);
            EXPECT_FLOAT_EQ(hit_point.z, 3.0f - c.receivers[c.winner].distance);
        }
    }
}

TEST(target_list, keeps_insertion_order_and_refuses_when_no_node_is_left) {
    fake_receiver_t a(true, 10, 1), b(true, 10, 2), c(true, 10, 3);
    target_list_t list;
    ASSERT_TRUE(list.add(&a) && list.add(&b));
    scene_list_set_node_budget(0);
    EXPECT_FALSE(list.add(&c));
    scene_list_set_node_budget(-1);
    EXPECT_EQ(list.get_count(), 2u);
    EXPECT_FALSE(list.contains(&c));
    list.remove(&a);
    ASSERT_TRUE(list.add(&a));
    // b now comes first and wins the tie.
    vec3_t point{0, 0, 0};
    EXPECT_EQ(list.shoot(point, nullptr, placement_t{}, vec3_t{0, 0, -1000}), &b);
}

// A target that stands at a placement; the other answers are a gift's.
class standing_target_u : public target_u {
    QRN_UNIT_CLASS(standing_target_u, target_u);

public:
    placement_t get_placement() const override { return where; }
    uint32_t get_points() const override { return 100; }
    bool is_dangerous() const override { return false; }
    bool is_ambient() const override { return true; }
    bool has_trophy() const override { return false; }
    void update(float) override {}
    void draw() override {}
    bool is_finished() const override { return false; }
    bool intersect(shot_record_t &, vec3_t &, const placement_t &, const vec3_t &) override { return false; }

    placement_t where;
};
QRN_UNIT_DEFINE(standing_target_u, "standing_target");

TEST(target, tells_its_position_as_its_target_info) {
    unit_bank_t bank;
    unit_system_t system(bank);
    {
        owner_ptr_t<standing_target_u> target(standing_target_u::create(&system));
        target->where.position = {4, 5, 6};
        hit_receiver_t *receiver = target.get();
        const hit_target_info_t *info = receiver->get_target_info();
        ASSERT_TRUE(info);
        EXPECT_EQ(info->position.y, 5.0f);
        EXPECT_TRUE(unit_system_t::inherits_from(target->get_descriptor(), &target_u::unit_descriptor));
        EXPECT_STREQ(target_u::class_name.c_str(), "target");
        EXPECT_FALSE(receiver->is_animal());
    }
    unit_system_t::clean_garbage();
}

TEST(target_death, cloning_the_abstract_target_aborts) {
    unit_bank_t bank;
    unit_system_t system(bank);
    owner_ptr_t<standing_target_u> target(standing_target_u::create(&system));
    target_u *base = target.get();
    EXPECT_DEATH(
        {
            message_stdio_t to_stderr;
            base->target_u::clone();
        },
        "Can not clone instance of abstract class target_u\\.");
    target.reset();
    unit_system_t::clean_garbage();
}

}  // namespace
}  // namespace quarn::test
