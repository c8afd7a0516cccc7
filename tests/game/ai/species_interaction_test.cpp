// A species kind's "species_interaction" read as the live animals read it.
#include <gtest/gtest.h>

#include <vector>

#include "game/ai/animals/species_interaction.h"

namespace quarn {
namespace {

TEST(species_interaction, fields_read_as_decimal_numbers) {
    const struct {
        const char *text;
        std::vector<float> values;
    } cases[] = {
        {"0,0,0,0,0,0,0,-1,0,0", {0, 0, 0, 0, 0, 0, 0, -1, 0, 0}},
        {"0.5", {0.5f}},
        {" -0.25 , 1e0,", {-0.25f, 1.0f, 0.0f}},
        {"x,1e50,nan,2", {0, 0, 0, 2}},
        {"", {0}},
        {nullptr, {0}},
    };
    for (const auto &c : cases) {
        array_dyn_t<float> out;
        species_interaction_read(c.text, out);
        ASSERT_EQ(out.get_count(), c.values.size()) << (c.text ? c.text : "null");
        for (uint32_t i = 0; i < out.get_count(); ++i) EXPECT_EQ(out[i], c.values[i]) << (c.text ? c.text : "null");
    }
}

TEST(species_interaction, a_species_past_the_list_is_neutral) {
    array_dyn_t<float> list;
    species_interaction_read("0,1,-1", list);
    EXPECT_EQ(species_interaction_of(list, 1), 1.0f);
    EXPECT_EQ(species_interaction_of(list, 2), -1.0f);
    for (int32_t past : {3, 7, -1, 1 << 30}) EXPECT_EQ(species_interaction_of(list, past), 0.0f) << past;
}

}  // namespace
}  // namespace quarn
