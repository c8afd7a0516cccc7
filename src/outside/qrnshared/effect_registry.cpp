#include "outside/qrnshared/effect_registry.h"

#include <cstring>
#include <utility>

#include "outside/qrnshared/effect.h"
#include "outside/qrnshared/material.h"
#include "qrncore/system/host_object.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

struct cached_effect_t {
    mstring_dyn_t path;
    owner_ptr_t<effect_u> effect;
};

// Made on first use and deleted by r_effect_reset, so that no effect unit outlives
// the unit systems in a static destructor.
struct registry_t : host_object_t {
    array_dyn_t<mstring_dyn_t> directories;
    array_dyn_t<cached_effect_t> effects;
};

registry_t *registry = nullptr;
gfx_path_t current_path = GFX_PATH_DEFAULT;

registry_t *get_registry() {
    if (!registry) registry = new registry_t;
    return registry;
}

int32_t find_directory(const char *directory) {
    if (!registry) return -1;
    for (uint32_t i = 0; i < registry->directories.get_count(); ++i)
        if (registry->directories[i] == directory) return int32_t(i);
    return -1;
}

// True when path lies directly in the directory ("/a/b" in "/a").
bool directly_in(const char *path, const mstring_t &directory) {
    const size_t n = directory.length();
    return strncmp(path, directory.c_str(), n) == 0 && path[n] == '/' && !strchr(path + n + 1, '/');
}

}  // namespace

bool r_effect_register_directory(const char *directory) {
    if (!directory || directory[0] != '/' || directory[1] == 0) {
        error("[effect] Can not register the effect directory '%s': not an absolute path", directory ? directory : "");
        return false;
    }
    if (find_directory(directory) >= 0) return true;
    registry_t *r = get_registry();
    if (!r || !r->directories.append(mstring_dyn_t(directory))) {
        error("[effect] No memory to register the effect directory '%s'", directory);
        return false;
    }
    verbose("[effect] effect directory '%s' registered", directory);
    return true;
}

bool r_effect_unregister_directory(const char *directory) {
    const int32_t at = directory ? find_directory(directory) : -1;
    if (at < 0) return false;
    for (uint32_t i = registry->effects.get_count(); i-- > 0;)
        if (directly_in(registry->effects[i].path.c_str(), registry->directories[uint32_t(at)]))
            registry->effects.remove(i);
    registry->directories.remove(uint32_t(at));
    return true;
}

bool r_effect_is_directory_registered(const char *directory) { return directory && find_directory(directory) >= 0; }

effect_u *r_effect_get(const char *path) {
    if (!path) path = "";
    const char *slash = strrchr(path, '/');
    if (!slash || slash == path || !slash[1]) {
        error("[effect] '%s' names no effect: \"<directory>/<effect type name>\" expected", path);
        return nullptr;
    }
    mstring_dyn_t directory;
    directory.copy(string(path), 0, 0, uint32_t(slash - path));
    if (find_directory(directory.c_str()) < 0) {
        error("[effect] The effect '%s' is not in a registered effect directory", path);
        return nullptr;
    }
    for (cached_effect_t &c : registry->effects)
        if (c.path == path) return c.effect.get();

    unit_system_t *system = unit_system_t::get_default();
    const unit_descriptor_t *d = system ? system->find_unit_type(string(slash + 1)) : nullptr;
    if (!d) {
        error("[effect] Unknown effect '%s': no class of the type name '%s'", path, slash + 1);
        return nullptr;
    }
    if (!unit_system_t::inherits_from(d, &effect_u::unit_descriptor) || !d->create) {
        error("[effect] The class '%s' of '%s' is no effect", slash + 1, path);
        return nullptr;
    }
    cached_effect_t entry;
    entry.path = path;
    entry.effect = owner_ptr_ret_t<effect_u>(static_cast<effect_u *>(unit_system_t::create_unit_in(system, *d)));
    effect_u *effect = entry.effect.get();
    if (!effect || !registry->effects.append(std::move(entry))) {
        error("[effect] No memory for the effect '%s'", path);
        return nullptr;
    }
    return effect;
}

void r_effect_reset() {
    delete registry;
    registry = nullptr;
    current_path = GFX_PATH_DEFAULT;
}

gfx_path_t r_effect_get_path() { return current_path; }

void r_effect_set_path(gfx_path_t path) {
    current_path = path;
    material_set_up_all();
}

bool shd_uses_fixed_vertex_processing(gfx_path_t path) { return path == 1 || path == 3 || path == 6; }

bool shd_uses_fixed_fog_processing(gfx_path_t path) { return path == 1 || path == 3 || path == 6; }

}  // namespace quarn
