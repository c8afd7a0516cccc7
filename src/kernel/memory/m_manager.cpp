#include "kernel/memory/m_manager.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <new>

#include "outside/qrnshared/resource_unit.h"
#include "qrncore/system/host_alloc.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

namespace {

// Free-block links: the owner word points to the node above (a larger size, or the
// block before it in its same-size chain); the first data word to the next smaller
// distinct size (large list only), the second to the next block of the same size.
// Data words are read and written through memcpy: the same bytes hold item data
// while the block is in use.
m_block_t *above(const m_block_t *b) { return static_cast<m_block_t *>(b->owner_word); }
void set_above(m_block_t *b, m_block_t *a) { b->owner_word = a; }
m_block_t *link_at(m_block_t *b, int i) {
    m_block_t *p;
    memcpy(&p, b->data() + i * sizeof(p), sizeof(p));
    return p;
}
void set_link_at(m_block_t *b, int i, m_block_t *p) { memcpy(b->data() + i * sizeof(p), &p, sizeof(p)); }
m_block_t *smaller(m_block_t *b) { return link_at(b, 0); }
void set_smaller(m_block_t *b, m_block_t *p) { set_link_at(b, 0, p); }
m_block_t *same(m_block_t *b) { return link_at(b, 1); }
void set_same(m_block_t *b, m_block_t *p) { set_link_at(b, 1, p); }

uint8_t *data_end(m_block_t *b) { return b->data() + b->size(); }

// Links the new header x into b's pool chain right after b.
void link_after(m_block_t *b, m_block_t *x) {
    x->prev = b;
    x->next = b->next;
    if (b->next) b->next->prev = x;
    b->next = x;
}

// Width of a pointer column: "0x" and two digits a byte.
constexpr int POINTER_WIDTH = 2 + 2 * int(sizeof(void *));

// Sizes in the dumps: bytes up to 10239, then K below 10 MiB, then M.
void size_text(char *out, size_t n, size_t bytes) {
    if (bytes <= 10239) snprintf(out, n, "%zu", bytes);
    else if (bytes < size_t(10) << 20) snprintf(out, n, "%zuK", bytes >> 10);
    else snprintf(out, n, "%zuM", bytes >> 20);
}

// Names over 50 characters show their last 47 behind "...".
const char *name_text(char *out, size_t n, const char *name, size_t width) {
    const size_t len = strlen(name);
    if (len <= width) return name;
    snprintf(out, n, "...%s", name + len - (width - 3));
    return out;
}

const char *type_text(const c_item_t *item) {
    resource_unit_u *u = item->get_unit();
    return u && u->get_descriptor()->class_name ? u->get_descriptor()->class_name->c_str() : "";
}

// The eleven flag columns of the dumps.
void flag_letters(char out[12], const c_item_t *item) {
    const struct {
        bool on;
        char letter;
    } cols[11] = {
        {item->parent != nullptr, 'c'},
        {item->has(c_item_t::MEMORY_VALID), 'm'},
        {item->has(c_item_t::HW_VALID), 'h'},
        {item->has(c_item_t::FLAG_P), 'p'},
        {item->has(c_item_t::DESTROY_IMMEDIATELY), 'd'},
        {item->has(c_item_t::IN_MLRU), 'M'},
        {item->has(c_item_t::MLRU_DISALLOWED), 'D'},
        {!item->has(c_item_t::PRIVATE), 's'},
        {item->ref_count != 0, 'r'},
        {item->fix_count != 0, 'f'},
        {item->lock_count != 0, 'l'},
    };
    for (int i = 0; i < 11; ++i) out[i] = cols[i].on ? cols[i].letter : ' ';
    out[11] = 0;
}

const char *extension_of(const char *name) {
    const char *dot = strrchr(name, '.');
    const char *slash = strrchr(name, '/');
    if (!dot || (slash && slash > dot)) return "";
    return dot + 1;
}

}  // namespace

// ---- record pools ----

m_record_pool_t::m_record_pool_t(size_t record_size)
    : m_record_size((record_size + M_BLOCK_ALIGN - 1) & ~(M_BLOCK_ALIGN - 1)) {}

m_record_pool_t::~m_record_pool_t() {
    while (m_chunks) {
        void *next;
        memcpy(&next, m_chunks, sizeof next);
        qrncore_system_delete_vector(m_chunks);
        m_chunks = next;
    }
}

void *m_record_pool_t::alloc() {
    if (!m_free) {
        // One allocation: a link to the previous chunk (padded to keep records
        // aligned), then the records with the free list threaded through them.
        uint8_t *chunk =
            static_cast<uint8_t *>(qrncore_system_new_vector(M_BLOCK_ALIGN + RECORDS_PER_CHUNK * m_record_size));
        if (!chunk) return nullptr;
        memcpy(chunk, &m_chunks, sizeof m_chunks);
        m_chunks = chunk;
        for (uint32_t i = RECORDS_PER_CHUNK; i-- > 0;) {
            void *record = chunk + M_BLOCK_ALIGN + i * m_record_size;
            memcpy(record, &m_free, sizeof m_free);
            m_free = record;
        }
    }
    void *record = m_free;
    memcpy(&m_free, record, sizeof m_free);
    return record;
}

void m_record_pool_t::free(void *record) {
    memcpy(record, &m_free, sizeof m_free);
    m_free = record;
}

// ---- the manager ----

