// Reading "sector.ai": the layout the writer and the reader share, and bad files.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "game/ai/nav/ai_sector.h"
#include "game/ai/nav_mesh.h"
#include "qrncore/collections/host_alloc_hook.h"
#include "qrncore/spatial/le_bytes.h"
#include "sector_builder.h"
#include "support/memory_file.h"
#include "support/message_capture.h"

namespace quarn {
namespace {

using test::memory_file_t;
using test::message_capture_t;

sectorgen::sector_t build(const std::string &description) {
    sectorgen::description_t d;
    sectorgen::sector_t s;
    std::string error;
    EXPECT_TRUE(sectorgen::read_description(description, "test.txt", &d, &error)) << error;
    EXPECT_TRUE(sectorgen::build_sector(d, &s, &error)) << error;
    return s;
}

// Two triangles sharing the edge b-c: each has one link with a neighbour.
const char *const TWO_TRIANGLES =
    "point a 0 0 0\npoint b 2 0 0\npoint c 0 0 2\npoint d 2 0 2\n"
    "cell 0 a b c\ncell 2 b d c\n";

TEST(ai_sector_file, link_takes_8_bytes_alone_and_16_with_a_neighbour) {
    const sectorgen::sector_t s = build(TWO_TRIANGLES);
    ASSERT_EQ(s.cells.size(), 2u);
    // counts 8 + 8, points 4 x 12, per cell kind 4 + link count 8, then 2 links of 8
    // and one of 16.
    const std::string bytes = sectorgen::sector_bytes(s);
    EXPECT_EQ(bytes.size(), 16u + 4 * 12 + 2 * (12 + 2 * 8 + 16));

    // The same cells without their neighbours lose 8 bytes per link.
    sectorgen::sector_t alone = s;
    for (auto &cell : alone.cells)
        for (auto &link : cell.links) link.has_neighbour = false;
    EXPECT_EQ(sectorgen::sector_bytes(alone).size(), bytes.size() - 2 * 8);

    for (const std::string &b : {bytes, sectorgen::sector_bytes(alone)}) {
        memory_file_t file(b);
        ai_sector_t sector;
        ASSERT_TRUE(sector.read(file));
        EXPECT_EQ(file.tell(), b.size());
        EXPECT_EQ(sector.get_cell_count(), 2u);
    }
}

// Everything the writer put in comes back: points, kinds, corners, links, and the
// set-up of each cell from its corners.
TEST(ai_sector_file, mesh_written_by_the_tool_reads_back_unchanged) {
    const sectorgen::sector_t s = build(std::string(TWO_TRIANGLES) +
                                        "point e 4 1 0\npoint f 4 -1 2\n"
                                        "cell 7 b e f d\n" +  // listed against the reader's order
                                        "grid\norigin -3 0\nheight 0.5\ncell_size 1.5\ncounts 2 1\nmap\nWM\nend\n");
    memory_file_t file(sectorgen::sector_bytes(s));
    ai_sector_t sector;
    ASSERT_TRUE(sector.read(file));
    ASSERT_EQ(sector.get_point_count(), s.points.size());
    for (uint32_t i = 0; i < s.points.size(); ++i) {
        const vec3_t &p = sector.get_point(i);
        EXPECT_EQ(p.x, s.points[i][0]);
        EXPECT_EQ(p.y, s.points[i][1]);
        EXPECT_EQ(p.z, s.points[i][2]);
    }
    ASSERT_EQ(sector.get_cell_count(), s.cells.size());
    const uint32_t kinds[] = {0, 2, 7, 3, 4};
    for (uint32_t c = 0; c < s.cells.size(); ++c) {
        const ai_nav_cell_t &cell = sector.get_cell(c);
        EXPECT_EQ(cell.kind, kinds[c]);
        EXPECT_FALSE(cell.visited);
        ASSERT_EQ(cell.link_count, s.cells[c].links.size());
        for (uint32_t l = 0; l < cell.link_count; ++l) {
            const ai_nav_link_t &link = sector.get_link(c, l);
            const sectorgen::link_t &want = s.cells[c].links[l];
            EXPECT_EQ(link.point, want.point);
            EXPECT_EQ(link.has_neighbour, want.has_neighbour);
            if (want.has_neighbour) {
                EXPECT_EQ(link.neighbour_cell, want.neighbour_cell);
                EXPECT_EQ(link.neighbour_edge, want.neighbour_edge);
                // The neighbour runs the same edge the other way.
                vec3_t p, q, np, nq;
                sector.edge_points(c, l, &p, &q);
                sector.edge_points(link.neighbour_cell, link.neighbour_edge, &np, &nq);
                EXPECT_EQ(p, nq);
                EXPECT_EQ(q, np);
            }
        }
    }
    // The triangles and the quadrilateral b-d-f-e are linked: b-d is shared.
    EXPECT_TRUE(sector.get_link(1, 0).has_neighbour);
    EXPECT_EQ(sector.get_link(1, 0).neighbour_cell, 2u);

    // Set-up of the quadrilateral b (2,0,0), d (2,0,2), f (4,-1,2), e (4,1,0): the box
    // is the corners' hull, the centre the corners' mean in x and z at the box's top.
    const ai_nav_cell_t &quad = sector.get_cell(2);
    EXPECT_EQ(quad.box.min, (vec3_t{2, -1, 0}));
    EXPECT_EQ(quad.box.max, (vec3_t{4, 1, 2}));
    EXPECT_EQ(quad.centre, (vec3_t{3, 1, 1}));
    EXPECT_FLOAT_EQ(quad.radius, std::sqrt(1.0f + 4.0f + 1.0f));
}

// Meshes of the sizes the game uses, cut short at every byte: each cut fails, without
// a crash (the sanitizers watch) and without taking memory for more than the bytes
// that are there. In memory a 12-byte cell record becomes a 56-byte cell and an
// 8-byte link a 16-byte one, in arrays that grow by doubling: 10 bytes of memory per
// byte of file covers both.
TEST(ai_sector_file, file_cut_at_every_offset_fails_within_its_size) {
    const std::string bytes = test::sector_file(test::grid_description({"NFWM.N", "NNNNNN", "MMWWFF"}, 2.0f));
    for (size_t cut = 0; cut <= bytes.size(); ++cut) {
        memory_file_t file(bytes.substr(0, cut), "cut.ai");
        message_capture_t log;
        test::host_alloc_hook_t hook;
        ai_sector_t sector;
        const bool ok = sector.read(file);
        EXPECT_EQ(ok, cut == bytes.size()) << "cut at " << cut;
        if (!ok) {
            EXPECT_TRUE(sector.is_empty());
            EXPECT_TRUE(log.contains("[nav] cut.ai: ")) << "cut at " << cut;
        }
        for (size_t request : hook.requests()) EXPECT_LE(request, 10 * cut + 256) << "cut at " << cut;
    }
}

// The bytes of a 2 x 2 grid (cells 0 N, 1 N, 2 W, 3 N; 9 points) after a change.
struct bad_file_t {
    const char *what;
    std::function<void(sectorgen::sector_t &)> edit_records;
    std::function<void(std::string &)> edit_bytes;
    const char *message;
};

void patch_u64(std::string &bytes, size_t offset, uint64_t value) {
    le_bytes::put_u64(reinterpret_cast<uint8_t *>(bytes.data() + offset), value);
}

constexpr size_t POINTS = 9;
constexpr size_t CELL_COUNT_AT = 8 + POINTS * 12;
// Cells 0 and 1 each: kind, count, four links; cell 0 has one neighbour on the right
// (cell 1) and one above (cell 2).
constexpr size_t CELL_1_AT = CELL_COUNT_AT + 8 + 12 + 4 * 8 + 2 * 8;

TEST(ai_sector_file, bad_files_fail_with_a_message_naming_the_file_and_cell) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const bad_file_t cases[] = {
        {"point count past the end", nullptr, [](std::string &b) { patch_u64(b, 0, uint64_t(1) << 40); },
         "[nav] bad.ai: 1099511627776 points run past the end of the file"},
        {"cell count past the end", nullptr, [](std::string &b) { patch_u64(b, CELL_COUNT_AT, 1000); },
         "[nav] bad.ai: 1000 cells run past the end of the file"},
        {"link count past the end", nullptr, [](std::string &b) { patch_u64(b, CELL_1_AT + 4, 0xFFFFFFFF00000004); },
         "[nav] bad.ai: cell 1: 18446744069414584324 links run past the end of the file"},
        {"point index out of range", [](sectorgen::sector_t &s) { s.cells[1].links[2].point = 9; }, nullptr,
         "[nav] bad.ai: cell 1 link 2: point 9 out of range (9 points)"},
        {"neighbour cell out of range", [](sectorgen::sector_t &s) { s.cells[0].links[1].neighbour_cell = 4; },
         nullptr, "[nav] bad.ai: cell 0 link 1: neighbour cell 4 out of range (4 cells)"},
        {"neighbour edge past the neighbour's links",
         [](sectorgen::sector_t &s) { s.cells[0].links[1].neighbour_edge = 4; }, nullptr,
         "[nav] bad.ai: cell 0 link 1: neighbour edge 4 past the 4 links of cell 1"},
        {"fewer than 3 links", [](sectorgen::sector_t &s) { s.cells[3].links.resize(2); }, nullptr,
         "[nav] bad.ai: cell 3 has 2 links (at least 3)"},
        {"no links", [](sectorgen::sector_t &s) { s.cells[2].links.clear(); }, nullptr,
         "[nav] bad.ai: cell 2 has 0 links (at least 3)"},
        {"zero-length edge", [](sectorgen::sector_t &s) { s.cells[2].links[1].point = s.cells[2].links[0].point; },
         nullptr, "[nav] bad.ai: cell 2 link 0: zero-length edge"},
        {"wound the wrong way",
         [](sectorgen::sector_t &s) { std::swap(s.cells[3].links[1], s.cells[3].links[3]); }, nullptr,
         "[nav] bad.ai: cell 3 link 0: the cell's centre is not on the inner side of the edge"},
        {"corner not a number", [nan](sectorgen::sector_t &s) { s.points[4][2] = nan; }, nullptr,
         "[nav] bad.ai: point 4 is not a position within 1e+09 units of the origin"},
        {"corner far out", [](sectorgen::sector_t &s) { s.points[7][1] = -1e37f; }, nullptr,
         "[nav] bad.ai: point 7 is not a position within"},
    };
    const sectorgen::sector_t good = build(test::grid_description({"NN", "WN"}));
    ASSERT_EQ(good.points.size(), POINTS);
    ASSERT_TRUE(good.cells[0].links[1].has_neighbour && good.cells[0].links[2].has_neighbour);
    ASSERT_FALSE(good.cells[1].links[1].has_neighbour);
    for (const bad_file_t &c : cases) {
        sectorgen::sector_t s = good;
        if (c.edit_records) c.edit_records(s);
        std::string bytes = sectorgen::sector_bytes(s);
        if (c.edit_bytes) c.edit_bytes(bytes);
        memory_file_t file(bytes, "bad.ai");
        message_capture_t log;
        ai_navigation_t nav;
        EXPECT_FALSE(nav.load(0, file)) << c.what;
        EXPECT_TRUE(log.contains(c.message)) << c.what << ": " << (log.entries().empty() ? "" : log.entries()[0].text);
        EXPECT_EQ(nav.get_sector().get_cell_count(), 0u) << c.what;
    }
}

// A failed read keeps the sector that was there.
TEST(ai_sector_file, failed_read_keeps_the_sector) {
    ai_sector_t sector;
    memory_file_t good(test::sector_file(test::grid_description({"NN"})));
    ASSERT_TRUE(sector.read(good));
    message_capture_t log;
    memory_file_t cut(good.bytes.substr(0, good.bytes.size() - 1));
    EXPECT_FALSE(sector.read(cut));
    EXPECT_EQ(sector.get_cell_count(), 2u);
}

}  // namespace
}  // namespace quarn
