#pragma once
// Mesh building for the model writer: primitives appended to a piece, normals and
// tangents, and the skin-group sort.
//
// Every primitive is built around its own origin and then carried by `frame` (a
// rigid 4×4 transform: placement, or placement in a bone's rest frame). Each new
// vertex starts as a copy of `base` (colour, further colour, influences). Triangles
// are wound so that cross(v1 - v0, v2 - v0) points out of the surface; `inside`
// turns the surface inside out (winding and normals), for shapes seen from within
// such as a sky.
#include <cstdint>

#include "qrncore/math/mat_sq.h"
#include "zm_model.h"

namespace zmgen {

struct zm_shape_t {
    quarn::mat4_t frame = quarn::mat4_t::identity();
    zm_vertex_t base;
    bool inside = false;
};

// A box of full edge lengths size: four vertices per face, flat normals.
void zm_add_box(zm_piece_t &piece, const zm_shape_t &shape, const vec3_t &size);
// A sphere of latitude rings (at least 2) and longitude segments (at least 3), its
// poles on the z axis.
void zm_add_sphere(zm_piece_t &piece, const zm_shape_t &shape, float radius, uint32_t segments, uint32_t rings);
// A capsule along z: length between the centres of its two half-sphere caps, each cap
// of `rings` rings.
void zm_add_capsule(zm_piece_t &piece, const zm_shape_t &shape, float radius, float length, uint32_t segments,
                    uint32_t rings);
// A closed cylinder along z of that length.
void zm_add_cylinder(zm_piece_t &piece, const zm_shape_t &shape, float radius, float length, uint32_t segments);
// A closed frustum along z: radius at the low end (-length / 2), top at the high end; a
// top of 0 ends in a point (a cone, with no cap there).
void zm_add_frustum(zm_piece_t &piece, const zm_shape_t &shape, float radius, float top, float length,
                    uint32_t segments);
// A quad in the xy plane facing +z, size x by y; texture coordinates run (0, 0) at
// the top left to (1, 1) at the bottom right.
void zm_add_quad(zm_piece_t &piece, const zm_shape_t &shape, const vec2_t &size);

// Sets the normals of vertices [first, end) to the area-weighted mean of the faces of
// the triangles from index position first_index on that use them.
void zm_compute_normals(zm_piece_t &piece, size_t first, size_t first_index);
// Sets every vertex's tangent from the texture coordinates: x, y, z along +u, made
// perpendicular to the normal, and w = ±1 the handedness of (normal, tangent, +v).
void zm_compute_tangents(zm_piece_t &piece);
// Orders the vertices so that those sharing a skin group (an equal influence list)
// form one run, groups in order of first appearance; indices follow their vertices.
void zm_sort_by_skin_group(zm_piece_t &piece);

// Bytes of a weight: round(w × 255) clamped to 0..255.
uint8_t zm_weight_byte(float weight);

}  // namespace zmgen