m_manager::m_manager(unit_system_t *system)
    : m_anonymous_records(sizeof(mm_item_t)), m_named_records(sizeof(mm_named_item_t)), m_system(system) {}

m_manager::~m_manager() = default;

size_t m_manager::round_size(size_t bytes) {
    if (bytes > SIZE_MAX - M_BLOCK_ALIGN) return SIZE_MAX & ~(M_BLOCK_ALIGN - 1);
    const size_t n = (bytes + M_BLOCK_ALIGN - 1) & ~(M_BLOCK_ALIGN - 1);
    return n < M_BLOCK_MIN ? M_BLOCK_MIN : n;
}

// ---- pools ----

bool m_manager::add_pool(void *start, size_t bytes) {
    const size_t size = bytes & ~(M_BLOCK_ALIGN - 1);
    if (!start || size < M_BLOCK_HEADER + M_BLOCK_MIN || !m_pools.append(m_pool_t{static_cast<uint8_t *>(start), size})) {
        error("[mem] Failed to add memory pool.");
        return false;
    }
    m_block_t *b = static_cast<m_block_t *>(start);
    b->prev = b->next = nullptr;
    b->size_word = size - M_BLOCK_HEADER;
    b->owner_word = nullptr;
    index_insert(b);
    return true;
}

bool m_manager::remove_pool(void *start) {
    for (uint32_t i = 0; i < m_pools.get_count(); ++i) {
        const m_pool_t &pool = m_pools[i];
        if (pool.start != start) continue;
        m_block_t *b = reinterpret_cast<m_block_t *>(pool.start);
        if (b->in_use() || b->next) {
            log_dump(MM_DUMP_BLOCKS, false);
            return false;
        }
        index_remove(b);
        m_pools.remove(i);
        return true;
    }
    error("[mem] Tried to remove unregistered memory pool.");
    return false;
}

// ---- the free-block index ----

int m_manager::find_bin_from(size_t index) const {
    if (index >= M_SMALL_BINS) return -1;
    size_t w = index >> 6;
    uint64_t bits = m_bin_bits[w] & (~uint64_t(0) << (index & 63));
    if (bits) return int(w * 64 + size_t(__builtin_ctzll(bits)));
    if (w == 63) return -1;
    const uint64_t words = m_bin_summary & (~uint64_t(0) << (w + 1));
    if (!words) return -1;
    w = size_t(__builtin_ctzll(words));
    return int(w * 64 + size_t(__builtin_ctzll(m_bin_bits[w])));
}

void m_manager::index_insert(m_block_t *b) {
    ++m_free_blocks;
    const size_t s = b->size();
    if (s < M_SMALL_LIMIT) {
        const size_t i = s / M_BLOCK_ALIGN;
        m_block_t *head = m_bins[i];
        if (!head) {
            m_bins[i] = b;
            set_above(b, nullptr);
            set_same(b, nullptr);
            m_bin_bits[i >> 6] |= uint64_t(1) << (i & 63);
            m_bin_summary |= uint64_t(1) << (i >> 6);
            return;
        }
        // A same-size follower, right behind the head.
        set_above(b, head);
        set_same(b, same(head));
        if (same(head)) set_above(same(head), b);
        set_same(head, b);
        return;
    }
    if (!m_large_head || s > m_large_head->size()) {
        set_above(b, nullptr);
        set_smaller(b, m_large_head);
        set_same(b, nullptr);
        if (m_large_head) set_above(m_large_head, b);
        else m_large_tail = b;
        m_large_head = b;
        return;
    }
    // After the last node whose size is at least s.
    m_block_t *n = m_large_head;
    while (smaller(n) && smaller(n)->size() >= s) n = smaller(n);
    if (n->size() == s) {
        set_above(b, n);
        set_same(b, same(n));
        if (same(n)) set_above(same(n), b);
        set_same(n, b);
        return;
    }
    set_above(b, n);
    set_smaller(b, smaller(n));
    set_same(b, nullptr);
    if (smaller(n)) set_above(smaller(n), b);
    else m_large_tail = b;
    set_smaller(n, b);
}

void m_manager::index_remove(m_block_t *b) {
    --m_free_blocks;
    const size_t s = b->size();
    m_block_t *a = above(b);
    m_block_t *follower = same(b);
    if (s < M_SMALL_LIMIT) {
        if (a) {
            set_same(a, follower);
        } else {
            const size_t i = s / M_BLOCK_ALIGN;
            m_bins[i] = follower;
            if (!follower) {
                m_bin_bits[i >> 6] &= ~(uint64_t(1) << (i & 63));
                if (!m_bin_bits[i >> 6]) m_bin_summary &= ~(uint64_t(1) << (i >> 6));
            }
        }
        if (follower) set_above(follower, a);
        return;
    }
    if (a && same(a) == b) {
        // A follower: out of its chain.
        set_same(a, follower);
        if (follower) set_above(follower, a);
        return;
    }
    // A node: its first follower takes its place, or the node leaves the list.
    m_block_t *below = smaller(b);
    m_block_t *replacement = follower ? follower : below;
    if (follower) {
        set_above(follower, a);
        set_smaller(follower, below);
    }
    if (a) set_smaller(a, replacement);
    else m_large_head = replacement;
    if (below) set_above(below, follower ? follower : a);
    else m_large_tail = follower ? follower : a;
}

