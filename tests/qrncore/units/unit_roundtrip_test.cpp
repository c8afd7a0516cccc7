#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "unit_file_fixture.h"

namespace quarn::test {
namespace {

using unit_roundtrip = unit_file_fixture_t;

const unit_attribute_t *attr(const char *name) {
    return unit_system_t::get_attribute_descriptor(&test_all_u::unit_descriptor, name);
}

// Fills every attribute, arrays with two elements, with values that test the text
// forms: fractions, -0, NaN, large integral floats, nil, escapes.
void fill(test_all_u *u, unit_base_t *shared, unit_base_t *resource) {
    const float odd[] = {-0.0f, std::nanf(""), 1234567.0f, 0.1f, 3.0f, -8000001.0f, 1e-40f,
                         std::numeric_limits<float>::infinity()};
    auto f = [&](int i) { return odd[i % 8]; };
    u->m_string = "t\t\"\\\xe9";
    u->set_value(attr("token"), "doe_2");
    u->m_float = f(0);
    u->m_vec2 = {f(1), f(2)};
    u->m_vec3 = {0.25f, 1.5f, 2.75f};
    u->m_vec4 = {f(3), f(4), f(5), f(6)};
    for (int i = 0; i < 16; ++i) u->m_matrix.m[i] = f(i) + float(i);
    u->m_quat = quat_t(0.5f, f(3), f(6), f(7));
    u->m_placement.position = {1, 2, 3};
    u->m_placement.rotation = quat_t(0, 1, 0, 0);
    u->m_placement_scale.scale = 0.1f;
    u->m_placement_nonuniform.scale = {f(3), 2, 3};
    u->m_plane = plane_t(0, 1, 0, f(3));
    u->m_sphere = sphere_t(vec3_t{1, 1, 1}, f(2));
    u->m_aabox = aabox_t(vec3_t{-1, -2, -3}, vec3_t{f(3), 2, 3});
    u->m_int = INT32_MIN < -5 ? -5 : 0;
    u->m_uint = UINT32_MAX;
    u->m_int_b = INT32_MIN;
    u->m_uint_b = 100;
    u->m_int64 = -(int64_t(1) << 40);
    u->m_uint64 = UINT64_MAX;
    u->m_uint_plain = UINT32_MAX;
    u->m_bool = true;
    u->m_enum = -1;
    u->m_owner = test_node_u::create();
    static_cast<test_node_u *>(u->m_owner.get())->set_name("rt.owned");
    u->m_ref = shared;
    u->m_resource.value = resource;
    for (int k = 0; k < 2; ++k) {
        u->append_value(attr("strings"), unit_base_t::AT_END, k ? "" : "x y");
        u->append_value(attr("tokens"), unit_base_t::AT_END, k ? "a" : "b_9");
        u->m_floats.append(f(k + 3));
        u->m_vec2s.append({f(k), f(k + 3)});
        u->m_vec3s.append({f(k), 1, 2});
        u->m_vec4s.append({f(k), 1, 2, 3});
        u->m_matrices.append(mat4_t::identity());
        u->m_quats.append(quat_t(f(k + 3), 0, 0, 1));
        u->m_placements.append(placement_t());
        u->m_placements_scale.append(placement_scale_t());
        u->m_placements_nonuniform.append(placement_nonuniform_t());
        u->m_planes.append(plane_t(1, 0, 0, f(k + 3)));
        u->m_spheres.append(sphere_t(vec3_t{0, 0, 0}, f(k + 4)));
        u->m_aaboxes.append(aabox_t());
        u->m_ints.append(k ? INT32_MAX : INT32_MIN);
        u->m_uints.append(k ? UINT32_MAX : 0u);
        u->m_ints_b.append(-k);
        u->m_uints_b.append(uint32_t(k));
        u->m_int64s.append(k ? INT64_MAX : INT64_MIN);
        u->m_uint64s.append(k ? UINT64_MAX : 1u);
        u->m_uints_plain.append(UINT32_MAX - uint32_t(k));
        u->m_bools.append(k == 0);
        u->m_enums.append(k ? 7 : 3);
        u->append_value(attr("owners"), unit_base_t::AT_END, test_node_u::create().take());
        static_cast<test_node_u *>(u->m_owners[uint32_t(k)].get())->set_name(k ? "rt.o1" : "rt.o0");
        u->m_refs.append(ref_ptr_t<unit_base_t>(k ? shared : nullptr));
    }
}

TEST_F(unit_roundtrip, every_type_code_reads_back_bit_exact) {
    owner_ptr_t<test_node_u> shared(test_node_u::create());
    shared->set_name("shared");
    owner_ptr_t<test_node_u> resource(test_node_u::create());
    m_tie.loaded = resource.get();  // the tie names it "res/x" and loads "res/x" as it
    std::string first;
    {
        owner_ptr_t<test_all_u> original(test_all_u::create());
        ASSERT_TRUE(original->set_name("rt.all"));
        fill(original.get(), shared.get(), resource.get());
        bool ok = false;
        first = save({original.get()}, UNIT_TRAVERSE_OWNED, &ok);
        ASSERT_TRUE(ok);
    }
    unit_system_t::clean_garbage();  // the names are free again
    owner_ptr_t<test_all_u> loaded(loader(first).load_tree<test_all_u>());
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->name_text(), "rt.all");
    EXPECT_EQ(loaded->m_ref.get(), shared.get());
    EXPECT_EQ(loaded->m_resource.value, resource.get());
    EXPECT_EQ(loaded->m_refs.get_count(), 2u);
    EXPECT_EQ(unit_system_t::find_unit("rt.o1"), loaded->m_owners[1].get());
    EXPECT_TRUE(loaded->m_owners[1]->is_owned());
    EXPECT_EQ(loaded->m_string, "t\t\"\\\xe9");
    uint32_t bits;
    memcpy(&bits, &loaded->m_vec2.x, 4);
    EXPECT_EQ(bits, 0x7fc00000u);  // the NaN's bits
    EXPECT_TRUE(std::signbit(loaded->m_float));
    EXPECT_EQ(loaded->m_vec2.y, 1234567.0f);
    EXPECT_EQ(loaded->m_int64s[0], INT64_MIN);
    EXPECT_EQ(loaded->m_uint64, UINT64_MAX);

    const std::string second = save({loaded.get()}, UNIT_TRAVERSE_OWNED);
    EXPECT_EQ(second, first);
}

}  // namespace
}  // namespace quarn::test
