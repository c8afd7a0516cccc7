#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "../collections/host_alloc_hook.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/init.h"
#include "qrncore/units/unit_proxy.h"
#include "recording_tie.h"
#include "unit_fixture.h"

namespace quarn::test {
namespace {

class unit_attribute : public unit_fixture_t {
protected:
    void SetUp() override {
        unit_fixture_t::SetUp();
        m_all = test_all_u::create();
        m_node = test_node_u::create();
    }
    void TearDown() override {
        m_all.reset();
        m_node.reset();
        unit_fixture_t::TearDown();
    }
    static const unit_attribute_t *attr(const char *name, const unit_descriptor_t &d = test_all_u::unit_descriptor) {
        const unit_attribute_t *a = unit_system_t::get_attribute_descriptor(&d, name);
        EXPECT_NE(a, nullptr) << name;
        return a;
    }

    owner_ptr_t<test_all_u> m_all;
    owner_ptr_t<test_node_u> m_node;
};
using unit_attribute_death = unit_attribute;

TEST(unit_attr_type, predicates) {
    EXPECT_EQ(unit_attr_type_element_type(UNIT_ATTR_INT32_B_ARRAY), UNIT_ATTR_INT32_B);
    EXPECT_EQ(unit_attr_type_element_type(UNIT_ATTR_FLOAT), UNIT_ATTR_FLOAT);
    EXPECT_EQ(unit_attr_type_element_type(UNIT_ATTR_END), UNIT_ATTR_END);
    EXPECT_FALSE(unit_attr_type_is_unit(UNIT_ATTR_RESOURCE));
    EXPECT_TRUE(unit_attr_type_is_unit(UNIT_ATTR_REF_ARRAY));
    EXPECT_FALSE(unit_attr_type_is_unit(UNIT_ATTR_ENUM_ARRAY));
    EXPECT_FALSE(unit_attr_type_is_array(UNIT_ATTR_END));
    EXPECT_TRUE(unit_attr_type_is_array(UNIT_ATTR_RESOURCE_ARRAY));
    EXPECT_FALSE(unit_attr_type_is_array(UNIT_ATTR_RESOURCE));
}

TEST_F(unit_attribute_death, predicates_abort_above_52) {
    EXPECT_DEATH(unit_attr_type_is_unit(unit_attr_type_t(53)), "unit_attr_type_is_unit\\(\\): Unknown type.");
    EXPECT_DEATH(unit_attr_type_is_array(unit_attr_type_t(53)), "unit_attr_type_is_array\\(\\): Unknown type.");
    EXPECT_DEATH(unit_attr_type_element_type(unit_attr_type_t(99)), "unit_attr_type_element_type\\(\\): Unknown type.");
}

TEST_F(unit_attribute, check_value_results) {
    test_all_u *u = m_all.get();
    owner_ptr_t<test_leaf_u> leaf(test_leaf_u::create());
    owner_ptr_t<unit_proxy_u> proxy(unit_proxy_u::create(&system()));
    struct row_t {
        const char *what;
        std::function<unit_check_result_t()> check;
        unit_check_result_t expected;
    };
    const row_t rows[] = {
        {"null unit", [&] { return unit_base_t::check_value(nullptr, attr("int"), 1); }, UNIT_CHECK_NULL_UNIT},
        {"null attribute", [&] { return unit_base_t::check_value(u, nullptr, 1); }, UNIT_CHECK_NULL_ATTRIBUTE},
        {"unrelated class", [&] { return unit_base_t::check_value(m_node.get(), attr("int"), 1); }, UNIT_CHECK_WRONG_CLASS},
        {"proxy unit passes the class test", [&] { return unit_base_t::check_value(proxy.get(), attr("int"), 1); }, UNIT_CHECK_OK},
        {"float on an int", [&] { return unit_base_t::check_value(u, attr("int"), 1.0f); }, UNIT_CHECK_WRONG_OVERLOAD},
        {"text on a float", [&] { return unit_base_t::check_value(u, attr("float"), "1"); }, UNIT_CHECK_WRONG_OVERLOAD},
        {"int -1 is nil on 31", [&] { return unit_base_t::check_value(u, attr("uint"), -1); }, UNIT_CHECK_OK},
        {"int -2 on 31", [&] { return unit_base_t::check_value(u, attr("uint"), -2); }, UNIT_CHECK_WRONG_KIND},
        {"nil on 35 against its maximum", [&] { return unit_base_t::check_value(u, attr("uint_b"), -1); }, UNIT_CHECK_ABOVE_MAXIMUM},
        {"0 on 35", [&] { return unit_base_t::check_value(u, attr("uint_b"), 0u); }, UNIT_CHECK_BELOW_MINIMUM},
        {"2147483648 on 29", [&] { return unit_base_t::check_value(u, attr("int"), 2147483648u); }, UNIT_CHECK_WRONG_KIND},
        {"6 on 29 [-5, 5]", [&] { return unit_base_t::check_value(u, attr("int"), 6); }, UNIT_CHECK_ABOVE_MAXIMUM},
        {"-5 on 29 [-5, 5]", [&] { return unit_base_t::check_value(u, attr("int"), int64_t(-5)); }, UNIT_CHECK_OK},
        {"41 refuses upper bits", [&] { return unit_base_t::check_value(u, attr("uint_plain"), uint64_t(1) << 32); }, UNIT_CHECK_WRONG_KIND},
        {"41 refuses nil", [&] { return unit_base_t::check_value(u, attr("uint_plain"), -1); }, UNIT_CHECK_WRONG_KIND},
        {"41 takes 2^32 - 1", [&] { return unit_base_t::check_value(u, attr("uint_plain"), UINT32_MAX); }, UNIT_CHECK_OK},
        {"37 below", [&] { return unit_base_t::check_value(u, attr("int64"), -(int64_t(1) << 41)); }, UNIT_CHECK_BELOW_MINIMUM},
        {"39 unsigned compare", [&] { return unit_base_t::check_value(u, attr("uint64"), -1); }, UNIT_CHECK_OK},
        {"39 below", [&] { return unit_base_t::check_value(u, attr("uint64"), 9u); }, UNIT_CHECK_BELOW_MINIMUM},
        {"numbers on tokens are not tested", [&] { return unit_base_t::check_value(u, attr("token"), UINT64_MAX); }, UNIT_CHECK_OK},
        {"enum value with a symbol", [&] { return unit_base_t::check_value(u, attr("enum"), 7); }, UNIT_CHECK_OK},
        {"enum value without", [&] { return unit_base_t::check_value(u, attr("enum"), 4); }, UNIT_CHECK_NOT_IN_ENUM},
        {"enum out of 32 bits", [&] { return unit_base_t::check_value(u, attr("enum"), int64_t(1) << 32); }, UNIT_CHECK_WRONG_KIND},
        {"text of the maximum length", [&] { return unit_base_t::check_value(u, attr("string"), "12345678"); }, UNIT_CHECK_OK},
        {"text one longer", [&] { return unit_base_t::check_value(u, attr("string"), "123456789"); }, UNIT_CHECK_TOO_LONG},
        {"bad token text", [&] { return unit_base_t::check_value(u, attr("token"), "a.b"); }, UNIT_CHECK_BAD_TOKEN},
        {"token text", [&] { return unit_base_t::check_value(u, attr("token"), "Deer_1"); }, UNIT_CHECK_OK},
        {"float below", [&] { return unit_base_t::check_value(u, attr("float"), -1.5f); }, UNIT_CHECK_BELOW_MINIMUM},
        {"float above", [&] { return unit_base_t::check_value(u, attr("float"), 10.5f); }, UNIT_CHECK_ABOVE_MAXIMUM},
        {"vec3: second above wins over third below",
         [&] { return unit_base_t::check_value(u, attr("vec3"), vec3_t{0.5f, 2.5f, -1.0f}); }, UNIT_CHECK_ABOVE_MAXIMUM},
        {"vec3 inside", [&] { return unit_base_t::check_value(u, attr("vec3"), vec3_t{1, 2, 3}); }, UNIT_CHECK_OK},
        {"vec2 without domain", [&] { return unit_base_t::check_value(u, attr("vec2"), vec2_t{-9, 9}); }, UNIT_CHECK_OK},
        {"vec2 on vec3", [&] { return unit_base_t::check_value(u, attr("vec3"), vec2_t{}); }, UNIT_CHECK_WRONG_OVERLOAD},
        {"matrix", [&] { return unit_base_t::check_value(u, attr("matrix"), mat4_t::identity()); }, UNIT_CHECK_OK},
        {"box", [&] { return unit_base_t::check_value(u, attr("aabox"), aabox_t{}); }, UNIT_CHECK_OK},
        {"box on a sphere", [&] { return unit_base_t::check_value(u, attr("sphere"), aabox_t{}); }, UNIT_CHECK_WRONG_OVERLOAD},
        {"bool", [&] { return unit_base_t::check_value(u, attr("bool"), true); }, UNIT_CHECK_OK},
        {"required null", [&] { return unit_base_t::check_value(u, attr("ref"), nullptr); }, UNIT_CHECK_NULL_VALUE},
        {"optional null", [&] { return unit_base_t::check_value(u, attr("owner"), nullptr); }, UNIT_CHECK_OK},
        {"required class", [&] { return unit_base_t::check_value(u, attr("owner"), leaf.get()); }, UNIT_CHECK_OK},
        {"wrong class", [&] { return unit_base_t::check_value(u, attr("owner"), u); }, UNIT_CHECK_WRONG_UNIT},
        {"proxy value passes", [&] { return unit_base_t::check_value(u, attr("owner"), proxy.get()); }, UNIT_CHECK_OK},
        {"null resource", [&] { return unit_base_t::check_value(u, attr("resource"), nullptr); }, UNIT_CHECK_OK},
    };
    for (const row_t &r : rows) EXPECT_EQ(r.check(), r.expected) << r.what;
}

TEST_F(unit_attribute, enum_lookups_walk_the_sorted_tables) {
    int32_t v = 0;
    EXPECT_TRUE(unit_base_t::lookup_enum_value(&test_enum_domain, "mid", &v));
    EXPECT_EQ(v, 3);
    EXPECT_TRUE(unit_base_t::lookup_enum_value(&test_enum_domain, "high"));
    EXPECT_FALSE(unit_base_t::lookup_enum_value(&test_enum_domain, "Mid"));
    EXPECT_FALSE(unit_base_t::lookup_enum_value(nullptr, "mid"));
    EXPECT_STREQ(unit_base_t::lookup_enum_symbol(&test_enum_domain, -1), "low");
    EXPECT_EQ(unit_base_t::lookup_enum_symbol(&test_enum_domain, 0), nullptr);
    EXPECT_EQ(unit_base_t::lookup_enum_symbol(&test_enum_domain, 8), nullptr);
    // Unsorted tables stop early and miss their symbols.
    const unit_enum_symbol_t unsorted[] = {{5, "b"}, {1, "a"}};
    const unit_attr_enum_domain_t broken{0, 2, unsorted, unsorted};
    EXPECT_EQ(unit_base_t::lookup_enum_symbol(&broken, 1), nullptr);
    EXPECT_FALSE(unit_base_t::lookup_enum_value(&broken, "a"));
}

TEST_F(unit_attribute, accessors_widen_as_listed) {
    test_all_u *u = m_all.get();
    int32_t i = 0;
    uint32_t n = 0;
    int64_t l = 0;
    uint64_t q = 0;
    // Code 33 reads as int, not as unsigned.
    EXPECT_TRUE(u->set_value(attr("int_b"), -7));
    EXPECT_TRUE(u->get_value(attr("int_b"), &i));
    EXPECT_EQ(i, -7);
    EXPECT_FALSE(u->get_value(attr("int_b"), &n));
    // int written to 37 is sign-extended; it cannot be read back as int.
    EXPECT_TRUE(u->set_value(attr("int64"), -3));
    EXPECT_EQ(u->m_int64, -3);
    EXPECT_FALSE(u->get_value(attr("int64"), &i));
    // unsigned written to 39 and 3 is zero-extended.
    EXPECT_TRUE(u->set_value(attr("uint64"), 0xFFFFFFFFu));
    EXPECT_EQ(u->m_uint64, 0xFFFFFFFFull);
    EXPECT_TRUE(u->set_value(attr("token"), 5u));
    EXPECT_EQ(u->m_token, 5u);
    // 64-bit reads widen the 32-bit codes.
    u->m_enum = -1;
    EXPECT_TRUE(u->get_value(attr("enum"), &l));
    EXPECT_EQ(l, -1);
    u->m_uint_plain = 0x80000000u;
    EXPECT_TRUE(u->get_value(attr("uint_plain"), &q));
    EXPECT_EQ(q, 0x80000000ull);
    EXPECT_FALSE(u->set_value(attr("int"), int64_t(1)));  // 64-bit writes only to 37
    EXPECT_FALSE(u->set_value(attr("float"), 1));
    EXPECT_FALSE(u->get_value(attr("bool"), &i));
    // An attribute of another class: refused even where the offset would be valid.
    EXPECT_FALSE(m_node->get_value(attr("int"), &i));
    EXPECT_FALSE(m_node->set_value(attr("int"), 1));
    EXPECT_FALSE(u->get_value(nullptr, &i));
    // A proxy is not taken for every class by the accessors.
    owner_ptr_t<unit_proxy_u> proxy(unit_proxy_u::create(&system()));
    EXPECT_FALSE(proxy->get_value(attr("float"), &u->m_float));

    vec3_t v{1, 2, 3};
    EXPECT_TRUE(u->set_value(attr("vec3"), v));
    vec3_t back;
    EXPECT_TRUE(u->get_value(attr("vec3"), &back));
    EXPECT_EQ(back, v);
    EXPECT_FALSE(u->set_value(attr("vec4"), v));
}

TEST_F(unit_attribute, texts_and_tokens) {
    test_all_u *u = m_all.get();
    mstring_dyn_t text;
    EXPECT_TRUE(u->set_value(attr("token"), "Whitetail_2"));
    EXPECT_TRUE(u->get_value(attr("token"), &text));
    EXPECT_EQ(text, "whitetail_2");
    for (const char *bad : {"a.b", "a-b", "abcdefghijklm"}) {
        EXPECT_FALSE(u->set_value(attr("token"), bad)) << bad;
        EXPECT_TRUE(u->get_value(attr("token"), &text));
        EXPECT_EQ(text, "whitetail_2") << bad;
    }
    EXPECT_TRUE(u->set_value(attr("string"), "Any Text."));
    const mstring_t *stored = nullptr;
    EXPECT_TRUE(u->get_value(attr("string"), &stored));
    EXPECT_EQ(stored, &u->m_string);
    EXPECT_EQ(*stored, "Any Text.");
    EXPECT_FALSE(u->get_value(attr("token"), &stored));
}

TEST_F(unit_attribute, unit_pointer_writes_count_and_destroy) {
    test_all_u *u = m_all.get();
    test_node_u *first = test_node_u::create().take();
    EXPECT_TRUE(u->set_value(attr("owner"), first));
    EXPECT_EQ(first->get_count(), 1);
    EXPECT_TRUE(first->is_owned());
    unit_base_t *read = nullptr;
    EXPECT_TRUE(u->get_value(attr("owner"), &read));
    EXPECT_EQ(read, first);
    EXPECT_EQ(first->get_count(), 1);

    EXPECT_TRUE(u->set_value(attr("owner"), test_node_u::create().take()));
    EXPECT_FALSE(first->is_alive());  // destroyed at once ...
    EXPECT_EQ(live(), 4u);             // ... freed by the next clean
    unit_system_t::clean_garbage();
    EXPECT_EQ(live(), 3u);

    EXPECT_TRUE(u->set_value(attr("ref"), m_node.get()));
    EXPECT_EQ(m_node->get_count(), 2);
    EXPECT_TRUE(u->set_value(attr("ref"), m_node.get()));
    EXPECT_EQ(m_node->get_count(), 2);
    EXPECT_TRUE(u->set_value(attr("ref"), nullptr));
    EXPECT_EQ(m_node->get_count(), 1);
}

TEST_F(unit_attribute, append_and_prepend_index_rules) {
    test_all_u *u = m_all.get();
    const unit_attribute_t *ints = attr("ints");
    const uint32_t END = unit_base_t::AT_END;
    uint32_t n = 99;
    EXPECT_FALSE(u->append_value(ints, 0, 1));
    EXPECT_FALSE(u->prepend_value(ints, 0, 1));
    EXPECT_FALSE(u->remove_value(ints, END));
    EXPECT_TRUE(u->append_value(ints, END, 1));  // [1]
    EXPECT_TRUE(u->append_value(ints, 0, 3));    // after element 0: [1, 3]
    EXPECT_TRUE(u->prepend_value(ints, 1, 2));   // before element 1: [1, 2, 3]
    EXPECT_TRUE(u->append_value(ints, 2, 4));    // count - 1 adds at the end
    EXPECT_FALSE(u->append_value(ints, 4, 5));   // count itself does not
    EXPECT_FALSE(u->prepend_value(ints, 4, 5));
    EXPECT_TRUE(u->get_size(ints, &n));
    EXPECT_EQ(n, 4u);
    int32_t v = 0;
    EXPECT_TRUE(u->get_value(ints, 3, &v));
    EXPECT_EQ(v, 4);
    EXPECT_FALSE(u->get_value(ints, 4, &v));
    EXPECT_TRUE(u->set_value(ints, 0, 10));
    EXPECT_FALSE(u->set_value(ints, 4, 10));
    EXPECT_TRUE(u->remove_value(ints, END));  // the last
    EXPECT_TRUE(u->remove_value(ints, 0));
    EXPECT_EQ(u->m_ints.get_count(), 2u);
    EXPECT_EQ(u->m_ints[0], 2);
    EXPECT_EQ(u->m_ints[1], 3);
    EXPECT_FALSE(u->get_size(attr("int"), &n));  // not an array
    EXPECT_FALSE(u->remove_value(attr("int"), 0));
}

TEST_F(unit_attribute, array_forms_widen_and_refuse_as_listed) {
    test_all_u *u = m_all.get();
    // int written into a 64-bit array is sign-extended; unsigned into 4 and 40 zero-extended.
    EXPECT_TRUE(u->append_value(attr("int64s"), unit_base_t::AT_END, -2));
    EXPECT_EQ(u->m_int64s[0], -2);
    EXPECT_TRUE(u->append_value(attr("uint64s"), unit_base_t::AT_END, 0xFFFFFFFFu));
    EXPECT_EQ(u->m_uint64s[0], 0xFFFFFFFFull);
    EXPECT_TRUE(u->append_value(attr("tokens"), unit_base_t::AT_END, "Alpha"));
    EXPECT_FALSE(u->append_value(attr("tokens"), unit_base_t::AT_END, "al.pha"));
    mstring_dyn_t text;
    EXPECT_TRUE(u->get_value(attr("tokens"), 0, &text));
    EXPECT_EQ(text, "alpha");
    // 64-bit element reads widen 32-bit arrays; 64-bit views do not.
    u->m_enums.append(-1);
    int64_t wide = 0;
    EXPECT_TRUE(u->get_value(attr("enums"), 0, &wide));
    EXPECT_EQ(wide, -1);
    const array_t<int64_t> *view64 = nullptr;
    EXPECT_FALSE(u->get_value(attr("enums"), &view64));
    const array_t<int32_t> *view = nullptr;
    EXPECT_TRUE(u->get_value(attr("enums"), &view));
    EXPECT_EQ(view, &u->m_enums);
    // The copy form empties the caller's array, also when it fails.
    array_dyn_t<uint32_t> copy;
    copy.append(7);
    EXPECT_FALSE(u->get_value(attr("ints"), &copy));
    EXPECT_EQ(copy.get_count(), 0u);
    u->m_uints_b.append(5);
    copy.append(7);
    EXPECT_TRUE(u->get_value(attr("uints_b"), &copy));
    ASSERT_EQ(copy.get_count(), 1u);
    EXPECT_EQ(copy[0], 5u);
    // Text arrays hand out no pointer to a stored element.
    EXPECT_TRUE(u->append_value(attr("strings"), unit_base_t::AT_END, "a b"));
    const mstring_t *stored = nullptr;
    EXPECT_FALSE(u->get_value(attr("strings"), 0, &stored));
    array_dyn_t<mstring_dyn_t> texts;
    EXPECT_TRUE(u->get_value(attr("strings"), &texts));
    EXPECT_EQ(texts[0], "a b");
    EXPECT_NE(texts[0].c_str(), u->m_strings[0].c_str());
}

TEST_F(unit_attribute, unit_arrays_count_and_replace_dead_units_by_null) {
    test_all_u *u = m_all.get();
    const unit_attribute_t *owners = attr("owners");
    unit_base_t *a = test_node_u::create().take(), *b = test_node_u::create().take(), *c = test_node_u::create().take();
    EXPECT_TRUE(u->append_value(owners, unit_base_t::AT_END, a));
    EXPECT_TRUE(u->append_value(owners, unit_base_t::AT_END, b));
    EXPECT_TRUE(a->is_owned());
    EXPECT_EQ(a->get_count(), 1);
    b->destroy();
    EXPECT_TRUE(u->prepend_value(owners, 0, c));  // moves a and the dead b up a slot
    array_dyn_t<unit_base_t *> copy;
    EXPECT_TRUE(u->get_value(owners, &copy));
    ASSERT_EQ(copy.get_count(), 3u);
    EXPECT_EQ(copy[0], c);
    EXPECT_EQ(copy[1], a);
    EXPECT_EQ(copy[2], nullptr);
    EXPECT_EQ(b->get_count(), 0);  // its count went when it was dropped
    EXPECT_TRUE(u->remove_value(owners, 1));
    EXPECT_FALSE(a->is_alive());  // removing an owned element destroys it

    EXPECT_TRUE(u->append_value(attr("refs"), unit_base_t::AT_END, m_node.get()));
    EXPECT_EQ(m_node->get_count(), 2);
    EXPECT_TRUE(u->remove_value(attr("refs"), 0));
    EXPECT_EQ(m_node->get_count(), 1);
    EXPECT_TRUE(m_node->is_alive());
}

TEST_F(unit_attribute, request_capacity_reports_a_failed_growth) {
    test_all_u *u = m_all.get();
    EXPECT_TRUE(u->request_capacity(attr("floats"), 100));
    EXPECT_GE(u->m_floats.get_capacity(), 100u);
    {
        host_alloc_hook_t host(1 << 20);
        EXPECT_FALSE(u->request_capacity(attr("vec4s"), 1 << 20));
    }
    EXPECT_EQ(u->m_vec4s.get_capacity(), 0u);
    EXPECT_FALSE(u->request_capacity(attr("float"), 1));
}

TEST_F(unit_attribute_death, default_tie_refuses_every_use) {
    unit_resource_tie_t *tie = new unit_resource_tie_t;
    test_all_u *u = m_all.get();
    unit_base_t *value = nullptr;
    EXPECT_EQ(unit_base_t::check_value(u, attr("resource"), nullptr), UNIT_CHECK_OK);
    EXPECT_DEATH(unit_base_t::check_value(u, attr("resource"), m_node.get()), "Can not support resource type checking.");
    EXPECT_DEATH(u->get_value(attr("resource"), &value), "Can not get resource tie attribute value.");
    EXPECT_DEATH(u->set_value(attr("resource"), nullptr), "Can not set the resource tie attribute value.");
    EXPECT_DEATH(u->clone(), "Resource tie is unable to clone itself.");
    EXPECT_DEATH(m_all.reset(), "Resource tie is unable to destroy itself.");
    EXPECT_DEATH(tie->load("x", u, attr("resource")), "Can not load the resource tie.");
    EXPECT_DEATH(tie->unload(u, u, attr("resource")), "Can not unload the resource tie.");
    tie->unload(nullptr, u, attr("resource"));
    mstring_dyn_t name;
    EXPECT_DEATH(tie->get_resource_name(&name, u), "Can not support querying names of resources.");
    delete tie;
    EXPECT_EQ(unit_resource_tie_t::get_installed(), nullptr);
    EXPECT_DEATH(u->get_value(attr("resource"), &value), "no resource tie is installed");
    recording_tie_t keep;
    m_all.reset();
}

TEST_F(unit_attribute, a_replaced_tie_is_used_and_destroying_it_leaves_none) {
    unit_resource_tie_t first;
    {
        recording_tie_t tie;
        EXPECT_EQ(unit_resource_tie_t::get_installed(), &tie);
        test_all_u *u = m_all.get();
        EXPECT_TRUE(u->set_value(attr("resource"), m_node.get()));
        unit_base_t *value = nullptr;
        EXPECT_TRUE(u->get_value(attr("resource"), &value));
        EXPECT_EQ(value, m_node.get());
        EXPECT_EQ(unit_base_t::check_value(u, attr("resource"), m_node.get()), UNIT_CHECK_OK);
        tie.answer = false;
        EXPECT_EQ(unit_base_t::check_value(u, attr("resource"), m_node.get()), UNIT_CHECK_WRONG_UNIT);
        m_all.reset();
        m_tie.calls.clear();
        EXPECT_EQ(tie.calls, (std::vector<std::string>{"set resource", "get resource", "check", "check",
                                                        "destroy resource", "destroy_array resources"}));
    }
    EXPECT_EQ(unit_resource_tie_t::get_installed(), nullptr);
}

// A core started (again) while the resource layer's tie is installed keeps that tie:
// the layer installs it once, when it starts, and its resources would otherwise reach
// the refusing default ("Can not load the resource tie.").
TEST(resource_tie, a_core_start_keeps_the_tie_of_a_running_layer) {
    const host_new_t n = qrncore_system_new, nv = qrncore_system_new_vector;
    const host_delete_t d = qrncore_system_delete, dv = qrncore_system_delete_vector;
    auto *layer = new recording_tie_t;
    qrncore_init(n, nv, d, dv, false);
    EXPECT_EQ(unit_resource_tie_t::get_installed(), layer);
    delete layer;
    EXPECT_EQ(unit_resource_tie_t::get_installed(), nullptr);
    // Without a layer the start installs the default, and the shutdown deletes it.
    qrncore_init(n, nv, d, dv, false);
    unit_resource_tie_t *fallback = unit_resource_tie_t::get_installed();
    ASSERT_NE(fallback, nullptr);
    EXPECT_EQ(dynamic_cast<recording_tie_t *>(fallback), nullptr);
    qrncore_shutdown();
    EXPECT_EQ(unit_resource_tie_t::get_installed(), nullptr);
}

}  // namespace
}  // namespace quarn::test
