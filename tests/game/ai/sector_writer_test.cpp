// The sector writer of tools/sectorgen: what it refuses in a description, and how it
// orders and links what it accepts.
#include <gtest/gtest.h>

#include <string>

#include "game/ai/nav/ai_navigation.h"
#include "game/ai/nav_mesh.h"
#include "sector_builder.h"
#include "sector_file.h"

namespace quarn {
namespace {

const char *const SQUARE = "point a 0 0 0\npoint b 4 0 0\npoint c 4 0 4\npoint d 0 0 4\n";

TEST(sector_writer, refuses_bad_descriptions_with_file_and_line) {
    struct case_t {
        std::string text;
        const char *error;
    } cases[] = {
        {std::string(SQUARE) + "point e 2 0 1\ncell 0 a b c e d\n", "test.txt:6: the cell is not convex"},
        {std::string(SQUARE) + "point e 2 0 2\ncell 0 a b c d\ncell 2 a b e\n",
         "test.txt:7: the cell overlaps the cell of test.txt:6"},
        {std::string(SQUARE) + "cell 0 a b c d\ncell 0 a b c d\n", "test.txt:6: the cell overlaps the cell of test.txt:5"},
        {std::string(SQUARE) + "cell 0 a b b c\n", "test.txt:5: corners 2 and 3 of the cell are equal"},
        {std::string(SQUARE) + "point e 4 0 0\ncell 0 a b c e\n", "test.txt:6: corners 2 and 4 of the cell are equal"},
        // A five-pointed star turns the same way at every corner but goes round twice.
        {"point a 0 0 10\npoint b 6 0 -8\npoint c -9.5 0 3\npoint d 9.5 0 3\npoint e -6 0 -8\ncell 0 a b c d e\n",
         "test.txt:6: the cell is not convex"},
        // A corner that folds back along its edge, and corners on one line.
        {std::string(SQUARE) + "point e 8 0 0\ncell 0 a e b d\n", "test.txt:6: the cell is not convex"},
        {"point a 0 0 0\npoint b 1 0 1\npoint c 2 0 2\ncell 0 a b c\n", "test.txt:4: the cell is not convex"},
        {std::string(SQUARE) + "cell 0 a b x\n", "test.txt:5: cell corner \"x\" is no point named before"},
        {std::string(SQUARE) + "cell 0 a b\n", "test.txt:5: expected: cell KIND CORNER CORNER CORNER..."},
        {std::string(SQUARE) + "cell -1 a b c\n", "test.txt:5: expected: cell KIND"},
        {"point a 0 0\n", "test.txt:1: expected: point NAME X Y Z"},
        {"point a 0 0 nan\n", "test.txt:1: expected: point NAME X Y Z"},
        {"point a 0 2e9 0\n", "test.txt:1: expected: point NAME X Y Z"},
        {"point a 0 0 0\npoint a 1 0 0\n", "test.txt:2: point \"a\" is named twice"},
        {"cells 0 a b c\n", "test.txt:1: unknown line \"cells\""},
        {"grid\norigin 0 0\nheight 0\ncell_size 1\ncounts 2 1\nmap\nNX\nend\n", "test.txt:7: grid map character 'X'"},
        {"grid\norigin 0 0\nheight 0\ncell_size 1\ncounts 2 2\nmap\nNN\nNNN\nend\n",
         "test.txt:8: grid map row of 3 characters (counts say 2)"},
        {"grid\norigin 0 0\nheight 0\ncell_size 1\ncounts 2 2\nmap\nNN\n", "test.txt:7: grid map ends after 1 rows of 2"},
        {"grid\norigin 0 0\nheight 0\ncell_size 1\ncounts 1 1\nmap\nN\n", "test.txt:7: grid without end"},
        {"grid\norigin 0 0\ncell_size 1\ncounts 1 1\nmap\nN\nend\n",
         "test.txt:5: grid: origin, height, cell_size and counts must come before the map"},
        {"grid\norigin 0 0\nheight 0\ncell_size 0\n", "test.txt:4: expected: cell_size SIZE (above 0)"},
        {"grid\norigin 0 0\nheight 0\ncell_size 1\ncounts 0 1\n", "test.txt:5: expected: counts X_CELLS Z_CELLS"},
        // Two grids laid over each other.
        {"grid\norigin 0 0\nheight 0\ncell_size 2\ncounts 1 1\nmap\nN\nend\n"
         "grid\norigin 1 1\nheight 0\ncell_size 2\ncounts 1 1\nmap\nF\nend\n",
         "test.txt:15:1: the cell overlaps the cell of test.txt:7:1"},
    };
    for (const case_t &c : cases) {
        std::string bytes, error;
        EXPECT_FALSE(sectorgen::compile_description(c.text, "test.txt", &bytes, &error)) << c.text;
        EXPECT_NE(error.find(c.error), std::string::npos) << "got: " << error << "\nwanted: " << c.error;
    }
}

// Corners may be listed either way round; the file always has the reader's order.
TEST(sector_writer, orders_corners_for_the_reader) {
    const std::string text = std::string(SQUARE) + "# the other way round\ncell 5 a d c b\n";
    ai_navigation_t nav;
    ASSERT_TRUE(test::load_bytes(nav, test::sector_file(text)));
    uint32_t cell = 9;
    bool inside = false;
    ASSERT_TRUE(nav.locate({1, 0, 3}, 0, &cell, &inside));
    EXPECT_EQ(cell, 0u);
    EXPECT_TRUE(inside);
    EXPECT_EQ(nav.get_sector().get_cell(0).kind, 5u);
}

// Cells meet across edges whose two end corners they share, by position: a grid and
// named points join up; an edge that only touches part of another stays a wall.
TEST(sector_writer, links_edges_with_the_same_end_corners) {
    const std::string text =
        "grid\norigin 0 0\nheight 0\ncell_size 2\ncounts 2 1\nmap\nNN\nend\n"
        "point a 4 0 0\npoint b 6 0 0\npoint c 6 0 2\npoint d 4 0 2\n"
        "cell 0 a b c d\n"           // shares x = 4 with grid cell 1
        "point e 0 0 2\npoint f 4 0 2\npoint g 2 0 4\n"
        "cell 0 e f g\n"             // runs along both grid cells' top edges
        "point h 4 1 2\npoint i 2 0 2\n"
        "cell 0 h g i\n";           // the right half of that triangle
    sectorgen::description_t d;
    sectorgen::sector_t s;
    std::string error;
    ASSERT_TRUE(sectorgen::read_description(text, "test.txt", &d, &error)) << error;
    ASSERT_FALSE(sectorgen::build_sector(d, &s, &error));
    EXPECT_NE(error.find("test.txt:20: the cell overlaps the cell of test.txt:17"), std::string::npos) << error;

    // Without the overlapping cell.
    const std::string ok = text.substr(0, text.find("point h"));
    ASSERT_TRUE(sectorgen::read_description(ok, "test.txt", &d, &error)) << error;
    ASSERT_TRUE(sectorgen::build_sector(d, &s, &error)) << error;
    ASSERT_EQ(s.cells.size(), 4u);
    // Grid cell 1's right edge (1) and the named square's left edge (3).
    EXPECT_TRUE(s.cells[1].links[1].has_neighbour);
    EXPECT_EQ(s.cells[1].links[1].neighbour_cell, 2u);
    EXPECT_EQ(s.cells[1].links[1].neighbour_edge, 3u);
    EXPECT_EQ(s.cells[2].links[3].neighbour_cell, 1u);
    // The triangle's base spans both grid cells' tops: a wall for both.
    for (uint32_t c : {0u, 1u}) EXPECT_FALSE(s.cells[c].links[2].has_neighbour);
    for (const sectorgen::link_t &l : s.cells[3].links) EXPECT_FALSE(l.has_neighbour);
}

}  // namespace
}  // namespace quarn
