#pragma once
// zba_inst_t: the animation instance of one model (docs/zba-instances.md). Its owner
// (a live animal, a round target's model, a rifle) plays behaviours of the model's
// behaviour file on numbered channels; the instance plans the transitions that carry
// the model's features (body posture, head, rifle bolt ...) from the states they are
// in to the states a behaviour needs, runs the programs on the model's animation
// channels and tells the owner through its listener what happened.
//
// An instance lives in the memory of an anonymous zba_inst_u item: the owner holds the
// item (counted) and reaches the instance with zba_inst_t::of(item). The block never
// moves, so the pointer stays good while the item is held. Releasing the last
// reference destroys the instance.
#include <cstdint>

#include "game/ai/zba/zba_host.h"
#include "game/ai/zba/zba_info.h"
#include "game/ai/zba/zba_model_channels.h"
#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/resource_unit.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class model_object_u;
struct zba_play_node_t;

// What the listener is told, with the channel.
enum zba_notice_t : uint32_t {
    ZBA_NOTICE_ENDED = 0,           // the channel's behaviour ended: its number
    ZBA_NOTICE_TRANSITION_END = 1,  // a transition ended; the behaviour behind it starts: its number
    ZBA_NOTICE_RELEASED = 2,        // a process that had not ended was let go: its behaviour (-1 a transition)
    ZBA_NOTICE_OVERLAY_ENDED = 3,   // an overlay ended: its number
    ZBA_NOTICE_SOUND = 5,           // a behaviour reached a sound item: the text (the sound's path)
    ZBA_NOTICE_INFO = 6,            // a behaviour reached an info item: the text ("drop", "footstep" ...)
};

// Results of the operations.
inline constexpr int32_t ZBA_OK = 0;
inline constexpr int32_t ZBA_ERR_BEHAVIOR = -1;  // no behaviour of that number (or no such channel)
inline constexpr int32_t ZBA_ERR_BUSY = -4;      // the channel's behaviour still runs and force is off
inline constexpr int32_t ZBA_ERR_FEATURES = -5;  // an overlay whose start states the channel is not in
inline constexpr int32_t ZBA_ERR_CHANNEL = -6;   // the channel is reporting a stop (disabled)

// The value of a notice: the behaviour's number for kinds 0 to 3, and for kinds 5 and 6
// the item's text (valid during the call) with the number of the behaviour that reached
// it. text is null for kinds 0 to 3.
struct zba_value_t {
    int32_t behavior = -1;
    const char *text = nullptr;
};

// The owner's ear. Calls come from inside play_behavior, switch_behavior and update;
// the listener may call back into the instance (play the next behaviour, clear a
// channel, release the instance's item): an operation on the channel whose stop is
// being reported fails with ZBA_ERR_CHANNEL, and an instance whose last reference goes
// during a call is destroyed only when the outermost operation returns.
class zba_listener_t {
public:
    virtual ~zba_listener_t();
    virtual void notify(uint32_t kind, zba_value_t value, uint32_t channel) = 0;
};

class zba_inst_t : public zba_host_t {
public:
    // The most channels one instance has.
    static constexpr uint32_t MAX_CHANNELS = 64;

    // A new instance of the behaviour file (a loaded zba_u item) whose model object
    // the file's model descriptor builds in the look and variant (null or empty:
    // "default"), reporting to the listener (may be null), with channel_count
    // channels (animals 5, round targets' models 2, rifles 1). The item, counted for
    // the caller, or null (logged) when the file is not loaded, the model object
    // cannot be built or is not loaded, the count is 0 or above MAX_CHANNELS, or no
    // memory can be had. The model object gets no packets: the owner gives them
    // (model_object_u::apply_materials, set_packets) and places it.
    static c_item_ptr_t create(c_item_t *file, const char *look, const char *variant, zba_listener_t *listener,
                               uint32_t channel_count);
    // The same over channels the caller gives (not owned; they must outlive the
    // instance): no model object. For tests and tools.
    static c_item_ptr_t create_on(c_item_t *file, zba_channels_t *channels, zba_listener_t *listener,
                                  uint32_t channel_count);
    // The instance of a zba_inst_u item; null for another item or one without an
    // instance.
    static zba_inst_t *of(c_item_t *item);

    // ---- playing ----
    // Starts behaviour b on channel c. When the channel's features are not in the
    // states b needs, a transition (planned, compiled, cached per pair of behaviours)
    // runs first and b waits behind it; a transition that cannot be planned is logged
    // ("[zba_inst] unable to build transition. Skipped...") and b plays at once. A
    // behaviour that still runs gives ZBA_ERR_BUSY unless forced; forced, it stops
    // and is held, frozen, under the transition until the transition ends. ZBA_OK,
    // ZBA_ERR_CHANNEL, ZBA_ERR_BEHAVIOR, ZBA_ERR_BUSY.
    int32_t play_behavior(int32_t b, uint32_t c, bool force);
    // Starts b beside the channel's behaviour, without transitions, at the channel's
    // priority: only when every feature b names a start state for is in that state
    // (ZBA_ERR_FEATURES otherwise, and on a channel that has played nothing yet).
    int32_t add_behavior(int32_t b, uint32_t c);
    // Replaces the channel's behaviour at once, without transitions. The processes let
    // go that had not ended are reported (ZBA_NOTICE_RELEASED). With a crossfade above
    // 0 the old behaviour is not let go but fades out under the new one, at
    // 1 / crossfade weight a second. ZBA_OK, ZBA_ERR_CHANNEL, ZBA_ERR_BEHAVIOR.
    int32_t switch_behavior(int32_t b, uint32_t c, float crossfade = 0.0f);
    // Lets everything on the channel go, unreported, and forgets its feature states
    // (nothing on a disabled channel or one that has played nothing).
    void clear_channel(uint32_t c);
    // Fades everything on the channel out at rate weight a second (0 holds it) and
    // drops the behaviour that waits behind a transition; the feature states stay.
    void fade_out_channel(uint32_t c, float rate);
    // Advances every process by dt seconds; what they report reaches the listener.
    void update(float dt) override;