m_block_t *m_manager::take_best_fit(size_t n) {
    m_block_t *node = nullptr;
    if (n < M_SMALL_LIMIT) {
        const int i = find_bin_from(n / M_BLOCK_ALIGN);
        node = i >= 0 ? m_bins[i] : m_large_tail;
    } else {
        node = m_large_tail;
        while (node && node->size() < n) node = above(node);
    }
    if (!node) return nullptr;
    m_block_t *b = same(node) ? same(node) : node;
    index_remove(b);
    return b;
}

size_t m_manager::get_largest_free() const {
    if (m_large_head) return m_large_head->size();
    if (!m_bin_summary) return 0;
    const size_t w = 63 - size_t(__builtin_clzll(m_bin_summary));
    return (w * 64 + 63 - size_t(__builtin_clzll(m_bin_bits[w]))) * M_BLOCK_ALIGN;
}

// ---- blocks ----

void *m_manager::alloc(size_t bytes, c_item_t *owner) {
    const size_t n = round_size(bytes);
    // A block no pool could ever hold fails here, before anything is evicted:
    // evicting everything could not make room for it, and one file larger than the
    // pool must not end the game.
    size_t capacity = 0;
    for (uint32_t i = 0; i < m_pools.get_count(); ++i)
        if (m_pools[i].size - M_BLOCK_HEADER > capacity) capacity = m_pools[i].size - M_BLOCK_HEADER;
    if (n > capacity) {
        error("[mem] A block of %zu bytes is larger than every memory pool.", bytes);
        return nullptr;
    }
    if (m_free_blocks == 0) evict_step();
    while (get_largest_free() < n) {
        if (!evict_step()) break;
    }
    if (get_largest_free() < n) defragment(n);
    if (get_largest_free() < n) V_ABORT("[mem] unable to get an empty memory block...");

    m_block_t *b = take_best_fit(n);
    const size_t s = b->size();
    if (s - n >= M_SPLIT_REST) {
        if (owner) {
            // Item data at the lower end: movable data gathers low, where
            // defragmentation slides it.
            m_block_t *rest = reinterpret_cast<m_block_t *>(b->data() + n);
            link_after(b, rest);
            rest->size_word = s - n - M_BLOCK_HEADER;
            index_insert(rest);
        } else {
            // Raw memory at the upper end; the lower part stays free.
            m_block_t *used = reinterpret_cast<m_block_t *>(b->data() + (s - n - M_BLOCK_HEADER));
            link_after(b, used);
            b->size_word = s - n - M_BLOCK_HEADER;
            index_insert(b);
            b = used;
        }
        b->size_word = n;
    }
    b->size_word |= 1;
    b->owner_word = owner;
    return b->data();
}

void m_manager::free(void *data) {
    if (!data) return;
    m_block_t *b = block_of(data);
    V_ASSERT(b->in_use());
    free_block(b);
}

m_block_t *m_manager::free_block(m_block_t *b) {
    b->size_word &= ~size_t(1);
    b->owner_word = nullptr;
    m_block_t *p = b->prev;
    m_block_t *n = b->next;
    const bool p_free = p && !p->in_use();
    const bool n_free = n && !n->in_use();
    m_block_t *result = b;
    if (p_free && n_free) {
        index_remove(p);
        index_remove(n);
        p->size_word = size_t(data_end(n) - p->data());
        p->next = n->next;
        if (n->next) n->next->prev = p;
        result = p;
    } else if (p_free) {
        index_remove(p);
        p->size_word = size_t(data_end(b) - p->data());
        p->next = n;
        if (n) n->prev = p;
        result = p;
    } else if (n_free) {
        index_remove(n);
        b->size_word = size_t(data_end(n) - b->data());
        b->next = n->next;
        if (n->next) n->next->prev = b;
    } else {
        if (p && data_end(p) < reinterpret_cast<uint8_t *>(b)) {
            // The header moves down over the slack behind the previous block.
            const m_block_t old = *b;
            m_block_t *moved = reinterpret_cast<m_block_t *>(data_end(p));
            const size_t slack = size_t(reinterpret_cast<uint8_t *>(b) - data_end(p));
            *moved = old;
            moved->size_word = old.size() + slack;
            p->next = moved;
            if (n) n->prev = moved;
            result = moved;
        }
        if (n) result->size_word = size_t(reinterpret_cast<uint8_t *>(n) - result->data());
    }
    index_insert(result);
    return result;
}

bool m_manager::evict_step() {
    for (c_item_t *item = m_mlru_oldest; item;) {
        c_item_t *newer = item->mlru_newer;
        if (item->has(c_item_t::BUSY)) {
            item = newer;
            continue;
        }
        if (item->lock_count == 0 && item->fix_count == 0) {
            if (item->ref_count != 0 || item->has(c_item_t::HW_VALID)) {
                if (resource_unit_u *u = item->get_unit()) u->unload_memory();
                // The item stays without memory. It leaves the memory-LRU whatever the
                // unit did, so that every step makes progress (an item left in it
                // would be "evicted" again and again while nothing is freed).
                item->mlru_leave();
            } else {
                item->destroy();
            }
            return true;
        }
        item->mlru_leave();
        item = newer;
    }
    return false;
}

void m_manager::move_item_data(c_item_t *item, uint8_t *from, uint8_t *to) {
    resource_unit_u *u = item->get_unit();
    item->flags |= c_item_t::BUSY;
    if (u) u->pre_move(from, to);
    memmove(to, from, item->size);
    item->data = to;
    if (u) u->post_move(from, to);
    item->flags &= ~uint32_t(c_item_t::BUSY);
}

