#include "game/ai/zba/zba_bind.h"

#include <strings.h>

#include <cstdint>
#include <cstring>

#include "game/ai/zba/zba_inst.h"
#include "game/ai/zba/zba_resources.h"
#include "qrncore/collections/vptrhash.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

// The instance of the item and its file, locked while it lives.
class bound_file_t {
public:
    explicit bound_file_t(c_item_t *instance) : m_instance(instance) {
        const zba_inst_t *inst = zba_inst_t::of(instance);
        if (!m_instance.get_data() || !inst) return;
        m_file.set(inst->get_file());
        if (m_file.get_data()) m_info = zba_u::info_of(m_file.get_item());
    }
    explicit operator bool() const { return !m_info.is_null(); }
    const zba_info_t &info() const { return m_info; }

private:
    c_item_lock_t m_instance;
    c_item_lock_t m_file;
    zba_info_t m_info;
};

bool slot_fits(const char *binder, const zba_name_request_t &request, uint32_t size) {
    if (request.slot < size) return true;
    error("[zba_inst] %s: slot %u of '%s' is outside the table of %u", binder, request.slot,
          request.name ? request.name : "(null)", size);
    return false;
}

}  // namespace

bool zba_bind_item_names(c_item_t *instance, const zba_name_request_t *requests, uint32_t count, int32_t *table,
                         uint32_t table_size) {
    if (count == 0) return true;
    const bound_file_t file(instance);
    if (!file || !requests || (!table && table_size > 0)) return false;
    for (uint32_t i = 0; i < table_size; ++i) table[i] = -1;
    array_dyn_t<zba_name_request_t> open;
    bool all = true;
    for (uint32_t i = 0; i < count; ++i) {
        if (!requests[i].name || !slot_fits("zba_bind_item_names", requests[i], table_size)) {
            all = false;
        } else if (!open.append(requests[i])) {
            return false;
        }
    }
    const zba_info_t &info = file.info();
    uint32_t left = open.get_count();
    for (uint32_t b = 0; b < info.behavior_count() && left > 0; ++b) {
        const char *name = info.behavior(b).name();
        for (uint32_t j = 0; j < left; ++j) {
            if (strcasecmp(open[j].name, name) != 0) continue;
            table[open[j].slot] = int32_t(b);
            // The last open request takes the place; it is not compared with this
            // behaviour.
            open[j] = open[--left];
        }
    }
    return all && left == 0;
}

bool zba_bind_behavior_names(array_dyn_t<int32_t> &table, c_item_t *instance, const zba_name_request_t *requests,
                             uint32_t count) {
    if (count == 0) return true;
    const bound_file_t file(instance);
    if (!file || !requests) return false;
    table.clear();
    for (uint32_t i = 0; i < count; ++i)
        if (!table.append(-1)) return false;
    // Name to slot + 1 (a stored null reads as absent); the first slot of a name wins.
    vptrhash_t slots;
    for (uint32_t i = 0; i < count; ++i) {
        const zba_name_request_t &r = requests[i];
        if (!r.name || !slot_fits("zba_bind_behavior_names", r, count)) continue;
        if (slots.find(r.name)) continue;
        if (!slots.put(r.name, strlen(r.name), reinterpret_cast<void *>(uintptr_t(r.slot) + 1))) return false;
    }
    const zba_info_t &info = file.info();
    for (uint32_t b = 0; b < info.behavior_count(); ++b) {
        const char *name = info.behavior(b).name();
        // Only the first behaviour of a name binds.
        if (void *slot = slots.remove_key(name, strlen(name))) table[uint32_t(uintptr_t(slot) - 1)] = int32_t(b);
    }
    for (uint32_t i = 0; i < count; ++i)
        if (table[i] < 0) return false;
    return true;
}

}  // namespace quarn