    // ---- the model ----
    // The model object (placement, packets, bones); null for an instance over given
    // channels.
    model_object_u *get_model() const;
    // Draws the model object where the owner placed it (nothing without one).
    void submit_model();

    // ---- reading ----
    // The behaviour file; valid until the caller returns to the frame loop.
    zba_info_t get_info() const;
    uint32_t get_channel_count() const { return m_channel_count; }
    uint32_t get_feature_count() const { return m_feature_count; }
    // The state channel c's feature is in now / will be in when its behaviour ends;
    // zba_layout::NO_STATE when not known (or for numbers out of range).
    uint8_t get_feature_state(uint32_t c, uint32_t feature) const;
    uint8_t get_feature_target(uint32_t c, uint32_t feature) const;
    // Whether channel c has played something since it was made or cleared.
    bool has_features(uint32_t c) const;
    // The behaviour channel c plays (or waits to play behind a transition), -1 none.
    int32_t get_behavior(uint32_t c) const;
    // Whether channel c's behaviour or transition still runs.
    bool is_running(uint32_t c) const;
    // Whether channel c runs a transition (its behaviour waits behind it).
    bool in_transition(uint32_t c) const;
    uint32_t get_overlay_count(uint32_t c) const;
    // Play nodes in use (the channels' behaviours, transitions, held and fading
    // behaviours and overlays).
    uint32_t get_node_count() const { return m_node_count; }

    zba_listener_t *get_listener() const { return m_listener; }
    void set_listener(zba_listener_t *listener) { m_listener = listener; }
    c_item_t *get_item() const { return m_item; }

    // Passes sound and info items on to the listener and moves each channel on when
    // its behaviour, transition or overlay ends.
    void on_proc_event(uint32_t kind, c_item_t *process, const char *text) override;

    // The item's memory moved: the host's channels follow the instance.
    void moved();
    ~zba_inst_t() override;

private:
    struct channel_t;

    zba_inst_t(c_item_t *item, c_item_t *file, zba_channels_t *channels, zba_listener_t *listener,
               uint32_t channel_count, uint32_t feature_count);
    static c_item_ptr_t make(c_item_t *file, owner_ptr_ret_t<model_object_u> model, zba_channels_t *channels,
                             zba_listener_t *listener, uint32_t channel_count);

    channel_t *channels() const;
    channel_t *channel(uint32_t c) const;
    channel_t *operand_channel(const char *operation, uint32_t c, int32_t &refused) const;
    static bool has_behavior(const zba_info_t &info, int32_t b);
    uint8_t *pairs(uint32_t c) const;

    zba_play_node_t *start(c_item_t *program, int32_t behavior, uint32_t c, uint32_t kind, int32_t priority);
    void free_node(zba_play_node_t *node);
    void release_fading(uint32_t c);
    void release_pending(uint32_t c);
    void release_all_nodes(uint32_t c);
    // Tells the listener with channel c disabled for the call.
    void notify_disabled(uint32_t kind, int32_t behavior, uint32_t c);
    void notify(uint32_t kind, zba_value_t value, uint32_t c);
    void advance(zba_play_node_t *node, float seconds);
    void node_ended(zba_play_node_t *node, float overshoot);
    c_item_ptr_t build_transition(const zba_info_t &info, int32_t from, int32_t to, uint32_t c);

    c_item_t *m_item;
    zba_listener_t *m_listener;
    uint32_t m_channel_count;
    uint32_t m_feature_count;
    zba_play_node_t *m_nodes = nullptr;  // the play list
    uint32_t m_node_count = 0;
    uint32_t m_next_serial = 1;
    uint32_t m_advance_depth = 0;
    owner_ptr_t<model_object_u> m_model;
    zba_model_channels_t m_model_channels;
};

// The resource of an instance: its memory holds the zba_inst_t, the channel records and
// the feature states; unloading destroys the instance in place.
class zba_inst_u : public resource_unit_u {
    QRN_UNIT_CLASS(zba_inst_u, resource_unit_u);

public:
    void unload_memory() override;
    void post_move(void *old_data, void *new_data) override;
    void unbind_item(c_item_t *item) override;
};

// Obtains the behaviour file of the path (loading it) and makes an instance of it
// (zba_inst_t::create). Null, logged, when the file does not load or the instance
// cannot be made.
c_item_ptr_t zba_inst_create(const char *path, const char *look, const char *variant, zba_listener_t *listener,
                             uint32_t channel_count);
// Advances the instance of the item by dt; events reach the listener during the call.
// Nothing for an item that holds no instance.
void zba_inst_update_item(c_item_t *item, float dt);

}  // namespace quarn
