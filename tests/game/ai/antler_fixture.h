#pragma once
// Antlers as the game has them: the model fixture (kernel, memory manager, shader
// library, the rig and rock models at "/t/model/...") with the six antler classes in
// the engine's bank, factory files written under "/t/antlers/", and a frame drawn
// into the draw log.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../models/model_lib_fixture.h"
#include "game/ai/antlers/antler_cache.h"
#include "game/ai/antlers/antler_piece.h"
#include "game/ai/antlers/antler_units.h"
#include "game/visuals/shaders/shaderlib.h"
#include "kernel/memory/m_server.h"

namespace quarn::test {

inline const char *const ROCK = "/t/model/rock/rock.zmd";
inline const char *const RIG = "/t/model/rig/rig.zmd";

class antler_fixture_t : public model_lib_fixture_t {
protected:
    void SetUp() override {
        model_lib_fixture_t::SetUp();
        unit_bank_t &bank = *get_engine_ubank();
        for (bool ok : {antler_factory_u::register_class(bank), antler_part_u::register_class(bank),
                        antler_part_simple_u::register_class(bank), antler_desc_u::register_class(bank),
                        antler_score_u::register_class(bank), antler_pair_score_u::register_class(bank)})
            ASSERT_TRUE(ok);
        write_fixture_models();
    }
    void TearDown() override {
        antler_set_packet_provider(nullptr);
        model_lib_fixture_t::TearDown();
    }

    // The text of a factory file: one antler_part_simple per model, in order, their
    // score bands 10 × i to 10 × i + 5.
    static std::string factory_text(const std::vector<std::string> &models) {
        std::string text = "RozErere\n{\nantler_factory : .factory\n{\n    simple_beam_parts: " +
                           std::to_string(models.size()) + "\n";
        for (size_t i = 0; i < models.size(); ++i)
            text += "    simple_beam_parts[" + std::to_string(i) + "]: .part" + std::to_string(i) + "\n";
        text += "}\n";
        for (size_t i = 0; i < models.size(); ++i)
            text += "antler_part_simple : .part" + std::to_string(i) + " { model: \"" + models[i] +
                    "\" pretty_name: \"part " + std::to_string(i) + "\" min_simple_score: " + std::to_string(10 * i) +
                    " max_simple_score: " + std::to_string(10 * i + 5) + " }\n";
        return text + "}\n";
    }
    // A factory file of count rock parts at "/t/antlers/<name>".
    void put_factory(const std::string &name, size_t count) {
        put("antlers/" + name, factory_text(std::vector<std::string>(count, ROCK)));
    }
};

}  // namespace quarn::test