void m_manager::defragment(size_t target) {
    bool done = false;
    for (uint32_t i = 0; i < m_pools.get_count() && !done; ++i) defragment_pool(m_pools[i], target, &done);
}

void m_manager::defragment_pool(const m_pool_t &pool, size_t target, bool *done) {
    // The last free blocks passed, oldest first, that may receive data.
    constexpr int MAX_CANDIDATES = 4;
    m_block_t *cand[MAX_CANDIDATES];
    int count = 0;
    auto drop = [&](m_block_t *b) {
        for (int i = 0; i < count; ++i) {
            if (cand[i] != b) continue;
            memmove(cand + i, cand + i + 1, size_t(count - i - 1) * sizeof *cand);
            --count;
            return;
        }
    };
    auto add = [&](m_block_t *b) {
        for (int i = 0; i < count; ++i)
            if (cand[i] == b) return;
        if (count == MAX_CANDIDATES) drop(cand[0]);
        cand[count++] = b;
    };

    for (m_block_t *b = reinterpret_cast<m_block_t *>(pool.start); b;) {
        if (!b->in_use()) {
            if (b->size() >= target) {
                *done = true;
                return;
            }
            add(b);
            b = b->next;
            continue;
        }
        c_item_t *item = b->owner();
        if (!item || item->fix_count != 0 || item->has(c_item_t::BUSY)) {
            b = b->next;
            continue;
        }
        m_block_t *p = b->prev;
        if (p && !p->in_use() && b->next) {
            // Slide down into the free block before: the data moves to its start and
            // the tail left behind becomes a free block.
            const size_t size_word = b->size_word;
            const size_t size = b->size();
            m_block_t *n = b->next;
            uint8_t *old_data = b->data();
            index_remove(p);
            drop(p);
            p->size_word = size_word;
            p->owner_word = item;
            move_item_data(item, old_data, p->data());
            m_block_t *tail = reinterpret_cast<m_block_t *>(p->data() + size);
            tail->prev = p;
            tail->next = n;
            n->prev = tail;
            p->next = tail;
            tail->size_word = size_t(old_data + size - tail->data()) | 1;
            b = free_block(tail);
            continue;
        }
        m_block_t *best = nullptr;
        for (int i = 0; i < count; ++i) {
            if (cand[i]->size() >= b->size() && (!best || cand[i]->size() < best->size())) best = cand[i];
        }
        if (!best) {
            b = b->next;
            continue;
        }
        const size_t size = b->size();
        const size_t cs = best->size();
        index_remove(best);
        if (cs - size < M_SPLIT_REST) {
            drop(best);
            best->size_word = cs | 1;
        } else {
            m_block_t *rest = reinterpret_cast<m_block_t *>(best->data() + size);
            link_after(best, rest);
            rest->size_word = cs - size - M_BLOCK_HEADER;
            index_insert(rest);
            for (int i = 0; i < count; ++i)
                if (cand[i] == best) cand[i] = rest;
            best->size_word = size | 1;
        }
        best->owner_word = item;
        move_item_data(item, b->data(), best->data());
        // The walk goes on from the free block that now holds the old place.
        b = free_block(b);
    }
}

bool m_manager::check_integrity() {
    bool good = true;
    for (uint32_t i = 0; i < m_pools.get_count(); ++i) {
        const m_pool_t &pool = m_pools[i];
        uint8_t *const end = pool.start + pool.size;
        size_t sum = 0;
        bool broken = false;
        for (m_block_t *b = reinterpret_cast<m_block_t *>(pool.start); b; b = b->next) {
            // A link that leaves the pool or points backwards is broken too: the walk
            // would not end.
            uint8_t *next = reinterpret_cast<uint8_t *>(b->next);
            if (b->next && (b->next->prev != b || next <= reinterpret_cast<uint8_t *>(b) || next >= end)) {
                error("[mem] Memory block sequence corrupted after %p", static_cast<void *>(b));
                broken = true;
                break;
            }
            if (b->prev && b->prev->next != b) {
                error("[mem] Memory block sequence corrupted before %p", static_cast<void *>(b));
                broken = true;
                break;
            }
            size_t length = M_BLOCK_HEADER + b->size();
            const size_t distance = size_t((next ? next : end) - reinterpret_cast<uint8_t *>(b));
            if (distance > length && distance - length < M_SPLIT_REST) length = distance;
            sum += length;
        }
        if (broken) {
            good = false;
            continue;
        }
        if (sum == pool.size) {
            message("[mem] integrity check passed!");
        } else {
            error("[mem] There is some uncounted memory - sum of sizes %zu should be %zu.", sum, pool.size);
            good = false;
        }
    }
    return good;
}

// ---- dumps ----

void m_manager::dump_item_line(c_item_t *item, bool mlru_form, size_t *bytes) {
    char name[64], size[32], flags[12];
    size_text(size, sizeof size, item->size);
    flag_letters(flags, item);
    const char *shown = name_text(name, sizeof name, item->get_name(), 50);
    if (mlru_form) {
        message("%-50.50s %-14.14s %8.8s %-*p %s", shown, type_text(item), size, POINTER_WIDTH, item->data, flags);
    } else {
        message("%-50.50s %-14.14s %8.8s %-*p %3u %3u %3u %s", shown, type_text(item), size, POINTER_WIDTH, item->data,
                item->ref_count, item->lock_count, item->fix_count, flags);
    }
    *bytes += item->size;
}

