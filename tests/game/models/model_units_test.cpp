// Loading models: resources by path, templates from descriptors and unit files,
// looks, variants and materials, static and skinned render data, the packet arrays
// of the materials' effects, and the lock hooks around the resources.
#include <gtest/gtest.h>

#include <string>

#include "game/visuals/shaders/fw_effect.h"
#include "game/visuals/shaders/fw_families.h"
#include "model_lib_fixture.h"
#include "qrncore/strings/name_token.h"
#include "qrncore/units/unit_load.h"
#include "qrncore/units/unit_save.h"
#include "support/memory_file.h"
#include "zm_writer.h"

namespace quarn::test {
namespace {

uint64_t token(const char *name) {
    uint64_t t = 0;
    string_to_token(t, name);
    return t;
}

class model_units : public model_lib_fixture_t {
protected:
    void SetUp() override {
        model_lib_fixture_t::SetUp();
        write_fixture_models();
    }

    // The root unit of a unit file text, or null.
    owner_ptr_ret_t<unit_base_t> load_unit(const std::string &body) {
        memory_file_t file("RozErere\n{\n" + body + "\n}\n", "/t/test.unit");
        unit_load_t loader(file, *unit_system_t::get_default(), nullptr, "/t/test.unit");
        return loader.load_tree_generic();
    }
    std::string save_unit(unit_base_t *unit) {
        memory_file_t file;
        unit_save_t saver(file, UNIT_TRAVERSE_NONE);
        saver.add(unit);
        EXPECT_TRUE(saver.save(UNIT_PAYLOAD_TEXT));
        return file.bytes;
    }
};

TEST_F(model_units, resources_load_by_path_and_refuse_what_they_cannot_read) {
    model_desc_u *d = desc("/t/model/rig/rig.zmd");
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->is_ready());
    EXPECT_EQ(d->get_material_count(), 2u);
    EXPECT_STREQ(d->get_directory(), "/t/model/rig");
    model_geom_u *g = d->get_geometry();
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->get_bone_count(), 2u);
    EXPECT_EQ(g->find_part("head"), 1);
    EXPECT_EQ(g->find_part("tail"), -1);
    EXPECT_EQ(d->get_geometry(), g) << "obtained once and kept";
    EXPECT_EQ(model_desc_u_obtain("/t/model/rig/rig.zmd"), d) << "one resource a path";
    model_release(d);

    EXPECT_EQ(model_desc_u_obtain("/t/model/none.zmd"), nullptr);
    put("model/bad.zmd", "not a descriptor");
    EXPECT_EQ(model_desc_u_obtain("/t/model/bad.zmd"), nullptr);
    EXPECT_TRUE(log.contains("[model] Model descriptor '/t/model/bad.zmd'"));
    EXPECT_EQ(model_anim_u_obtain(nullptr), nullptr);
    // A path already held by another class is not handed out as this one.
    EXPECT_EQ(model_anim_u_obtain("/t/model/rig/rig.zmd"), nullptr);
}

TEST_F(model_units, creators_choose_looks_and_variants_by_index_token_and_name) {
    model_desc_u *d = desc("/t/model/rig/rig.zmd");
    ASSERT_NE(d, nullptr);
    struct case_t {
        const char *look, *variant;
        bool made;
        uint32_t l, v;
    } cases[] = {
        {"default", "default", true, 0, 0},
        {"winter", "hidden", true, 1, 1},
        {"autumn", "default", false, 0, 0},
        {"winter", "cloaked", false, 0, 0},
        {"Not A Token!", "default", false, 0, 0},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(std::string(c.look) + "/" + c.variant);
        owner_ptr_t<model_inst_u> by_name(d->create_inst_by_name(c.look, c.variant));
        owner_ptr_t<model_inst_u> by_token(d->create_inst_by_token(token(c.look), token(c.variant)));
        EXPECT_EQ(bool(by_name), c.made);
        EXPECT_EQ(bool(by_token), c.made && token(c.look) != 0);
        if (!by_name) continue;
        EXPECT_EQ(by_name->get_look(), c.l);
        EXPECT_EQ(by_name->get_variant(), c.v);
        EXPECT_EQ(by_name->get_look_token(), token(c.look));
        EXPECT_EQ(by_name->get_variant_token(), token(c.variant));
        EXPECT_EQ(by_name->is_part_visible(1), c.v == 0) << "the variant's visible attribute";
    }
    EXPECT_TRUE(log.contains("[model] Unknown look name 'autumn' on model '/t/model/rig/rig.zmd'"));
    EXPECT_TRUE(log.contains("[model] Unknown variant name 'cloaked' on model '/t/model/rig/rig.zmd'"));

    // Indices out of range would read past the descriptor's tables.
    log.clear();
    EXPECT_FALSE(d->create_inst(2, 0));
    EXPECT_TRUE(log.contains("[model] The model '/t/model/rig/rig.zmd' has no look 2 (it has 2)"));
    EXPECT_FALSE(d->create_object(0, 5, nullptr));
    EXPECT_TRUE(log.contains("[model] The model '/t/model/rig/rig.zmd' has no variant 5 (it has 2)"));
    owner_ptr_t<model_template_u> t(d->create_default_template());
    ASSERT_TRUE(t);
    EXPECT_TRUE(t->is_rigid());
    EXPECT_TRUE(t->is_loaded());
}

