// The parents of the map's game units: created and cloned like any unit class,
// fingerprinted by their class names, with the default operations of their own; and
// the defaults of the shot interface.
#include <gtest/gtest.h>

#include "game/game_unit.h"
#include "game/hit_receiver.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_system.h"
#include "support/message_capture.h"

namespace quarn::test {

// A map object with attributes of its own, and a part that cannot be copied.
class map_object_u : public game_unit_u {
    QRN_UNIT_CLASS(map_object_u, game_unit_u);

public:
    int32_t m_size = 0;
    owner_ptr_t<unit_base_t> m_part;
};
QRN_UNIT_DEFINE(map_object_u, "map_object", QRN_ATTR(m_size, UNIT_ATTR_INT32, "size"),
                QRN_ATTR(m_part, UNIT_ATTR_OWNER, "part"));

class uncopyable_u : public game_unit_base_u {
public:
    explicit uncopyable_u(unit_system_t *system) : game_unit_base_u(system) {}
    owner_ptr_ret_t<unit_base_t> clone() override { return {}; }
};

namespace {

class game_unit : public ::testing::Test {
protected:
    void SetUp() override {
        live_before = unit_base_t::get_live_count();
        system = new unit_system_t(bank);
        system->set_default();
    }
    void TearDown() override {
        unit_system_t::clean_garbage();
        delete system;
        EXPECT_EQ(unit_base_t::get_live_count(), live_before) << "units leaked";
    }

    unit_bank_t bank;
    unit_system_t *system = nullptr;
    uint32_t live_before = 0;
};

TEST_F(game_unit, the_bases_are_fingerprinted_by_their_class_names) {
    EXPECT_EQ(game_unit_u::fingerprint, unit_system_t::compute_fingerprint("game_unit_u"));
    EXPECT_EQ(game_unit_base_u::fingerprint, unit_system_t::compute_fingerprint("game_unit_base_u"));
    EXPECT_STREQ(game_unit_u::class_name.c_str(), "game_unit");
    EXPECT_STREQ(game_unit_base_u::class_name.c_str(), "game_unit_base");
    EXPECT_EQ(game_unit_u::unit_descriptor.parent, &unit_t::unit_descriptor);
    EXPECT_EQ(game_unit_base_u::unit_descriptor.parent, &unit_base_t::unit_descriptor);
    EXPECT_TRUE(unit_system_t::inherits_from(&map_object_u::unit_descriptor, &game_unit_u::unit_descriptor));
}

TEST_F(game_unit, both_bases_clone_into_a_new_unit_of_their_class) {
    owner_ptr_t<game_unit_u> named(game_unit_u::create());
    owner_ptr_t<game_unit_base_u> plain(game_unit_base_u::create());
    ASSERT_TRUE(named && plain);
    EXPECT_TRUE(named->init_unit());
    EXPECT_TRUE(plain->init_unit());
    named->cleanup_unit();
    plain->cleanup_unit();
    for (unit_base_t *unit : {static_cast<unit_base_t *>(named.get()), static_cast<unit_base_t *>(plain.get())}) {
        owner_ptr_t<unit_base_t> copy(unit->clone());
        ASSERT_TRUE(copy);
        EXPECT_NE(copy.get(), unit);
        EXPECT_EQ(copy->get_descriptor(), unit->get_descriptor());
        EXPECT_EQ(copy->get_system(), system);
    }
}

TEST_F(game_unit, a_failed_attribute_copy_leaves_no_unit_behind) {
    message_capture_t log;
    owner_ptr_t<map_object_u> object(map_object_u::create());
    object->m_size = 3;
    owner_ptr_t<map_object_u> copy(unit_cast<map_object_u>(object->clone()));
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->m_size, 3);

    object->m_part = owner_ptr_ret_t<unit_base_t>(new uncopyable_u(system));
    unit_system_t::clean_garbage();
    const uint32_t live = unit_base_t::get_live_count();
    EXPECT_FALSE(object->clone());
    unit_system_t::clean_garbage();
    EXPECT_EQ(unit_base_t::get_live_count(), live);
    EXPECT_TRUE(log.contains("[unit] Failed to clone the the attribute 'part'"));
}

// A receiver that answers only what it must.
class wall_t : public hit_receiver_t {
public:
    bool intersect(shot_record_t &, vec3_t &, const placement_t &, const vec3_t &) override { return false; }
    const hit_target_info_t *get_target_info() override { return &info; }
    hit_target_info_t info;
};

TEST(hit_receiver, is_no_animal_and_ignores_hits_by_default) {
    wall_t wall;
    shot_record_t record;
    record.reset();
    uint32_t words[4];
    memcpy(words, record.bytes, sizeof words);
    EXPECT_EQ(words[0], 0xFFFFFFFFu);
    EXPECT_EQ(words[2], 0xFFFFFFFFu);
    EXPECT_EQ(words[3], 0u);
    EXPECT_FALSE(wall.is_animal());
    wall.on_hit(vec3_t{1, 2, 3}, nullptr, record, placement_t(), vec3_t{0, 0, 0});
    EXPECT_EQ(memcmp(words, record.bytes, sizeof words), 0) << "the default on_hit leaves the record alone";
    EXPECT_EQ(wall.get_target_info()->position, (vec3_t{0, 0, 0}));
}

}  // namespace
}  // namespace quarn::test
