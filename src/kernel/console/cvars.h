#pragma once
// Console variables: one list of registered variables, newest first, found by name;
// values given before a variable exists (from the command line or "uset") are held in
// dynamic variables that a later registration adopts; the stored variables are
// written to the configuration file, itself a command file of "uset" lines.
#include <cstdint>

#include "kernel/api.h"
#include "outside/qrnshared/cvar.h"

extern "C" {
// Registers a variable (see cvars.cpp for the rules on names that exist already).
KERNEL_API void _cvar_register_variable(quarn::cvar_t *variable, bool dynamic);
// Removes it from the list and from its links.
KERNEL_API void cvar_unregister_variable(quarn::cvar_t *variable);
// The variable of that name (case-sensitive), or null.
KERNEL_API quarn::cvar_t *cvar_get(const char *name);
// The newest variable; the rest follow through their next links.
KERNEL_API quarn::cvar_t *cvar_get_list();
// Drops the variable's link, then forwards it to target, so that reading it yields
// the target's value. Nothing for a null variable.
KERNEL_API void cvar_link(quarn::cvar_t *variable, quarn::cvar_t *target);
// Drops the variable's link; nothing for null.
KERNEL_API void cvar_unlink(quarn::cvar_t *variable);
// Writes the configuration file: the header, then one "uset" line per stored,
// non-dynamic variable, newest first, CR LF line ends.
KERNEL_API void process_store_cfg(const char *path);
}

// The name by which other code calls this.
inline void cvar_register_variable(quarn::cvar_t *variable, bool dynamic = false) {
    _cvar_register_variable(variable, dynamic);
}

namespace quarn {

// The header line of the configuration file.
constexpr const char CVAR_FILE_HEADER[] = "# quarn3d variable config data\r\n\r\n";

// The name hash: the sum of the bytes as signed characters; 0 becomes 13385.
uint32_t cvar_hash(const char *name);
// Sets an existing variable (cvar_t::set), or creates a dynamic one with the value as
// its default ("uset"). The record made is returned; null when there was no memory.
cvar_t *cvar_set_or_create(const char *name, const char *value);
// A line whose first word names a variable: alone it prints the variable, with a
// second word it sets it. False when the line names no variable.
bool cvar_command(const char *line);
// "-env" / "-lenv": applies every NAME=VALUE of every occurrence of the option.
void cvar_apply_command_line(const char *option);
// Frees every dynamic variable (shutdown).
void cvar_free_dynamic();

}  // namespace quarn
