#pragma once
// The layout of a parsed behaviour file: one relocatable block of fixed-width
// little-endian fields (docs/formats/zba.md). Records refer to each other and to
// their texts by 32-bit byte offsets from the block's start, so the block can be
// copied and moved as it is. Texts are NUL-terminated bytes inside the block. The
// parser builds the block (zba_parse.h); zba_info_t reads it.
#include <cstdint>

namespace quarn::zba_layout {

// The most bytes one block may take.
inline constexpr uint32_t IMAGE_CAPACITY = 34344;
// The scratch for the texts of one construct while it is parsed.
inline constexpr uint32_t SCRATCH_CAPACITY = 512;

// "ZBA1" read as a little-endian word.
inline constexpr uint32_t MAGIC = 0x3141425Au;
// A state byte of a behaviour's feature pair that names no state.
inline constexpr uint8_t NO_STATE = 255;
// Entries of a per-state simple-transition table and animation numbers that name none.
inline constexpr int32_t NONE = -1;

// Header.
inline constexpr uint32_t H_MAGIC = 0;
inline constexpr uint32_t H_SIZE = 4;  // bytes of the whole block
inline constexpr uint32_t H_FEATURE_COUNT = 8;
inline constexpr uint32_t H_FEATURE_TABLE = 12;  // feature_count record offsets
inline constexpr uint32_t H_ATTRIBUTE_COUNT = 16;
inline constexpr uint32_t H_ATTRIBUTE_TABLE = 20;
inline constexpr uint32_t H_ANIMATION_COUNT = 24;
inline constexpr uint32_t H_ANIMATION_TABLE = 28;
inline constexpr uint32_t H_BEHAVIOR_COUNT = 32;
inline constexpr uint32_t H_BEHAVIOR_TABLE = 36;
inline constexpr uint32_t H_COMPLEX_COUNT = 40;
inline constexpr uint32_t H_COMPLEX_TABLE = 44;  // behaviour records
inline constexpr uint32_t H_SIMPLE_COUNT = 48;
inline constexpr uint32_t H_SIMPLE_TABLE = 52;  // simple_count records of SIMPLE_SIZE, in a row
inline constexpr uint32_t H_MODEL_PATH = 56;    // text: the ".zmd" path, absolute
inline constexpr uint32_t H_MODEL_NAME = 60;    // text
inline constexpr uint32_t HEADER_SIZE = 64;

// Feature.
inline constexpr uint32_t F_STATE_COUNT = 0;
inline constexpr uint32_t F_STATE_NAMES = 4;   // state_count text offsets
inline constexpr uint32_t F_STATE_SIMPLE = 8;  // state_count i32: simple transition number or NONE
inline constexpr uint32_t F_NAME = 12;
inline constexpr uint32_t FEATURE_SIZE = 16;

// Attribute.
enum attribute_type_t : uint32_t { ATTR_FLOAT = 0, ATTR_INT = 1, ATTR_STRING = 2 };
inline constexpr uint32_t A_TYPE = 0;
inline constexpr uint32_t A_DEFAULT = 4;  // f32, i32 or text offset
inline constexpr uint32_t A_NAME = 8;
inline constexpr uint32_t ATTRIBUTE_SIZE = 12;

// Animation.
inline constexpr uint32_t N_PATH = 0;  // text: the ".zma" path, absolute
inline constexpr uint32_t N_PRIORITY = 4;
inline constexpr uint32_t N_SUPER_WEIGHT = 8;
inline constexpr uint32_t N_LENGTH = 12;  // natural length in seconds; 1.0 until initialised
inline constexpr uint32_t N_NAME = 16;
inline constexpr uint32_t ANIMATION_SIZE = 20;

// Behaviour (and complex transition). The fixed part is followed by feature_count
// pairs of state bytes (start, end), padded to a multiple of 4 bytes, then one word
// per attribute (f32, i32 or text offset).
inline constexpr uint32_t B_SIZE = 0;  // bytes of the record with its pairs and values
inline constexpr uint32_t B_FLAGS = 4;
inline constexpr uint32_t B_CHANNEL_COUNT = 8;
inline constexpr uint32_t B_CHANNEL_TABLE = 12;  // channel_count record offsets
inline constexpr uint32_t B_DURATION = 16;       // seconds, computed at initialisation
inline constexpr uint32_t B_NAME = 20;
inline constexpr uint32_t BEHAVIOR_FIXED = 24;
// Flags: a feature pair is written "feature : -> state" (from any state).
inline constexpr uint32_t BEHAVIOR_FROM_ANY = 1;

inline constexpr uint32_t pairs_size(uint32_t feature_count) { return (2 * feature_count + 3) & ~3u; }
inline constexpr uint32_t behavior_size(uint32_t feature_count, uint32_t attribute_count) {
    return BEHAVIOR_FIXED + pairs_size(feature_count) + 4 * attribute_count;
}

// Channel. Its items follow it directly, one after the other.
inline constexpr uint32_t C_ITEM_COUNT = 0;
inline constexpr uint32_t C_FIRST_ITEM = 4;
inline constexpr uint32_t C_PROBABILITY = 8;  // -1 unless given; read by nothing
inline constexpr uint32_t C_DURATION = 12;    // seconds, computed at initialisation
inline constexpr uint32_t C_NAME = 16;
inline constexpr uint32_t CHANNEL_SIZE = 20;

// Items: kind and time, then what the kind carries.
enum item_kind_t : uint32_t { ITEM_WARP = 0, ITEM_ANIM = 1, ITEM_INFO = 2, ITEM_SOUND = 3, ITEM_WEIGHT = 4 };
inline constexpr uint32_t I_KIND = 0;
inline constexpr uint32_t I_TIME = 4;
inline constexpr uint32_t I_VALUE = 8;  // warp, weight: f32
inline constexpr uint32_t VALUE_ITEM_SIZE = 12;
inline constexpr uint32_t I_ANIMATION = 8;  // anim: animation number (NONE in a simple transition without one)
inline constexpr uint32_t I_LENGTH = 12;
inline constexpr uint32_t I_S_WEIGHT = 16;
inline constexpr uint32_t I_E_WEIGHT = 20;
inline constexpr uint32_t I_FLAGS = 24;
inline constexpr uint32_t ANIM_ITEM_SIZE = 28;
inline constexpr uint32_t I_TEXT = 8;  // info, sound: 64 bytes, NUL-terminated
inline constexpr uint32_t ITEM_TEXT_BYTES = 64;
inline constexpr uint32_t TEXT_ITEM_SIZE = I_TEXT + ITEM_TEXT_BYTES;
// Flags of an animation item.
inline constexpr uint32_t ANIM_PROPORTIONAL = 1;

// The bytes of an item of that kind; 0 for a kind that is none.
inline constexpr uint32_t item_size(uint32_t kind) {
    switch (kind) {
        case ITEM_WARP:
        case ITEM_WEIGHT: return VALUE_ITEM_SIZE;
        case ITEM_ANIM: return ANIM_ITEM_SIZE;
        case ITEM_INFO:
        case ITEM_SOUND: return TEXT_ITEM_SIZE;
        default: return 0;
    }
}

// Simple transition.
inline constexpr uint32_t S_FEATURE = 0;
inline constexpr uint32_t S_STATE = 4;
inline constexpr uint32_t S_SINGLE_FRAME = 8;  // one byte, then three of padding
inline constexpr uint32_t S_ITEM = 12;         // an animation item (time 0)
inline constexpr uint32_t SIMPLE_SIZE = S_ITEM + ANIM_ITEM_SIZE;
static_assert(SIMPLE_SIZE == 40, "a simple transition record is 40 bytes");

}  // namespace quarn::zba_layout