void m_manager::dump_children(c_item_t *item, bool mlru_form, size_t *bytes) {
    char parent_flags[12];
    flag_letters(parent_flags, item);
    for (c_item_t *child = item->first_child; child; child = child->next_sibling) {
        char name[64], size[32];
        size_text(size, sizeof size, child->size);
        const size_t offset = item->has(c_item_t::MEMORY_VALID)
                                  ? size_t(static_cast<uint8_t *>(child->data) - static_cast<uint8_t *>(item->data))
                                  : size_t(reinterpret_cast<uintptr_t>(child->data));
        const char *shown = name_text(name, sizeof name, child->get_name(), 48);
        if (mlru_form) {
            message("+ %-48.48s %-14.14s %8.8s %-*.*zu %s", shown, type_text(item), size, POINTER_WIDTH, 1, offset,
                    parent_flags);
        } else {
            message("+ %-48.48s %-14.14s %8.8s %-*.*zu %3u %3u %3u %s", shown, type_text(item), size, POINTER_WIDTH, 1,
                    offset, child->ref_count, child->lock_count, child->fix_count, parent_flags);
        }
        *bytes += child->size;
    }
}

void m_manager::log_dump(int mode, bool children) {
    uint32_t entries = 0;
    size_t bytes = 0;
    switch (mode) {
        case MM_DUMP_ITEMS:
            message("Items in memory manager %p:", static_cast<void *>(this));
            message("%-50.50s %-14.14s %8.8s %-*.*s Ref Lck Fix Flags", "Name", "Type", "Itemsize", POINTER_WIDTH,
                    POINTER_WIDTH, "Pos/Offs");
            for (uint32_t c = 0; c < CHAIN_COUNT; ++c) {
                for (c_item_t *item = m_chains[c]; item; item = item->chain_next) {
                    if (item->parent) continue;
                    dump_item_line(item, false, &bytes);
                    ++entries;
                    if (children) dump_children(item, false, &bytes);
                }
            }
            if (entries) message("%u entries, %zu bytes occupied", entries, bytes);
            return;
        case MM_DUMP_MLRU:
            message("Items in memory-LRU for memory manager %p:", static_cast<void *>(this));
            message("%-50.50s %-14.14s %8.8s %-*.*s Flags", "Name", "Type", "Itemsize", POINTER_WIDTH, POINTER_WIDTH,
                    "Pos/Offs");
            for (c_item_t *item = m_mlru_newest; item; item = item->mlru_older) {
                dump_item_line(item, true, &bytes);
                ++entries;
                if (children) dump_children(item, true, &bytes);
            }
            message("Memory LRU contains %u entries, %zu bytes occupied", entries, bytes);
            return;
        case MM_DUMP_BLOCKS:
            message("Blocks in memory manager %p:", static_cast<void *>(this));
            message("%-50.50s %-14.14s %8.8s %-*.*s Ref Lck Fix Flags", "Name", "Type", "Itemsize", POINTER_WIDTH,
                    POINTER_WIDTH, "Pos/Offs");
            for (uint32_t i = 0; i < m_pools.get_count(); ++i) {
                char size[32];
                size_text(size, sizeof size, m_pools[i].size);
                message("---- memory pool %u (memory %p, size %s) ----", i, static_cast<void *>(m_pools[i].start), size);
                for (m_block_t *b = reinterpret_cast<m_block_t *>(m_pools[i].start); b; b = b->next) {
                    if (c_item_t *item = b->owner()) {
                        dump_item_line(item, false, &bytes);
                        ++entries;
                    }
                }
            }
            if (entries) message("%u entries, %zu bytes occupied", entries, bytes);
            return;
        default: error("[mem] Unknown log_dump mode %d", mode);
    }
}

// ---- item memory and children ----

void *m_manager::allocate_item_memory(c_item_t *item, size_t bytes) {
    if (item->has(c_item_t::MEMORY_VALID) || item->data) {
        error("[mem] The item '%s' has already allocated %zu bytes of memory!!!", item->get_name(), item->size);
        free_item_memory(item);
    }
    // The item must not be moved or evicted while its own new block is found.
    item->fix_count++;
    void *data = alloc(bytes, item);
    item->fix_count--;
    if (!data) return nullptr;
    item->data = data;
    item->size = bytes;
    item->flags |= c_item_t::MEMORY_VALID;
    return data;
}

void m_manager::free_item_memory(c_item_t *item) {
    item->flags &= ~uint32_t(c_item_t::MEMORY_VALID);
    item->size = 0;
    void *data = item->data;
    item->data = nullptr;
    free(data);
}

void m_manager::attach_child(c_item_t *parent, c_item_t *child) {
    parent->add_ref();
    child->parent = parent;
    child->prev_sibling = nullptr;
    child->next_sibling = parent->first_child;
    if (parent->first_child) parent->first_child->prev_sibling = child;
    parent->first_child = child;
    if (child->has(c_item_t::FORWARDED)) {
        // Fixing a sub-item fixes the item that owns the memory.
        if (parent->has(c_item_t::FORWARDED)) {
            child->lock_forward = parent->lock_forward;
            child->fix_forward = parent->fix_forward;
        } else {
            child->lock_forward = &parent->lock_count;
            child->fix_forward = &parent->fix_count;
        }
    }
}

