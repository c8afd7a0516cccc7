#pragma once
// Unit classes of the tests, declared with the class kit.
#include <cstdint>
#include <string>
#include <vector>

#include "qrncore/units/unit_class.h"

namespace quarn::test {

// A named unit with a number, an owned and a referenced unit as attributes, and a
// counted pointer outside the attribute table that only its destructor releases.
class test_node_u : public unit_t {
    QRN_UNIT_CLASS(test_node_u, unit_t);

public:
    int32_t m_value = 0;
    owner_ptr_t<unit_base_t> m_child;
    ref_ptr_t<unit_base_t> m_link;
    ref_ptr_t<unit_base_t> m_keep;  // not an attribute
};

// Adds an attribute that hides the parent's "value".
class test_leaf_u : public test_node_u {
    QRN_UNIT_CLASS(test_leaf_u, test_node_u);

public:
    uint32_t m_value2 = 0;
};

// A base that is never instantiated.
class test_abstract_u : public unit_t {
    QRN_UNIT_CLASS(test_abstract_u, unit_t);

public:
    virtual int32_t kind() const = 0;
    int32_t m_weight = 0;
};

// A class made from the abstract one.
class test_concrete_u : public test_abstract_u {
    QRN_UNIT_CLASS(test_concrete_u, test_abstract_u);

public:
    int32_t kind() const override { return 1; }
};

// An anonymous unit class.
class test_plain_u : public unit_base_t {
    QRN_UNIT_CLASS(test_plain_u, unit_base_t);
};

// One attribute of every scalar type code, most with a domain.
class test_all_u : public unit_t {
    QRN_UNIT_CLASS(test_all_u, unit_t);

public:
    mstring_dyn_t m_string;
    uint64_t m_token = 0;
    float m_float = 0;
    vec2_t m_vec2;
    vec3_t m_vec3;
    vec4_t m_vec4;
    mat4_t m_matrix;
    quat_t m_quat;
    placement_t m_placement;
    placement_scale_t m_placement_scale;
    placement_nonuniform_t m_placement_nonuniform;
    plane_t m_plane;
    sphere_t m_sphere;
    aabox_t m_aabox;
    int32_t m_int = 0;
    uint32_t m_uint = 0;
    int32_t m_int_b = 0;
    uint32_t m_uint_b = 1;
    int64_t m_int64 = 0;
    uint64_t m_uint64 = 0;
    uint32_t m_uint_plain = 0;
    bool m_bool = false;
    int32_t m_enum = 3;
    owner_ptr_t<unit_base_t> m_owner;
    ref_ptr_t<unit_base_t> m_ref;
    unit_resource_slot_t m_resource;

    array_dyn_t<mstring_dyn_t> m_strings;
    array_dyn_t<uint64_t> m_tokens;
    array_dyn_t<float> m_floats;
    array_dyn_t<vec2_t> m_vec2s;
    array_dyn_t<vec3_t> m_vec3s;
    array_dyn_t<vec4_t> m_vec4s;
    array_dyn_t<mat4_t> m_matrices;
    array_dyn_t<quat_t> m_quats;
    array_dyn_t<placement_t> m_placements;
    array_dyn_t<placement_scale_t> m_placements_scale;
    array_dyn_t<placement_nonuniform_t> m_placements_nonuniform;
    array_dyn_t<plane_t> m_planes;
    array_dyn_t<sphere_t> m_spheres;
    array_dyn_t<aabox_t> m_aaboxes;
    array_dyn_t<int32_t> m_ints;
    array_dyn_t<uint32_t> m_uints;
    array_dyn_t<int32_t> m_ints_b;
    array_dyn_t<uint32_t> m_uints_b;
    array_dyn_t<int64_t> m_int64s;
    array_dyn_t<uint64_t> m_uint64s;
    array_dyn_t<uint32_t> m_uints_plain;
    array_dyn_t<bool> m_bools;
    array_dyn_t<int32_t> m_enums;
    array_dyn_t<owner_ptr_t<unit_base_t>> m_owners;
    array_dyn_t<ref_ptr_t<unit_base_t>> m_refs;
    array_dyn_t<unit_resource_slot_t> m_resources;
};

// The enumeration of test_all_u's "enum": {low -1, mid 3, high 7}.
extern const unit_attr_t<UNIT_ATTR_ENUM> test_enum_domain;

// Record their clone finishing steps ("finish base", "finish derived") in a shared
// log; the derived class can be made to refuse.
class test_finishing_u : public unit_t {
    QRN_UNIT_CLASS(test_finishing_u, unit_t);

public:
    static std::vector<std::string> log;
    int32_t m_value = 0;

protected:
    bool _clone_finish(unit_base_t *target);
};

class test_finishing_leaf_u : public test_finishing_u {
    QRN_UNIT_CLASS(test_finishing_leaf_u, test_finishing_u);

public:
    bool m_refuse = false;

protected:
    bool _clone_finish(unit_base_t *target);
};

// Derives a finishing class without a finishing step of its own.
class test_finishing_plain_u : public test_finishing_u {
    QRN_UNIT_CLASS(test_finishing_plain_u, test_finishing_u);
};

// Records its save and load hooks in a shared log as "pre_save name" and so on;
// each hook can be made to refuse.
class test_hooked_u : public unit_t {
    QRN_UNIT_CLASS(test_hooked_u, unit_t);

public:
    bool _call_pre_save() override { return hook("pre_save", m_refuse_pre_save); }
    bool _call_post_save() override { return hook("post_save", m_refuse_post_save); }
    void _call_pre_load() override { hook("pre_load", false); }
    bool _call_post_load() override { return hook("post_load", m_refuse_post_load); }

    static std::vector<std::string> log;
    int32_t m_value = 0;
    ref_ptr_t<unit_base_t> m_next;
    bool m_refuse_pre_save = false;
    bool m_refuse_post_save = false;
    bool m_refuse_post_load = false;

private:
    bool hook(const char *what, bool refuse) {
        log.push_back(std::string(what) + " " + name_text().c_str());
        return !refuse;
    }
};

// Records the construct and destroy steps of a class and its subclass in a shared
// log; the subclass declares no steps of its own and inherits the base's.
class test_stepped_u : public unit_t {
    QRN_UNIT_CLASS(test_stepped_u, unit_t);

public:
    static std::vector<std::string> log;
    int32_t m_made_with = 0;  // a value the construct step sets

private:
    void on_construct() {
        m_made_with = 7;
        log.push_back("construct base");
    }
    void on_destroy() { log.push_back("destroy base"); }
};

class test_stepped_more_u : public test_stepped_u {
    QRN_UNIT_CLASS(test_stepped_more_u, test_stepped_u);

public:
    void on_construct() { log.push_back("construct more"); }
};

class test_stepped_inherit_u : public test_stepped_u {
    QRN_UNIT_CLASS(test_stepped_inherit_u, test_stepped_u);
};

void register_test_units(unit_bank_t &bank);

}  // namespace quarn::test
