#pragma once
// Byte layout of the four model files: the geometry ".zmg", the descriptor ".zmd",
// the collision model ".zmc" and the animation ".zma" (docs/formats/model-*.md).
// Every field is little-endian; offsets are counted from the first byte of the file.
// The readers (model_*_view.h) and the writer of tools/zmgen share these numbers.
#include <cstdint>

namespace quarn::zm {

// ---- common ----

// A stream offset that names no stream (the optional further and tangent streams).
constexpr uint32_t NO_STREAM = 0xFFFFFFFFu;
// Byte size of a name token.
constexpr uint32_t TOKEN_SIZE = 8;

// ---- geometry ".zmg" ----

// Magic and version: the low byte 0x11 is the version, then 'g', 'm', 'Z'.
constexpr uint32_t GEOM_MAGIC = 0x5A6D6711u;
constexpr uint32_t GEOM_HEADER_SIZE = 116;
// Header fields (u32 unless said otherwise).
constexpr uint32_t GEOM_PIECE_COUNT = 4;
constexpr uint32_t GEOM_PART_COUNT = 8;
constexpr uint32_t GEOM_BONE_COUNT = 12;
constexpr uint32_t GEOM_SPHERE = 20;  // 4 floats: centre, radius
constexpr uint32_t GEOM_BOX = 36;     // 6 floats: minimum, maximum
constexpr uint32_t GEOM_BONES = 60;
constexpr uint32_t GEOM_PARTS = 64;
constexpr uint32_t GEOM_PIECES = 72;
constexpr uint32_t GEOM_VERTEX_BLOCK = 92;
constexpr uint32_t GEOM_VERTEX_SIZE_1 = 96;
constexpr uint32_t GEOM_VERTEX_SIZE_2 = 104;
constexpr uint32_t GEOM_INDEX_BLOCK = 108;
constexpr uint32_t GEOM_INDEX_SIZE = 112;

// Bone record.
constexpr uint32_t BONE_SIZE = 200;
constexpr uint32_t BONE_NAME = 0;
constexpr uint32_t BONE_BIND = 8;       // 16 floats, bone space to model space
constexpr uint32_t BONE_BIND_INV = 72;  // 16 floats
constexpr uint32_t BONE_STRETCH = 136;  // quaternion w, x, y, z
constexpr uint32_t BONE_ROTATION = 152;
constexpr uint32_t BONE_TRANSLATION = 168;
constexpr uint32_t BONE_SCALE = 180;
constexpr uint32_t BONE_SCALE_SIGN = 192;
constexpr uint32_t BONE_PARENT = 196;  // u8
constexpr uint8_t NO_PARENT = 255;
// Bone indices are bytes and 255 means "no parent", so a skeleton has at most 255.
constexpr uint32_t MAX_BONES = 255;

// Part record.
constexpr uint32_t PART_SIZE = 24;
constexpr uint32_t PART_NAME = 0;
constexpr uint32_t PART_PIECE_COUNT = 8;
constexpr uint32_t PART_FIRST_PIECE = 12;

// Piece record.
constexpr uint32_t PIECE_SIZE = 96;
constexpr uint32_t PIECE_INDEX_COUNT = 0;
constexpr uint32_t PIECE_VERTEX_COUNT = 4;
constexpr uint32_t PIECE_GROUP_SIZE = 8;
constexpr uint32_t PIECE_MATERIAL = 12;
constexpr uint32_t PIECE_SPHERE = 16;
constexpr uint32_t PIECE_BOX = 32;
constexpr uint32_t PIECE_POSITIONS = 56;     // 3 floats a vertex
constexpr uint32_t PIECE_NORMALS = 60;       // 3 floats
constexpr uint32_t PIECE_TEXCOORDS = 64;     // 2 floats
constexpr uint32_t PIECE_COLORS = 68;        // u32
constexpr uint32_t PIECE_FURTHER = 72;       // u32 or NO_STREAM
constexpr uint32_t PIECE_TANGENTS = 76;      // 4 floats or NO_STREAM
constexpr uint32_t PIECE_INDICES = 80;       // u16 an index
constexpr uint32_t PIECE_SKIN_GROUPS = 84;   // u16 a vertex
constexpr uint32_t PIECE_SKIN_BONES = 88;    // u8 an influence
constexpr uint32_t PIECE_SKIN_WEIGHTS = 92;  // u8 an influence

// ---- descriptor ".zmd" ----

constexpr uint32_t DESC_VERSION = 4;
constexpr uint32_t DESC_HEADER_SIZE = 60;
constexpr uint32_t DESC_MATERIAL_COUNT = 4;
constexpr uint32_t DESC_LOOK_COUNT = 8;
constexpr uint32_t DESC_VARIANT_COUNT = 16;
constexpr uint32_t DESC_PART_COUNT = 20;
constexpr uint32_t DESC_VALUE_BLOCK_SIZE = 28;
constexpr uint32_t DESC_LOOKS = 36;        // look count tokens
constexpr uint32_t DESC_VARIANTS = 40;     // variant count tokens
constexpr uint32_t DESC_PART_RANGES = 44;  // part count (u32 first, u32 end)
constexpr uint32_t DESC_VALUES = 48;       // variant count value blocks
constexpr uint32_t DESC_ATTRIBUTES = 52;   // attribute definitions
constexpr uint32_t DESC_MATERIALS = 56;    // look count × material count string offsets

// Attribute definition.
constexpr uint32_t ATTR_SIZE = 16;
constexpr uint32_t ATTR_NAME = 0;
constexpr uint32_t ATTR_TYPE = 8;
constexpr uint32_t ATTR_VALUE = 12;
// Types the readers take: 32-bit values per variant (an integer, a real's bits) and
// a string shared by all variants. Other types are stored and never read.
constexpr uint32_t ATTR_INT = 0;
constexpr uint32_t ATTR_REAL = 1;
constexpr uint32_t ATTR_STRING = 5;

// ---- collision ".zmc" ----

constexpr uint32_t COLL_VERSION = 5;
constexpr uint32_t COLL_HEADER_SIZE = 40;
constexpr uint32_t COLL_MATERIAL_COUNT = 12;
constexpr uint32_t COLL_MATERIAL_MAP = 28;
constexpr uint32_t COLL_MESHES = 32;
constexpr uint32_t COLL_SETS = 36;
// Physics materials are rows 0..31 of a physics scene's material table.
constexpr uint32_t PHYSICS_MATERIAL_COUNT = 32;

// Mesh record.
constexpr uint32_t MESH_SIZE = 16;
constexpr uint32_t MESH_INDEX_COUNT = 0;
constexpr uint32_t MESH_VERTEX_COUNT = 4;
constexpr uint32_t MESH_VERTICES = 8;  // 3 floats a vertex
constexpr uint32_t MESH_INDICES = 12;  // u16 an index

// Primitive types.
constexpr uint32_t PRIM_BOX = 1;
constexpr uint32_t PRIM_SPHERE = 2;
constexpr uint32_t PRIM_CAPSULE = 3;
constexpr uint32_t PRIM_PLANE = 4;
constexpr uint32_t PRIM_MESH = 5;
constexpr uint32_t PRIM_END = 6;
// Primitive record fields, in 32-bit words.
constexpr uint32_t PRIM_TYPE = 0;
constexpr uint32_t PRIM_NEXT = 1;      // byte distance to the next record
constexpr uint32_t PRIM_MATERIAL = 2;  // column of the material map
constexpr uint32_t PRIM_MASS = 3;      // float
constexpr uint32_t PRIM_NAME = 4;      // token, words 4-5 (types 1-4)
constexpr uint32_t PRIM_MESH_INDEX = 4;
constexpr uint32_t PRIM_POSITION = 6;  // 3 floats (types 1-3)
constexpr uint32_t PRIM_PLANE_EQ = 6;  // 4 floats (type 4)
constexpr uint32_t PRIM_ROTATION = 9;  // quaternion (types 1, 3)
constexpr uint32_t PRIM_RADIUS = 9;    // float (type 2)
constexpr uint32_t PRIM_SIZES = 13;    // 3 floats, full edge lengths (type 1)
constexpr uint32_t PRIM_CAPSULE_RADIUS = 13;
constexpr uint32_t PRIM_CAPSULE_LENGTH = 14;
// Words a record of each type holds (index = type); 0 for an unknown type.
constexpr uint32_t PRIM_WORDS[7] = {0, 16, 10, 15, 10, 5, 1};

// ---- animation ".zma" ----

constexpr uint32_t ANIM_VERSION = 3;
constexpr uint32_t ANIM_HEADER_SIZE = 44;
constexpr uint32_t ANIM_NAME = 4;
constexpr uint32_t ANIM_FRAME_COUNT = 12;  // u16
constexpr uint32_t ANIM_FLAGS = 14;        // u16
constexpr uint32_t ANIM_TRACK_COUNT = 16;
constexpr uint32_t ANIM_LENGTH = 20;  // float seconds
constexpr uint32_t ANIM_DURATIONS = 24;
constexpr uint32_t ANIM_TRACKS = 28;
constexpr uint32_t ANIM_KEYS = 32;
constexpr uint32_t ANIM_ROOT_TRANSLATION = 36;
constexpr uint32_t ANIM_ROOT_ROTATION = 40;
// Flags.
constexpr uint16_t ANIM_HAS_ROOT_TRANSLATION = 2;
constexpr uint16_t ANIM_HAS_ROOT_ROTATION = 4;
// Key: stretch quaternion, rotation quaternion, translation, scale (14 floats).
constexpr uint32_t KEY_SIZE = 56;
constexpr uint32_t KEY_FLOATS = 14;

}  // namespace quarn::zm
