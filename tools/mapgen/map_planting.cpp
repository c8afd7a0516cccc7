// Placement rules of the section `objects` (kind "scatter"): objects strewn over an
// area by a density that fades at its edge and breaks into stands and gaps, held to
// the ground's slope and height and off the water, kept apart from one another and
// clear of the trails, the start points and the hunter's sight lines
// (docs/formats/map-description.md, "Placement rules").
#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>
#include <vector>

#include "map_objects.h"
#include "map_terrain.h"
#include "qrncore/math/scalar.h"
#include "qrncore/numerics/random_mt.h"

namespace mapgen {

namespace {

using quarn::clamp01;

constexpr float DEGREES = 0.017453292f;  // radians in a degree
// Trail points seen from a start are taken this far apart along the trail.
constexpr float SIGHT_STEP = 2.0f;
// The grid that sorts clear shapes and placed objects by place.
constexpr float BUCKET = 16.0f;
// What an object placed point by point keeps around it, as a rule's spacing would.
constexpr float HAND_SPACING = 4.0f;
// Width of the soft step of the patches' threshold (in the noise's 0..1).
constexpr float PATCH_SOFTNESS = 0.16f;

float unit(quarn::randomizer_mt_t &random) { return float(random.rand() >> 8) * (1.0f / 16777216.0f); }


float cross2(const vec2_t &a, const vec2_t &b) { return a.x * b.y - a.y * b.x; }

float segment_distance(const vec2_t &p, const vec2_t &a, const vec2_t &b) {
    const vec2_t d = b - a;
    const float len2 = quarn::dot(d, d);
    const float t = len2 > 0.0f ? std::clamp(quarn::dot(p - a, d) / len2, 0.0f, 1.0f) : 0.0f;
    return quarn::length(p - (a + d * t));
}

// Ground kept clear: within radius of the segment a-b (a point when a = b), or, for a
// triangle, within it or within radius of its edges.
struct clear_shape_t {
    vec2_t a, b, c;
    float radius = 0.0f;
    bool triangle = false;

    bool holds(const vec2_t &p) const {
        if (!triangle) return segment_distance(p, a, b) < radius;
        const float d0 = cross2(b - a, p - a), d1 = cross2(c - b, p - b), d2 = cross2(a - c, p - c);
        if ((d0 >= 0.0f && d1 >= 0.0f && d2 >= 0.0f) || (d0 <= 0.0f && d1 <= 0.0f && d2 <= 0.0f)) return true;
        return segment_distance(p, a, b) < radius || segment_distance(p, b, c) < radius ||
               segment_distance(p, c, a) < radius;
    }
    vec2_t lo() const {
        const vec2_t m = quarn::v_min(quarn::v_min(a, b), triangle ? c : a);
        return m - vec2_t{radius, radius};
    }
    vec2_t hi() const {
        const vec2_t m = quarn::v_max(quarn::v_max(a, b), triangle ? c : a);
        return m + vec2_t{radius, radius};
    }
};

// Lists of indices by grid cell over the terrain; what lies beyond it goes to the
// edge cells.
class buckets_t {
public:
    buckets_t(const vec2_t &lo, const vec2_t &hi)
        : m_lo(lo), m_nx(cells(hi.x - lo.x)), m_nz(cells(hi.y - lo.y)), m_cells(size_t(m_nx) * m_nz) {}

    // Every cell that the box lo..hi meets.
    template <class F>
    void each(const vec2_t &lo, const vec2_t &hi, F f) {
        const int x0 = column(lo.x, m_lo.x, m_nx), x1 = column(hi.x, m_lo.x, m_nx);
        const int z0 = column(lo.y, m_lo.y, m_nz), z1 = column(hi.y, m_lo.y, m_nz);
        for (int z = z0; z <= z1; ++z)
            for (int x = x0; x <= x1; ++x) f(m_cells[size_t(z) * m_nx + x]);
    }

private:
    static int cells(float extent) { return std::max(1, int(std::ceil(extent / BUCKET))); }
    static int column(float v, float lo, int n) { return std::clamp(int(std::floor((v - lo) / BUCKET)), 0, n - 1); }

