// The random missions of the screensaver and of the menu's background hunt.
#include "game/game_module.h"
#include "game/process/game_hooks.h"
#include "game/process/game_process.h"
#include "kernel/memory/m_server.h"
#include "kernel/sys.h"
#include "outside/qrnshared/def_resource.h"
#include "qrncore/numerics/random_mt.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

constexpr const char *GAME_DEFINITION = "/def/game.def";
// The hour of every random mission.
constexpr int32_t MISSION_HOUR = 11;

struct area_t {
    const char *name;
    const char *const *weathers;
    uint32_t weather_count;
};
constexpr const char *FULL_WEATHERS[] = {"clear", "rain", "sunset", "violet"};
constexpr const char *PEAKS_WEATHERS[] = {"clear", "rain", "sunset"};
constexpr area_t AREAS[] = {{"valley", FULL_WEATHERS, 4}, {"cross", FULL_WEATHERS, 4}, {"peaks", PEAKS_WEATHERS, 3}};
constexpr const char *SPECIES[] = {"whitetail", "moose", "grizzly"};

}  // namespace

bool game_process_t::generate_random_mission(const char *path, bool with_weather) {
    def_pool_t pool;
    def_obj_t *general = nullptr;
    if (!pool.create_object("animals") || !(general = pool.create_object("general"))) return false;
    random_mt_t random(uint32_t(double(sys_rand()) * 4294967296.0));
    const area_t &area = AREAS[random.rand_u(3)];
    general->set_value("area", area.name);
    general->set_int("time", MISSION_HOUR);
    general->set_value("weather", with_weather ? area.weathers[random.rand_u(area.weather_count)] : "clear");
    const char *species = SPECIES[random.rand_u(3)];

    if (auto *write_herds = game_module_factory<game_write_herds_t>(GAME_HOOK_WRITE_HERDS)) {
        c_item_lock_t game(mm_obtain_resource(MM_NAMED_LOAD, GAME_DEFINITION, &def_resource_u::unit_descriptor));
        const def_pool_t *definition = def_resource_u::pool_of(game.get_data());
        if (!definition) error("%s does not load: the mission has no animals", GAME_DEFINITION);
        else if (!write_herds(pool, *definition, species, area.name, float(MISSION_HOUR)))
            error("No herds of %s for the mission in %s", species, area.name);
    } else {
        verbose("no herd writer: the mission in %s has no animals", area.name);
    }

    auto_ptr_t<file_t> file = fs_create(path, FS_REALM_VIRTUAL);
    if (!file) {
        error("The mission file %s cannot be made", path);
        return false;
    }
    if (!pool.write_to(*file)) {
        error("The mission file %s cannot be written", path);
        return false;
    }
    return true;
}

}  // namespace quarn