TEST_F(model_units, material_paths_are_absolute_or_joined_to_the_descriptor_folder) {
    model_desc_u *d = desc("/t/model/rig/rig.zmd");
    ASSERT_NE(d, nullptr);
    owner_ptr_t<model_template_u> t(d->create_template(1, 0));
    ASSERT_TRUE(t);
    const struct {
        uint32_t piece;
        const char *path;
    } cases[] = {{0, "/t/model/rig/winter.mat"}, {1, "/t/model/rig/winter.mat"}, {2, "/t/mat/eye.mat"}};
    for (const auto &c : cases) {
        const material_t *m = material_of(t->get_piece_material(c.piece));
        ASSERT_NE(m, nullptr) << c.piece;
        EXPECT_EQ(m->path, c.path);
    }
    mstring_dyn_t path;
    EXPECT_TRUE(d->get_material_path(0, 0, path));
    EXPECT_EQ(path, "/t/model/rig/skin.mat");
    EXPECT_FALSE(d->get_material_path(0, 2, path));
}

TEST_F(model_units, descriptor_faults_give_no_model_or_no_material) {
    // A descriptor of one part over the rig's two: its attributes would be read by
    // part indices it does not have.
    zmgen::zm_model_t parts = rig_model();
    parts.descriptor.parts.pop_back();
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(zmgen::zm_write_descriptor(parts.descriptor, bytes));
    ASSERT_TRUE(zmgen::zm_write_file(dir.file("model/rig/one_part.zmd"), bytes));
    ASSERT_TRUE(zmgen::zm_write_file(dir.file("model/rig/one_part.zmg"), [] {
        std::vector<uint8_t> g;
        zmgen::zm_write_geometry(rig_model().geometry, g);
        return g;
    }()));
    model_desc_u *bad = desc("/t/model/rig/one_part.zmd");
    ASSERT_NE(bad, nullptr);
    EXPECT_FALSE(bad->create_object(0, 0, nullptr));
    EXPECT_TRUE(log.contains("[model] The model '/t/model/rig/one_part.zmd' has 1 parts, its geometry "
                             "'/t/model/rig/one_part.zmg' has 2"));

    // A piece naming material slot 3 of 2 is drawn without a material.
    zmgen::zm_model_t slots = rig_model();
    slots.geometry.pieces[2].material = 3;
    model_desc_u *d = desc(write_model(slots, "model/slots", "slots"));
    write_material("model/slots/skin.mat");
    ASSERT_NE(d, nullptr);
    log.clear();
    owner_ptr_t<model_object_u> o(d->create_object(0, 0, nullptr));
    ASSERT_TRUE(o);
    EXPECT_TRUE(log.contains(
        "[model] Piece 2 of the model '/t/model/slots/slots.zmd' names material slot 3 of 2: it is drawn without a "
        "material"));
    EXPECT_NE(o->get_piece_material(0), nullptr);
    EXPECT_EQ(o->get_piece_material(2), nullptr);
    EXPECT_EQ(o->get_proto(2)->material, nullptr);
    EXPECT_EQ(render({o.get()}).draw_count(), 2u) << "the piece without material is never queued";

    // No geometry next to the descriptor.
    ASSERT_TRUE(zmgen::zm_write_file(dir.file("model/lonely.zmd"), bytes));
    model_desc_u *lonely = desc("/t/model/lonely.zmd");
    ASSERT_NE(lonely, nullptr);
    EXPECT_FALSE(lonely->create_template(0, 0));
    EXPECT_TRUE(log.contains("[model] The geometry '/t/model/lonely.zmg' of the model '/t/model/lonely.zmd' could "
                             "not be loaded"));
}

