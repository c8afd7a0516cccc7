// Reads arbitrary bytes as a behaviour file and a tape of operations on an animation
// instance. The input is cut at its last "\n--\n": the text before it is
// "/fuzz/main.zba", loaded as the ".zba" resource through the memory manager (every
// model a stand-in, every animation 1 s long); the bytes after it drive an instance of
// three channels over recorded model channels: plays (forced or not, numbers and
// channels out of range too), overlays, switches with and without a crossfade,
// clears, fades and updates of varied lengths, while a listener plays, switches or
// clears from inside its notices. A call on a model channel that is not held, a weight
// outside 0..1, a feature state the feature does not have, a model channel still held
// once the instance is gone or an item left behind is a fault.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "game/ai/zba/zba_inst.h"
#include "game/ai/zba/zba_model_source.h"
#include "game/ai/zba/zba_resources.h"
#include "kernel/memory/m_server.h"
#include "kernel/process_table.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/cmdline.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_system.h"
#include "support/fake_item.h"
#include "support/served_files.h"
#include "support/zba_recorder.h"

namespace {

// Silences the log: errors and warnings are the expected answer to most inputs.
class quiet_t : public quarn::message_handler_t {
public:
    void process_message(const quarn::string &, quarn::message_t::type_t) override {}
};

// Every descriptor is the one stand-in; every animation lasts a second.
class models_t : public quarn::zba_model_source_t {
public:
    quarn::c_item_t *obtain_descriptor(const char *) override {
        descriptor.add_ref();
        return &descriptor;
    }
    bool animation_length(const char *, float *seconds) override {
        *seconds = 1.0f;
        return true;
    }
    quarn::test::fake_item_t descriptor;
};

quarn::test::served_files_t *files = nullptr;
models_t *models = nullptr;

bool set_up() {
    static quiet_t quiet;
    static const char *args[] = {"fuzz", "-mm_pool_size", "32"};
    quarn::cdl_init(3, args);
    quarn::process_table_setup();
    quarn::mm_init();
    quarn::fs_startup();
    static quarn::test::served_files_t device;
    files = &device;
    static models_t source;
    models = &source;
    quarn::zba_set_model_source(&source);
    return quarn::ufs_mount_device(&device, "/fuzz", 1);
}

constexpr uint32_t CHANNELS = 3;

// Reads the tape; zeros past its end.
struct tape_t {
    const uint8_t *at;
    const uint8_t *end;
    bool empty() const { return at == end; }
    uint32_t next() { return at < end ? *at++ : 0; }
};

// What the listener does from inside a notice, by the tape's choice.
enum reaction_t : uint32_t { NONE, PLAY_ON_END, PLAY_ON_TRANSITION, SWITCH_ON_RELEASE, CLEAR_ON_OVERLAY, REACTIONS };

class listener_t : public quarn::zba_listener_t {
public:
    void notify(uint32_t kind, quarn::zba_value_t value, uint32_t channel) override {
        if (channel >= CHANNELS || !inst) abort();
        if ((kind == 5 || kind == 6) && !value.text) abort();
        if (kind > 6 || kind == 4) abort();
        // A listener that answers every notice with another could go on for ever
        // within one call; the game's owners act once.
        if (depth > 4) return;
        ++depth;
        switch (reaction) {
            case PLAY_ON_END:
                if (kind == 0) inst->play_behavior(next_behavior, channel, false);
                break;
            case PLAY_ON_TRANSITION:
                if (kind == 1) inst->play_behavior(next_behavior, channel, true);
                break;
            case SWITCH_ON_RELEASE:
                // The channel whose stop is being reported is disabled: refused.
                if (kind == 2 && inst->switch_behavior(next_behavior, channel) != quarn::ZBA_ERR_CHANNEL) abort();
                if (kind == 2) inst->play_behavior(next_behavior, (channel + 1) % CHANNELS, true);
                break;
            case CLEAR_ON_OVERLAY:
                if (kind == 3) inst->clear_channel(channel);
                break;
            default: break;
        }
        --depth;
    }

