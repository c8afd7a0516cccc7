#pragma once
// A memory manager over a pool of its own, with resource units whose loading the test
// decides: an item loads when the test gave its name a size, and its data is a byte
// pattern made from the name, so that moved data can be checked.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "kernel/memory/m_manager.h"
#include "outside/qrnshared/resource_unit.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_system.h"
#include "support/fake_item.h"

namespace quarn::test {

// What the test resource units do, and what they were asked.
struct resource_script_t {
    std::map<std::string, size_t> sizes;  // names that load, and their size
    int refresh_code = resource_unit_u::REFRESH_UNSUPPORTED;
    std::vector<std::string> events;      // "load x", "unload x", "move x", "hw_unload x"
};

class test_resource_u : public resource_unit_u {
    QRN_UNIT_CLASS(test_resource_u, resource_unit_u);

public:
    bool load_memory() override;
    void unload_memory() override;
    void hw_unload() override;
    int refresh_item() override;
    void pre_move(void *old_data, void *new_data) override;
    bool bind_item(c_item_t *item) override;

    static inline resource_script_t *script = nullptr;
};

// Another resource class, for class checks.
class other_resource_u : public resource_unit_u {
    QRN_UNIT_CLASS(other_resource_u, resource_unit_u);
};

// A unit with a resource attribute ("texture", of class "plain") and a resource array
// ("layers", of any class).
class tied_u : public unit_base_t {
    QRN_UNIT_CLASS(tied_u, unit_base_t);

public:
    unit_resource_slot_t m_texture;
    array_dyn_t<unit_resource_slot_t> m_layers;
};

// The pattern an item named name holds at byte i.
uint8_t pattern_byte(const std::string &name, size_t i);
// True when the item's data holds its pattern.
bool holds_pattern(const c_item_t *item);

class mm_fixture_t : public ::testing::Test {
protected:
    static constexpr size_t POOL = size_t(1) << 20;

    mm_fixture_t() : system(bank), manager(&system) {
        test_resource_u::script = &script;
        pool = static_cast<uint8_t *>(std::aligned_alloc(16, POOL));
        EXPECT_TRUE(manager.add_pool(pool, POOL));
    }
    ~mm_fixture_t() override {
        // Every test lets go of its items: then nothing is left in the pool.
        manager.mem_free_unreferenced(-1, nullptr);
        manager.remove_unreferenced(-1, nullptr);
        EXPECT_EQ(manager.get_item_count(), 0u) << "a test kept an item";
        EXPECT_TRUE(manager.remove_pool(pool)) << "the pool still holds blocks";
        std::free(pool);
        unit_system_t::clean_garbage();
        test_resource_u::script = nullptr;
    }

    // A named item of the test class, obtained with type and flags.
    c_item_t *obtain(int type, const char *name, uint32_t flags = 0) {
        return manager.obtain(type, name, &test_resource_u::unit_descriptor, flags);
    }
    // A named item that holds size bytes, counted once, in the memory-LRU.
    c_item_t *loaded(const char *name, size_t size) {
        script.sizes[name] = size;
        c_item_t *item = obtain(MM_NAMED_LOAD_REF, name);
        if (item && item->lock()) item->unlock();
        return item;
    }
    // The pool's first block.
    m_block_t *first_block() const { return reinterpret_cast<m_block_t *>(pool); }

    resource_script_t script;
    unit_bank_t bank;
    unit_system_t system;
    m_manager manager;
    uint8_t *pool = nullptr;
};

}  // namespace quarn::test
