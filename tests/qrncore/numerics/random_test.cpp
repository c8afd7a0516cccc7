#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "qrncore/numerics/crt_rand.h"
#include "qrncore/numerics/random.h"
#include "qrncore/numerics/random_mt.h"
#include "qrncore/numerics/randomizer.h"

namespace quarn {
namespace {

// The reference MT19937 (one array of 624 words regenerated in place), with its 1998
// and 2002 seedings.
class reference_mt_t {
public:
    static reference_mt_t seeded_1998(uint32_t s) {
        reference_mt_t r;
        r.mt[0] = s;
        for (int i = 1; i < 624; ++i) r.mt[i] = 69069u * r.mt[i - 1];
        return r;
    }
    static reference_mt_t seeded_2002(uint32_t s) {
        reference_mt_t r;
        r.mt[0] = s;
        for (uint32_t i = 1; i < 624; ++i) r.mt[i] = 1812433253u * (r.mt[i - 1] ^ (r.mt[i - 1] >> 30)) + i;
        return r;
    }
    uint32_t next() {
        if (index == 624) {
            for (int k = 0; k < 624; ++k) {
                const uint32_t y = (mt[k] & 0x80000000u) | (mt[(k + 1) % 624] & 0x7FFFFFFFu);
                mt[k] = mt[(k + 397) % 624] ^ (y >> 1) ^ ((y & 1) ? 0x9908B0DFu : 0u);
            }
            index = 0;
        }
        uint32_t y = mt[index++];
        y ^= y >> 11;
        y ^= (y << 7) & 0x9D2C5680u;
        y ^= (y << 15) & 0xEFC60000u;
        y ^= y >> 18;
        return y;
    }

private:
    uint32_t mt[624];
    int index = 624;
};

// The C runtime's generator as its documentation states it.
struct reference_crt_t {
    uint32_t state;
    int next() {
        state = state * 214013u + 2531011u;
        return int((state >> 16) & 0x7FFF);
    }
};

template <typename G>
void expect_reference_up_to_word_851(G &g, reference_mt_t ref, const char *what) {
    for (int word = 1; word <= 851; ++word) ASSERT_EQ(g.rand(), ref.next()) << what << " word " << word;
    EXPECT_NE(g.rand(), ref.next()) << what << ": word 852 should part from the reference";
}

TEST(random_mt, both_seedings_follow_the_reference_until_word_852) {
    random_mt_t a(4357);
    expect_reference_up_to_word_851(a, reference_mt_t::seeded_1998(4357), "1998/4357");
    randomizer_mt_t b(5489);
    expect_reference_up_to_word_851(b, reference_mt_t::seeded_2002(5489), "2002/5489");
    randomizer_mt_t first(5489);
    EXPECT_EQ(first.rand(), 3499211612u);  // the published first word for 5489

    random_mt_t d;
    expect_reference_up_to_word_851(d, reference_mt_t::seeded_1998(4357), "default 1998");
    randomizer_mt_t e;
    expect_reference_up_to_word_851(e, reference_mt_t::seeded_2002(1953781), "default 2002");
}

TEST(random_mt, reseeding_restarts_and_later_generations_stay_deterministic) {
    random_mt_t a(99);
    std::vector<uint32_t> words(2000);
    for (auto &w : words) w = a.rand();
    a.seed(99);
    for (size_t i = 0; i < words.size(); ++i) ASSERT_EQ(a.rand(), words[i]) << i;
    randomizer_mt_t b(7);
    b.rand();
    b.seed(5489);
    EXPECT_EQ(b.rand(), 3499211612u);
}

TEST(random_mt, scaled_draws) {
    for (uint32_t seed : {1u, 4357u, 123456789u}) {
        random_mt_t words(seed), floats(seed), ints(seed);
        randomizer_mt_t words2(seed), ints2(seed);
        for (int i = 0; i < 3000; ++i) {
            const uint32_t w = words.rand();
            const float f = floats.rand_f();
            EXPECT_EQ(f, w ? float(double(w - 1) / 4294967296.0) : 0.0f);
            ASSERT_GE(f, 0.0f);
            ASSERT_LE(f, 1.0f);
            const uint32_t n = uint32_t(i * 7919 + 3);
            EXPECT_EQ(ints.rand_u(n), uint32_t((uint64_t(w) * n) >> 32));
            EXPECT_EQ(ints2.rand_u(n), uint32_t((uint64_t(words2.rand()) * n) >> 32));
        }
        for (int i = 0; i < 100; ++i) {
            EXPECT_EQ(ints.rand_u(0), 0u);
            EXPECT_EQ(ints.rand_u(1), 0u);
            EXPECT_EQ(ints2.rand_u(1), 0u);
        }
    }
}

TEST(randomizer, congruential_sequence_and_range_of_rand_u) {
    randomizer_t r(42);
    uint32_t s = 42;
    for (int i = 0; i < 1000; ++i) {
        s = (s * 3877u + 29573u) % 139968u;
        const float f = r.rand();
        ASSERT_EQ(r.seed, s);
        EXPECT_EQ(f, float(s) * (1.0f / 139968.0f));
        ASSERT_LT(f, 1.0f);
    }
    // Exact up to 30685 for every state; above, the 32-bit product wraps and the
    // results stay below 30686.
    randomizer_t exact(0), wide(0), huge(0);
    for (int i = 0; i < 139968; ++i) {
        const uint32_t u = exact.rand_u(30685);
        ASSERT_EQ(u, uint32_t(uint64_t(exact.seed) * 30685 / 139968));
        ASSERT_LT(wide.rand_u(30686), 30686u);
        ASSERT_LT(huge.rand_u(0xFFFFFFFFu), 30686u);
    }
    // The state wraps: a seed beyond the modulus still steps as 32-bit arithmetic.
    randomizer_t big(0xFFFFFFFFu);
    EXPECT_EQ(big.next(), (0xFFFFFFFFu * 3877u + 29573u) % 139968u);
}

// The seed whose first draw is the given value in bits 16-30 of the state.
uint32_t seed_for_first_draw(int draw) {
    uint32_t inv = 214013u;  // Newton's iteration for the inverse modulo 2^32
    for (int i = 0; i < 5; ++i) inv *= 2u - 214013u * inv;
    return ((uint32_t(draw) << 16) - 2531011u) * inv;
}

TEST(crt_rand, reproduces_the_runtime_sequence) {
    crt_srand(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (int e : expected) EXPECT_EQ(crt_rand(), e);

    reference_crt_t ref{0xDEADBEEFu};
    v_seed(0xDEADBEEFu);
    for (int i = 0; i < 10000; ++i) {
        const int r = crt_rand();
        ASSERT_EQ(r, ref.next());
        ASSERT_LE(r, CRT_RAND_MAX);
    }
}

TEST(v_rand, uniform_ends_and_scaled_integers) {
    v_seed(seed_for_first_draw(32767));
    EXPECT_EQ(v_rand(), 1.0f);
    v_seed(seed_for_first_draw(0));
    EXPECT_EQ(v_rand(), 0.0f);

    v_seed(seed_for_first_draw(32767));
    EXPECT_EQ(v_rand_u(1000), 999u);
    EXPECT_EQ(v_rand_u(0), 0u);

    reference_crt_t ref{5};
    v_seed(5);
    for (unsigned n : {1u, 2u, 10u, 32768u, 100000u, 0xFFFFFFFFu}) {
        const unsigned u = v_rand_u(n);
        EXPECT_EQ(u, unsigned((uint64_t(ref.next()) * n) >> 15)) << n;
        EXPECT_LT(u, n);
    }
}

// The polar method written out: pairs until 0 < s < 1.
float reference_gauss(reference_crt_t &ref) {
    float a, b, s;
    do {
        const int r1 = ref.next();
        const int r2 = ref.next();
        a = float(r1) * (2.0f / 32767.0f) - 1.0f;
        b = float(r2) * (2.0f / 32767.0f) - 1.0f;
        s = a * a + b * b;
    } while (s >= 1.0f || s == 0.0f);
    return a * std::sqrt(-2.0f * std::log(s) / s);
}

TEST(v_rand_gauss, polar_method_draws_and_moments) {
    reference_crt_t ref{77};
    v_seed(77);
    double sum = 0, squares = 0;
    const int n = 20000;
    for (int i = 0; i < n; ++i) {
        const float g = v_rand_gauss();
        ASSERT_FLOAT_EQ(g, reference_gauss(ref)) << i;
        sum += g;
        squares += double(g) * g;
    }
    // The draws stay in step: rejected pairs are consumed alike.
    EXPECT_EQ(crt_rand(), ref.next());
    EXPECT_NEAR(sum / n, 0.0, 0.05);
    EXPECT_NEAR(squares / n, 1.0, 0.05);
}

TEST(v_rand_gauss, the_plane_form_draws_its_angle_first) {
    reference_crt_t ref{31337};
    v_seed(31337);
    for (int i = 0; i < 200; ++i) {
        float x = 0, y = 0;
        v_rand_gauss_2d(&x, &y);
        const float angle = float(ref.next()) * 0.00019175345f;
        const float g = reference_gauss(ref);
        ASSERT_FLOAT_EQ(x, g * std::sin(angle));
        ASSERT_FLOAT_EQ(y, g * std::cos(angle));
    }
    EXPECT_EQ(crt_rand(), ref.next());
}

}  // namespace
}  // namespace quarn