void m_manager::detach_child(c_item_t *child) {
    c_item_t *parent = child->parent;
    if (!parent) return;
    if (child->prev_sibling) child->prev_sibling->next_sibling = child->next_sibling;
    else parent->first_child = child->next_sibling;
    if (child->next_sibling) child->next_sibling->prev_sibling = child->prev_sibling;
    child->prev_sibling = child->next_sibling = nullptr;
    child->parent = nullptr;
    child->lock_forward = child->fix_forward = nullptr;
    parent->release_ref();
}

// ---- the memory-LRU ----

void m_manager::mlru_push_newest(c_item_t *item) {
    item->mlru_older = m_mlru_newest;
    item->mlru_newer = nullptr;
    if (m_mlru_newest) m_mlru_newest->mlru_newer = item;
    else m_mlru_oldest = item;
    m_mlru_newest = item;
}

void m_manager::mlru_unlink(c_item_t *item) {
    if (item->mlru_newer) item->mlru_newer->mlru_older = item->mlru_older;
    else m_mlru_newest = item->mlru_older;
    if (item->mlru_older) item->mlru_older->mlru_newer = item->mlru_newer;
    else m_mlru_oldest = item->mlru_newer;
    item->mlru_newer = item->mlru_older = nullptr;
}

// ---- items ----

uint32_t m_manager::name_hash(const char *name) {
    uint32_t h = 0;
    for (const char *p = name; *p; ++p) {
        const uint32_t t = h * 29u + uint32_t(int32_t(int8_t(*p)));
        h = t + (t >> 16);
    }
    return h;
}

uint32_t m_manager::chain_of(const c_item_t *item) const {
    if (!item->is_named()) return ANONYMOUS_CHAIN;
    if (item->has(c_item_t::PRIVATE)) return PRIVATE_CHAIN;
    return static_cast<const mm_named_item_t *>(item)->name_hash % NAMED_CHAINS;
}

void m_manager::chain_push(c_item_t *item) {
    c_item_t *&head = m_chains[chain_of(item)];
    item->chain_prev = nullptr;
    item->chain_next = head;
    if (head) head->chain_prev = item;
    head = item;
}

void m_manager::chain_unlink(c_item_t *item) {
    if (item->chain_prev) item->chain_prev->chain_next = item->chain_next;
    else m_chains[chain_of(item)] = item->chain_next;
    if (item->chain_next) item->chain_next->chain_prev = item->chain_prev;
    item->chain_prev = item->chain_next = nullptr;
}

uint32_t m_manager::get_item_count() const {
    uint32_t n = 0;
    for (c_item_t *chain : m_chains)
        for (c_item_t *item = chain; item; item = item->chain_next) ++n;
    return n;
}

c_item_t *m_manager::find(const char *name) const {
    if (!name) return nullptr;
    const uint32_t h = name_hash(name);
    for (c_item_t *item = m_chains[h % NAMED_CHAINS]; item; item = item->chain_next) {
        const mm_named_item_t *named = static_cast<const mm_named_item_t *>(item);
        if (named->name_hash == h && strcmp(named->name, name) == 0) return item;
    }
    return nullptr;
}

bool m_manager::register_loader(resource_loader_t *loader) {
    if (loader->registered) {
        error("[mem] Attemp to register a resource loader for second time.");
        return false;
    }
    if (m_loader_count == MAX_LOADERS) {
        error("[mem] Tried to register too many resource loaders at once (already %u of them).", m_loader_count);
        return false;
    }
    m_loaders[m_loader_count++] = loader;
    loader->registered = true;
    return true;
}

void m_manager::unregister_loader(resource_loader_t *loader) {
    if (!loader->registered) {
        error("[mem] Attempt to unregister a resource loader for second time.");
        return;
    }
    for (uint32_t i = 0; i < m_loader_count; ++i) {
        if (m_loaders[i] != loader) continue;
        memmove(m_loaders + i, m_loaders + i + 1, (m_loader_count - i - 1) * sizeof *m_loaders);
        m_loaders[--m_loader_count] = nullptr;
        loader->registered = false;
        return;
    }
    error("[mem] Attempt to unregister an unknown resource loader.");
}

const unit_descriptor_t *m_manager::guess_type(const char *name) {
    const char *extension = extension_of(name);
    for (uint32_t i = m_loader_count; i-- > 0;) {
        resource_loader_t *loader = m_loaders[i];
        if (!loader->detect_resource(name, extension)) continue;
        if (const unit_descriptor_t *d = loader->get_resource_type(name, extension)) return d;
        error("[mem] The resource '%s' type-guess failed.", name);
    }
    error("[mem] Even the fall-back loader refused the resource '%s'!", name);
    return nullptr;
}

