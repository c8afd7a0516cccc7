// The unit reader converts every real and every name through these, so their rate
// bounds how fast unit files load. std::from_chars is the peer for decimal floats.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdint>
#include <cstring>

#include "qrncore/strings/name_token.h"
#include "qrncore/strings/number_text.h"

namespace {

// Reals as unit files hold them: the writer's "&" form and hand-written decimals.
const char *const HEX_FLOATS[] = {"&3f800000", "&3e99999a", "&bf000000", "&42c80000",
                                  "&3dcccccd", "&c47a0000", "&00000000", "&7f7fffff"};
const char *const DECIMAL_FLOATS[] = {"0.8f", "20.0f", "-1.5", "1e5", "0.25", "3.14159", "-0.001", "1e+006"};
const char *const NAMES[] = {"tree_01", "Bush", "deer", "rifle_scope", "grass", "ground", "x", "hunter_cabin"};

void bm_string_to_float_hex(benchmark::State &state) {
    float sum = 0;
    for (auto _ : state) {
        for (const char *text : HEX_FLOATS) {
            float f;
            quarn::string_to_float(f, text);
            sum += f;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(std::size(HEX_FLOATS)));
}

void bm_string_to_float_decimal(benchmark::State &state) {
    float sum = 0;
    for (auto _ : state) {
        for (const char *text : DECIMAL_FLOATS) {
            float f;
            quarn::string_to_float(f, text);
            sum += f;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(std::size(DECIMAL_FLOATS)));
}

// The peer: the standard conversion of the same decimals (it rejects the 'f', so it
// is given the text without it, which flatters it slightly).
void bm_from_chars_decimal(benchmark::State &state) {
    size_t lengths[std::size(DECIMAL_FLOATS)];
    for (size_t i = 0; i < std::size(DECIMAL_FLOATS); ++i) {
        lengths[i] = strlen(DECIMAL_FLOATS[i]);
        if (DECIMAL_FLOATS[i][lengths[i] - 1] == 'f') --lengths[i];
    }
    float sum = 0;
    for (auto _ : state) {
        for (size_t i = 0; i < std::size(DECIMAL_FLOATS); ++i) {
            const char *text = DECIMAL_FLOATS[i];
            if (*text == '+') ++text;
            float f = 0;
            std::from_chars(text, DECIMAL_FLOATS[i] + lengths[i], f);
            sum += f;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(std::size(DECIMAL_FLOATS)));
}

void bm_string_to_token(benchmark::State &state) {
    uint64_t sum = 0;
    for (auto _ : state) {
        for (const char *name : NAMES) {
            uint64_t token;
            quarn::string_to_token(token, name);
            sum += token;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(std::size(NAMES)));
}

}  // namespace

BENCHMARK(bm_string_to_float_hex);
BENCHMARK(bm_string_to_float_decimal);
BENCHMARK(bm_from_chars_decimal);
BENCHMARK(bm_string_to_token);
