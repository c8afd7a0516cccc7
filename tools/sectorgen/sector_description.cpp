#include "sector_description.h"

#include <charconv>
#include <cmath>
#include <map>
#include <sstream>
#include <utility>

namespace sectorgen {

namespace {

// Cells along one side of a grid; a larger grid is surely a typing error.
constexpr uint32_t MAX_GRID_SIDE = 4096;

std::vector<std::string> split(const std::string &line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    std::string w;
    while (in >> w) words.push_back(w);
    return words;
}

// The line without its comment and without surrounding blanks.
std::string clean(const std::string &line) {
    std::string s = line.substr(0, line.find('#'));
    const size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return {};
    const size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

// Coordinates the reader takes: finite and at most this far from the origin.
constexpr float MAX_COORDINATE = 1e9f;

bool parse_float(const std::string &w, float *out) {
    const char *end = w.data() + w.size();
    auto [p, ec] = std::from_chars(w.data(), end, *out);
    return ec == std::errc() && p == end && std::fabs(*out) <= MAX_COORDINATE;
}

bool parse_u32(const std::string &w, uint32_t *out) {
    const char *end = w.data() + w.size();
    auto [p, ec] = std::from_chars(w.data(), end, *out, 10);
    return ec == std::errc() && p == end;
}

class reader_t {
public:
    reader_t(const std::string &text, const std::string &source, description_t *out, std::string *error)
        : m_source(source), m_out(out), m_error(error) {
        std::istringstream in(text);
        std::string line;
        while (std::getline(in, line)) m_lines.push_back(line);
    }

    bool run() {
        while (m_next < m_lines.size()) {
            const std::vector<std::string> w = split(clean(m_lines[m_next++]));
            if (w.empty()) continue;
            if (w[0] == "point") {
                if (!point(w)) return false;
            } else if (w[0] == "cell") {
                if (!cell(w)) return false;
            } else if (w[0] == "grid" && w.size() == 1) {
                if (!grid()) return false;
            } else {
                return fail("unknown line \"" + w[0] + "\" (expected point, cell or grid)");
            }
        }
        return true;
    }

private:
    std::string where() const { return m_source + ":" + std::to_string(m_next); }
    bool fail(const std::string &what) {
        *m_error = where() + ": " + what;
        return false;
    }

    bool point(const std::vector<std::string> &w) {
        point_t p;
        if (w.size() != 5 || !parse_float(w[2], &p.x) || !parse_float(w[3], &p.y) || !parse_float(w[4], &p.z))
            return fail("expected: point NAME X Y Z");
        p.name = w[1];
        if (!m_names.emplace(p.name, uint32_t(m_out->points.size())).second)
            return fail("point \"" + p.name + "\" is named twice");
        m_out->points.push_back(p);
        return true;
    }

    bool cell(const std::vector<std::string> &w) {
        cell_t c;
        if (w.size() < 5 || !parse_u32(w[1], &c.kind)) return fail("expected: cell KIND CORNER CORNER CORNER...");
        for (size_t i = 2; i < w.size(); ++i) {
            auto it = m_names.find(w[i]);
            if (it == m_names.end()) return fail("cell corner \"" + w[i] + "\" is no point named before");
            c.corners.push_back(it->second);
        }
        c.where = where();
        m_out->cells.push_back(std::move(c));
        return true;
    }

    bool grid() {
        float ox = 0, oz = 0, y = 0, size = 0;
        uint32_t nx = 0, nz = 0;
        bool has_origin = false, has_height = false, has_size = false, has_counts = false, has_map = false;
        while (m_next < m_lines.size()) {
            const std::vector<std::string> w = split(clean(m_lines[m_next++]));
            if (w.empty()) continue;
            if (w[0] == "end" && w.size() == 1) {
                if (!has_map) return fail("grid without a map");
                return true;
            }
            if (has_map) return fail("grid: expected end after the map");
            if (w[0] == "origin") {
                if (w.size() != 3 || !parse_float(w[1], &ox) || !parse_float(w[2], &oz))
                    return fail("expected: origin X Z");
                has_origin = true;
            } else if (w[0] == "height") {
                if (w.size() != 2 || !parse_float(w[1], &y)) return fail("expected: height Y");
                has_height = true;
            } else if (w[0] == "cell_size") {
                if (w.size() != 2 || !parse_float(w[1], &size) || !(size > 0)) return fail("expected: cell_size SIZE (above 0)");
                has_size = true;
            } else if (w[0] == "counts") {
                if (w.size() != 3 || !parse_u32(w[1], &nx) || !parse_u32(w[2], &nz) || nx == 0 || nz == 0 ||
                    nx > MAX_GRID_SIDE || nz > MAX_GRID_SIDE)
                    return fail("expected: counts X_CELLS Z_CELLS (1 to " + std::to_string(MAX_GRID_SIDE) + ")");
                has_counts = true;
            } else if (w[0] == "map" && w.size() == 1) {
                if (!has_origin || !has_height || !has_size || !has_counts)
                    return fail("grid: origin, height, cell_size and counts must come before the map");
                if (!map(ox, y, oz, size, nx, nz)) return false;
                has_map = true;
            } else {
                return fail("unknown grid line \"" + w[0] + "\"");
            }
        }
        return fail("grid without end");
    }

    // The nz rows that follow, one character per cell.
    bool map(float ox, float y, float oz, float size, uint32_t nx, uint32_t nz) {
        std::map<std::pair<uint32_t, uint32_t>, uint32_t> corners;
        auto corner = [&](uint32_t i, uint32_t j) {
            auto [it, added] = corners.emplace(std::make_pair(i, j), uint32_t(m_out->points.size()));
            if (added) m_out->points.push_back({"", ox + float(i) * size, y, oz + float(j) * size});
            return it->second;
        };
        for (uint32_t j = 0; j < nz; ++j) {
            if (m_next >= m_lines.size()) return fail("grid map ends after " + std::to_string(j) + " rows of " + std::to_string(nz));
            const std::string row = clean(m_lines[m_next++]);
            if (row.size() != nx)
                return fail("grid map row of " + std::to_string(row.size()) + " characters (counts say " +
                            std::to_string(nx) + ")");
            for (uint32_t i = 0; i < nx; ++i) {
                bool has_cell = false;
                cell_t c;
                if (!grid_kind(row[i], &has_cell, &c.kind))
                    return fail(std::string("grid map character '") + row[i] + "' (expected N, F, W, M or .)");
                if (!has_cell) continue;
                c.corners = {corner(i, j), corner(i + 1, j), corner(i + 1, j + 1), corner(i, j + 1)};
                c.where = where() + ":" + std::to_string(i + 1);
                m_out->cells.push_back(std::move(c));
            }
        }
        return true;
    }

    std::vector<std::string> m_lines;
    size_t m_next = 0;  // the line to read next; the one just read is m_next (1-based)
    std::string m_source;
    description_t *m_out;
    std::string *m_error;
    std::map<std::string, uint32_t> m_names;
};

}  // namespace

bool grid_kind(char c, bool *has_cell, uint32_t *kind) {
    *has_cell = c != '.';
    switch (c) {
        case 'N': *kind = 0; return true;
        case 'F': *kind = 2; return true;
        case 'W': *kind = 3; return true;
        case 'M': *kind = 4; return true;
        case '.': return true;
        default: return false;
    }
}

bool read_description(const std::string &text, const std::string &source, description_t *out, std::string *error) {
    *out = {};
    reader_t reader(text, source, out, error);
    return reader.run();
}

}  // namespace sectorgen