c_item_t *m_manager::make_item(bool named, const char *name, uint32_t flags, const unit_descriptor_t *d) {
    mm_item_t *item = nullptr;
    if (named) {
        void *record = m_named_records.alloc();
        mm_named_item_t *n = record ? new (record) mm_named_item_t(name) : nullptr;
        if (n && !n->name) {
            n->~mm_named_item_t();
            m_named_records.free(record);
            n = nullptr;
        }
        if (!n) {
            error("[mem] Failed to allocate additional resource '%s'.", name);
            return nullptr;
        }
        item = n;
    } else {
        void *record = m_anonymous_records.alloc();
        if (!record) {
            error("[mem] Failed to allocate additional anonymous resource.");
            return nullptr;
        }
        item = new (record) mm_item_t;
    }
    item->manager = this;
    item->ref_count = 1;
    item->flags = flags & (c_item_t::DESTROY_IMMEDIATELY | c_item_t::PRIVATE | c_item_t::MLRU_DISALLOWED);

    auto give_back = [&]() {
        if (named) {
            static_cast<mm_named_item_t *>(item)->~mm_named_item_t();
            m_named_records.free(item);
        } else {
            item->~mm_item_t();
            m_anonymous_records.free(item);
        }
    };
    const unit_descriptor_t *type = d ? d : guess_type(name);
    unit_base_t *unit = type ? unit_system_t::create_unit_in(m_system, *type) : nullptr;
    if (type && !unit) error("[mem] The resource '%s' unit-creation failed.", name);
    // A loader's type that is no resource type cannot load anything.
    if (unit && !unit->is_kind_of(resource_unit_u::unit_descriptor)) {
        error("[mem] The resource '%s' type '%s' is not a resource type.", name, type->class_name->c_str());
        unit->dispose_unowned();
        unit = nullptr;
    }
    if (!unit) {
        give_back();
        return nullptr;
    }
    resource_unit_u *r = static_cast<resource_unit_u *>(unit);
    item->unit = r;
    if (!r->bind_item(item)) {
        r->destroy();
        item->unit = nullptr;
        give_back();
        return nullptr;
    }
    chain_push(item);
    return item;
}

c_item_t *m_manager::obtain(int type, const char *name, const unit_descriptor_t *d, uint32_t flags) {
    V_ASSERT(type >= MM_ANONYMOUS && type <= MM_NAMED_LOAD_REF);
    if (!name) name = "";
    const bool anonymous = type == MM_ANONYMOUS || type == MM_ANONYMOUS_REF;
    const int caching = type & 3;
    const bool keep = type >= MM_ANONYMOUS_REF;
    uint32_t effective = flags;
    if (anonymous) effective |= c_item_t::PRIVATE | c_item_t::DESTROY_IMMEDIATELY;

    c_item_t *item = nullptr;
    if (!(effective & c_item_t::PRIVATE)) item = find(name);
    if (item) {
        resource_unit_u *u = item->get_unit();
        if (d && u && !unit_system_t::inherits_from(u->get_descriptor(), d)) {
            error("[mem] The resource '%s' type '%s' does not match the expected '%s'!", name, type_text(item),
                  d->class_name ? d->class_name->c_str() : "");
            // Callers cast the item to the class they asked for: the wrong class is
            // never handed out.
            return nullptr;
        }
        if (effective & c_item_t::DESTROY_IMMEDIATELY) item->flags |= c_item_t::DESTROY_IMMEDIATELY;
        if (flags & c_item_t::MLRU_DISALLOWED) {
            item->flags |= c_item_t::MLRU_DISALLOWED;
            item->mlru_leave();
        }
        item->add_ref();
    } else {
        item = make_item(!anonymous, name, effective | (flags & c_item_t::MLRU_DISALLOWED), d);
        if (!item) return nullptr;
    }

    if (caching >= 2) {
        if (!item->has(c_item_t::MEMORY_VALID)) {
            if (resource_unit_u *u = item->get_unit()) u->load_memory();
        } else if (item->has(c_item_t::IN_MLRU)) {
            item->touch();
        }
        if (!item->has(c_item_t::MEMORY_VALID)) {
            if (caching == 3) {
                item->release_ref();
                return nullptr;
            }
            warning("[mem] Caching of the resource '%s' failed.", name);
        }
    }
    if (!keep) --item->ref_count;
    return item;
}

int m_manager::refresh_resource(const char *name) {
    c_item_t *item = find(name);
    // A name nothing is known by cannot have been refreshed.
    if (!item) return REFRESH_FAILED;
    return item->refresh();
}

void m_manager::remove_item(c_item_t *item) {
    item->mlru_leave();
    if (resource_unit_u *u = item->get_unit()) {
        u->unbind_item(item);
        u->destroy();
        item->unit = nullptr;
    }
    // A block must never outlive its owner: memory the unit did not give back goes
    // back here.
    if (item->has(c_item_t::MEMORY_VALID) || item->data) free_item_memory(item);
    if (item->has(c_item_t::ALIAS)) item->set_alias_target(nullptr);
    for (c_item_t *child = item->first_child; child;) {
        c_item_t *next = child->next_sibling;
        child->parent = child->prev_sibling = child->next_sibling = nullptr;
        child->lock_forward = child->fix_forward = nullptr;
        child = next;
    }
    item->first_child = nullptr;
    chain_unlink(item);
    // The parent may go with its last reference here; this record is out of every
    // table already.
    if (item->parent) detach_child(item);
    if (item->is_named()) {
        static_cast<mm_named_item_t *>(item)->~mm_named_item_t();
        m_named_records.free(item);
    } else {
        static_cast<mm_item_t *>(item)->~mm_item_t();
        m_anonymous_records.free(item);
    }
}

// ---- bulk operations ----

