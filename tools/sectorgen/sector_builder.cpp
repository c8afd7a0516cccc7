#include "sector_builder.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <map>
#include <numbers>

namespace sectorgen {

namespace {

struct xz_t {
    double x, z;
};

struct box_t {
    double min_x, max_x, min_z, max_z;
};

double cross(const xz_t &a, const xz_t &b) { return a.x * b.z - a.z * b.x; }

std::vector<xz_t> outline(const description_t &d, const std::vector<uint32_t> &corners) {
    std::vector<xz_t> out;
    for (uint32_t i : corners) out.push_back({d.points[i].x, d.points[i].z});
    return out;
}

box_t box_of(const std::vector<xz_t> &poly) {
    box_t b{poly[0].x, poly[0].x, poly[0].z, poly[0].z};
    for (const xz_t &p : poly) {
        b.min_x = std::min(b.min_x, p.x), b.max_x = std::max(b.max_x, p.x);
        b.min_z = std::min(b.min_z, p.z), b.max_z = std::max(b.max_z, p.z);
    }
    return b;
}

double signed_area(const std::vector<xz_t> &poly) {
    double a = 0;
    for (size_t i = 0; i < poly.size(); ++i) a += cross(poly[i], poly[(i + 1) % poly.size()]);
    return a / 2;
}

// A polygon in the reader's order (positive area) is convex when no corner turns the
// other way or folds back and the turns add up to one round.
bool is_convex(const std::vector<xz_t> &poly) {
    const size_t n = poly.size();
    double turning = 0;
    for (size_t i = 0; i < n; ++i) {
        const xz_t &a = poly[i], &b = poly[(i + 1) % n], &c = poly[(i + 2) % n];
        const xz_t e1{b.x - a.x, b.z - a.z}, e2{c.x - b.x, c.z - b.z};
        const double turn = cross(e1, e2), along = e1.x * e2.x + e1.z * e2.z;
        const double scale = std::hypot(e1.x, e1.z) * std::hypot(e2.x, e2.z);
        if (turn < -1e-9 * scale) return false;
        turning += std::atan2(turn, along);
    }
    return std::fabs(turning - 2 * std::numbers::pi) < 1e-6;
}

// The reader's own test in its own precision: the mean of the corners lies on the
// inner side of every edge plane. A very thin cell may pass the tests above in double
// precision and still fail this one.
bool reader_accepts(const description_t &d, const std::vector<uint32_t> &corners) {
    float sx = 0, sz = 0;
    for (uint32_t i : corners) sx += d.points[i].x, sz += d.points[i].z;
    const float n = float(corners.size());
    const float cx = sx / n, cz = sz / n;
    for (size_t i = 0; i < corners.size(); ++i) {
        const point_t &p = d.points[corners[i]], &q = d.points[corners[(i + 1) % corners.size()]];
        const float dx = q.x - p.x, dz = q.z - p.z;
        const float len = std::sqrt(dx * dx + dz * dz);
        const float nx = dz / len, nz = -dx / len;
        const float dist = -(nx * p.x + 0.0f * p.y + nz * p.z);
        if (!(nx * cx + 0.0f * p.y + nz * cz + dist < 0.0f)) return false;
    }
    return true;
}

// Whether two convex polygons share inner area: no edge normal of either separates
// them by more than the tolerance. Shared edges and corners do not count.
bool overlap(const std::vector<xz_t> &a, const std::vector<xz_t> &b, double tolerance) {
    for (const std::vector<xz_t> *poly : {&a, &b}) {
        for (size_t i = 0; i < poly->size(); ++i) {
            const xz_t &p = (*poly)[i], &q = (*poly)[(i + 1) % poly->size()];
            const xz_t axis{q.z - p.z, p.x - q.x};
            const double len = std::hypot(axis.x, axis.z);
            double a_min = INFINITY, a_max = -INFINITY, b_min = INFINITY, b_max = -INFINITY;
            for (const xz_t &v : a) {
                const double s = (v.x * axis.x + v.z * axis.z) / len;
                a_min = std::min(a_min, s), a_max = std::max(a_max, s);
            }
            for (const xz_t &v : b) {
                const double s = (v.x * axis.x + v.z * axis.z) / len;
                b_min = std::min(b_min, s), b_max = std::max(b_max, s);
            }
            if (a_max <= b_min + tolerance || b_max <= a_min + tolerance) return false;
        }
    }
    return true;
}

// A corner's position as a key: the bits of x and z (0 and -0 alike).
std::array<uint32_t, 2> key_of(const point_t &p) {
    return {std::bit_cast<uint32_t>(p.x + 0.0f), std::bit_cast<uint32_t>(p.z + 0.0f)};
}

}  // namespace

bool build_sector(const description_t &d, sector_t *out, std::string *error) {
    *out = {};
    for (const point_t &p : d.points) out->points.push_back({p.x, p.y, p.z});

    std::vector<std::vector<uint32_t>> corners;
    std::vector<std::vector<xz_t>> polys;
    std::vector<box_t> boxes;
    double extent = 1;
    for (const cell_t &c : d.cells) {
        std::vector<uint32_t> cs = c.corners;
        if (cs.size() < 3) {
            *error = c.where + ": a cell needs at least 3 corners";
            return false;
        }
        for (size_t i = 0; i < cs.size(); ++i) {
            for (size_t j = i + 1; j < cs.size(); ++j) {
                const point_t &p = d.points[cs[i]], &q = d.points[cs[j]];
                const float dx = q.x - p.x, dz = q.z - p.z;
                if (dx * dx + dz * dz <= MIN_EDGE_LENGTH_SQUARED) {
                    *error = c.where + ": corners " + std::to_string(i + 1) + " and " + std::to_string(j + 1) +
                             " of the cell are equal";
                    return false;
                }
            }
        }
        std::vector<xz_t> poly = outline(d, cs);
        const double area = signed_area(poly);
        if (area < 0) {
            std::reverse(cs.begin(), cs.end());
            std::reverse(poly.begin(), poly.end());
        }
        if (!is_convex(poly) || area == 0 || !reader_accepts(d, cs)) {
            *error = c.where + ": the cell is not convex";
            return false;
        }
        const box_t b = box_of(poly);
        extent = std::max({extent, std::fabs(b.min_x), std::fabs(b.max_x), std::fabs(b.min_z), std::fabs(b.max_z)});
        corners.push_back(std::move(cs));
        polys.push_back(std::move(poly));
        boxes.push_back(b);
    }

    // Overlaps: a sweep along x over the boxes, then the polygons themselves.
    const double tolerance = extent * 1e-6;
    std::vector<size_t> order(polys.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return boxes[a].min_x < boxes[b].min_x; });
    for (size_t oi = 0; oi < order.size(); ++oi) {
        const size_t i = order[oi];
        for (size_t oj = oi + 1; oj < order.size() && boxes[order[oj]].min_x < boxes[i].max_x - tolerance; ++oj) {
            const size_t j = order[oj];
            if (boxes[j].max_z <= boxes[i].min_z + tolerance || boxes[i].max_z <= boxes[j].min_z + tolerance) continue;
            if (overlap(polys[i], polys[j], tolerance)) {
                const size_t first = std::min(i, j), second = std::max(i, j);
                *error = d.cells[second].where + ": the cell overlaps the cell of " + d.cells[first].where;
                return false;
            }
        }
    }

