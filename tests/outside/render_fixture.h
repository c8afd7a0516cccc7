#pragma once
// Materials without the kernel: a memory manager of the test's own (host memory for
// item data), named items it makes by hand, material files in a folder mounted at
// "/t", a unit system of the test's own as the default, and a small effect "probe"
// registered under "/effect/test" whose passes bind a known set of inputs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "outside/qrnshared/effect.h"
#include "outside/qrnshared/effect_registry.h"
#include "outside/qrnshared/material.h"
#include "outside/qrnshared/parameter_packet.h"
#include "outside/qrnshared/qrnshared.h"
#include "outside/qrnshared/r_queue.h"
#include "outside/visbase/render.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_system.h"
#include "support/fake_item.h"
#include "support/temp_dir.h"

namespace quarn::test {

class host_manager_t : public c_item_manager_t {
public:
    void *allocate_item_memory(c_item_t *item, size_t bytes) override {
        free_item_memory(item);
        item->data = std::aligned_alloc(16, (bytes + 15) & ~size_t(15));
        item->size = bytes;
        item->flags |= c_item_t::MEMORY_VALID;
        return item->data;
    }
    void free_item_memory(c_item_t *item) override {
        std::free(item->data);
        item->data = nullptr;
        item->size = 0;
        item->flags &= ~uint32_t(c_item_t::MEMORY_VALID);
    }
    void attach_child(c_item_t *, c_item_t *) override {}
    void detach_child(c_item_t *) override {}
};

class named_item_t : public fake_item_t {
public:
    explicit named_item_t(std::string item_name) : name(std::move(item_name)) {}
    const char *get_name() const override { return name.c_str(); }
    bool is_named() const override { return true; }
    std::string name;
};

// The pass of the probe effect: values of its own that prepare_parameters counts, a
// queue chosen by the test, and state calls in vertex_state_parametrize.
class probe_pass_u : public effect_pass_u {
    QRN_UNIT_CLASS(probe_pass_u, effect_pass_u);

public:
    bool set_up(r_context_t *context) override;
    void prepare_parameters(r_proto_t *proto) override;
    void vertex_state_parametrize(r_context_t *context, r_proto_t *proto) override;

    vec4_t counter;  // x: prepare_parameters calls
    static inline r_queue_t *queue = nullptr;
    static inline gfx_path_t set_up_path = 0;
};

// "default" and "other" give probe passes; "refuse" a pass whose set-up fails.
class probe_u : public effect_u {
    QRN_UNIT_CLASS(probe_u, effect_u);

public:
    owner_ptr_ret_t<effect_pass_u> create_pass(const char *name) override;
};

class refusing_pass_u : public effect_pass_u {
    QRN_UNIT_CLASS(refusing_pass_u, effect_pass_u);

public:
    bool set_up(r_context_t *) override { return false; }
};

class render_fixture_t : public ::testing::Test {
protected:
    render_fixture_t() : system(bank) {
        system.set_default();
        EXPECT_TRUE(qrnshared_register_classes(bank));
        EXPECT_TRUE(probe_u::register_class(bank));
        fs_startup();
        mount = ufs_mount(FS_DEVICE_DIRECTORY, dir.path().c_str(), "/t", true, 10);
        EXPECT_TRUE(r_effect_register_directory("/effect/test"));
        queue = gfx_queue_alloc();
        probe_pass_u::queue = queue;
    }
    ~render_fixture_t() override {
        for (auto &item : items) unload(item.get());
        r_effect_reset();
        gfx_queue_free(queue);
        probe_pass_u::queue = nullptr;
        ufs_unmount(mount);
        fs_shutdown();
        unit_system_t::clean_garbage();
    }

    void put(const std::string &name, const std::string &text) { ASSERT_TRUE(write_file(dir.file(name), text)); }
    // A material file "/t/<name>" of the probe effect with further lines.
    void put_material(const std::string &name, const std::string &lines, const std::string &effect = "probe") {
        put(name, "def material {\n    effect: \"/effect/test/" + effect + "\"\n" + lines + "}\n");
    }
    // The item of "/t/<name>" with a material unit bound and loaded (data may be
    // missing when the load failed).
    c_item_t *load(const std::string &name) {
        items.push_back(std::make_unique<named_item_t>("/t/" + name));
        named_item_t *item = items.back().get();
        item->manager = &manager;
        item->unit = static_cast<resource_unit_u *>(unit_system_t::create_unit_in(&system, material_u::unit_descriptor));
        item->get_unit()->bind_item(item);
        item->get_unit()->load_memory();
        return item;
    }
    void unload(c_item_t *item) {
        if (resource_unit_u *unit = item->get_unit()) {
            unit->unbind_item(item);
            unit->destroy();
            item->unit = nullptr;
        }
        manager.free_item_memory(item);
    }

    unit_bank_t bank;
    unit_system_t system;
    host_manager_t manager;
    temp_dir_t dir;
    fs_device_t *mount = nullptr;
    r_queue_t *queue = nullptr;
    std::vector<std::unique_ptr<named_item_t>> items;
};

}  // namespace quarn::test
