#pragma once
// model_desc_u: a loaded model descriptor (".zmd", docs/formats/model-descriptor.md):
// looks with a material path per slot, variants, per-part attributes. It is what
// models are made from: its creators build templates, instances and objects in a
// look and a variant, over the geometry next to it ("<folder>/<base>.zmg"), which it
// obtains on first use and keeps.
//
// Every creator gives null, with a "[model]" message, when the geometry cannot be had,
// when the descriptor and the geometry disagree on the part count, for a look or
// variant index out of range, and (by name or token) for a look or variant the
// descriptor does not have.
#include <cstdint>

#include "game/visuals/models/model_desc_view.h"
#include "game/visuals/models/model_geom.h"
#include "game/visuals/models/model_lib.h"
#include "outside/qrnshared/resource_unit.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class model_inst_u;
class model_object_u;
class model_packet_provider_t;
class model_template_u;

class model_desc_u : public resource_unit_u {
    QRN_UNIT_CLASS(model_desc_u, resource_unit_u);

public:
    bool load_memory() override;
    void unload_memory() override;
    void post_move(void *old_data, void *new_data) override;
    bool bind_item(c_item_t *item) override;
    void unbind_item(c_item_t *item) override;

    const model_desc_view_t &view() const { return m_view; }
    bool is_ready() const { return m_view.is_open(); }
    const char *get_path() const { return m_view.get_path(); }
    // The descriptor's folder (relative material paths are joined to it).
    const char *get_directory() const { return m_view.get_directory(); }

    // The geometry next to the descriptor, obtained on the first call and kept while
    // the descriptor is loaded; null (logged) when it cannot be had.
    model_geom_u *get_geometry();
    // The geometry if it was obtained already, else null.
    model_geom_u *peek_geometry() const { return m_geom.get(); }

    // ---- readers ----
    // A part's type-5 attribute as text, or null.
    const char *get_string_attribute(uint32_t part, const char *name) const;
    uint32_t get_material_count() const { return m_view.is_open() ? m_view.get_material_count() : 0; }
    // The material path of a slot in a look as a path of the virtual tree (relative
    // ones joined to the folder); false for indices out of range.
    bool get_material_path(uint32_t look, uint32_t slot, mstring_t &out) const;
    // Look / variant by name or token: index or -1 (the reader's messages).
    int32_t find_look(const char *name) const { return m_view.is_open() ? m_view.find_look(name) : -1; }
    int32_t find_variant(const char *name) const { return m_view.is_open() ? m_view.find_variant(name) : -1; }

    // ---- creators (new units in the default unit system) ----
    owner_ptr_ret_t<model_inst_u> create_inst(uint32_t look, uint32_t variant, bool rigid = false);
    owner_ptr_ret_t<model_inst_u> create_inst_by_token(uint64_t look, uint64_t variant);
    owner_ptr_ret_t<model_inst_u> create_inst_by_name(const char *look, const char *variant);
    // Objects also get their materials' packet arrays from the provider (which may be
    // null: the prototypes then get none until apply_materials is called again).
    owner_ptr_ret_t<model_object_u> create_object(uint32_t look, uint32_t variant, model_packet_provider_t *provider,
                                                  bool rigid = false);
    owner_ptr_ret_t<model_object_u> create_object_by_token(uint64_t look, uint64_t variant,
                                                           model_packet_provider_t *provider);
    owner_ptr_ret_t<model_object_u> create_object_by_name(const char *look, const char *variant,
                                                          model_packet_provider_t *provider);
    owner_ptr_ret_t<model_template_u> create_template(uint32_t look, uint32_t variant);
    owner_ptr_ret_t<model_template_u> create_template_by_name(const char *look, const char *variant);
    // Look 0, variant 0, rigid.
    owner_ptr_ret_t<model_template_u> create_default_template();

private:
    // Resolves names / tokens to indices (false, logged, when one is unknown).
    bool indices_of(const char *look, const char *variant, uint32_t &l, uint32_t &v) const;
    bool indices_of(uint64_t look, uint64_t variant, uint32_t &l, uint32_t &v) const;
    // Creates a unit of class d and sets it up; null on any failure.
    owner_ptr_ret_t<unit_base_t> make(const unit_descriptor_t &d, uint32_t look, uint32_t variant, bool rigid,
                                           model_packet_provider_t *provider);

    model_desc_view_t m_view;
    model_hold_t<model_geom_u> m_geom;
};

}  // namespace quarn
