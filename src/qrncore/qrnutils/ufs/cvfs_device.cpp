#include "qrncore/qrnutils/ufs/cvfs_device.h"

#include <utility>

#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/qrnutils/ufs/res_deps.h"
#include "qrncore/system/messages.h"
#include "qrncore/system/run_process.h"

namespace quarn {

namespace {

cvfs_callback_t *notification = nullptr;

void set_reason(mstring_t *reason, const char *text) {
    if (reason) reason->copy(text);
}

// Runs the converter for one resource; its exit code, -1 when it could not start.
int32_t convert(const string &path) {
    run_process_t process;
    if (!process.set_command(CVFS_CONVERTER) || !process.add_parameter(path) || !process.run()) return -1;
    return process.get_result();
}

}  // namespace

cvfs_callback_t::~cvfs_callback_t() = default;

cvfs_device_t::cvfs_device_t(const string &root) : fs_device_t(root, true) {}

cvfs_callback_t *cvfs_device_t::set_notification(cvfs_callback_t *callback) {
    return std::exchange(notification, callback);
}

void cvfs_device_t::update(const string &path) {
    if (!resource_is_out_of_date(path, nullptr)) return;
    if (notification) notification->notify(path, true);
    const int32_t code = convert(path);
    if (code != 0) error("Failed to convert the file '%s' (error %d).", path.c_str(), int(code));
    if (notification) notification->notify(path, false);
}

auto_ptr_t<file_t>::ret_t cvfs_device_t::open(const string &path) {
    update(path);
    return nullptr;
}

bool cvfs_device_t::stat(const string &path, fs_stat_t *) {
    update(path);
    return false;
}

bool resource_is_out_of_date(const string &path, mstring_t *reason) {
    fs_root_device_t *root = fs_get_root_device();
    fs_stat_t resource;
    if (!root || !root->stat_in(path, &resource, CVFS_RESOURCE_WINDOW)) {
        set_reason(reason, "The resource is not converted.");
        return true;
    }
    res_deps_t deps;
    if (!deps.read(path)) {
        set_reason(reason, "Failed to read dependency list.");
        return true;
    }
    for (uint32_t i = 0; i < deps.get_count(); ++i) {
        const mstring_dyn_t &dependency = deps.get(i);
        fs_stat_t source;
        if (!root->stat_in(dependency, &source, CVFS_SOURCE_WINDOW)) {
            if (reason) reason->printf("Dependency '%s' does not exist.", dependency.c_str());
            return true;
        }
        if (source.time > resource.time) {
            if (reason) reason->printf("Dependency '%s' is newer.", dependency.c_str());
            return true;
        }
    }
    set_reason(reason, "");
    return false;
}

fs_device_t *cvfs_device_create(const string &root) { return new cvfs_device_t(root); }

}  // namespace quarn
