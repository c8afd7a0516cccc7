#include "game/ai/nav/ai_sector.h"

#include <cinttypes>
#include <cmath>
#include <cstring>
#include <utility>

#include "qrncore/collections/arrays/array_check.h"
#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/spatial/le_bytes.h"
#include "qrncore/system/messages.h"

namespace quarn {

bool ai_nav_kind_allowed(uint32_t kind, uint32_t mode) {
    switch (mode) {
        case 0: return kind != AI_NAV_KIND_MOUNTAIN;
        case 1: return kind != AI_NAV_KIND_WATER && kind != AI_NAV_KIND_MOUNTAIN;
        case 2: return kind != AI_NAV_KIND_WATER;
        default: return true;
    }
}

bool ai_nav_kind_locatable(uint32_t kind, uint32_t mode) {
    switch (mode) {
        case 1: return kind != AI_NAV_KIND_WATER && kind != AI_NAV_KIND_MOUNTAIN;
        case 2: return kind != AI_NAV_KIND_WATER;
        default: return true;
    }
}

namespace {

// Takes the file's fields one by one. It knows the bytes left from the start, so
// that a count can be weighed against them before anything is made for it; a field
// past the end fails without reading. The file is read in chunks: a sector holds
// tens of thousands of fields, and a read of the file for each of them (a call into
// the system for every four bytes of an archive's member) took a good part of a
// map's start.
class field_reader_t {
public:
    field_reader_t(file_t &file, uint64_t left) : m_file(file), m_left(left) {}

    uint64_t get_left() const { return m_left; }
    bool u32(uint32_t *out) {
        uint8_t b[4];
        if (!take(b, 4)) return false;
        *out = le_bytes::get_u32(b);
        return true;
    }
    bool u64(uint64_t *out) {
        uint8_t b[8];
        if (!take(b, 8)) return false;
        *out = le_bytes::get_u64(b);
        return true;
    }
    bool f32(float *out) {
        uint8_t b[4];
        if (!take(b, 4)) return false;
        *out = le_bytes::get_f32(b);
        return true;
    }

private:
    static constexpr uint32_t CHUNK = 16u << 10;

    bool take(uint8_t *buf, uint32_t len) {
        if (m_left < len) return false;
        if (m_end - m_next < len && !refill()) return false;
        memcpy(buf, m_chunk + m_next, len);
        m_next += len;
        m_left -= len;
        return true;
    }
    // The bytes not taken yet go to the chunk's start and the file's next bytes
    // after them, as many as fit and the file has left.
    bool refill() {
        const uint32_t kept = m_end - m_next;
        memmove(m_chunk, m_chunk + m_next, kept);
        const uint64_t unread = m_left - kept;
        const uint32_t more = unread < CHUNK - kept ? uint32_t(unread) : CHUNK - kept;
        if (more && !m_file.read(m_chunk + kept, more)) return false;
        m_next = 0;
        m_end = kept + more;
        return true;
    }

