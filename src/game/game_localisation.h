#pragma once
// The game's translation table: the "translate" object of "/l10n/<language>/local0.def",
// held as a resource item of the kernel's memory manager, and the callback that the
// localisation layer asks for every key. Keys with a meaning of their own:
// - "__fnt..." (a font): the entry for the screen height ("<key>_768"), else "<key>_x";
// - "__key_<impulse or command>": the triggers bound to it, "[Ctrl]" or
//   "[Ctrl or Mouse 1]" (through "g_oc_primaryplussecondary"), or the default trigger
//   of a few commands, or "g_oc_notrigger";
// - "__language": the value of "g_lang".
// Without a table, or without its "translate" object, every key is its own text.
#include "outside/qrnshared/def_pool.h"

namespace quarn {

// Releases the held table, then obtains the one of language. True when it loaded; a
// missing file leaves no table, silently: keys then translate to themselves.
bool load_localisation(const char *language);
// Lets the held table go.
void release_localisation();
// While hosted: loads the language and asks for a UI recache. Otherwise nothing (the
// game process follows "g_lang" itself).
void on_language_changed(const char *language);
// The held table's pool, or null.
const def_pool_t *game_localisation_pool();

// The text of a key. Ordinary keys give a text of the table (or the key itself);
// "__key_" texts are built in one buffer that the next such call overwrites, so the
// caller copies the text at once.
const char *translate_callback(const char *key);

}  // namespace quarn
