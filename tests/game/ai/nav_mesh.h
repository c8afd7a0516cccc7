#pragma once
// Navigation meshes for the tests, written by the sector writer of tools/sectorgen
// from small descriptions, and loaded from memory.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/ai/nav/ai_navigation.h"
#include "sector_file.h"
#include "support/memory_file.h"

namespace quarn::test {

// The file bytes of a description; fails the test when the writer refuses it.
inline std::string sector_file(const std::string &description) {
    std::string bytes, error;
    EXPECT_TRUE(sectorgen::compile_description(description, "test.txt", &bytes, &error)) << error;
    return bytes;
}

// A grid block of square cells of the size, its corner at the origin; rows run along
// x, one row per z from 0 on. Characters: N 0, F 2, W 3, M 4, '.' no cell.
inline std::string grid_description(const std::vector<std::string> &rows, float size = 1.0f) {
    std::string d = "grid\norigin 0 0\nheight 0\ncell_size " + std::to_string(size) + "\ncounts " +
                    std::to_string(rows.empty() ? 0 : rows[0].size()) + " " + std::to_string(rows.size()) + "\nmap\n";
    for (const std::string &r : rows) d += r + "\n";
    return d + "end\n";
}

inline bool load_bytes(ai_navigation_t &nav, const std::string &bytes, const char *name = "test.ai") {
    memory_file_t file(bytes, name);
    return nav.load(0, file);
}

// A navigation over the grid; fails the test when it does not load.
inline void load_grid(ai_navigation_t &nav, const std::vector<std::string> &rows, float size = 1.0f) {
    ASSERT_TRUE(load_bytes(nav, sector_file(grid_description(rows, size))));
}

// The centre of grid cell (i, j) of unit cells.
inline vec3_t grid_point(float i, float j) { return {i + 0.5f, 0.0f, j + 0.5f}; }

// No cell of the mesh keeps a visited mark.
inline ::testing::AssertionResult no_visited_marks(const ai_navigation_t &nav) {
    const ai_sector_t &s = nav.get_sector();
    for (uint32_t i = 0; i < s.get_cell_count(); ++i)
        if (s.get_cell(i).visited) return ::testing::AssertionFailure() << "cell " << i << " is still marked";
    return ::testing::AssertionSuccess();
}

}  // namespace quarn::test
