// The scene's antler cache: factories read once per species and gender, the default
// factory for genders without a file and for files that do not load, random antlers
// written for the herd writer, and antlers built from their definitions.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "ai_fakes.h"
#include "antler_fixture.h"
#include "qrncore/numerics/randomizer.h"
#include "qrncore/qrnutils/ufs/zip_device.h"
#include "support/test_paths.h"

namespace quarn::test {
namespace {

const char *const GAME = R"(
def species {
    def deer {
        def male { antlers: "/t/antlers/deer.unit" }
        def female { }
        def young { antlers: "/t/antlers/young.unit" }
        def empty { antlers: "/t/antlers/empty.unit" }
        def many { antlers: "/t/antlers/many.unit" }
    }
}
)";

class antler_cache : public antler_fixture_t {
protected:
    void SetUp() override {
        antler_fixture_t::SetUp();
        game = def_text(GAME);
        cache = std::make_unique<antler_cache_t>();
        cache->set_game_definition(game.get());
    }
    void TearDown() override {
        cache.reset();
        antler_fixture_t::TearDown();
    }

    std::unique_ptr<def_pool_t> game;
    std::unique_ptr<antler_cache_t> cache;
};

TEST_F(antler_cache, a_gender_reads_its_file_once_and_one_without_gets_the_default_uncached) {
    put_factory("deer.unit", 3);
    antler_factory_u *first = cache->find_factory("deer", "male");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->get_part_count(), 3u);
    put("antlers/deer.unit", "not a unit file");
    EXPECT_EQ(cache->find_factory("deer", "male"), first) << "the file is not read again";
    EXPECT_EQ(cache->get_held_count(), 1u);
    EXPECT_EQ(cache->get_key_count(), 1u);

    antler_factory_u *none = cache->find_factory("deer", "female");
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none, cache->get_factory());
    EXPECT_EQ(none->get_part_count(), 0u);
    for (const char *species : {"elk", "deer.male", ""}) EXPECT_EQ(cache->find_factory(species, "male"), none) << species;
    EXPECT_EQ(cache->get_key_count(), 1u) << "the default is kept under no key";
    EXPECT_EQ(cache->get_held_count(), 1u);

    // A default that someone destroyed is made anew.
    none->destroy();
    antler_factory_u *again = cache->get_factory();
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(again->is_alive());
}

TEST_F(antler_cache, a_file_that_gives_no_factory_gives_the_default_and_is_tried_again) {
    struct {
        const char *text;  // null: no file
        const char *message;
    } cases[] = {
        {nullptr, "[unit] load_unit_tree() - Failed to open file (/t/antlers/young.unit)"},
        {"RozErere\n{\nantler_desc : .d { }\n}\n", "has type 'antler_desc', but the code expected 'antler_factory'"},
        {"RozErere\n{\nantler_factory : .f { simple_beam_parts: 1 simple_beam_parts[0]: .gone }\n}\n",
         "has dangling pointer (to '_nameless.gone')"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message);
        if (c.text) put("antlers/young.unit", c.text);
        log.clear();
        EXPECT_EQ(cache->find_factory("deer", "young"), cache->get_factory());
        std::string all;
        for (const auto &e : log.entries()) all += e.text + "\n";
        EXPECT_TRUE(log.contains(c.message)) << all;
        EXPECT_EQ(cache->get_key_count(), 0u);
        EXPECT_EQ(cache->get_held_count(), 0u);
    }
    put_factory("young.unit", 2);
    antler_factory_u *f = cache->find_factory("deer", "young");
    ASSERT_NE(f, cache->get_factory());
    EXPECT_EQ(f->get_part_count(), 2u);
    EXPECT_EQ(cache->get_held_count(), 1u);
}

TEST_F(antler_cache, without_a_pool_the_game_definition_comes_from_the_resource_manager) {
    temp_dir_t defs;
    ASSERT_TRUE(write_file(defs.file("game.def"), GAME));
    fs_device_t *mount_def = ufs_mount(FS_DEVICE_DIRECTORY, defs.path().c_str(), "/def", false, 0);
    ASSERT_NE(mount_def, nullptr);
    put_factory("deer.unit", 2);
    {
        antler_cache_t own;
        EXPECT_EQ(own.find_factory("deer", "male")->get_part_count(), 2u);
        EXPECT_EQ(own.find_factory("deer", "female"), own.get_factory());
    }
    ufs_unmount(mount_def);
    // Without the file there is nothing to read: every gender gets the default.
    antler_cache_t lost;
    log.clear();
    mm_mem_free_all();
    EXPECT_EQ(lost.find_factory("deer", "young"), lost.get_factory());
    EXPECT_TRUE(log.contains("[animal] cannot load /def/game.def: no antlers for (species.deer.young)"));
}

