#pragma once
// The per-user settings store: small typed values under keys, shared by the game,
// its plug-ins and the launcher. One text file per user,
// $XDG_CONFIG_HOME/fernwold/registry (else ~/.config/fernwold/registry), one value a
// line: KEY\NAME = TYPE:VALUE (see docs/formats/settings-store.md).
//
// Keys are paths joined by "\" ("Software\TZK Software\Fernwold"); keys and value
// names compare without regard to ASCII case. A key exists while some value lies at
// or below it; writing a value creates its key. Every call reads the file afresh;
// every write re-reads it under an exclusive lock and renames a new file over it, so
// programs writing different values at the same time lose none of them.
#include <cstddef>
#include <cstdint>

#include "platform/api.h"

namespace quarn::platform {

enum settings_value_type_t : int {
    SETTINGS_ABSENT = 0,
    SETTINGS_NUMBER = 1,  // unsigned 32 bits
    SETTINGS_STRING = 2,  // UTF-8 text without NUL bytes
};

// The store's file. False when neither $XDG_CONFIG_HOME nor $HOME names an absolute
// folder, or the path does not fit size bytes with the terminator.
QRN_PLATFORM_API bool settings_store_path(char *out, size_t size);

// True when a value lies at or below the key.
QRN_PLATFORM_API bool settings_key_exists(const char *key);
// The type of a value, SETTINGS_ABSENT when there is none.
QRN_PLATFORM_API settings_value_type_t settings_value_type(const char *key, const char *name);

// Reads a number; false (value untouched) when it is absent or a text.
QRN_PLATFORM_API bool settings_read_number(const char *key, const char *name, uint32_t *value);
// Reads a text into size bytes with the terminator; false (out untouched) when it is
// absent, a number, or does not fit.
QRN_PLATFORM_API bool settings_read_string(const char *key, const char *name, char *out, size_t size);

// Writes (creates or replaces) a value. False when the key or the name cannot be
// stored (empty, an empty path component, a control character, "\" in the name, or
// " = " in either) or the file cannot be written; the store is then unchanged.
QRN_PLATFORM_API bool settings_write_number(const char *key, const char *name, uint32_t value);
QRN_PLATFORM_API bool settings_write_string(const char *key, const char *name, const char *value);
// Removes a value; true when it is gone afterwards (also when it never existed).
QRN_PLATFORM_API bool settings_delete_value(const char *key, const char *name);

// Receives the store's warnings (a malformed line, a file that cannot be written);
// null restores the default, which writes them to standard error.
QRN_PLATFORM_API void settings_store_set_warning_sink(void (*sink)(const char *text));

}  // namespace quarn::platform
