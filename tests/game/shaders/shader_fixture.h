#pragma once
// The shader library as the game has it: a kernel with the memory manager, the shared
// layer bound to it, the nine queues, the effect directories "/effect/generic" and
// "/effect/fw4" registered, material files written to a folder mounted at "/t", and a
// render context whose draw log the tests read. Prototypes are made by hand over a
// packet array of the test's own.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "game/visuals/shaders/dry.h"
#include "game/visuals/shaders/fw_families.h"
#include "game/visuals/shaders/fw_packets.h"
#include "game/visuals/shaders/shaderlib.h"
#include "kernel/kernel_fixture.h"
#include "outside/qrnshared/material.h"
#include "outside/qrnshared/r_proto.h"
#include "outside/visbase/render.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "support/temp_dir.h"

namespace quarn::test {

// A prototype of four vertices and six indices, drawn with a packet array.
struct test_proto_t {
    explicit test_proto_t(c_item_t *material = nullptr, r_parameter_array_t *array = nullptr) {
        geometry.vertex_count = 4;
        geometry.index_count = 6;
        vertices.set_buffer(R_PACKET_PNCT, &geometry);
        indices.set_buffer(R_PACKET_INDEX16, &geometry);
        proto.packets[0] = &vertices;
        proto.index_packet = &indices;
        proto.material = material;
        proto.parameters = array;
    }
    r_geometry_t geometry{};
    r_packet_t vertices, indices;
    r_proto_t proto{};
};

// The packets of one prototype: camera, model, fog and light in slots 0-3 (the
// default content), further slots filled by the test.
struct test_packets_t {
    test_packets_t();
    ~test_packets_t();

    owner_ptr_t<pp_camera_u> camera;
    owner_ptr_t<fw4pp_model_u> model;
    owner_ptr_t<pp_fog_u> fog;
    owner_ptr_t<fw4pp_light_u> light;
    owner_ptr_t<fw4pp_terrain_uv_u> terrain;
    owner_ptr_t<fw4pp_texture_transform_u> texture;
    owner_ptr_t<fw4pp_light_modulator_u> modulator;
    owner_ptr_t<drypp_texprojection_u> projection;
    r_parameter_array_t array;
};

// The names of a record's inputs of one kind, in binding order, parted by blanks.
std::string inputs_of(const r_draw_record_t &r, uint32_t kind);
// All of a record's input names: "attributes | vertex uniforms | fragment uniforms |
// samplers".
std::string bindings_of(const r_draw_record_t &r);

class shader_fixture_t : public kernel_fixture_t {
protected:
    void SetUp() override;
    void TearDown() override;

    void put(const std::string &name, const std::string &text);
    // Writes "/t/<name>" with the effect and further lines, and gets the material
    // (held until the test ends).
    c_item_t *material(const std::string &name, const std::string &effect, const std::string &lines = "");
    // A dry material of these flags and draw order.
    c_item_t *dry(const std::string &name, uint32_t flags, int32_t order = 0);
    // The pass of a material.
    effect_pass_u *pass_of(c_item_t *item) { return material_pass(item); }
    // Draws one prototype of the material with the packets through its queue, and
    // returns its record (the frame's log is emptied first).
    const r_draw_record_t &draw_one(c_item_t *item, test_packets_t &packets);
    // What one frame of drawing calls queues, as the renderer logs it.
    template <class F>
    const r_draw_log_t &frame(F &&draw_calls) {
        context.begin_frame();
        draw_calls();
        shaderlib_queue_render_and_flush(&context);
        return context.get_draw_log();
    }

    temp_dir_t dir;  // mounted at "/t"
    fs_device_t *mount = nullptr;
    r_context_t context{nullptr};
    std::vector<c_item_t *> held;
    std::vector<std::unique_ptr<test_proto_t>> protos;
};

}  // namespace quarn::test