TEST_F(antler_cache, random_antlers_share_a_beam_never_the_last_and_scale_each_side) {
    put_factory("many.unit", 8);
    const uint32_t seed = 2024;
    randomizer_t random(seed);
    {
        // The first animal, draw by draw: size, part, then a factor per side.
        def_pool_t pool;
        def_obj_t *animal = pool.create_object("deer_male00");
        cache->add_random_antlers(pool, animal, "deer", "many", random);
        randomizer_t r(seed);
        const float size = 0.7f + 0.3f * r.rand();
        const uint32_t part = r.rand_u(7);
        const float left = (0.9f + 0.1f * r.rand()) * size, right = (0.9f + 0.1f * r.rand()) * size;
        EXPECT_EQ(random.seed, r.seed);
        ASSERT_EQ(animal->get_child_count(), 2u);
        const def_obj_t *l = animal->find("left_antler"), *rt = animal->find("right_antler");
        ASSERT_TRUE(l && rt);
        EXPECT_STREQ(l->get_value("main_beam"), ("simple_beam_part" + std::to_string(part)).c_str());
        float scale = 0.0f;
        ASSERT_TRUE(l->get_real("scale", scale));
        EXPECT_EQ(scale, left);
        ASSERT_TRUE(rt->get_real("scale", scale));
        EXPECT_EQ(scale, right);
    }
    std::set<std::string> beams;
    float low = 2.0f, high = 0.0f;
    for (int i = 0; i < 3000; ++i) {
        def_pool_t pool;
        cache->add_random_antlers(pool, nullptr, "deer", "many", random);
        const def_obj_t *l = pool.find("left_antler"), *r = pool.find("right_antler");
        ASSERT_TRUE(l && r);
        ASSERT_STREQ(l->get_value("main_beam"), r->get_value("main_beam"));
        beams.insert(l->get_value("main_beam"));
        for (const def_obj_t *side : {l, r}) {
            float s = 0.0f;
            ASSERT_TRUE(side->get_real("scale", s));
            low = std::min(low, s);
            high = std::max(high, s);
        }
    }
    std::set<std::string> first_seven;
    for (int i = 0; i < 7; ++i) first_seven.insert("simple_beam_part" + std::to_string(i));
    EXPECT_EQ(beams, first_seven) << "parts 0 to 6, never the last of eight";
    EXPECT_GE(low, 0.63f);
    EXPECT_LT(high, 1.0f);
    EXPECT_EQ(cache->get_held_count(), 1u);
}

TEST_F(antler_cache, a_factory_without_parts_writes_nothing) {
    put("antlers/empty.unit", "RozErere\n{\nantler_factory : .f { simple_beam_parts: 0 }\n}\n");
    for (const char *gender : {"empty", "female"}) {
        SCOPED_TRACE(gender);
        randomizer_t random(7);
        def_pool_t pool;
        def_obj_t *animal = pool.create_object("deer00");
        cache->add_random_antlers(pool, animal, "deer", gender, random);
        EXPECT_EQ(animal->get_child_count(), 0u);
        EXPECT_EQ(pool.get_object_count(), 1u);
        EXPECT_EQ(random.seed, 7u) << "nothing drawn";
    }
}

