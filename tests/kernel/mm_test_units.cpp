#include "mm_fixture.h"

#include "kernel/memory/m_server.h"

namespace quarn::test {

QRN_UNIT_DEFINE(test_resource_u, "test_resource");
QRN_UNIT_DEFINE(other_resource_u, "other_resource");

namespace {
constinit const unit_attr_t<UNIT_ATTR_RESOURCE> plain_only{{&plain_u::unit_descriptor, 0, nullptr}};
}

QRN_UNIT_DEFINE(tied_u, "tied", QRN_ATTR(m_texture, UNIT_ATTR_RESOURCE, "texture", &plain_only),
                QRN_ATTR(m_layers, UNIT_ATTR_RESOURCE_ARRAY, "layers"));

uint8_t pattern_byte(const std::string &name, size_t i) { return uint8_t(i * 7 + name.size() * 31 + uint8_t(name[0])); }

bool holds_pattern(const c_item_t *item) {
    const std::string name = item->get_name();
    const uint8_t *data = static_cast<const uint8_t *>(item->data);
    for (size_t i = 0; i < item->size; ++i)
        if (data[i] != pattern_byte(name, i)) return false;
    return true;
}

bool test_resource_u::load_memory() {
    c_item_t *item = get_item();
    const std::string name = item->get_name();
    script->events.push_back("load " + name);
    auto it = script->sizes.find(name);
    if (it == script->sizes.end()) return false;
    uint8_t *data = static_cast<uint8_t *>(item->manager->allocate_item_memory(item, it->second));
    for (size_t i = 0; i < it->second; ++i) data[i] = pattern_byte(name, i);
    return true;
}

void test_resource_u::unload_memory() {
    script->events.push_back(std::string("unload ") + get_item()->get_name());
    resource_unit_u::unload_memory();
}

void test_resource_u::hw_unload() {
    script->events.push_back(std::string("hw_unload ") + get_item()->get_name());
    resource_unit_u::hw_unload();
}

int test_resource_u::refresh_item() { return script->refresh_code; }

void test_resource_u::pre_move(void *old_data, void *new_data) {
    EXPECT_EQ(get_item()->data, old_data);
    EXPECT_NE(old_data, new_data);
    script->events.push_back(std::string("move ") + get_item()->get_name());
}

bool test_resource_u::bind_item(c_item_t *item) {
    if (std::string(item->get_name()) == "refused") return false;
    return resource_unit_u::bind_item(item);
}

}  // namespace quarn::test
