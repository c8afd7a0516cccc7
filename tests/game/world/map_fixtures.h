#pragma once
// Small maps written with the map writer's library: a 2 × 2 slope, a pond and a step,
// over shared textures and materials. Texture paths lie below "/t/tex"; the texture
// table and materials go below "<base>/material/map" (mounted by the tests at
// "/material/map"), maps below "<base>/map/<name>".
#include <gtest/gtest.h>

#include <string>

#include "map_description.h"
#include "map_writer.h"

namespace quarn::test {

// Textures (layer substances grass 5, dirt 9, rock 14, sand 10) and the materials
// "meadow" (grass dirt rock), "bank" (sand dirt), "bare" (rock) and "lake" (water).
inline const char *MAP_TERRAIN = R"(
def textures {
    def grass { file: "/t/tex/grass.tga" substance: "grass" scale: "4" }
    def dirt { file: "/t/tex/dirt.tga" substance: "dirt" scale: "2" }
    def rock { file: "/t/tex/rock.tga" substance: "rock" scale: "8" }
    def sand { file: "/t/tex/sand.tga" substance: "sand" scale: "4" }
    def water { file: "/t/tex/water.tga" substance: "water" }
}
def materials {
    def meadow { layers: "grass dirt rock" }
    def bank { layers: "sand dirt" }
    def bare { layers: "rock" }
    def lake { kind: "water" texture: "water" }
}
)";

// 2 × 2 chunks of 8 × 8 units over (0, 0)-(16, 16): the ground rises 1 in 4 along x
// (height x / 4, from a grid that reaches beyond the map); rock (layer 2) where the height passes 2.
inline std::string map_slope_text() {
    return std::string(MAP_TERRAIN) + R"(
def landscape {
    area: "0 0 16 16"
    chunks: "2 2"
    spacing: "4"
    material: "meadow"
    def heights {
        def plane { kind: "grid" origin: "-32 0" step: "64" counts: "2 1" row0: "-8 8" }
    }
    def layers {
        def layer2 { height: "2 2" }
    }
}
)";
}

// One chunk of 16 × 16 units: flat ground at 0 with a basin of depth 4 around (8, 8)
// holding water at -1.
inline std::string map_pond_text() {
    return std::string(MAP_TERRAIN) + R"(
def landscape {
    area: "0 0 16 16"
    spacing: "2"
    material: "meadow"
    def heights {
        def basin { kind: "hill" centre: "8 8" radius: "6" height: "-4" }
    }
    def water {
        def pond { area: "0 0 16 16" level: "-1" material: "lake" }
    }
}
)";
}

// 2 × 1 chunks over (0, 0)-(16, 8): ground at 0 up to x = 6, at 5 from x = 8.
inline std::string map_step_text() {
    return std::string(MAP_TERRAIN) + R"(
def landscape {
    area: "0 0 16 8"
    chunks: "2 1"
    spacing: "2"
    material: "meadow"
    def heights {
        def step { kind: "grid" origin: "6 0" step: "2" counts: "2 1" row0: "0 5" }
    }
}
)";
}

// Reads a description text; fails the test when it does not read.
inline mapgen::map_source_t read_map(const std::string &text, const char *name) {
    mapgen::map_source_t source;
    EXPECT_TRUE(mapgen::map_read_description_text(text, name, source)) << name;
    return source;
}

// Writes the map folder "<base>/map/<name>" and the materials below base.
inline bool write_map(const std::string &text, const char *name, const std::string &base) {
    mapgen::map_source_t source;
    if (!mapgen::map_read_description_text(text, name, source)) return false;
    return mapgen::map_write_folder(source, base + "/map/" + name) && mapgen::map_write_materials(source.map, base);
}

}  // namespace quarn::test
