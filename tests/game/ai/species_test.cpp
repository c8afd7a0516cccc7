// The score and weight draws of a spawned animal: ranges spread over the size factor
// between the two reference sizes, a random factor of cos³(πr), and the messages of
// unknown scoring types and bad ranges.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "ai_fakes.h"
#include "game/ai/animals/species.h"
#include "kernel/sys.h"
#include "qrncore/numerics/randomizer.h"
#include "support/fake_clock.h"
#include "support/message_capture.h"

namespace quarn::test {
namespace {

// The random factor a source seeded so gives for the next draw, at this swing.
float next_factor(uint32_t seed, float swing) {
    randomizer_t r(seed);
    const float c = std::cos(3.14159265358979f * r.rand());
    return 1.0f + swing * c * c * c;
}

TEST(species_draws, ranges_spread_over_the_size_between_the_reference_sizes) {
    auto pool = def_text(R"(
def species { def deer {
    def buck { scoring_type: "size" score_range: "15:25" weight_range: "50:100" }
} }
)");
    const def_obj_t &g = *pool->find("species.deer.buck");
    // The reference sizes are the lengths of the scale vectors (0.7, 0.7, 0.7) and
    // (1.3, 1.3, 1.3): an animal of scale 0.7 takes the range's low end, one of 1.3
    // its high end, and the herds' sizes (0.8 to 1.2) lie between.
    const struct {
        float size;
        float score_base;  // before the random factor
        float weight_base;
    } cases[] = {
        {0.7f, 15.0f, 50.0f},
        {1.3f, 25.0f, 100.0f},
        {1.0f, 20.0f, 75.0f},
        {0.8f, 15.0f + 10.0f / 6.0f, 50.0f + 50.0f / 6.0f},
        {1.2f, 25.0f - 10.0f / 6.0f, 100.0f - 50.0f / 6.0f},
        // Above the band the score stays at the top; the weight goes on.
        {1.8f, 25.0f, 50.0f + (1.8f - 0.7f) / 0.6f * 50.0f},
        // Below it the score stays at the bottom and the weight falls below the range.
        {0.5f, 15.0f, 50.0f + (0.5f - 0.7f) / 0.6f * 50.0f},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.size);
        for (uint32_t seed : {1u, 777u, 90000u}) {
            randomizer_t r(seed);
            EXPECT_NEAR(animal_compute_score(g, c.size, &r), c.score_base * next_factor(seed, 0.02f), 1e-4f);
            EXPECT_EQ(r.seed, randomizer_t(seed).next()) << "one draw";
            randomizer_t w(seed);
            EXPECT_NEAR(animal_compute_weight(g, c.size, &w), c.weight_base * next_factor(seed, 0.07f), 1e-3f);
        }
    }
    randomizer_t r(5);
    EXPECT_LT(animal_compute_weight(g, 0.6f, &r), 50.0f) << "a size below the band weighs less than the range";
    EXPECT_NEAR(ANIMAL_SIZE_L07, std::sqrt(1.47f), 1e-6f);
    EXPECT_NEAR(ANIMAL_SIZE_L13, std::sqrt(5.07f), 1e-6f);
    EXPECT_NEAR(animal_size_length(0.7f), ANIMAL_SIZE_L07, 1e-6);
    EXPECT_NEAR(animal_size_length(1.3f), ANIMAL_SIZE_L13, 1e-6);
}

TEST(species_draws, the_random_factor_stays_in_its_band) {
    auto pool = def_text(R"(def g { score_range: "100:100" weight_range: "100:100" })");
    const def_obj_t &g = *pool->find("g");
    randomizer_t r(42);
    float low[2] = {2, 2}, high[2] = {0, 0};
    for (int i = 0; i < 20000; ++i) {
        const float f[2] = {animal_compute_score(g, 1.5f, &r) / 100.0f, animal_compute_weight(g, 1.5f, &r) / 100.0f};
        for (int k = 0; k < 2; ++k) low[k] = std::fmin(low[k], f[k]), high[k] = std::fmax(high[k], f[k]);
    }
    EXPECT_GE(low[0], 0.98f);
    EXPECT_LE(high[0], 1.02f);
    EXPECT_GE(low[1], 0.93f);
    EXPECT_LE(high[1], 1.07f);
    // The band is used to its ends.
    EXPECT_LT(low[0], 0.981f);
    EXPECT_GT(high[0], 1.019f);
    EXPECT_LT(low[1], 0.931f);
    EXPECT_GT(high[1], 1.069f);
}

TEST(species_draws, without_a_source_the_kernel_draws) {
    fake_clock_t clock;
    clock.cycles = 4711;
    sys_reset_random();
    const float r = sys_rand();
    sys_reset_random();
    auto pool = def_text(R"(def g { score_range: "10:10" weight_range: "10:10" })");
    const float c = std::cos(3.14159265358979f * r);
    EXPECT_NEAR(animal_compute_score(*pool->find("g"), 1.5f), 10.0f * (1.0f + 0.02f * c * c * c), 1e-5f);
}

TEST(species_draws, scoring_types_and_bad_ranges) {
    const struct {
        const char *keys;
        float score;  // at size 0.7 with the factor taken out
        const char *message;
    } cases[] = {
        {R"(scoring_type: "antlers" score_range: "15:25")", 0.0f, nullptr},
        {R"(scoring_type: "none" score_range: "15:25")", 0.0f, nullptr},
        {R"(scoring_type: "size" score_range: "15:25")", 15.0f, nullptr},
        {R"(scoring_type: "horns" score_range: "15:25")", 15.0f,
         "[animal] invalid animal scoring type (horns) - falling back to size"},
        {R"(score_range: "15:25")", 15.0f, "[animal] invalid animal scoring type () - falling back to size"},
        {R"(scoring_type: "size")", 0.0f, "[animal] cannot get animal scoring range !"},
        {R"(scoring_type: "size" score_range: "15")", 0.0f, "[animal] invalid animal scoring range (15)"},
        {R"(scoring_type: "size" score_range: "15:25:35")", 0.0f, "[animal] invalid animal scoring range (15:25:35)"},
        {R"(scoring_type: "size" score_range: "a:b")", 0.0f, "[animal] invalid animal scoring range (a:b)"},
        {R"(scoring_type: "size" score_range: "15:")", 0.0f, "[animal] invalid animal scoring range (15:)"},
        {R"(scoring_type: "size" score_range: " 15 : 25 ")", 15.0f, nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.keys);
        auto pool = def_text(std::string("def male { ") + c.keys + " }");
        message_capture_t log;
        randomizer_t r(3);
        const float s = animal_compute_score(*pool->find("male"), 0.7f, &r);
        EXPECT_NEAR(s, c.score * next_factor(3, 0.02f), 1e-4f);
        if (c.message) {
            EXPECT_TRUE(log.contains(c.message));
        } else {
            EXPECT_TRUE(log.entries().empty());
        }
    }
    const struct {
        const char *keys;
        const char *message;
    } weights[] = {
        {"", "[animal] Cannot get weight range for animal gender (male)!"},
        {R"(weight_range: "60")", "[animal] invalid animal weight range (60)"},
        {R"(weight_range: "60:x")", "[animal] invalid animal weight range (60:x)"},
        {R"(weight_range: "60:1e99")", "[animal] invalid animal weight range (60:1e99)"},
        // Finite bounds whose spread to this size is no float.
        {R"(weight_range: "3e38:3.4e38")", "[animal] invalid animal weight range (3e38:3.4e38)"},
    };
    for (const auto &c : weights) {
        SCOPED_TRACE(c.keys);
        auto pool = def_text(std::string("def male { ") + c.keys + " }");
        message_capture_t log;
        EXPECT_EQ(animal_compute_weight(*pool->find("male"), 4.0f), 0.0f);
        EXPECT_TRUE(log.contains(c.message));
    }
    auto pool = def_text(R"(def male { score_range: "1:2" weight_range: "1:2" })");
    message_capture_t log;
    EXPECT_EQ(animal_compute_weight(*pool->find("male"), NAN), 0.0f);
    EXPECT_EQ(animal_compute_score(*pool->find("male"), INFINITY), 0.0f);
    EXPECT_TRUE(log.contains("[animal] invalid animal size factor"));
}

}  // namespace
}  // namespace quarn::test
