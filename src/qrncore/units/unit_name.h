#pragma once
// quarn::unit_name_t: the name record of a named unit and the name tree it links into.
// A name is a dotted path of 64-bit name tokens ("whitetail.male.animal"); names are
// global across all unit systems. Every distinct prefix is a node of the tree; a unit
// links into the ring of units below its prefix's node and keeps its last token. A
// destroyed unit stays linked until it is freed, but with bit 63 of its token set,
// which no lookup matches, so its name is free for another unit at once.
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/strings/mstring.h"
#include "qrncore/strings/string.h"

namespace quarn {

class unit_base_t;
class unit_t;
struct unit_name_node_t;

// A name cut into its tokens, for code that looks a name up and then sets it.
struct unit_name_tokens_t {
    // Longer names are refused (a name of 64 tokens already runs to hundreds of
    // characters).
    static constexpr uint32_t MAX_TOKENS = 64;
    uint64_t token[MAX_TOKENS];
    uint32_t count = 0;
};

class QRNCORE_API unit_name_t {
public:
    // Set in the token of a destroyed unit.
    static constexpr uint64_t DEAD_BIT = uint64_t(1) << 63;

    // Checks the form (dot-separated valid tokens; with refuse_nameless, a first
    // token other than "_nameless" in any case), then takes the name. True when the
    // unit already has it; false, with nothing changed, for a bad form, for a name
    // that another live unit has and for a unit that is no longer alive.
    bool set_name(const string &name, bool refuse_nameless);
    // The same for a name already cut into tokens (by parse_name).
    bool set_name(const unit_name_tokens_t &name);
    // The live unit with that name in any system, or null. Letter case does not count;
    // leading and doubled dots are skipped.
    static unit_t *find_unit(const string &name);
    static unit_t *find_unit(const unit_name_tokens_t &name);
    // Asks for the memory a lookup or a take of the name will read first (the index
    // slot of its last token), so that work in between hides the wait. Changes nothing.
    static void prefetch_name(const unit_name_tokens_t &name) { prefetch_name(name.token, name.count); }
    static void prefetch_name(const uint64_t *token, uint32_t count);
    // Reads that memory. For a batch of names whose takes are to come: reads one after
    // another overlap their waits where prefetches may be dropped (an index of some
    // hundred thousand names lies in more pages than the address translation caches
    // hold, and a prefetch that misses them is lost).
    static void touch_name(const uint64_t *token, uint32_t count);
    // Cuts a name into tokens after the form test of set_name; false for a bad form.
    static bool parse_name(const string &name, bool refuse_nameless, unit_name_tokens_t &out);
    // Appends the tokens of the length bytes at text (no terminator needed; dots
    // between, before and after tokens are skipped) to out; false for an invalid token
    // or more than MAX_TOKENS in all. For readers that cut names out of a larger text.
    static bool append_tokens(const char *text, uint32_t length, unit_name_tokens_t &out);
    // The dotted name into out; false when the unit has no name or out cut it.
    bool compose_name(mstring_t &out) const;
    // The last token of the name; 0 without a name.
    uint64_t compose_suffix() const { return m_token & ~DEAD_BIT; }
    // "_nameless" and the unit's address as sixteen hexadecimal digits in four groups
    // of four, each a valid token ("_nameless.0000.7f3a.12c0.8e40"): unique while the
    // unit lives. False when out cut it.
    static bool compose_nameless(mstring_t &out, const unit_base_t *unit);
    // The token of the last group of the nameless form.
    static uint64_t compose_nameless_suffix(const unit_base_t *unit);
    // The form test of set_name.
    static bool is_valid_name(const string &name, bool refuse_nameless);
    // True when the first token of name is "_nameless" (any case).
    static bool is_nameless_name(const string &name);
    // The token "_nameless", the first token of every file-local and nameless name.
    static uint64_t nameless_token();

    // True while the unit is linked into the tree (dead or not).
    bool has_name() const { return m_next != nullptr; }
    // True when the unit's name begins with "_nameless".
    bool has_nameless_name() const;
    // Unlinks the name and frees the prefix nodes nothing uses any longer.
    void remove_name();
    // Destroyed units keep their place but match no lookup.
    void mark_name_dead();
    // Gives this unit's name to other, which loses its own first; this unit is left
    // nameless. Nothing when this unit has no name.
    void move_name_to(unit_name_t &other);

    // The tree is set up with the first unit system and its memory released with the
    // last one (kept while names are still linked).
    static void tree_startup();
    static void tree_shutdown();
    // Prefix nodes in the tree; for tests of the pruning.
    static uint32_t get_node_count();

protected:
    unit_name_t() = default;
    ~unit_name_t() = default;
    unit_name_t(const unit_name_t &) = delete;
    unit_name_t &operator=(const unit_name_t &) = delete;

private:
    friend struct unit_name_tree_t;

    // The node of the name's prefix; null for a one-token name.
    unit_name_node_t *m_parent = nullptr;
    // Ring of the units below the same prefix; null while the unit has no name.
    unit_name_t *m_next = nullptr;
    unit_name_t *m_prev = nullptr;
    uint64_t m_token = 0;
};

}  // namespace quarn