TEST_F(model_units, geometry_without_bones_is_static_and_static_instances_share_buffers) {
    model_desc_u *rock = desc("/t/model/rock/rock.zmd");
    model_desc_u *rig = desc("/t/model/rig/rig.zmd");
    ASSERT_TRUE(rock && rig);
    owner_ptr_t<model_inst_u> a(rock->create_inst(0, 0, false));
    owner_ptr_t<model_inst_u> b(rock->create_inst(0, 0, false));
    owner_ptr_t<model_inst_u> skinned(rig->create_inst(0, 0, false));
    owner_ptr_t<model_inst_u> rigid(rig->create_inst(0, 0, true));
    ASSERT_TRUE(a && b && skinned && rigid);
    EXPECT_TRUE(a->is_static()) << "no bones: static although rigid is false";
    EXPECT_FALSE(skinned->is_static());
    EXPECT_TRUE(rigid->is_static());

    model_geom_u *g = rock->get_geometry();
    ASSERT_NE(a->get_vertex_buffer(), nullptr);
    EXPECT_EQ(a->get_vertex_buffer(), b->get_vertex_buffer());
    EXPECT_EQ(a->get_index_buffer(), b->get_index_buffer());
    EXPECT_EQ(g->get_buffer_users(), 2u);
    EXPECT_EQ(a->get_vertex_buffer()->kind, MODEL_VERTEX_BUFFER_KIND);
    EXPECT_EQ(a->get_index_buffer()->kind, MODEL_INDEX_BUFFER_KIND);
    EXPECT_EQ(a->get_vertex_buffer()->size, g->view().get_vertex_block_size());
    EXPECT_EQ(skinned->get_vertex_buffer(), nullptr);
    EXPECT_NE(rigid->get_vertex_buffer(), a->get_vertex_buffer());

    // When the renderer asks, the buffers get the file's blocks again.
    std::vector<uint8_t> memory(a->get_vertex_buffer()->size);
    a->get_vertex_buffer()->fill(a->get_vertex_buffer(), memory.data());
    EXPECT_EQ(memcmp(memory.data(), g->view().get_vertex_block(), memory.size()), 0);

    // Streams: static ones lie in the shared buffers, skinned positions in the copy.
    r_stream_location_t at;
    const r_stream_source_t *s = static_cast<const r_stream_source_t *>(a->get_vertex_packet(0)->data);
    ASSERT_TRUE(s->locate(s, R_STREAM_INDEX, &at));
    EXPECT_EQ(at.buffer, a->get_index_buffer());
    EXPECT_EQ(at.offset, uint64_t(reinterpret_cast<const uint8_t *>(g->view().get_indices(0)) -
                                  g->view().get_index_block()));
    EXPECT_FALSE(s->locate(s, R_STREAM_TANGENT, &at)) << "the rock has no tangents";
    s = static_cast<const r_stream_source_t *>(skinned->get_vertex_packet(0)->data);
    ASSERT_TRUE(s->locate(s, R_STREAM_POSITION, &at));
    EXPECT_EQ(at.buffer, nullptr);
    EXPECT_EQ(at.address, skinned->get_positions(0));
    EXPECT_EQ(skinned->get_vertex_packet(0)->type, uint32_t(R_PACKET_MODEL_TAN_FUR));
    EXPECT_EQ(a->get_vertex_packet(0)->type, uint32_t(R_PACKET_MODEL));
    EXPECT_EQ(a->get_index_packet(0)->type, uint32_t(R_PACKET_MODEL_INDEX16));

    a.reset();
    b.reset();
    unit_system_t::clean_garbage();
    EXPECT_EQ(g->get_buffer_users(), 0u) << "the last user frees them";
}

// A provider that answers for one class only, counting what it was asked.
class class_provider_t : public model_packet_provider_t {
public:
    class_provider_t(const unit_descriptor_t *answers, r_parameter_array_t *array) : m_answers(answers), m_array(array) {}
    r_parameter_array_t *get_packets(const unit_descriptor_t *effect_class) override {
        asked.push_back(effect_class ? effect_class->class_name->c_str() : "(default)");
        return effect_class == m_answers ? m_array : nullptr;
    }
    std::vector<std::string> asked;

private:
    const unit_descriptor_t *m_answers;
    r_parameter_array_t *m_array;
};

TEST_F(model_units, materials_take_the_array_of_the_nearest_class_the_provider_answers) {
    model_desc_u *d = desc("/t/model/rig/rig.zmd");
    ASSERT_NE(d, nullptr);
    r_parameter_array_t *array = &packets->array;
    const struct {
        const unit_descriptor_t *answers;
        std::vector<std::string> asked;  // for one prototype
        bool given;
    } cases[] = {
        {&fw_dif_u::unit_descriptor, {"fw_dif"}, true},
        {&fw_effect_u::unit_descriptor, {"fw_dif", "fw_effect"}, true},
        {nullptr, {"fw_dif", "fw_effect", "effect", "(default)"}, true},
        {&unit_base_t::unit_descriptor, {"fw_dif", "fw_effect", "effect", "(default)"}, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.answers ? c.answers->class_name->c_str() : "default");
        class_provider_t provider(c.answers, array);
        log.clear();
        owner_ptr_t<model_object_u> o(d->create_object(0, 0, &provider));
        ASSERT_TRUE(o);
        ASSERT_EQ(provider.asked.size(), 3 * c.asked.size()) << "three prototypes";
        EXPECT_EQ(std::vector<std::string>(provider.asked.begin(), provider.asked.begin() + c.asked.size()), c.asked);
        for (uint32_t i = 0; i < 3; ++i) EXPECT_EQ(o->get_proto(i)->parameters, c.given ? array : nullptr);
        const auto warnings = log.texts(message_t::WARNING);
        EXPECT_EQ(warnings.size(), c.given ? 0u : 3u) << "one warning a prototype";
        if (!c.given) {
            EXPECT_EQ(warnings[0],
                      "[model] Client failed to provide the parameter packet array for use with effect class 'fw_dif'.");
        }
    }
}

