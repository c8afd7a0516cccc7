#include "game/ai/zba/zba_inst.h"

#include <new>

#include "game/ai/zba/zba_compile.h"
#include "game/ai/zba/zba_listing.h"
#include "game/ai/zba/zba_proc.h"
#include "game/ai/zba/zba_resources.h"
#include "game/ai/zba/zba_transition.h"
#include "game/visuals/models/model_desc.h"
#include "game/visuals/models/model_object.h"
#include "kernel/memory/m_server.h"
#include "qrncore/collections/bmem_manager.h"
#include "qrncore/system/messages.h"

namespace quarn {

QRN_UNIT_DEFINE(zba_inst_u, "zba_inst");

using zba_layout::NO_STATE;

// What a channel plays: its behaviour or transition, the behaviour held or fading under
// it, or an overlay. Nodes come from one pool shared by every instance.
enum zba_node_kind_t : uint32_t {
    ZBA_NODE_OVERLAY = 1,
    ZBA_NODE_BEHAVIOR = 2,
    ZBA_NODE_TRANSITION = 3,
    ZBA_NODE_FADING = 4,
};

struct zba_play_node_t {
    zba_play_node_t *prev = nullptr;  // the instance's play list
    zba_play_node_t *next = nullptr;
    zba_play_node_t *next_overlay = nullptr;  // the channel's overlays
    uint32_t channel = 0;
    int32_t behavior = -1;  // -1 for a transition
    uint32_t kind = ZBA_NODE_BEHAVIOR;
    uint32_t serial = 0;  // tells a node from a later one in the same pool block
    c_item_ptr_t process;  // null when the program did not compile
};

struct zba_inst_t::channel_t {
    bool features_valid = false;
    bool enabled = true;
    uint32_t overlay_count = 0;
    zba_play_node_t *first_overlay = nullptr;
    zba_play_node_t *fading = nullptr;
    zba_play_node_t *current = nullptr;
    c_item_ptr_t pending;  // the compiled behaviour that waits behind a transition
    int32_t pending_index = -1;
};

namespace {

// The play nodes of every instance.
bmem_manager_t &node_pool() {
    struct pool_t : bmem_manager_t {
        pool_t() { set_pars(sizeof(zba_play_node_t), 64); }
    };
    static pool_t pool;
    return pool;
}

// A follow-on behaviour is advanced by the time its predecessor ran past its end; a
// chain of behaviours shorter than that time stops here and goes on in the next update.
constexpr uint32_t MAX_ADVANCE_DEPTH = 8;

// Whether the process still runs (or is stopped before its end): what "not ended"
// means for busy channels and for reporting a release.
bool node_not_ended(const zba_play_node_t *node) {
    if (!node || !node->process) return false;
    zba_proc_lock_t p(node->process.get());
    return p && (p->state == ZBA_PROC_RUNNING || p->state == ZBA_PROC_STOPPED);
}

bool node_running(const zba_play_node_t *node) {
    if (!node || !node->process) return false;
    zba_proc_lock_t p(node->process.get());
    return p && p->state == ZBA_PROC_RUNNING;
}

int32_t priority_of(const zba_play_node_t *node, int32_t otherwise) {
    if (!node || !node->process) return otherwise;
    zba_proc_lock_t p(node->process.get());
    return p ? p->priority : otherwise;
}

}  // namespace

zba_listener_t::~zba_listener_t() = default;

// ---- making ----

zba_inst_t::zba_inst_t(c_item_t *item, c_item_t *file, zba_channels_t *channels, zba_listener_t *listener,
                       uint32_t channel_count, uint32_t feature_count)
    : zba_host_t(file, channels),
      m_item(item),
      m_listener(listener),
      m_channel_count(channel_count),
      m_feature_count(feature_count) {
    for (uint32_t c = 0; c < channel_count; ++c) new (channel(c)) channel_t();
    uint8_t *states = pairs(0);
    for (uint32_t i = 0; i < 2 * channel_count * feature_count; ++i) states[i] = NO_STATE;
}

zba_inst_t::~zba_inst_t() {
    m_listener = nullptr;
    for (uint32_t c = 0; c < m_channel_count; ++c) release_all_nodes(c);
    // Nothing is left that a node holds; whatever the list still has is dead.
    release_all();
    for (uint32_t c = 0; c < m_channel_count; ++c) channel(c)->~channel_t();
    set_channels(nullptr);
}

c_item_ptr_t zba_inst_t::make(c_item_t *file, owner_ptr_ret_t<model_object_u> model, zba_channels_t *channels,
                              zba_listener_t *listener, uint32_t channel_count) {
    if (channel_count == 0 || channel_count > MAX_CHANNELS) {
        error("[zba_inst] %u channels: an instance has 1 to %u", channel_count, MAX_CHANNELS);
        return {};
    }
    c_item_lock_t lock(file);
    const zba_info_t info = zba_u::info_of(file);
    if (info.is_null()) {
        error("[zba_inst] the behaviour file %s is not loaded", file ? file->get_name() : "(null)");
        return {};
    }
    const uint32_t features = info.feature_count();
    // The instance, then its channel records, then a (current, target) pair of states
    // per feature and channel.
    static_assert(sizeof(zba_inst_t) % alignof(channel_t) == 0);
    const size_t size = sizeof(zba_inst_t) + channel_count * (sizeof(channel_t) + 2 * size_t(features));
    c_item_t *item = mm_obtain_resource(MM_ANONYMOUS_REF, "", &zba_inst_u::unit_descriptor, c_item_t::MLRU_DISALLOWED);
    // The block stays fixed while the instance lives (the fix is never undone), so
    // owners may keep the pointer while they hold the item.
    void *data = item ? item->lock_entry(size) : nullptr;
    if (!data) {
        error("[zba_inst] cannot allocate memory [%zu bytes]", size);
        if (item) item->release_ref();
        return {};
    }
    zba_inst_t *inst = new (data) zba_inst_t(item, file, channels, listener, channel_count, features);
    if (model) {
        inst->m_model = std::move(model);
        inst->m_model_channels.set_model(inst->m_model.get());
        inst->set_channels(&inst->m_model_channels);
    }
    c_item_ptr_t held(item);
    item->release_ref();  // the holder counts it now
    return held;
}

c_item_ptr_t zba_inst_t::create(c_item_t *file, const char *look, const char *variant, zba_listener_t *listener,
                                uint32_t channel_count) {
    c_item_lock_t lock(file);
    const zba_info_t info = zba_u::info_of(file);
    if (info.is_null() || !info.runtime()) {
        error("[zba_inst] the behaviour file %s is not loaded", file ? file->get_name() : "(null)");
        return {};
    }
    c_item_t *model_item = info.runtime()->model.get();
    resource_unit_u *unit = model_item ? model_item->get_unit() : nullptr;
    if (!unit || !unit->is_kind_of(model_desc_u::unit_descriptor)) {
        error("[zba_inst] %s has no model descriptor", file->get_name());
        return {};
    }
    // A model file names its single look and variant "default".
    if (!look || !*look) look = "default";
    if (!variant || !*variant) variant = "default";
    owner_ptr_ret_t<model_object_u> model =
        static_cast<model_desc_u *>(unit)->create_object_by_name(look, variant, nullptr);
    if (!model || !model->is_loaded()) {
        error("[zba_inst] cannot build the model of %s (look %s, variant %s)", file->get_name(), look, variant);
        return {};
    }
    return make(file, std::move(model), nullptr, listener, channel_count);
}

c_item_ptr_t zba_inst_t::create_on(c_item_t *file, zba_channels_t *channels, zba_listener_t *listener,
                                   uint32_t channel_count) {
    return make(file, nullptr, channels, listener, channel_count);
}

zba_inst_t *zba_inst_t::of(c_item_t *item) {
    resource_unit_u *unit = item ? item->get_unit() : nullptr;
    if (!unit || !unit->is_kind_of(zba_inst_u::unit_descriptor)) return nullptr;
    if (!item->has(c_item_t::MEMORY_VALID) || !item->data || item->size < sizeof(zba_inst_t)) return nullptr;
    return static_cast<zba_inst_t *>(item->data);
}

void zba_inst_t::moved() {
    if (m_model) {
        m_model_channels.set_model(m_model.get());
        set_channels(&m_model_channels);
    }
}

// ---- records ----

zba_inst_t::channel_t *zba_inst_t::channels() const {
    return reinterpret_cast<channel_t *>(const_cast<zba_inst_t *>(this) + 1);
}

zba_inst_t::channel_t *zba_inst_t::channel(uint32_t c) const { return c < m_channel_count ? channels() + c : nullptr; }

uint8_t *zba_inst_t::pairs(uint32_t c) const {
    return reinterpret_cast<uint8_t *>(channels() + m_channel_count) + 2 * size_t(c) * m_feature_count;
}

zba_info_t zba_inst_t::get_info() const { return zba_u::info_of(m_file.get()); }

uint8_t zba_inst_t::get_feature_state(uint32_t c, uint32_t feature) const {
    return c < m_channel_count && feature < m_feature_count ? pairs(c)[2 * feature] : NO_STATE;
}

uint8_t zba_inst_t::get_feature_target(uint32_t c, uint32_t feature) const {
    return c < m_channel_count && feature < m_feature_count ? pairs(c)[2 * feature + 1] : NO_STATE;
}

bool zba_inst_t::has_features(uint32_t c) const { return c < m_channel_count && channel(c)->features_valid; }

int32_t zba_inst_t::get_behavior(uint32_t c) const {
    const channel_t *ch = channel(c);
    if (!ch || !ch->current) return -1;
    return ch->current->kind == ZBA_NODE_TRANSITION ? ch->pending_index : ch->current->behavior;
}

bool zba_inst_t::is_running(uint32_t c) const {
    const channel_t *ch = channel(c);
    return ch && node_running(ch->current);
}

bool zba_inst_t::in_transition(uint32_t c) const {
    const channel_t *ch = channel(c);
    return ch && ch->current && ch->current->kind == ZBA_NODE_TRANSITION;
}

uint32_t zba_inst_t::get_overlay_count(uint32_t c) const {
    const channel_t *ch = channel(c);
    return ch ? ch->overlay_count : 0;
}

model_object_u *zba_inst_t::get_model() const { return m_model.get(); }

void zba_inst_t::submit_model() {
    if (m_model) m_model->draw();
}

// ---- nodes ----

zba_play_node_t *zba_inst_t::start(c_item_t *program, int32_t behavior, uint32_t c, uint32_t kind,
                                   int32_t priority) {
    zba_play_node_t *node = new (node_pool().alloc()) zba_play_node_t();
    node->channel = c;
    node->behavior = behavior;
    node->kind = kind;
    node->serial = m_next_serial++;
    node->next = m_nodes;
    if (m_nodes) m_nodes->prev = node;
    m_nodes = node;
    ++m_node_count;
    // A program that did not compile runs nothing: the node stays without a process.
    if (program) node->process = zba_clone(*this, program, node, priority);
    return node;
}

void zba_inst_t::free_node(zba_play_node_t *node) {
    if (!node) return;
    if (node->prev) node->prev->next = node->next;
    else m_nodes = node->next;
    if (node->next) node->next->prev = node->prev;
    --m_node_count;
    if (node->process) {
        {
            zba_proc_lock_t p(node->process.get());
            if (p) p->node = nullptr;
        }
        // Marks it dead and frees its model channels; the host's list keeps its
        // reference until the next update drops it.
        zba_proc_t::release(*this, node->process);
    }
    node->~zba_play_node_t();
    node_pool().free(node);
}

void zba_inst_t::notify(uint32_t kind, zba_value_t value, uint32_t c) {
    if (m_listener) m_listener->notify(kind, value, c);
}

void zba_inst_t::notify_disabled(uint32_t kind, int32_t behavior, uint32_t c) {
    channel_t *ch = channel(c);
    const bool was = ch->enabled;
    ch->enabled = false;
    notify(kind, {behavior, nullptr}, c);
    ch->enabled = was;
}

void zba_inst_t::release_fading(uint32_t c) {
    channel_t *ch = channel(c);
    zba_play_node_t *node = ch->fading;
    if (!node) return;
    ch->fading = nullptr;
    const bool tell = node_not_ended(node);
    const int32_t behavior = node->behavior;
    free_node(node);
    if (tell) notify_disabled(ZBA_NOTICE_RELEASED, behavior, c);
}

void zba_inst_t::release_pending(uint32_t c) {
    channel_t *ch = channel(c);
    ch->pending.release();
    ch->pending_index = -1;
}

void zba_inst_t::release_all_nodes(uint32_t c) {
    channel_t *ch = channel(c);
    while (zba_play_node_t *node = ch->first_overlay) {
        ch->first_overlay = node->next_overlay;
        free_node(node);
    }
    ch->overlay_count = 0;
    zba_play_node_t *fading = ch->fading;
    zba_play_node_t *current = ch->current;
    ch->fading = ch->current = nullptr;
    free_node(fading);
    free_node(current);
    release_pending(c);
}

void zba_inst_t::advance(zba_play_node_t *node, float seconds) {
    if (!node || !node->process || !(seconds > 0.0f) || m_advance_depth >= MAX_ADVANCE_DEPTH) return;
    ++m_advance_depth;
    // Held across the step: the events of the step may let the node go.
    const c_item_ptr_t process = node->process;
    zba_proc_t::step(*this, process.get(), seconds);
    --m_advance_depth;
}

// ---- operations ----

// The enabled channel an operation names; null with the operation's answer otherwise.
zba_inst_t::channel_t *zba_inst_t::operand_channel(const char *operation, uint32_t c, int32_t &refused) const {
    channel_t *ch = channel(c);
    if (!ch) {
        error("[zba_inst] %s: no channel %u (the instance has %u)", operation, c, m_channel_count);
        refused = ZBA_ERR_BEHAVIOR;
        return nullptr;
    }
    if (!ch->enabled) {
        refused = ZBA_ERR_CHANNEL;
        return nullptr;
    }
    return ch;
}

bool zba_inst_t::has_behavior(const zba_info_t &info, int32_t b) {
    return !info.is_null() && b >= 0 && uint32_t(b) < info.behavior_count();
}

int32_t zba_inst_t::play_behavior(int32_t b, uint32_t c, bool force) {
    // The owner may let the instance go from inside a notice: it lives until this returns.
    const c_item_lock_t guard(m_item);
    int32_t refused = ZBA_OK;
    channel_t *ch = operand_channel("play_behavior", c, refused);
    if (!ch) return refused;
    const c_item_lock_t file(m_file.get());
    const zba_info_t info = get_info();
    if (!has_behavior(info, b)) return ZBA_ERR_BEHAVIOR;
    if (node_running(ch->current)) {
        if (!force) return ZBA_ERR_BUSY;
        zba_proc_t::stop(*this, ch->current->process.get(), false, 0.0f);
        release_fading(c);
        release_pending(c);
    }
    const c_item_ptr_t program = info.compiled_behavior(b);
    const zba_behavior_t behavior = info.behavior(uint32_t(b));
    uint8_t *states = pairs(c);
    if (!ch->features_valid) {
        for (uint32_t f = 0; f < m_feature_count; ++f) {
            states[2 * f] = behavior.start_state(f);
            states[2 * f + 1] = behavior.end_state(f);
        }
        ch->features_valid = true;
    }
    bool differs = false;
    for (uint32_t f = 0; f < m_feature_count && !differs; ++f) {
        const uint8_t start = behavior.start_state(f);
        differs = start != NO_STATE && start != states[2 * f];
    }
    bool transition = false;
    if (differs) {
        const int32_t from = ch->current ? ch->current->behavior : -1;
        const c_item_ptr_t program_of_transition = build_transition(info, from, b, c);
        if (program_of_transition) {
            const int32_t priority = int32_t(c) * 10 + priority_of(ch->current, int32_t(c) * 10) + 1;
            // What the channel showed is held, frozen, under the transition.
            release_fading(c);
            ch->fading = ch->current;
            if (ch->fading) ch->fading->kind = ZBA_NODE_FADING;
            ch->current = nullptr;
            ch->current = start(program_of_transition.get(), -1, c, ZBA_NODE_TRANSITION, priority);
            ch->pending = program.get();
            ch->pending_index = b;
            transition = true;
        } else {
            warning("[zba_inst] unable to build transition. Skipped...");
        }
        // The transition (or the behaviour itself) takes each changing feature from
        // the state the behaviour starts in.
        for (uint32_t f = 0; f < m_feature_count; ++f)
            if (behavior.end_state(f) != NO_STATE) states[2 * f] = behavior.start_state(f);
    }
    if (!transition) {
        zba_play_node_t *old = ch->current;
        ch->current = nullptr;
        free_node(old);
        ch->current = start(program.get(), b, c, ZBA_NODE_BEHAVIOR, int32_t(c) * 10);
    }
    for (uint32_t f = 0; f < m_feature_count; ++f) {
        const uint8_t end = behavior.end_state(f);
        states[2 * f + 1] = end != NO_STATE ? end : states[2 * f];
    }
    return ZBA_OK;
}

int32_t zba_inst_t::add_behavior(int32_t b, uint32_t c) {
    int32_t refused = ZBA_OK;
    channel_t *ch = operand_channel("add_behavior", c, refused);
    if (!ch) return refused;
    const c_item_lock_t file(m_file.get());
    const zba_info_t info = get_info();
    if (!has_behavior(info, b)) return ZBA_ERR_BEHAVIOR;
    if (!ch->features_valid) return ZBA_ERR_FEATURES;
    const zba_behavior_t behavior = info.behavior(uint32_t(b));
    const uint8_t *states = pairs(c);
    for (uint32_t f = 0; f < m_feature_count; ++f) {
        const uint8_t need = behavior.start_state(f);
        if (need != NO_STATE && need != states[2 * f]) return ZBA_ERR_FEATURES;
    }
    const c_item_ptr_t program = info.compiled_behavior(b);
    zba_play_node_t *node = start(program.get(), b, c, ZBA_NODE_OVERLAY, int32_t(c) * 10);
    node->next_overlay = ch->first_overlay;
    ch->first_overlay = node;
    ++ch->overlay_count;
    return ZBA_OK;
}

int32_t zba_inst_t::switch_behavior(int32_t b, uint32_t c, float crossfade) {
    const c_item_lock_t guard(m_item);
    int32_t refused = ZBA_OK;
    channel_t *ch = operand_channel("switch_behavior", c, refused);
    if (!ch) return refused;
    const c_item_lock_t file(m_file.get());
    const zba_info_t info = get_info();
    if (!has_behavior(info, b)) return ZBA_ERR_BEHAVIOR;
    release_fading(c);
    release_pending(c);
    if (zba_play_node_t *old = ch->current) {
        ch->current = nullptr;
        if (crossfade > 0.0f) {
            // The old behaviour fades out under the new one; the fading slot is free.
            release_fading(c);
            old->kind = ZBA_NODE_FADING;
            ch->fading = old;
            if (old->process) zba_proc_t::stop(*this, old->process.get(), true, 1.0f / crossfade);
        } else {
            const bool tell = node_not_ended(old);
            const int32_t behavior = old->behavior;
            free_node(old);
            if (tell) notify_disabled(ZBA_NOTICE_RELEASED, behavior, c);
        }
    }
    // A notice may have started something on another channel, never on this one.
    const zba_behavior_t behavior = info.behavior(uint32_t(b));
    uint8_t *states = pairs(c);
    if (!ch->features_valid) {
        for (uint32_t f = 0; f < m_feature_count; ++f) states[2 * f] = behavior.start_state(f);
        ch->features_valid = true;
    }
    const c_item_ptr_t program = info.compiled_behavior(b);
    zba_play_node_t *old = ch->current;  // null unless a notice updated the instance
    ch->current = nullptr;
    free_node(old);
    ch->current = start(program.get(), b, c, ZBA_NODE_BEHAVIOR, int32_t(c) * 10);
    for (uint32_t f = 0; f < m_feature_count; ++f) {
        const uint8_t end = behavior.end_state(f);
        states[2 * f + 1] = end != NO_STATE ? end : states[2 * f];
    }
    return ZBA_OK;
}

void zba_inst_t::clear_channel(uint32_t c) {
    channel_t *ch = channel(c);
    if (!ch || !ch->enabled || !ch->features_valid) return;
    release_all_nodes(c);
    uint8_t *states = pairs(c);
    for (uint32_t i = 0; i < 2 * m_feature_count; ++i) states[i] = NO_STATE;
    ch->features_valid = false;
}

void zba_inst_t::fade_out_channel(uint32_t c, float rate) {
    channel_t *ch = channel(c);
    if (!ch || !ch->enabled || !ch->features_valid) return;
    for (zba_play_node_t *node = ch->first_overlay; node; node = node->next_overlay)
        if (node->process) zba_proc_t::stop(*this, node->process.get(), true, rate);
    for (zba_play_node_t *node : {ch->fading, ch->current})
        if (node && node->process) zba_proc_t::stop(*this, node->process.get(), true, rate);
    release_pending(c);
}

void zba_inst_t::update(float dt) {
    const c_item_lock_t guard(m_item);
    zba_host_t::update(dt);
}

// ---- what the processes report ----

void zba_inst_t::on_proc_event(uint32_t kind, c_item_t *process, const char *text) {
    zba_play_node_t *node = nullptr;
    float overshoot = 0.0f;
    {
        zba_proc_lock_t p(process);
        if (!p) return;
        node = static_cast<zba_play_node_t *>(p->node);
        overshoot = p->overshoot;
    }
    if (!node) return;  // let go already
    switch (kind) {
        case ZBA_EVENT_SOUND: notify(ZBA_NOTICE_SOUND, {node->behavior, text}, node->channel); break;
        case ZBA_EVENT_INFO: notify(ZBA_NOTICE_INFO, {node->behavior, text}, node->channel); break;
        case ZBA_EVENT_ENDED: node_ended(node, overshoot); break;
        default: break;
    }
}

void zba_inst_t::node_ended(zba_play_node_t *node, float overshoot) {
    const uint32_t c = node->channel;
    channel_t *ch = channel(c);
    const int32_t behavior = node->behavior;
    switch (node->kind) {
        case ZBA_NODE_OVERLAY: {
            for (zba_play_node_t **at = &ch->first_overlay; *at; at = &(*at)->next_overlay) {
                if (*at != node) continue;
                *at = node->next_overlay;
                --ch->overlay_count;
                break;
            }
            free_node(node);
            notify(ZBA_NOTICE_OVERLAY_ENDED, {behavior, nullptr}, c);
            return;
        }
        case ZBA_NODE_BEHAVIOR: {
            release_fading(c);
            uint8_t *states = pairs(c);
            for (uint32_t f = 0; f < m_feature_count; ++f) {
                states[2 * f] = states[2 * f + 1];
                states[2 * f + 1] = NO_STATE;
            }
            notify(ZBA_NOTICE_ENDED, {behavior, nullptr}, c);
            // The listener may have started the next behaviour: it takes up the time
            // this one ran past its end.
            advance(ch->current, overshoot);
            return;
        }
        case ZBA_NODE_TRANSITION: {
            const uint32_t serial = node->serial;
            zba_play_node_t *held = ch->fading;
            ch->fading = nullptr;
            free_node(held);
            const c_item_ptr_t pending = ch->pending;
            const int32_t next = ch->pending_index;
            release_pending(c);
            notify(ZBA_NOTICE_TRANSITION_END, {next, nullptr}, c);
            // Unless the listener played something else meanwhile, the behaviour that
            // waited takes the transition's place.
            if (ch->current && ch->current->serial == serial) {
                zba_play_node_t *ended = ch->current;
                ch->current = nullptr;
                free_node(ended);
                ch->current = start(pending.get(), next, c, ZBA_NODE_BEHAVIOR, int32_t(c) * 10);
            }
            advance(ch->current, overshoot);
            return;
        }
        default: return;  // a held or fading process never reports its end
    }
}

c_item_ptr_t zba_inst_t::build_transition(const zba_info_t &info, int32_t from, int32_t to, uint32_t c) {
    if (from >= 0 && to >= 0) {
        c_item_ptr_t cached = info.compiled_transition(from, to, nullptr, 0, nullptr, 0);
        if (cached) return cached;
    }
    uint8_t current[256];
    const uint32_t features = m_feature_count < 256 ? m_feature_count : 256;
    for (uint32_t f = 0; f < features; ++f) current[f] = pairs(c)[2 * f];
    zba_transition_plan_t plan;
    if (!zba_plan_transition(info, current, info.behavior(uint32_t(to)), plan)) return {};
    c_item_ptr_t program =
        info.compiled_transition(from, to, plan.complex, plan.complex_count, plan.simple, plan.simple_count);
    if (program) zba_log_listing(program.get(), "transition");
    return program;
}

// ---- the resource ----

void zba_inst_u::unload_memory() {
    c_item_t *item = get_item();
    if (zba_inst_t *inst = zba_inst_t::of(item)) inst->~zba_inst_t();
    resource_unit_u::unload_memory();
}

void zba_inst_u::post_move(void *, void *new_data) {
    if (new_data) static_cast<zba_inst_t *>(new_data)->moved();
}

void zba_inst_u::unbind_item(c_item_t *item) {
    if (item == get_item()) unload_memory();
    resource_unit_u::unbind_item(item);
}

// ---- the C-style entry points ----

c_item_ptr_t zba_inst_create(const char *path, const char *look, const char *variant, zba_listener_t *listener,
                             uint32_t channel_count) {
    c_item_t *file = path ? zba_obtain(path) : nullptr;
    if (!file) {
        error("[zba_inst] cannot obtain the behaviour file %s", path ? path : "(null)");
        return {};
    }
    // Counted while the instance is made (the instance counts it for itself); a file
    // that fails to load goes with this reference.
    const c_item_ptr_t held(file);
    const c_item_lock_t loaded(file);
    if (!loaded.get_data()) {
        error("[zba_inst] cannot load the behaviour file %s", path);
        return {};
    }
    return zba_inst_t::create(file, look, variant, listener, channel_count);
}

void zba_inst_update_item(c_item_t *item, float dt) {
    const c_item_lock_t lock(item);
    if (zba_inst_t *inst = zba_inst_t::of(item)) inst->update(dt);
}

}  // namespace quarn
