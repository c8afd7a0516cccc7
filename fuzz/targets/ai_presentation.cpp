// Reads arbitrary bytes as an animal's behaviour file and, when it parses, binds it
// as the animal's presentation (manners, features, states) and plays, queues,
// overlays and ends its behaviours on an instance stand-in that answers at random,
// under a small state graph that lets the overlays build up.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "game/ai/mind/ai_animal_presentation.h"
#include "game/ai/mind/ai_animation.h"
#include "game/ai/zba/zba_info.h"
#include "game/ai/zba/zba_parse.h"
#include "kernel/memory/m_server.h"
#include "outside/qrnshared/def_pool.h"
#include "qrncore/system/messages.h"

namespace {

// Silences the log: errors are the expected answer to most inputs.
class quiet_t : public quarn::message_handler_t {
public:
    void process_message(const quarn::string &, quarn::message_t::type_t) override {}
};

// An instance that answers from the generator and keeps the feature states the
// behaviours it starts leave.
class animation_t : public quarn::ai_animation_t {
public:
    animation_t(quarn::zba_info_t i, quarn::randomizer_t &r) : info(i), dice(r) {}
    quarn::zba_info_t get_info() const override { return info; }
    int32_t play_behavior(int32_t b, uint32_t channel, bool) override {
        if (channel >= quarn::ai_presentation_t::CHANNELS) abort();
        if (b < 0 || uint32_t(b) >= info.behavior_count()) return -1;
        const int32_t r = answer();
        if (r == 0) {
            const quarn::zba_behavior_t behavior = info.behavior(uint32_t(b));
            for (uint32_t f = 0; f < info.feature_count() && f < 256; ++f) {
                const uint8_t end = behavior.end_state(f);
                if (end != quarn::zba_layout::NO_STATE) states[channel][f] = end;
            }
        }
        return r;
    }
    int32_t add_behavior(int32_t b, uint32_t channel) override {
        if (channel >= quarn::ai_presentation_t::CHANNELS) abort();
        return b < 0 || uint32_t(b) >= info.behavior_count() ? -1 : answer();
    }
    int32_t switch_behavior(int32_t, uint32_t) override { return 0; }
    void clear_channel(uint32_t) override {}
    uint8_t get_feature_state(uint32_t channel, uint32_t feature) const override {
        return feature < 256 ? states[channel][feature] : quarn::zba_layout::NO_STATE;
    }

private:
    int32_t answer() {
        const uint32_t k = dice.rand_u(8);
        return k < 5 ? 0 : k == 5 ? -4 : k == 6 ? -1 : -5;
    }

    quarn::zba_info_t info;
    quarn::randomizer_t &dice;
    uint8_t states[quarn::ai_presentation_t::CHANNELS][256];

public:
    void reset() { memset(states, quarn::zba_layout::NO_STATE, sizeof states); }
};

// A rest graph whose two states allow every overlay.
const char *const graph = R"(
def ai { def fuzz { def rest {
    chains_count: "1"
    states_count: "1"
    chains: "calm:stand"
    chain00: "calm:0:1"
    states: "look:stand_look"
    edge00: "calm:look:0:0.5:2:0.5"
    edge01: "look:calm"
    allowed_addons00: "calm:eyes:ears:shake:head_ex:chew:sniff:tail:tailup"
    allowed_addons01: "look:eyes:tail"
    addon00: "eyes:0:2:1:4"
    addon01: "ears:0:3:1:1"
    addon02: "tail:0:1:1:1"
    addon03: "chew:0:5:1:5"
} } }
)";

void present(quarn::zba_info_t info) {
    static quarn::def_pool_t *pool = [] {
        auto *p = new quarn::def_pool_t;
        if (!p->read_text(graph, strlen(graph), "/graph.def")) abort();
        return p;
    }();
    quarn::randomizer_t dice{info.behavior_count() * 31u + info.feature_count()};
    animation_t animation(info, dice);
    animation.reset();
    quarn::ai_presentation_t p(dice);
    if (!p.bind(&animation)) return;
    for (uint32_t b = 0; b < info.behavior_count(); ++b) {
        const int32_t m = p.manner_of(int32_t(b));
        if (m >= quarn::AI_MANNER_LIMIT) abort();
        if (m >= 0) {
            const int32_t r = p.random_behavior(m);
            if (r < 0 || p.manner_of(r) != m) abort();
        }
    }
    p.load_processors(pool, "fuzz");
    p.change_processor(0, 0.5f);
    const int32_t count = int32_t(info.behavior_count());
    for (int i = 0; i < 200; ++i) {
        const uint32_t channel = dice.rand_u(5);
        // Behaviours of the file, or -1 (nothing); the owner never asks for others.
        const int32_t b = int32_t(dice.rand_u(uint32_t(count) + 1)) - 1;
        switch (dice.rand_u(9)) {
            case 0: p.play(b, channel, dice.rand() < 0.5f); break;
            case 1: p.play_soft(b, channel); break;
            case 2: p.play_manner(int32_t(dice.rand_u(66)) - 1, channel, false); break;
            case 3: p.on_behavior_end(channel); break;
            case 4: p.on_overlay_done(b); break;
            case 5: p.update_addons(dice.rand() * 2.0f, dice.rand()); break;
            case 6: p.start_command_behavior(dice.rand(), dice.rand() < 0.5f); break;
            case 7: p.play_death(int32_t(dice.rand_u(17)) - 1); break;
            default:
                p.head_direction();
                p.is_galloping();
                if (b >= 0 && b < count) p.behavior_is_c(b);
                break;
        }
        // Whatever the instance answered, the channels hold behaviours of the file.
        for (uint32_t c = 0; c < quarn::ai_presentation_t::CHANNELS; ++c)
            if (p.get_channel(c).current >= count || p.get_channel(c).queued >= count) abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static quiet_t quiet;
    quarn::zba_parser_t parser;
    if (!parser.parse_text(reinterpret_cast<const char *>(data), size, "/fuzz/main.zba")) return 0;
    present(quarn::zba_info_t(parser.image()));
    return 0;
}