void m_manager::bulk(bulk_t op, int key, const unit_descriptor_t *d) {
    auto matches = [&](c_item_t *item) {
        if (item->has(c_item_t::BUSY)) return false;
        if (key != -1 && item->hw_key != key) return false;
        resource_unit_u *u = item->get_unit();
        return !d || (u && unit_system_t::inherits_from(u->get_descriptor(), d));
    };
    for (uint32_t c = 0; c < CHAIN_COUNT; ++c) {
        // Each item looked at is held by a reference, and so is the next one, so that
        // what the action releases cannot take the walk's next item away.
        c_item_t *item = m_chains[c];
        while (item && !matches(item)) item = item->chain_next;
        if (!item) continue;
        item->add_ref();
        while (item) {
            c_item_t *next = item->chain_next;
            while (next && !matches(next)) next = next->chain_next;
            if (next) next->add_ref();
            // The count without the walk's own reference.
            const bool referenced = item->ref_count > 1;
            resource_unit_u *u = item->get_unit();
            switch (op) {
                case HW_FREE_UNREFERENCED:
                    if (item->has(c_item_t::HW_VALID) && !referenced && u) u->hw_unload();
                    break;
                case MEM_FREE_UNREFERENCED:
                    if (item->has(c_item_t::MEMORY_VALID) && !referenced && u) u->unload_memory();
                    break;
                case HW_FREE_ALL:
                    if (item->has(c_item_t::HW_VALID) && !item->has(c_item_t::HW_KEEP) && u) u->hw_unload();
                    break;
                case MEM_FREE_ALL:
                    if (item->has(c_item_t::MEMORY_VALID) && !item->has(c_item_t::MLRU_DISALLOWED) &&
                        ((item->fix_count == 0 && item->lock_count == 0) || !referenced) && u)
                        u->unload_memory();
                    break;
                case REMOVE_UNREFERENCED:
                    // Dropping the walk's reference below removes it: the
                    // last-reference operation destroys an item without memory.
                    break;
            }
            item->release_ref();
            item = next;
        }
    }
}

void m_manager::hw_free_unreferenced(int key, const unit_descriptor_t *d) { bulk(HW_FREE_UNREFERENCED, key, d); }
void m_manager::mem_free_unreferenced(int key, const unit_descriptor_t *d) { bulk(MEM_FREE_UNREFERENCED, key, d); }
void m_manager::hw_free_all(int key, const unit_descriptor_t *d) { bulk(HW_FREE_ALL, key, d); }
void m_manager::mem_free_all(int key, const unit_descriptor_t *d) { bulk(MEM_FREE_ALL, key, d); }
void m_manager::remove_unreferenced(int key, const unit_descriptor_t *d) { bulk(REMOVE_UNREFERENCED, key, d); }

// ---- the item records ----

mm_item_t::~mm_item_t() = default;

m_manager &mm_item_t::owner_manager() const { return *static_cast<m_manager *>(manager); }

const char *mm_item_t::get_name() const { return "anonymous"; }

bool mm_item_t::is_named() const { return false; }

void mm_item_t::mlru_enter() {
    if (has(IN_MLRU)) owner_manager().mlru_unlink(this);
    owner_manager().mlru_push_newest(this);
    flags |= IN_MLRU;
}

void mm_item_t::mlru_leave() {
    if (!has(IN_MLRU)) return;
    owner_manager().mlru_unlink(this);
    flags &= ~uint32_t(IN_MLRU);
}

void mm_item_t::touch() {
    if (!has(IN_MLRU)) return;
    owner_manager().mlru_unlink(this);
    owner_manager().mlru_push_newest(this);
}

void mm_item_t::last_reference_gone() {
    if (has(PRIVATE) || has(DESTROY_IMMEDIATELY) || !has(MEMORY_VALID)) destroy();
}

void mm_item_t::destroy() {
    resource_unit_u *u = get_unit();
    if (u && has(HW_VALID)) u->hw_unload();
    if (u && has(MEMORY_VALID)) u->unload_memory();
    owner_manager().remove_item(this);
}

void mm_item_t::set_alias_target(c_item_t *target) {
    // The new target is counted before the old one is let go.
    if (target) target->add_ref();
    c_item_t *old = has(ALIAS) ? alias_target : nullptr;
    alias_target = target;
    if (target) flags |= ALIAS;
    else flags &= ~uint32_t(ALIAS);
    if (old) old->release_ref();
}

c_item_t *mm_item_t::resolve() { return has(ALIAS) ? alias_target : this; }

int mm_item_t::refresh() { return REFRESH_ANONYMOUS; }

void mm_item_t::reserved(void *) {}

void mm_item_t::debug_break() { v_debug_break(); }

mm_named_item_t::mm_named_item_t(const char *text) {
    name_hash = m_manager::name_hash(text);
    const size_t n = strlen(text) + 1;
    name = static_cast<char *>(qrncore_system_new_vector(n));
    if (name) memcpy(name, text, n);
}

mm_named_item_t::~mm_named_item_t() {
    if (name) qrncore_system_delete_vector(name);
}

const char *mm_named_item_t::get_name() const { return name ? name : ""; }

bool mm_named_item_t::is_named() const { return true; }

int mm_named_item_t::refresh() {
    if (has(ALIAS)) return REFRESH_ALIAS;
    resource_unit_u *u = get_unit();
    if (!u) return REFRESH_FAILED;
    flags |= BUSY;
    const int code = u->refresh_item();
    flags &= ~uint32_t(BUSY);
    return code;
}

}  // namespace quarn