TEST_F(antler_cache, antlers_are_built_from_their_beam_name_in_decimal) {
    put_factory("many.unit", 16);
    const antler_factory_u *factory = cache->find_factory("deer", "many");
    ASSERT_EQ(factory->get_part_count(), 16u);
    const struct {
        const char *keys;
        int32_t part;          // -1: the empty piece
        const char *beam;      // the description's beam name
        float scale;
        const char *message;
    } cases[] = {
        {R"(main_beam: "simple_beam_part12" scale: "0.8")", 12, "simple_beam_part12", 0.8f, nullptr},
        {R"(main_beam: "simple_beam_part010" scale: "0.9")", 10, "simple_beam_part10", 0.9f, nullptr},
        {R"(main_beam: "simple_beam_part3" scale: "0.7" seed: "99")", 3, "simple_beam_part3", 0.7f, nullptr},
        {R"(main_beam: "simple_beam_part3" scale: "0.7" seed: "-5")", 3, "simple_beam_part3", 0.7f, nullptr},
        {R"(main_beam: "simple_beam_part" scale: "0.7")", -1, "simple_beam_part0", 1.0f,
         "[animal] Malformed antler beam_name (simple_beam_part)"},
        {R"(scale: "0.7")", -1, "simple_beam_part0", 1.0f, "[animal] Malformed antler beam_name ()"},
        {R"(main_beam: "simple_beam_part16" scale: "0.7")", -1, "simple_beam_part16", 0.7f,
         "[animal] Antler part 16 of 16 does not exist (simple_beam_part16)"},
        {R"(main_beam: "simple_beam_part99999999999")", -1, "simple_beam_part4294967295", 1.0f,
         "[animal] Antler part 4294967295 of 16 does not exist"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.keys);
        auto pool = def_text(std::string("def left_antler { ") + c.keys + " }");
        log.clear();
        antler_piece_t piece;
        const bool built = cache->build_antler(piece, "deer", "many", 1, *pool->find("left_antler"));
        EXPECT_EQ(built, c.part >= 0);
        if (c.part >= 0) {
            EXPECT_EQ(piece.get_step_count(), 2u);
            EXPECT_EQ(piece.get_part(), factory->get_part(uint32_t(c.part)));
        } else {
            EXPECT_TRUE(piece.is_empty());
            EXPECT_EQ(piece.get_part(), nullptr);
        }
        ASSERT_NE(piece.get_desc(), nullptr);
        EXPECT_EQ(piece.get_desc()->side, 1);
        EXPECT_EQ(piece.get_desc()->main_beam, c.beam);
        EXPECT_EQ(piece.get_desc()->scale, c.scale);
        if (c.message) {
            EXPECT_TRUE(log.contains(c.message));
        } else {
            EXPECT_TRUE(log.entries().empty());
        }
    }
}

// The whitetail buck's antler file as the game ships it, over the packed models.
TEST_F(antler_cache, the_shipped_whitetail_antlers_load_and_draw) {
    const fs_archive_factory_t previous = fs_set_archive_factory(zip_device_create);
    fs_device_t *base = ufs_mount(FS_DEVICE_ZIP, (test_bin_dir() + "/base.tzk").c_str(), "", true, 50);
    fs_device_t *builtin =
        ufs_mount(FS_DEVICE_DIRECTORY, (test_source_dir() + "/data/builtin").c_str(), "", true, 40);
    ASSERT_TRUE(base && builtin);
    {
        def_pool_t shipped;
        ASSERT_TRUE(shipped.read_from("/def/game.def"));
        antler_cache_t whitetail;
        whitetail.set_game_definition(&shipped);
        const antler_factory_u *factory = whitetail.find_factory("whitetail", "male");
        ASSERT_EQ(factory->get_part_count(), 4u);
        float band = 0.0f;
        for (uint32_t i = 0; i < 4; ++i) {
            const antler_part_simple_u *part = factory->get_part(i);
            ASSERT_NE(part, nullptr);
            EXPECT_TRUE(part->has_model()) << part->model.c_str();
            EXPECT_GE(part->min_simple_score, band) << "bands rise with the index";
            EXPECT_GT(part->max_simple_score, part->min_simple_score);
            band = part->max_simple_score;
            antler_piece_t piece;
            ASSERT_TRUE(factory->build(piece, 0, i, 0.8f));
            EXPECT_GT(frame([&] { piece.draw(mat4_t::identity(), 1.0f); }).draw_count(), 0u);
        }
        EXPECT_EQ(whitetail.find_factory("whitetail", "female"), whitetail.get_factory());
        EXPECT_TRUE(log.texts(message_t::ERROR).empty()) << log.texts(message_t::ERROR)[0];
        EXPECT_TRUE(log.texts(message_t::WARNING).empty()) << log.texts(message_t::WARNING)[0];
    }
    ufs_unmount(builtin);
    ufs_unmount(base);
    fs_set_archive_factory(previous);
}

}  // namespace
}  // namespace quarn::test
