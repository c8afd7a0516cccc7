#pragma once
// quarn::cvfs_device_t: the converting device of the development mount sets. It sits
// above the converted resources; whenever a path is opened or examined through it, it
// checks the resource against its dependency record (res_deps_t) and runs the
// converter when the resource is missing or older than a source. Then it declines, so
// the request falls through to the mounts below it, which now hold the fresh
// resource (or, when the conversion failed, the older one).
//
// Windows of mount priority: converted resources 0 to 199, sources 401 to 499.
#include "qrncore/api.h"
#include "qrncore/qrnutils/ufs/fs_device.h"
#include "qrncore/qrnutils/ufs/root_device.h"
#include "qrncore/strings/mstring.h"
#include "qrncore/strings/string.h"

namespace quarn {

// The program that converts one resource, relative to the working directory (the
// program's directory). It is given the resource's virtual path as its one argument;
// an exit code other than 0 is a failure.
inline constexpr const char *CVFS_CONVERTER = "tools/resconvert";
inline constexpr fs_window_t CVFS_RESOURCE_WINDOW{0, 199};
inline constexpr fs_window_t CVFS_SOURCE_WINDOW{401, 499};

// Told before (starting true) and after (false) each conversion.
class QRNCORE_API cvfs_callback_t {
public:
    virtual ~cvfs_callback_t();
    virtual void notify(const string &path, bool starting) = 0;
};

class QRNCORE_API cvfs_device_t : public fs_device_t {
public:
    // Read-only; the root serves only get_system_path.
    explicit cvfs_device_t(const string &root);

    // Installs the callback (null for none) and returns the previous one.
    static cvfs_callback_t *set_notification(cvfs_callback_t *callback);

    // Both convert the resource at the device-relative path when it is out of date,
    // then give null / false.
    auto_ptr_t<file_t>::ret_t open(const string &path) override;
    bool stat(const string &path, fs_stat_t *out) override;

private:
    void update(const string &path);
};

// True when the resource must be converted: it is not among the converted resources,
// its dependency record cannot be read, or a dependency is missing or newer than it
// (an equal time is up to date). reason, when given, receives why ("" when up to
// date).
QRNCORE_API bool resource_is_out_of_date(const string &path, mstring_t *reason);

// The converter factory registered with fs_set_converter_factory.
QRNCORE_API fs_device_t *cvfs_device_create(const string &root);

}  // namespace quarn
