// The six antler classes in unit files, and an antler part's model: loaded after a
// load and again for every clone, refused (and the clone with it) when missing.
#include <gtest/gtest.h>

#include <string>

#include "antler_fixture.h"
#include "qrncore/units/unit_load.h"
#include "qrncore/units/unit_load_tree.h"
#include "qrncore/units/unit_save.h"
#include "support/memory_file.h"

namespace quarn::test {
namespace {

using antler_units = antler_fixture_t;

template <class T>
T *root_of(const unit_load_t &loader) {
    for (uint32_t i = 0; i < loader.get_root_count(); ++i)
        if (T *t = unit_cast<T>(loader.get_root(i))) return t;
    return nullptr;
}

TEST_F(antler_units, every_class_round_trips_through_a_unit_file) {
    const std::string text = std::string(R"(RozErere
{
antler_factory : .factory
{
    simple_beam_parts: 2
    simple_beam_parts[0]: .spike
    simple_beam_parts[1]: .fork
}
antler_part_simple : .spike { model: ")") + ROCK + R"(" pretty_name: "spike" min_simple_score: 10 max_simple_score: 25.5 }
antler_part_simple : .fork { model: ")" + RIG + R"(" variant: "hidden" pretty_name: "fork" min_simple_score: 30 max_simple_score: 60 }
antler_part : .plain { model: ")" + ROCK + R"(" }
antler_desc : .desc { score_type: 0 side: 1 seed: 77 main_beam_index: 3 main_beam: "simple_beam_part3" scale: 0.75 }
antler_pair_score : .pair
{
    scores: 2
    scores[0]: .left
    scores[1]: .right
    total_score: 140.5
}
antler_score : .left { simple_score: 60 }
antler_score : .right { simple_score: 80.5 }
}
)";
    std::string saved;
    for (int pass = 0; pass < 2; ++pass) {
        SCOPED_TRACE(pass);
        memory_file_t in(pass == 0 ? text : saved, "/t/antlers/all.unit");
        unit_load_t loader(in, *unit_system_t::get_default());
        ASSERT_TRUE(loader.load()) << (pass ? saved : text) << (log.entries().empty() ? "" : log.entries().back().text);
        antler_factory_u *factory = root_of<antler_factory_u>(loader);
        ASSERT_NE(factory, nullptr);
        ASSERT_EQ(factory->get_part_count(), 2u);
        const antler_part_simple_u *spike = factory->get_part(0), *fork = factory->get_part(1);
        ASSERT_TRUE(spike && fork);
        EXPECT_EQ(spike->model, ROCK);
        EXPECT_EQ(spike->variant, "default");
        EXPECT_EQ(spike->pretty_name, "spike");
        EXPECT_EQ(spike->min_simple_score, 10.0f);
        EXPECT_EQ(spike->max_simple_score, 25.5f);
        EXPECT_EQ(fork->variant, "hidden");
        EXPECT_EQ(fork->max_simple_score, 60.0f);
        EXPECT_TRUE(spike->has_model() && fork->has_model()) << "models load with the file";

        const antler_part_u *plain = nullptr;
        for (uint32_t i = 0; i < loader.get_root_count(); ++i) {
            unit_base_t *u = loader.get_root(i);
            if (u->get_descriptor() == &antler_part_u::unit_descriptor) plain = static_cast<antler_part_u *>(u);
        }
        ASSERT_NE(plain, nullptr);
        EXPECT_TRUE(plain->has_model());

        const antler_desc_u *desc = root_of<antler_desc_u>(loader);
        ASSERT_NE(desc, nullptr);
        EXPECT_EQ(desc->score_type, 0);
        EXPECT_EQ(desc->side, 1);
        EXPECT_EQ(desc->seed, 77);
        EXPECT_EQ(desc->main_beam_index, 3);
        EXPECT_EQ(desc->main_beam, "simple_beam_part3");
        EXPECT_EQ(desc->scale, 0.75f);

        const antler_pair_score_u *pair = root_of<antler_pair_score_u>(loader);
        ASSERT_NE(pair, nullptr);
        ASSERT_EQ(pair->scores.get_count(), 2u);
        EXPECT_EQ(unit_cast<antler_score_u>(pair->scores[0].get())->simple_score, 60.0f);
        EXPECT_EQ(unit_cast<antler_score_u>(pair->scores[1].get())->simple_score, 80.5f);
        EXPECT_EQ(pair->total_score, 140.5f);

        if (pass == 0) {
            memory_file_t out("", "/t/antlers/out.unit");
            unit_save_t writer(out, UNIT_TRAVERSE_ALL);
            writer.add(factory);
            writer.add(const_cast<antler_part_u *>(plain));
            writer.add(const_cast<antler_desc_u *>(desc));
            writer.add(const_cast<antler_pair_score_u *>(pair));
            ASSERT_TRUE(writer.save(UNIT_PAYLOAD_TEXT));
            saved = out.bytes;
        }
    }
    EXPECT_TRUE(log.texts(message_t::ERROR).empty());
}

TEST_F(antler_units, a_new_pair_holds_two_fresh_scores) {
    owner_ptr_t<antler_pair_score_u> pair(antler_pair_score_u::create());
    ASSERT_TRUE(pair);
    ASSERT_EQ(pair->scores.get_count(), 2u);
    EXPECT_NE(pair->scores[0].get(), pair->scores[1].get());
    for (uint32_t i = 0; i < 2; ++i) {
        const antler_score_u *s = unit_cast<antler_score_u>(pair->scores[i].get());
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->simple_score, 0.0f);
    }
    EXPECT_EQ(pair->total_score, 0.0f);
    // A clone refers to the same two scores (references are counted, not copied).
    owner_ptr_t<unit_base_t> copy(pair->clone());
    const antler_pair_score_u *k = unit_cast<antler_pair_score_u>(copy.get());
    ASSERT_NE(k, nullptr);
    ASSERT_EQ(k->scores.get_count(), 2u);
    EXPECT_EQ(k->scores[0].get(), pair->scores[0].get());
    EXPECT_EQ(k->scores[1].get(), pair->scores[1].get());
    owner_ptr_t<antler_desc_u> desc(antler_desc_u::create());
    EXPECT_EQ(desc->main_beam, "simple_beam_part0");
    EXPECT_EQ(desc->scale, 1.0f);
}

