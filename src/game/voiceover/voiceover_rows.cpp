// The voice-over classes in the module's registration table.
#include "game/game_rows.h"
#include "game/voiceover/voiceover.h"

GAME_MODULE_ROWS(voiceover,
    ::quarn::game_class_row(::quarn::voiceover_u::unit_descriptor),
    ::quarn::game_class_row(::quarn::voiceover_table_u::unit_descriptor));