    vec2_t m_lo;
    int m_nx, m_nz;
    std::vector<std::vector<uint32_t>> m_cells;
};

std::string lower(const std::string &s) {
    std::string out = s;
    for (char &c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool watched(const map_clearance_t &clearance, const map_trail_t &trail) {
    if (clearance.sight_trails.empty()) return true;
    const std::string name = lower(trail.name);
    for (const std::string &prefix : clearance.sight_trails)
        if (name.compare(0, prefix.size(), lower(prefix)) == 0) return true;
    return false;
}

// The trail's points no farther than step apart, its own points among them.
std::vector<vec2_t> trail_samples(const map_trail_t &trail) {
    std::vector<vec2_t> out;
    for (size_t i = 0; i + 1 < trail.points.size(); ++i) {
        const vec2_t a = trail.points[i], b = trail.points[i + 1];
        const int n = std::max(1, int(std::ceil(quarn::length(b - a) / SIGHT_STEP)));
        for (int k = 0; k < n; ++k) out.push_back(a + (b - a) * (float(k) / float(n)));
    }
    if (!trail.points.empty()) out.push_back(trail.points.back());
    return out;
}

class planter_t {
public:
    planter_t(const map_t &map, const map_layout_t &layout, map_objects_t &objects)
        : m(map), o(objects), m_clear(map.landscape.lo, map.landscape.hi),
          m_placed(map.landscape.lo, map.landscape.hi) {
        add_clear_shapes(layout);
        for (const map_place_t &p : o.places)
            for (const vec2_t &at : p.points) add_placed(at, HAND_SPACING);
    }

    void run(const map_scatter_t &rule);

private:
    void add_clear_shapes(const map_layout_t &layout);
    void add_clear(const clear_shape_t &shape);
    void add_placed(const vec2_t &at, float spacing);
    bool cleared(const vec2_t &p);
    bool crowded(const vec2_t &p, float spacing);
    bool wet(const vec2_t &p) const;
    bool near_water(const vec2_t &p, float distance) const;
    // The rule's density share at p: its edge fade and its patches (0 outside it).
    float share(const map_scatter_t &rule, const vec2_t &p) const;

    struct placed_t {
        vec2_t at;
        float spacing;
    };

    const map_t &m;
    map_objects_t &o;
    std::vector<clear_shape_t> m_shapes;
    buckets_t m_clear;
    std::vector<placed_t> m_objects;
    buckets_t m_placed;
    float m_widest = 0.0f;  // the largest spacing placed so far
};

void planter_t::add_clear(const clear_shape_t &shape) {
    const uint32_t index = uint32_t(m_shapes.size());
    m_shapes.push_back(shape);
    m_clear.each(shape.lo(), shape.hi(), [&](std::vector<uint32_t> &cell) { cell.push_back(index); });
}

void planter_t::add_clear_shapes(const map_layout_t &layout) {
    const map_clearance_t &c = o.clearance;
    // Every trail: the animals walk them, the intro cameras fly them.
    for (const map_trail_t &t : layout.trails) {
        if (!(c.trails > 0.0f)) break;
        for (size_t i = 0; i + 1 < t.points.size(); ++i) add_clear({t.points[i], t.points[i + 1], {}, c.trails});
    }
    for (const map_start_t &s : layout.starts)
        if (c.starts > 0.0f) add_clear({s.at, s.at, {}, c.starts});
    // Each area as two triangles that share its diagonal.
    for (size_t i = 0; i + 1 < c.areas.size(); i += 2) {
        const vec2_t lo = c.areas[i], hi = c.areas[i + 1];
        add_clear({lo, {hi.x, lo.y}, hi, 0.0f, true});
        add_clear({lo, hi, {lo.x, hi.y}, 0.0f, true});
    }
    if (!(c.sight_range > 0.0f)) return;
    // The ground between a hunter's start and the trail points within its view and
    // range: fans of triangles from the start over each stretch of trail it sees.
    for (const map_start_t &s : layout.starts) {
        if (s.animal) continue;
        const vec2_t facing = quarn::normalized(s.facing);
        const float cos_limit = std::cos(s.view_limit * DEGREES);
        auto seen = [&](const vec2_t &t) {
            const vec2_t d = t - s.at;
            const float distance = quarn::length(d);
            return distance > 0.0f && distance <= c.sight_range && quarn::dot(d, facing) >= cos_limit * distance;
        };
        for (const map_trail_t &t : layout.trails) {
            if (!watched(c, t)) continue;
            const std::vector<vec2_t> points = trail_samples(t);
            for (size_t i = 0; i + 1 < points.size(); ++i)
                if (seen(points[i]) && seen(points[i + 1]))
                    add_clear({s.at, points[i], points[i + 1], c.sight, true});
        }
    }
}

void planter_t::add_placed(const vec2_t &at, float spacing) {
    const uint32_t index = uint32_t(m_objects.size());
    m_objects.push_back({at, spacing});
    m_widest = std::max(m_widest, spacing);
    m_placed.each(at, at, [&](std::vector<uint32_t> &cell) { cell.push_back(index); });
}

bool planter_t::cleared(const vec2_t &p) {
    bool hit = false;
    m_clear.each(p, p, [&](const std::vector<uint32_t> &cell) {
        for (uint32_t i : cell) hit = hit || m_shapes[i].holds(p);
    });
    return hit;
}

bool planter_t::crowded(const vec2_t &p, float spacing) {
    // Two objects keep the mean of their spacings apart.
    const float reach = (spacing + m_widest) * 0.5f;
    bool hit = false;
    m_placed.each(p - vec2_t{reach, reach}, p + vec2_t{reach, reach}, [&](const std::vector<uint32_t> &cell) {
        for (uint32_t i : cell) {
            const placed_t &q = m_objects[i];
            hit = hit || quarn::length(p - q.at) < (spacing + q.spacing) * 0.5f;
        }
    });
    return hit;
}

bool planter_t::wet(const vec2_t &p) const {
    for (const map_water_t &w : m.landscape.water)
        if (p.x >= w.lo.x && p.x <= w.hi.x && p.y >= w.lo.y && p.y <= w.hi.y && m.ground_at(p.x, p.y) < w.level)
            return true;
    return false;
}

bool planter_t::near_water(const vec2_t &p, float distance) const {
    if (m.landscape.water.empty()) return false;
    if (wet(p)) return true;
    if (!(distance > 0.0f)) return false;
    // Two rings of sixteen points around it: water reaching within the distance (less
    // a fiftieth, between the rays) meets a ray at one of them.
    for (float r : {distance * 0.5f, distance})
        for (int k = 0; k < 16; ++k) {
            const float a = float(k) * 22.5f * DEGREES;
            if (wet(p + vec2_t{std::cos(a), std::sin(a)} * r)) return true;
        }
    return false;
}

float planter_t::share(const map_scatter_t &rule, const vec2_t &p) const {
    float d;
    if (rule.round) {
        const vec2_t half = (rule.hi - rule.lo) * 0.5f, centre = (rule.lo + rule.hi) * 0.5f;
        const float q = std::hypot((p.x - centre.x) / half.x, (p.y - centre.y) / half.y);
        if (q > 1.0f) return 0.0f;
        d = (1.0f - q) * std::min(half.x, half.y);
    } else {
        d = std::min({p.x - rule.lo.x, rule.hi.x - p.x, p.y - rule.lo.y, rule.hi.y - p.y});
        if (d < 0.0f) return 0.0f;
    }
    float f = rule.edge > 0.0f ? clamp01(d / rule.edge) : 1.0f;
    if (rule.patch_wavelength > 0.0f) {
        const float n = 0.5f + 0.5f * map_fractal_noise(rule.seed, p.x, p.y, rule.patch_wavelength, 2, 0.5f);
        f *= clamp01((n - rule.patch_share) / PATCH_SOFTNESS + 0.5f);
    }
    return f;
}

void planter_t::run(const map_scatter_t &rule) {
    // One candidate in every cell of 1 / density square units (a jittered grid: as even
    // as the density asks, without rows), kept by the share of the density there.
    const map_landscape_t &l = m.landscape;
    const vec2_t lo = quarn::v_max(rule.lo, l.lo), hi = quarn::v_min(rule.hi, l.hi);
    if (!(hi.x > lo.x && hi.y > lo.y)) return;
    const float cell = 1.0f / std::sqrt(rule.density);
    const int nx = int(std::ceil((hi.x - lo.x) / cell)), nz = int(std::ceil((hi.y - lo.y) / cell));
    float total_weight = 0.0f;
    for (float w : rule.weights) total_weight += w;
    std::vector<map_place_t> places(rule.kinds.size());
    quarn::randomizer_mt_t random(rule.seed);
    for (int j = 0; j < nz; ++j) {
        for (int i = 0; i < nx; ++i) {
            // Every candidate draws the same numbers, so that one refused leaves the
            // others where they were.
            const float u = unit(random), v = unit(random), keep = unit(random);
            const float pick = unit(random) * total_weight, size = unit(random), turn = unit(random);
            const vec2_t p{lo.x + (float(i) + u) * cell, lo.y + (float(j) + v) * cell};
            if (p.x > hi.x || p.y > hi.y || !(keep < share(rule, p))) continue;
            const float slope = 1.0f - m.normal_at(p.x, p.y).y;
            if (!rule.slope.holds(slope) || !rule.height.holds(m.ground_at(p.x, p.y))) continue;
            if (near_water(p, rule.water) || cleared(p) || crowded(p, rule.spacing)) continue;
            size_t k = 0;
            for (float acc = rule.weights[0]; k + 1 < rule.kinds.size() && pick >= acc; acc += rule.weights[++k]) {
            }
            map_place_t &place = places[k];
            place.points.push_back(p);
            place.scales.push_back(rule.scale_min + (rule.scale_max - rule.scale_min) * size);
            place.yaws.push_back(360.0f * turn);
            place.lifts.push_back(rule.lift);
            add_placed(p, rule.spacing);
        }
    }
    for (size_t k = 0; k < places.size(); ++k) {
        if (places[k].points.empty()) continue;
        places[k].kind = rule.kinds[k];
        o.places.push_back(std::move(places[k]));
    }
}

}  // namespace

void map_plant(const map_t &map, const map_layout_t &layout, map_objects_t &objects) {
    if (objects.scatters.empty() || !map.has_landscape) return;
    planter_t planter(map, layout, objects);
    for (const map_scatter_t &rule : objects.scatters) planter.run(rule);
}

}  // namespace mapgen
