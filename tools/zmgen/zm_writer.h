#pragma once
// Writes the four model files from a zm_model_t (zm_model.h): the geometry ".zmg",
// the descriptor ".zmd", the collision model ".zmc" and the animations ".zma"
// (docs/formats/model-*.md). The same model always gives the same bytes. Header words
// the readers do not read are written as 0.
//
// The writers check only what they cannot write (a name that makes no token, more
// skin groups or frames than the format counts); everything else is written as
// given, so tests can make broken files. They fail with a "[zmgen]" error.
#include <cstdint>
#include <string>
#include <vector>

#include "qrncore/geometry/aabox.h"
#include "qrncore/geometry/sphere.h"
#include "qrncore/math/mat_sq.h"
#include "zm_model.h"

namespace zmgen {

using bytes_t = std::vector<uint8_t>;

bool zm_write_geometry(const zm_geometry_t &geometry, bytes_t &out);
bool zm_write_descriptor(const zm_descriptor_t &descriptor, bytes_t &out);
bool zm_write_collision(const zm_collision_t &collision, bytes_t &out);
bool zm_write_animation(const zm_animation_t &animation, bytes_t &out);

// Writes "<folder>/<base>.zmd", ".zmg", ".zmc" (when the model has collision) and
// "<folder>/<name>.zma" for each animation, making the folder when needed.
bool zm_write_model(const zm_model_t &model, const std::string &folder, const std::string &base);
bool zm_write_file(const std::string &path, const bytes_t &bytes);

// What the geometry writer computes, for tests and tools.
// The bind matrix of each bone (bone space to model space) from the rest poses: the
// scale along the stretch axes, then the rotation, then the translation, then the
// parent's bind matrix. A parent that does not come before its bone counts as none.
std::vector<quarn::mat4_t> zm_bind_matrices(const std::vector<zm_bone_t> &bones);
// The local matrix of one rest pose (or animation key).
quarn::mat4_t zm_local_matrix(const quat_t &stretch, const quat_t &rotation, const vec3_t &translation,
                              const vec3_t &scale, float scale_sign);
// Bounds of a piece's positions (a zero box and sphere for none), and of the model.
quarn::aabox_t zm_piece_box(const zm_piece_t &piece);
quarn::sphere_t zm_piece_sphere(const zm_piece_t &piece);
quarn::aabox_t zm_model_box(const zm_geometry_t &geometry);
quarn::sphere_t zm_model_sphere(const zm_geometry_t &geometry);

// Little-endian patches of written bytes, for fixtures.
void zm_patch_u8(bytes_t &bytes, uint64_t offset, uint8_t value);
void zm_patch_u16(bytes_t &bytes, uint64_t offset, uint16_t value);
void zm_patch_u32(bytes_t &bytes, uint64_t offset, uint32_t value);
void zm_patch_f32(bytes_t &bytes, uint64_t offset, float value);
uint32_t zm_read_u32(const bytes_t &bytes, uint64_t offset);

}  // namespace zmgen
