#pragma once
// Render packets and prototypes: what the kernel's graphics front-end builds from
// immediate geometry and screen bitmaps, and models from their files, and the
// renderer draws. A packet carries a type (a vertex format, indices, a quad) and the
// geometry it describes; a prototype
// keeps up to four packets, an index packet, a material and its drawing words. Both
// are counted; the records come from the front-end's pools.
#include <cstdint>

#include "outside/qrnshared/api.h"

namespace quarn {

class c_item_t;
struct r_parameter_array_t;

// Packet types: the twelve vertex formats (positions with or without normals, with no
// colour, a colour a vertex or one colour, with or without texture coordinates), 16-bit
// indices over the same geometry, and screen quads.
enum r_packet_type_t : uint32_t {
    R_PACKET_NONE = 0,
    R_PACKET_P = 1,
    R_PACKET_PT,
    R_PACKET_PC,
    R_PACKET_PCT,
    R_PACKET_PS,
    R_PACKET_PST,
    R_PACKET_PN,
    R_PACKET_PNT,
    R_PACKET_PNC,
    R_PACKET_PNCT,
    R_PACKET_PNS,
    R_PACKET_PNST,
    R_PACKET_INDEX16,
    R_PACKET_QUAD,
    // Geometry its owner serves through an r_stream_source_t (model pieces): positions,
    // normals, texture coordinates and colours, with or without tangents (4 floats)
    // and the further colour stream; and the 16-bit indices of such geometry.
    R_PACKET_MODEL,
    R_PACKET_MODEL_TAN,
    R_PACKET_MODEL_FUR,
    R_PACKET_MODEL_TAN_FUR,
    R_PACKET_MODEL_INDEX16,
};

// True for the packet types whose data is an r_stream_source_t.
constexpr bool r_packet_is_stream_source(uint32_t type) {
    return type >= R_PACKET_MODEL && type <= R_PACKET_MODEL_INDEX16;
}

struct r_buffer_t;

// The streams an r_stream_source_t serves.
enum r_stream_t : uint32_t {
    R_STREAM_POSITION = 0,  // 3 floats a vertex
    R_STREAM_NORMAL,        // 3 floats
    R_STREAM_TEXCOORD,      // 2 floats
    R_STREAM_COLOUR,        // 32 bits
    R_STREAM_FURTHER,       // 32 bits
    R_STREAM_TANGENT,       // 4 floats
    R_STREAM_INDEX,         // 16 bits an index
    R_STREAM_COUNT,
};

// Where a stream lies: at offset inside a shared render buffer, or (buffer null) at
// address in host memory.
struct r_stream_location_t {
    r_buffer_t *buffer = nullptr;
    uint64_t offset = 0;
    const void *address = nullptr;
};

// Geometry whose owner keeps it and tells the renderer where it is, stream by
// stream, and how much of it there is. A packet of an R_PACKET_MODEL* type points at
// one; the owner keeps it alive as long as the packet.
struct r_stream_source_t {
    // False when the geometry has no such stream.
    bool (*locate)(const r_stream_source_t *source, uint32_t stream, r_stream_location_t *out) = nullptr;
    uint32_t (*vertex_count)(const r_stream_source_t *source) = nullptr;
    uint32_t (*index_count)(const r_stream_source_t *source) = nullptr;
    void *owner = nullptr;
    uint32_t piece = 0;
};

// Immediate geometry as the graphics front-end lays it out in its cache (a packet's
// data): arrays that are not given are null.
struct r_geometry_t {
    float *positions;   // 3 floats a vertex
    uint32_t *colours;  // one a vertex, or one for all
    float *texcoords;   // 2 floats a vertex
    float *normals;     // 3 floats a vertex
    uint16_t *indices;
    void *extras;       // 16-byte records
    uint32_t vertex_count;
    uint32_t index_count;  // 0 when not indexed
    uint32_t extra_count;
    uint32_t flags;        // the description's flags
};

class QRNSHARED_API r_packet_t {
public:
    // Count 1, no type, no data.
    r_packet_t();

    void add_ref() { ++ref_count; }
    // One reference less; at 0 the packet goes back to whoever made it (free_fn).
    void release();

    // The packet's data and type (for the vertex formats and indices: an r_geometry_t).
    void set_buffer(uint32_t packet_type, void *buffer) {
        type = packet_type;
        data = buffer;
    }

    uint32_t ref_count = 1;
    uint32_t type = 0;
    void *data = nullptr;
    // Returns the record to its pool; set by the maker.
    void (*free_fn)(r_packet_t *packet) = nullptr;
};

struct QRNSHARED_API r_proto_t {
    static constexpr uint32_t MAX_PACKETS = 4;

    // Releases the packets the prototype keeps and clears them.
    void free();
    // Keeps packet as vertex packet i (counted; the one kept before is released);
    // false for i past the last.
    bool set_vpacket(uint32_t i, r_packet_t *packet);
    // Keeps packet as the index packet (counted; the one kept before is released).
    void set_ipacket(r_packet_t *packet);
    // The material item drawn with (not counted: whoever queues the prototype keeps
    // the material for as long as the prototype is drawn).
    void set_material(c_item_t *item) { material = item; }

    uint32_t ref_count;
    r_packet_t *packets[MAX_PACKETS];
    r_packet_t *index_packet;
    c_item_t *material;
    uint32_t word;       // passed through from the description
    uint32_t primitive;  // the primitive kind (2: a quad)
    r_parameter_array_t *parameters;  // the parameter packet array drawn with it
};

}  // namespace quarn
