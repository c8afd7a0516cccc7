#include "game/ai/zba/zba_resources.h"

#include <strings.h>

#include <cstring>

#include "game/ai/zba/zba_model_source.h"
#include "game/ai/zba/zba_parse.h"
#include "game/game_rows.h"
#include "kernel/memory/m_server.h"
#include "kernel/process_table.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_bank.h"

namespace quarn {

QRN_UNIT_DEFINE(zba_u, "zba");

namespace {

zba_loader_t the_loader;

}  // namespace

// ---- zba_u ----

bool zba_u::load_memory() {
    c_item_t *item = get_item();
    if (!item || !item->manager) return false;
    zba_parser_t parser;
    if (!parser.parse_file(item->get_name())) return false;
    zba_info_t parsed(parser.image(), &m_runtime);
    if (!parsed.init(zba_get_model_source())) return false;
    const uint32_t size = parser.image_size();
    void *data = item->manager->allocate_item_memory(item, size);
    if (!data) {
        error("[zba parse] cannot allocate memory for %s [%u bytes]", item->get_name(), size);
        parsed.unload();
        return false;
    }
    memcpy(data, parser.image(), size);
    if (the_loader.lock) the_loader.lock();
    return true;
}

void zba_u::unload_memory() {
    c_item_t *item = get_item();
    if (!item || !item->has(c_item_t::MEMORY_VALID) || !item->data) return;
    zba_info_t(static_cast<uint8_t *>(item->data), &m_runtime).unload();
    resource_unit_u::unload_memory();
    if (the_loader.unlock) the_loader.unlock();
}

bool zba_u::bind_item(c_item_t *item) {
    if (!resource_unit_u::bind_item(item)) return false;
    item->flags |= c_item_t::MLRU_DISALLOWED;
    item->mlru_leave();
    m_runtime.item = item;
    return true;
}

void zba_u::unbind_item(c_item_t *item) {
    if (item == get_item()) {
        unload_memory();
        m_runtime.item = nullptr;
    }
    resource_unit_u::unbind_item(item);
}

zba_info_t zba_u::info() {
    c_item_t *item = get_item();
    if (!item || !item->has(c_item_t::MEMORY_VALID) || !item->data) return zba_info_t();
    return zba_info_t(static_cast<uint8_t *>(item->data), &m_runtime);
}

zba_info_t zba_u::info_of(c_item_t *item) {
    resource_unit_u *unit = item ? item->get_unit() : nullptr;
    if (!unit || !unit->is_kind_of(unit_descriptor)) return zba_info_t();
    return static_cast<zba_u *>(unit)->info();
}

// ---- the loader ----

bool zba_loader_t::detect_resource(const string &, const string &extension) {
    return strcasecmp(extension.c_str(), "zba") == 0;
}

const unit_descriptor_t *zba_loader_t::get_resource_type(const string &name, const string &extension) {
    return detect_resource(name, extension) ? &zba_u::unit_descriptor : nullptr;
}

zba_loader_t &zba_loader() { return the_loader; }

bool zba_register_classes(unit_bank_t &bank) {
    // All three are tried, so one refusal does not hide another.
    const bool file = zba_u::register_class(bank);
    const bool inst = zba_inst_u::register_class(bank);
    const bool proc = zba_proc_u::register_class(bank);
    return file && inst && proc;
}

bool zba_register_loader() { return mm_register_loader(&the_loader); }

void zba_unregister_loader() {
    if (the_loader.registered) mm_unregister_loader(&the_loader);
}

void zba_set_loader_lock(zba_loader_t::hook_t lock, zba_loader_t::hook_t unlock) {
    the_loader.lock = lock;
    the_loader.unlock = unlock;
}

void zba_free_unreferenced() {
    _mm_mem_free_unreferenced(-1, &zba_u::unit_descriptor);
    _mm_remove_unreferenced(-1, &zba_u::unit_descriptor);
    _mm_mem_free_unreferenced(-1, &zba_proc_u::unit_descriptor);
    _mm_remove_unreferenced(-1, &zba_proc_u::unit_descriptor);
}

c_item_t *zba_obtain(const char *path) { return mm_obtain_resource(MM_NAMED, path, &zba_u::unit_descriptor); }

// ---- the game module's rows ----

namespace {

bool set_lock(const game_row_args_t &) {
    zba_set_loader_lock(game_module_lock, game_module_unlock);
    return true;
}

bool register_loader(const game_row_args_t &args) {
    if (!args.bank) return false;
    const bool classes = zba_register_classes(*args.bank);
    return zba_register_loader() && classes;
}

bool free_unreferenced(const game_row_args_t &) {
    zba_free_unreferenced();
    return true;
}

bool unregister_loader(const game_row_args_t &) {
    zba_unregister_loader();
    return true;
}

}  // namespace

}  // namespace quarn

using quarn::game_row;
using quarn::game_step_t;

GAME_MODULE_ROWS(behaviour,
                 game_row(game_step_t::REGISTER_LOCK_BEHAVIOUR, "zba_set_loader_lock", quarn::set_lock),
                 game_row(game_step_t::REGISTER_BEHAVIOUR_LOADER, "zba_register_loader", quarn::register_loader),
                 game_row(game_step_t::DRAIN_BEHAVIOUR, "zba_free_unreferenced", quarn::free_unreferenced),
                 game_row(game_step_t::KILL_BEHAVIOUR_LOADER, "zba_unregister_loader", quarn::unregister_loader));