TEST_F(antler_units, a_clone_loads_its_model_again_and_a_missing_model_fails_it) {
    owner_ptr_t<antler_part_simple_u> part(antler_part_simple_u::create());
    part->model = ROCK;
    part->pretty_name = "spike";
    part->max_simple_score = 12.0f;
    EXPECT_FALSE(part->has_model()) << "a part made in code has no model until asked";
    ASSERT_TRUE(part->load_model());
    owner_ptr_t<unit_base_t> copy(part->clone());
    antler_part_simple_u *k = unit_cast<antler_part_simple_u>(copy.get());
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(k->pretty_name, "spike");
    EXPECT_EQ(k->max_simple_score, 12.0f);
    ASSERT_TRUE(k->has_model());
    EXPECT_NE(k->get_model(), part->get_model()) << "a model of its own";
    EXPECT_NE(k->get_model_packet(), part->get_model_packet());
    EXPECT_EQ(k->get_packets().get(FW_SLOT_MODEL), k->get_model_packet());
    EXPECT_EQ(k->get_packets().get(FW_SLOT_LIGHT_MODULATOR), k->get_tint_packet());

    const struct {
        const char *model;
        const char *variant;
    } bad[] = {{"/t/model/none.zmd", "default"}, {"", "default"}, {ROCK, "winter"}};
    for (const auto &b : bad) {
        SCOPED_TRACE(b.model);
        log.clear();
        part->model = b.model;
        part->variant = b.variant;
        EXPECT_FALSE(part->load_model());
        EXPECT_FALSE(part->has_model());
        EXPECT_TRUE(log.contains(std::string("[animal] Failed to load model (") + b.model + ")"));
        EXPECT_FALSE(part->clone()) << "the clone fails with its model";
    }

    // In a file, the part fails the load and the file gives no factory.
    put("antlers/bad.unit", factory_text({ROCK, "/t/model/none.zmd"}));
    log.clear();
    EXPECT_FALSE(load_unit_tree<antler_factory_u>("/t/antlers/bad.unit"));
    EXPECT_TRUE(log.contains("[animal] Failed to load model (/t/model/none.zmd)"));
    EXPECT_TRUE(log.contains("load_unit_tree() - Failed to load unit tree from file (/t/antlers/bad.unit)"));
}

TEST_F(antler_units, a_factory_lists_only_parts_with_a_band) {
    put("antlers/plain.unit", std::string("RozErere\n{\nantler_factory : .f { simple_beam_parts: 1 simple_beam_parts[0]: .p }\n"
                                          "antler_part : .p { model: \"") + ROCK + "\" }\n}\n");
    put("antlers/hole.unit", "RozErere\n{\nantler_factory : .f { simple_beam_parts: 1 simple_beam_parts[0]: null }\n}\n");
    for (const char *file : {"/t/antlers/plain.unit", "/t/antlers/hole.unit"}) {
        SCOPED_TRACE(file);
        log.clear();
        EXPECT_FALSE(load_unit_tree<antler_factory_u>(file));
        EXPECT_FALSE(log.texts(message_t::ERROR).empty());
    }
}

}  // namespace
}  // namespace quarn::test