    file_t &m_file;
    uint64_t m_left;
    uint8_t m_chunk[CHUNK];
    uint32_t m_next = 0, m_end = 0;  // the chunk's bytes not taken yet
};

float squared_length_xz(const vec3_t &a, const vec3_t &b) {
    const float dx = b.x - a.x, dz = b.z - a.z;
    return dx * dx + dz * dz;
}

}  // namespace

void ai_sector_t::clear() {
    m_points.clear();
    m_cells.clear();
    m_links.clear();
}

const ai_nav_link_t &ai_sector_t::get_link(uint32_t cell, uint32_t edge) const {
    const ai_nav_cell_t &c = m_cells[cell];
    if (edge >= c.link_count) array_index_check_failed(__LINE__);
    return m_links[c.first_link + edge];
}

uint32_t ai_sector_t::next_edge(uint32_t cell, uint32_t edge) const {
    const uint32_t n = m_cells[cell].link_count;
    if (edge >= n) array_index_check_failed(__LINE__);
    return edge + 1 == n ? 0 : edge + 1;
}

uint32_t ai_sector_t::previous_edge(uint32_t cell, uint32_t edge) const {
    const uint32_t n = m_cells[cell].link_count;
    if (edge >= n) array_index_check_failed(__LINE__);
    return edge == 0 ? n - 1 : edge - 1;
}

void ai_sector_t::edge_points(uint32_t cell, uint32_t edge, vec3_t *start, vec3_t *end) const {
    *start = m_points[get_link(cell, edge).point];
    *end = m_points[get_link(cell, next_edge(cell, edge)).point];
}

plane_t ai_sector_t::edge_plane(uint32_t cell, uint32_t edge) const {
    vec3_t p, q;
    edge_points(cell, edge, &p, &q);
    const float dx = q.x - p.x, dz = q.z - p.z;
    const float len = std::sqrt(dx * dx + dz * dz);
    // The reader refuses zero-length edges, so len is never 0 for a loaded sector.
    return plane_t(unit_normal, vec3_t{dz / len, 0.0f, -dx / len}, p);
}

bool ai_sector_t::contains(uint32_t cell, const vec3_t &position) const {
    const ai_nav_cell_t &c = m_cells[cell];
    if (!(c.box.min.x <= position.x && position.x <= c.box.max.x && c.box.min.z <= position.z &&
          position.z <= c.box.max.z))
        return false;
    for (uint32_t e = 0; e < c.link_count; ++e)
        if (edge_plane(cell, e).get_signed_distance(position) > 0.0f) return false;
    return true;
}

bool ai_sector_t::is_passable(uint32_t cell, uint32_t edge, uint32_t mode) const {
    const ai_nav_link_t &link = get_link(cell, edge);
    if (!link.has_neighbour) return false;
    const ai_nav_cell_t &next = m_cells[link.neighbour_cell];
    return !next.visited && ai_nav_kind_allowed(next.kind, mode);
}

void ai_sector_t::clear_visited() {
    for (uint32_t i = 0; i < m_cells.get_count(); ++i) m_cells[i].visited = false;
}

void ai_sector_t::set_up_cell(ai_nav_cell_t &cell) const {
    cell.box.set_void();
    vec3_t sum;
    for (uint32_t i = 0; i < cell.link_count; ++i) {
        const vec3_t &p = m_points[m_links[cell.first_link + i].point];
        cell.box.enlarge(p);
        sum += p;
    }
    const float n = float(cell.link_count);
    cell.centre = {sum.x / n, cell.box.max.y, sum.z / n};
    cell.radius = std::fmax(length(cell.centre - cell.box.min), length(cell.centre - cell.box.max));
}

bool ai_sector_t::read(file_t &file) {
    const char *name = file.get_name();
    fs_stat_t st;
    if (!file.stat(&st)) {
        error("[nav] %s: cannot tell the size of the file", name);
        return false;
    }
    field_reader_t in(file, st.size > file.tell() ? st.size - file.tell() : 0);
    ai_sector_t s;

    uint64_t point_count = 0;
    if (!in.u64(&point_count)) {
        error("[nav] %s: the file ends inside the point count", name);
        return false;
    }
    if (point_count > in.get_left() / FILE_POINT_SIZE) {
        error("[nav] %s: %" PRIu64 " points run past the end of the file (%" PRIu64 " bytes left)", name, point_count,
              in.get_left());
        return false;
    }
    if (!s.m_points.set_size(uint32_t(point_count))) {
        error("[nav] %s: no memory for %" PRIu64 " points", name, point_count);
        return false;
    }
    for (uint32_t i = 0; i < s.m_points.get_count(); ++i) {
        vec3_t &p = s.m_points[i];
        if (!in.f32(&p.x) || !in.f32(&p.y) || !in.f32(&p.z)) {
            error("[nav] %s: point %u: the file cannot be read", name, i);
            return false;
        }
        if (!(std::fabs(p.x) <= MAX_COORDINATE && std::fabs(p.y) <= MAX_COORDINATE &&
              std::fabs(p.z) <= MAX_COORDINATE)) {
            error("[nav] %s: point %u is not a position within %g units of the origin", name, i,
                  double(MAX_COORDINATE));
            return false;
        }
    }

    uint64_t cell_count = 0;
    if (!in.u64(&cell_count)) {
        error("[nav] %s: the file ends inside the cell count", name);
        return false;
    }
    if (cell_count > in.get_left() / FILE_CELL_SIZE) {
        error("[nav] %s: %" PRIu64 " cells run past the end of the file (%" PRIu64 " bytes left)", name, cell_count,
              in.get_left());
        return false;
    }
    if (!s.m_cells.set_size(uint32_t(cell_count))) {
        error("[nav] %s: no memory for %" PRIu64 " cells", name, cell_count);
        return false;
    }
    const uint32_t points = s.m_points.get_count(), cells = s.m_cells.get_count();
    for (uint32_t c = 0; c < cells; ++c) {
        ai_nav_cell_t &cell = s.m_cells[c];
        uint64_t link_count = 0;
        if (!in.u32(&cell.kind) || !in.u64(&link_count)) {
            error("[nav] %s: cell %u: the file ends inside the cell", name, c);
            return false;
        }
        if (link_count > in.get_left() / FILE_LINK_SIZE) {
            error("[nav] %s: cell %u: %" PRIu64 " links run past the end of the file (%" PRIu64 " bytes left)", name,
                  c, link_count, in.get_left());
            return false;
        }
        // Fewer corners make no area: the centre and the edge walk would divide by 0.
        if (link_count < MIN_LINKS) {
            error("[nav] %s: cell %u has %" PRIu64 " links (at least %u)", name, c, link_count, MIN_LINKS);
            return false;
        }
        cell.first_link = s.m_links.get_count();
        cell.link_count = uint32_t(link_count);
        if (!s.m_links.request_capacity(cell.first_link + cell.link_count)) {
            error("[nav] %s: cell %u: no memory for %u links", name, c, cell.link_count);
            return false;
        }
        for (uint32_t l = 0; l < cell.link_count; ++l) {
            ai_nav_link_t link;
            uint32_t has = 0;
            if (!in.u32(&link.point) || !in.u32(&has) ||
                (has && (!in.u32(&link.neighbour_cell) || !in.u32(&link.neighbour_edge)))) {
                error("[nav] %s: cell %u link %u: the file ends inside the link", name, c, l);
                return false;
            }
            link.has_neighbour = has != 0;
            if (link.point >= points) {
                error("[nav] %s: cell %u link %u: point %u out of range (%u points)", name, c, l, link.point, points);
                return false;
            }
            if (link.has_neighbour && link.neighbour_cell >= cells) {
                error("[nav] %s: cell %u link %u: neighbour cell %u out of range (%u cells)", name, c, l,
                      link.neighbour_cell, cells);
                return false;
            }
            s.m_links.append(link);
        }
    }
    if (in.get_left())
        warning("[nav] %s: %" PRIu64 " bytes after the last cell are ignored", name, in.get_left());

    // With every cell read, the neighbour edges can be checked and the cells set up.
    for (uint32_t c = 0; c < cells; ++c) {
        ai_nav_cell_t &cell = s.m_cells[c];
        for (uint32_t l = 0; l < cell.link_count; ++l) {
            const ai_nav_link_t &link = s.m_links[cell.first_link + l];
            if (link.has_neighbour && link.neighbour_edge >= s.m_cells[link.neighbour_cell].link_count) {
                error("[nav] %s: cell %u link %u: neighbour edge %u past the %u links of cell %u", name, c, l,
                      link.neighbour_edge, s.m_cells[link.neighbour_cell].link_count, link.neighbour_cell);
                return false;
            }
            vec3_t p, q;
            s.edge_points(c, l, &p, &q);
            if (squared_length_xz(p, q) <= MIN_EDGE_LENGTH_SQUARED) {
                error("[nav] %s: cell %u link %u: zero-length edge (points %u and %u)", name, c, l, link.point,
                      s.get_link(c, s.next_edge(c, l)).point);
                return false;
            }
        }
        s.set_up_cell(cell);
        // A cell wound the other way, or folded onto a line, would contain no point.
        for (uint32_t l = 0; l < cell.link_count; ++l) {
            if (!(s.edge_plane(c, l).get_signed_distance(cell.centre) < 0.0f)) {
                error("[nav] %s: cell %u link %u: the cell's centre is not on the inner side of the edge "
                      "(corners wound the wrong way?)",
                      name, c, l);
                return false;
            }
        }
    }
    *this = std::move(s);
    return true;
}

}  // namespace quarn