TEST_F(model_units, unit_files_fall_back_to_look_and_variant_zero_and_keep_part_lists_to_saving) {
    owner_ptr_t<unit_base_t> unit(load_unit("model_object : rigs.one\n{\n"
                                            "  model_desc: \"/t/model/rig/rig.zmd\"\n"
                                            "  look: summer\n  variant: hidden\n"
                                            "  invisible_parts[]: body\n  invisible_parts[]: tail\n"
                                            "  visible_parts[]: head\n  visible_parts[]: wing\n}"));
    model_object_u *o = unit_cast<model_object_u>(unit.get());
    ASSERT_NE(o, nullptr);
    EXPECT_TRUE(o->is_loaded());
    EXPECT_EQ(o->get_look(), 0u) << "an unknown look falls back to the first";
    EXPECT_EQ(o->get_look_token(), token("default"));
    EXPECT_EQ(o->get_variant(), 1u);
    EXPECT_EQ(o->get_variant_token(), token("hidden"));
    EXPECT_FALSE(o->is_part_visible(0));
    EXPECT_TRUE(o->is_part_visible(1)) << "the list shows what the variant hid";
    EXPECT_EQ(log.texts(message_t::ERROR),
              (std::vector<std::string>{"[model] Unknown part name: wing in model /t/model/rig/rig.zmd.",
                                        "[model] Unknown part name: tail in model /t/model/rig/rig.zmd."}));
    EXPECT_EQ(o->m_visible_parts.get_count(), 0u);
    EXPECT_EQ(o->m_invisible_parts.get_count(), 0u);

    const std::string saved = save_unit(o);
    EXPECT_NE(saved.find("visible_parts[0]: head"), std::string::npos) << saved;
    EXPECT_NE(saved.find("invisible_parts[0]: body"), std::string::npos) << saved;
    EXPECT_NE(saved.find("look: default"), std::string::npos) << saved;
    EXPECT_EQ(o->m_visible_parts.get_count(), 0u) << "the lists serve the file only";

    owner_ptr_t<unit_base_t> other(load_unit("model_template : rigs.three\n{\n"
                                             "  model_desc: \"/t/model/rig/rig.zmd\"\n"
                                             "  look: winter\n  variant: cloaked\n}"));
    model_template_u *t = unit_cast<model_template_u>(other.get());
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->get_look(), 1u);
    EXPECT_EQ(t->get_variant(), 0u) << "an unknown variant falls back to the first";
    EXPECT_EQ(t->get_variant_token(), token("default"));
    EXPECT_EQ(t->m_variant, token("default"));

    // A template without a descriptor does not load.
    EXPECT_FALSE(load_unit("model_template : rigs.two\n{\n  look: default\n}"));
    EXPECT_TRUE(log.contains("[model] The model template 'rigs.two' names no model descriptor"));
}

TEST_F(model_units, lock_hooks_bracket_every_bind_and_unbind) {
    EXPECT_EQ(bound(), 0);
    model_desc_u *d = desc("/t/model/rig/rig.zmd");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(locks, 1);
    ASSERT_NE(d->get_geometry(), nullptr);
    EXPECT_EQ(locks, 2);
    ASSERT_TRUE(zmgen::zm_write_file(dir.file("model/rig/walk.zma"), [] {
        std::vector<uint8_t> a;
        zmgen::zm_write_animation(rig_animation("walk", 2, true), a);
        return a;
    }()));
    ASSERT_NE(anim("/t/model/rig/walk.zma"), nullptr);
    EXPECT_EQ(bound(), 3);
    // A refused file is bound and unbound all the same.
    put("model/broken.zma", "xx");
    EXPECT_EQ(model_anim_u_obtain("/t/model/broken.zma"), nullptr);
    EXPECT_EQ(bound(), 3);
    EXPECT_EQ(locks, 4);
    // The rest goes in the tear-down, which checks that the count comes back to 0.
}

}  // namespace
}  // namespace quarn::test
