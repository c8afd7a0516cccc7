#pragma once
// The companion voice's lines and tables.
//
// voiceover_u (unit type "voiceover"): one spoken line, its sound file and an optional
// caption (usually a localisation key, "@@vo_bad_hit@@"). The sound file is relative
// to the language's folder ("sound/voiceover/vo_reload_01.ogg" is
// "/l10n/<language>/sound/voiceover/vo_reload_01.ogg"); the hunt resolves and plays it.
//
// voiceover_table_u (unit type "voiceover_table"): the interchangeable lines of one
// situation, named "vo.<situation>" ("vo.reload", "vo.hit") among the hookup units,
// with a priority (a line does not interrupt one of higher priority) and an
// occurrence: the table answers the 1st, (1 + N)th, (1 + 2N)th ... request, each time
// with a copy of a line drawn at random.
#include <cstdint>

#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/numerics/randomizer.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/units/unit.h"
#include "qrncore/units/unit_class.h"

namespace quarn {

class voiceover_u : public unit_t {
    QRN_UNIT_CLASS(voiceover_u, unit_t);

public:
    mstring_dyn_t sound_file;
    mstring_dyn_t text;
};

class voiceover_table_u : public unit_t {
    QRN_UNIT_CLASS(voiceover_table_u, unit_t);

public:
    // An occurrence of 0 is read as 1 (every request answers).
    bool _call_post_load() override;

    // A new copy of one line, owned by the caller, or nothing. A table without lines
    // never answers and does not count the request. Otherwise the request is counted
    // and answered when it is the first of a run of `occurence`; the line is drawn
    // with random.rand_u(line count).
    owner_ptr_ret_t<voiceover_u> pick(randomizer_t &random);
    // The same with the running scene's generator; without a scene nothing answers and
    // nothing is counted.
    owner_ptr_ret_t<voiceover_u> pick();

    uint32_t get_line_count() const { return voiceovers.get_count(); }
    uint32_t get_request_count() const { return m_requests; }

    array_dyn_t<owner_ptr_t<unit_base_t>> voiceovers;  // voiceover_u lines
    uint32_t priority = 0;
    uint32_t occurence = 1;

private:
    uint32_t m_requests = 0;
};

}  // namespace quarn