    quarn::zba_inst_t *inst = nullptr;
    uint32_t reaction = NONE;
    int32_t next_behavior = 0;
    int depth = 0;
};

void check_states(const quarn::zba_inst_t &inst, const quarn::zba_info_t &info) {
    for (uint32_t c = 0; c < CHANNELS; ++c) {
        for (uint32_t f = 0; f < info.feature_count(); ++f) {
            const uint32_t count = info.feature(f).state_count();
            for (const uint8_t s : {inst.get_feature_state(c, f), inst.get_feature_target(c, f)})
                if (s != quarn::zba_layout::NO_STATE && s >= count) abort();
        }
        if (!inst.has_features(c) && (inst.get_behavior(c) != -1 || inst.get_overlay_count(c) != 0)) abort();
    }
}

void play(quarn::c_item_t *file, tape_t tape) {
    quarn::test::zba_recorder_t channels;
    channels.record = false;
    listener_t listener;
    quarn::c_item_ptr_t instance = quarn::zba_inst_t::create_on(file, &channels, &listener, CHANNELS);
    if (!instance) return;
    quarn::zba_inst_t *inst = quarn::zba_inst_t::of(instance.get());
    if (!inst) abort();
    listener.inst = inst;
    const quarn::zba_info_t info = inst->get_info();
    const uint32_t count = info.behavior_count();
    // A behaviour number, now and then -1 or one past the last.
    auto behavior = [&] { return int32_t(tape.next() % (count + 2)) - 1; };
    auto channel = [&] { return tape.next() % (CHANNELS + 1); };
    static const float steps[] = {0.0f, 0.01f, 0.1f, 0.37f, 1.0f, 30.0f};
    for (int ops = 0; ops < 256 && !tape.empty(); ++ops) {
        switch (tape.next() % 9) {
            case 0: inst->play_behavior(behavior(), channel(), false); break;
            case 1: inst->play_behavior(behavior(), channel(), true); break;
            case 2: inst->add_behavior(behavior(), channel()); break;
            case 3: inst->switch_behavior(behavior(), channel(), tape.next() % 2 ? 0.25f : 0.0f); break;
            case 4: inst->clear_channel(channel()); break;
            case 5: inst->fade_out_channel(channel(), tape.next() % 2 ? 4.0f : 0.0f); break;
            case 6:
                listener.reaction = tape.next() % REACTIONS;
                listener.next_behavior = behavior();
                break;
            default: inst->update(steps[tape.next() % 6]); break;
        }
        if (channels.faults != 0) abort();
        check_states(*inst, info);
    }
    for (int i = 0; i < 4; ++i) inst->update(0.5f);
    if (channels.faults != 0) abort();
    listener.inst = nullptr;
    instance.release();
    if (channels.in_use() != 0 || channels.faults != 0) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const bool ready = set_up();
    if (!ready) return 0;
    const std::string input(reinterpret_cast<const char *>(data), size);
    const size_t cut = input.rfind("\n--\n");
    files->files.clear();
    files->files["/main.zba"] = input.substr(0, cut);
    const size_t from = cut == std::string::npos ? size : cut + 4;
    tape_t tape{data + from, data + size};

    auto &manager = quarn::mm_get_process()->get_manager();
    const uint32_t items = manager.get_item_count();
    {
        quarn::c_item_t *item = mm_obtain_resource(quarn::MM_NAMED_LOAD_REF, "/fuzz/main.zba",
                                                          &quarn::zba_u::unit_descriptor);
        if (item) {
            quarn::c_item_ptr_t file(item);
            item->release_ref();
            play(file.get(), tape);
        }
    }
    quarn::zba_free_unreferenced();
    quarn::unit_system_t::clean_garbage();
    if (manager.get_item_count() != items) abort();
    if (models->descriptor.ref_count != 0) abort();
    return 0;
}