    // Edges by their end corners; a neighbour runs the same edge the other way.
    std::map<std::array<uint32_t, 4>, std::pair<uint32_t, uint32_t>> edges;
    auto edge_key = [&](uint32_t from, uint32_t to) {
        const auto a = key_of(d.points[from]), b = key_of(d.points[to]);
        return std::array<uint32_t, 4>{a[0], a[1], b[0], b[1]};
    };
    for (uint32_t c = 0; c < corners.size(); ++c) {
        const std::vector<uint32_t> &cs = corners[c];
        for (uint32_t e = 0; e < cs.size(); ++e) {
            if (!edges.emplace(edge_key(cs[e], cs[(e + 1) % cs.size()]), std::make_pair(c, e)).second) {
                *error = d.cells[c].where + ": the cell runs an edge of another cell the same way";
                return false;
            }
        }
    }
    for (uint32_t c = 0; c < corners.size(); ++c) {
        const std::vector<uint32_t> &cs = corners[c];
        sector_cell_t cell;
        cell.kind = d.cells[c].kind;
        for (uint32_t e = 0; e < cs.size(); ++e) {
            link_t link;
            link.point = cs[e];
            auto it = edges.find(edge_key(cs[(e + 1) % cs.size()], cs[e]));
            if (it != edges.end()) {
                link.has_neighbour = true;
                link.neighbour_cell = it->second.first;
                link.neighbour_edge = it->second.second;
            }
            cell.links.push_back(link);
        }
        out->cells.push_back(std::move(cell));
    }
    return true;
}

}  // namespace sectorgen
