#include <gtest/gtest.h>

#include <set>
#include <string>

#include "qrncore/units/unit_proxy.h"
#include "unit_fixture.h"

namespace quarn::test {
namespace {

TEST(unit_fingerprint, class_identifiers) {
    struct {
        const char *text;
        uint32_t fingerprint;
    } const cases[] = {
        {"", 0},
        {"unit_t", 3454440569u},
        {"unit_base_t", 879085985u},
        {"unit_proxy_u", 1505603369u},
    };
    for (const auto &c : cases) EXPECT_EQ(unit_system_t::compute_fingerprint(c.text), c.fingerprint) << c.text;
    EXPECT_EQ(unit_t::fingerprint, 3454440569u);
    EXPECT_EQ(unit_base_t::fingerprint, 879085985u);
    EXPECT_EQ(unit_proxy_u::fingerprint, 1505603369u);
    // The kit hashes the class identifier, not the type name.
    EXPECT_EQ(test_node_u::fingerprint, unit_system_t::compute_fingerprint("test_node_u"));
}

TEST(unit_bank, fresh_and_reset_banks_know_the_two_core_classes) {
    unit_bank_t bank;
    auto names = [&] {
        std::set<std::string> s;
        for (uint32_t i = 0; i < bank.get_class_count(); ++i) s.insert(bank.get_class_name(i).c_str());
        return s;
    };
    EXPECT_EQ(names(), (std::set<std::string>{"unit_base", "unit"}));
    EXPECT_TRUE(test_node_u::register_class(bank));
    EXPECT_EQ(bank.get_class_count(), 3u);
    bank.reset();
    EXPECT_EQ(names(), (std::set<std::string>{"unit_base", "unit"}));
    EXPECT_EQ(bank.get_descriptor("test_node"), nullptr);
}

TEST(unit_bank, register_and_unregister_results_and_messages) {
    unit_bank_t bank;
    message_capture_t log;
    // A second class under a taken name.
    const unit_descriptor_t impostor = {&test_node_u::class_name, nullptr, nullptr, &unit_t::unit_descriptor,
                                        unit_t::unit_attributes, &test_node_u::fingerprint};

    EXPECT_TRUE(bank.register_class(&test_node_u::unit_descriptor));
    EXPECT_TRUE(bank.register_class(&test_node_u::unit_descriptor));
    EXPECT_EQ(log.texts(message_t::VERBOSE), std::vector<std::string>{"[unit] Unit type 'test_node' registered twice."});
    EXPECT_EQ(bank.get_class_count(), 3u);

    EXPECT_FALSE(bank.register_class(&impostor));
    EXPECT_EQ(log.texts(message_t::ERROR),
              std::vector<std::string>{
                  "[unit] Attempt to register unit type 'test_node', but the type name is already taken."});
    EXPECT_EQ(bank.get_descriptor("test_node"), &test_node_u::unit_descriptor);
    EXPECT_EQ(bank.get_descriptor("TEST_NODE"), nullptr);  // case counts

    log.clear();
    EXPECT_FALSE(bank.unregister_class(&impostor));
    EXPECT_TRUE(log.contains(
        "[unit] Unregister unit type 'test_node', but there was some other class registered under this name."));
    EXPECT_EQ(bank.get_descriptor("test_node"), nullptr);  // the entry is gone all the same
    EXPECT_FALSE(bank.unregister_class(&test_node_u::unit_descriptor));
    EXPECT_TRUE(log.contains("[unit] Attempt to unregister unit type 'test_node' - but it was not registered at all."));

    EXPECT_TRUE(bank.register_class(&test_node_u::unit_descriptor));
    EXPECT_TRUE(bank.unregister_class(&test_node_u::unit_descriptor));
}

TEST(unit_bank, inherits_from_walks_parents_and_passes_proxies) {
    const unit_descriptor_t *base = &unit_base_t::unit_descriptor, *unit = &unit_t::unit_descriptor,
                            *node = &test_node_u::unit_descriptor, *leaf = &test_leaf_u::unit_descriptor,
                            *plain = &test_plain_u::unit_descriptor, *proxy = &unit_proxy_u::unit_descriptor;
    struct {
        const unit_descriptor_t *d, *wanted;
        bool result;
    } const cases[] = {
        {unit, base, true}, {base, unit, false}, {leaf, node, true},   {leaf, base, true},  {node, leaf, false},
        {plain, unit, false}, {node, node, true}, {proxy, leaf, true}, {proxy, plain, true},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(unit_system_t::inherits_from(c.d, c.wanted), c.result) << *c.d->class_name << " / " << *c.wanted->class_name;
        EXPECT_EQ(unit_system_t::inherits_from(c.d, *c.wanted->fingerprint), c.result) << *c.d->class_name;
    }
}

TEST(unit_bank, attribute_lookup_finds_the_nearest_declaration) {
    const unit_attribute_t *a = unit_system_t::get_attribute_descriptor(&test_leaf_u::unit_descriptor, "value");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->descriptor, &test_leaf_u::unit_descriptor);
    EXPECT_EQ(a->type, UNIT_ATTR_UINT32);
    a = unit_system_t::get_attribute_descriptor(&test_leaf_u::unit_descriptor, "child");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->descriptor, &test_node_u::unit_descriptor);
    EXPECT_EQ(unit_system_t::get_attribute_descriptor(&test_leaf_u::unit_descriptor, "Child"), nullptr);
    EXPECT_EQ(unit_system_t::get_attribute_descriptor(&unit_t::unit_descriptor, "value"), nullptr);
    EXPECT_EQ(unit_system_t::get_attribute_descriptor(nullptr, "value"), nullptr);
}

TEST(unit_bank, kit_builds_the_descriptor) {
    const unit_descriptor_t &d = test_node_u::unit_descriptor;
    EXPECT_STREQ(d.class_name->c_str(), "test_node");
    EXPECT_EQ(d.parent, &unit_t::unit_descriptor);
    EXPECT_EQ(d.fingerprint, &test_node_u::fingerprint);
    EXPECT_EQ(d.destroy, &unit_base_t::destroy_instance);
    EXPECT_NE(d.create, nullptr);
    EXPECT_EQ(test_abstract_u::unit_descriptor.create, nullptr);
    EXPECT_EQ(d.attributes[3].type, UNIT_ATTR_END);
    EXPECT_EQ(d.attributes[3].descriptor, &d);
    EXPECT_EQ(test_plain_u::unit_descriptor.attributes[0].type, UNIT_ATTR_END);
    static_assert(!unit_type_name_is_valid("round_logic_u") && !unit_type_name_is_valid("1x") &&
                  !unit_type_name_is_valid("a-b") && unit_type_name_is_valid("round_logic"));
}

}  // namespace
}  // namespace quarn::test
