#pragma once
// The behaviour compiler: behaviours, complex transitions (written like behaviours) and
// simple transitions of a loaded behaviour file become one program (zba_proc.h), a
// thread per channel and per simple transition, all running side by side
// (docs/zba-programs.md).
//
// Limits: 2048 bytes of code (256 instructions) and 32 threads per program. Every
// failure is logged with the "[zba_vm:<step>]" tag and gives no program; nothing is
// left allocated.
#include <cstdint>

#include "game/ai/zba/zba_info.h"
#include "outside/qrnshared/c_item.h"

namespace quarn {

inline constexpr uint32_t ZBA_CODE_BYTES = 2048;
inline constexpr uint32_t ZBA_MAX_THREADS = 32;

// Compiles the listed behaviours, then the complex transitions, then the simple
// transitions of the file (its item, with the file's block as its data) into one
// program. Null when a number is out of range, a record does not compile or no
// memory can be had. tsh operands draw from sys_rand now; their threads draw again
// when they run.
c_item_ptr_t zba_compile(c_item_t *file, const int32_t *behaviors, uint32_t behavior_count, const int32_t *complex,
                         uint32_t complex_count, const int32_t *simple, uint32_t simple_count);
// The program of one behaviour record of the file (a view into the file's block).
c_item_ptr_t zba_compile_record(c_item_t *file, const zba_behavior_t &record);

}  // namespace quarn
