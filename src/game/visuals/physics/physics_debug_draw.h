#pragma once
// Line drawings of the physics layer's debug view, in local units under the current
// transform (gfx_push ... gfx_pop), queued on the kernel's debug lines.
#include <cstdint>

#include "qrncore/math/vec.h"

namespace quarn {

// Whether an object of draw mode object_mode draws in a scene of mode scene_mode.
bool phys_draw_allowed(int object_mode, int scene_mode);

// The three axes from the origin, length long: x, y and z in their colours.
void phys_draw_axes(float length);
// Three circles of radius about the origin in the three axis planes, 20 segments
// each, every circle drawn as two halves in two colours taken from colour.
void phys_draw_sphere(float radius, uint32_t colour);
// The 12 edges of the box of edge lengths sizes centred on the origin.
void phys_draw_box(const vec3_t &sizes, uint32_t colour);
// A capsule along z: the cylinder of length between the cap centres, and the caps.
void phys_draw_capsule(float length, float radius, uint32_t colour);

// Colours of the drawings.
constexpr uint32_t PHYS_COLOUR_AXIS_X = 0xFF0000FFu;
constexpr uint32_t PHYS_COLOUR_AXIS_Y = 0xFF00FF00u;
constexpr uint32_t PHYS_COLOUR_AXIS_Z = 0xFFFF0000u;
constexpr uint32_t PHYS_COLOUR_AWAKE = 0xFFFFFFFFu;
constexpr uint32_t PHYS_COLOUR_ASLEEP = 0xFF606060u;
constexpr uint32_t PHYS_COLOUR_BOX = 0xFF00FF00u;
constexpr uint32_t PHYS_COLOUR_BOX_ASLEEP = 0xFF006000u;
constexpr uint32_t PHYS_COLOUR_MESH = 0xFF00FF00u;
// Masks over the base colour of a capsule, and of each sphere circle's two halves.
constexpr uint32_t PHYS_MASK_CAPSULE = 0xFF00FF00u;
constexpr uint32_t PHYS_MASK_SPHERE_HALVES[3][2] = {
    {0xFFFF0000u, 0xFF500000u},
    {0xFF0000FFu, 0xFF000050u},
    {0xFF00FF00u, 0xFF005000u},
};

}  // namespace quarn
