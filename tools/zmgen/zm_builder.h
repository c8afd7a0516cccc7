#pragma once
// The description builder's state, shared by its three sources: zm_description.cpp
// (bones, parts, looks, variants), zm_description_collision.cpp and
// zm_description_animation.cpp.
#include <map>
#include <string>
#include <vector>

#include "outside/qrnshared/def_pool.h"
#include "qrncore/math/mat_sq.h"
#include "zm_def_reader.h"
#include "zm_model.h"
#include "zm_shapes.h"

namespace zmgen {

class zm_builder_t {
public:
    zm_builder_t(const char *name, zm_model_t &out) : r(name), m_out(out) {}

    bool build(const quarn::def_pool_t &pool);

private:
    bool read_model(const def_obj_t *model);
    bool read_bones(const def_obj_t *bones);
    bool read_parts(const def_obj_t *parts);
    bool read_piece(const def_obj_t *part, const def_obj_t *piece);
    bool read_shape(const def_obj_t *part, const def_obj_t *piece, const def_obj_t *shape, zm_piece_t &out);
    bool read_vertex_list(const def_obj_t *shape, const zm_shape_t &placed, zm_piece_t &out);
    bool read_looks(const def_obj_t *looks);
    bool read_attributes(const def_obj_t *attributes, const def_obj_t *variants);
    bool read_collision(const def_obj_t *collision);
    bool read_primitive(const def_obj_t *primitive, const std::vector<std::string> &materials,
                        zm_collision_t &collision, zm_primitive_t &out);
    bool read_animations(const def_obj_t *animations);
    bool read_animation(const def_obj_t *animation, zm_animation_t &out);

    // The influences of a shape: its own "bone" or "weights", else the piece's, else
    // the part's, else bone 0 in full (none for a model without bones).
    bool influences(std::initializer_list<const def_obj_t *> chain, std::vector<zm_influence_t> &out);
    bool parse_weights(const def_obj_t *o, const char *key, const std::string &text, std::vector<zm_influence_t> &out);
    // The bone of a name; -1 (reported) when there is none.
    int bone_index(const def_obj_t *o, const char *key, const std::string &name);
    // A placement from "position", "rotation"/"ypr" and "space" (a bone whose rest
    // frame the placement is in): the transform from the shape's own space to the
    // model's.
    bool placement(const def_obj_t *o, quarn::mat4_t &out);
    // The name is a name token.
    bool token_name(const def_obj_t *o, const char *what);
    int slot_index(const std::string &name) const;

    zm_def_reader_t r;
    zm_model_t &m_out;
    float m_scale = 1.0f;
    bool m_tangents = false;
    bool m_further = false;
    std::vector<std::string> m_slots;
    std::map<std::string, int> m_bones;
    std::vector<quarn::mat4_t> m_bind;
    std::vector<std::string> m_parts;
};

}  // namespace zmgen
