#pragma once
// The graphics front-end's immediate cache: one heap block filled from its start
// during a frame and emptied at the frame's end, from which immediate geometry and
// screen bitmaps are built into packets and prototypes. A frame that asks for more
// than the block holds loses that geometry, and the next sweep enlarges the block.
#include <cstddef>
#include <cstdint>

#include "kernel/api.h"
#include "outside/qrnshared/parameter_packet.h"
#include "outside/qrnshared/r_proto.h"

namespace quarn {

class c_item_t;

constexpr size_t GFX_CACHE_INITIAL = 524288;

// Flags of a geometry description.
enum gfx_geometry_flags_t : uint32_t {
    GFX_GEOM_POSITIONS = 0x1,
    GFX_GEOM_NORMALS = 0x2,
    GFX_GEOM_COLOURS = 0x4,  // a colour a vertex
    GFX_GEOM_TEXCOORDS = 0x8,
    GFX_GEOM_INDEXED = 0x20,
    GFX_GEOM_SINGLE_COLOUR = 0x80,  // one colour for all vertices
    GFX_GEOM_IN_PLACE = 0x100,      // the caller's arrays are used as they are
    GFX_GEOM_EXTRAS = 0x200,
};

// Immediate geometry as the caller describes it.
struct gfx_geometry_desc_t {
    uint32_t flags = 0;
    uint32_t word = 0;       // passed to the prototype
    uint32_t primitive = 0;  // passed to the prototype
    c_item_t *material = nullptr;
    uint32_t vertex_count = 0;
    uint32_t index_count = 0;
    const float *positions = nullptr;
    const uint32_t *colours = nullptr;
    const float *texcoords = nullptr;
    const float *normals = nullptr;
    const uint16_t *indices = nullptr;
    const void *extras = nullptr;  // 16-byte records
    uint32_t extra_count = 0;
};

// A rectangle {x0, x1, y0, y1} on the screen or {s0, s1, t0, t1} in a texture.
struct gfx_rect_t {
    float x0, x1, y0, y1;
};

// The vertex packet type of geometry with or without normals, with no colour (0), a
// colour a vertex (1) or one colour (2), with or without texture coordinates.
uint32_t gfx_vertex_format(bool normals, int colour, bool texcoords);

// Takes the cache's block (GFX_CACHE_INITIAL bytes the first time) and empties it /
// frees it.
void gfx_cache_take();
void gfx_cache_release();
// Bytes of the block, and of it taken this frame.
size_t gfx_cache_size();
size_t gfx_cache_fill();
bool gfx_cache_overflowed();
// Releases the UI parameter packets (the array and the two units).
void gfx_release_ui_packets();

}  // namespace quarn

extern "C" {
// A prototype of the geometry (copied into the cache unless it is to be used in
// place); null when it is indexed without indices or the cache has no room.
KERNEL_API quarn::r_proto_t *gfx_cache_data(const quarn::gfx_geometry_desc_t *desc);
// A screen quad of the material's texture rectangle in one colour; null when the
// material cannot be loaded or the cache has no room.
KERNEL_API quarn::r_proto_t *gfx_sub_bitmap(quarn::c_item_t *material, const quarn::gfx_rect_t *screen,
                                            const quarn::gfx_rect_t *texture, uint32_t colour);
// The same over the whole texture.
KERNEL_API quarn::r_proto_t *gfx_bitmap(quarn::c_item_t *material, const quarn::gfx_rect_t *screen,
                                        uint32_t colour);
// The parameter packets of screen drawing: a camera with the identity placement and
// the orthographic projection of the current view, and the identity model; made
// (in the engine's unit system) when missing.
KERNEL_API quarn::r_parameter_array_t *ui_get_parameter_packet_array();
}
