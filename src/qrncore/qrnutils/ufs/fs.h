#pragma once
// The public entry to the file system: devices and mounts, and the file operations
// of the two realms. Realm 1 (FS_REALM_VIRTUAL) is the mounted virtual tree served by
// the root device; realm 2 (FS_REALM_SYSTEM) is the operating system's own paths,
// served by the system device (a directory device whose root is "" unless changed).
// Both devices are made by the core's start-up (fs_startup) and deleted at its
// shutdown. Failures are logged here with the tag "[fs]"; the devices log nothing
// for a missing file.
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/qrnutils/ufs/fs_device.h"
#include "qrncore/qrnutils/ufs/root_device.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/system/auto_ptr.h"

namespace quarn {

// ---- start-up ----

// Makes the system device and the root device (with no mounts), replacing and
// deleting any left from an earlier start. Called by qrncore_init.
QRNCORE_API void fs_startup();
// Deletes the root device (its mount records, not the mounted devices) and then the
// system device. Called by qrncore_shutdown.
QRNCORE_API void fs_shutdown();

// The device of a realm, or null for another realm or before fs_startup.
QRNCORE_API fs_device_t *fs_get_device(fs_realm_t realm);
QRNCORE_API fs_root_device_t *fs_get_root_device();

// ---- devices and mounts ----

// Builds a device over an archive file that it takes from the argument (type 3 and
// romfs mounts). It may return a device that is not valid (the archive did not
// read; the factory has logged why) or null.
using fs_archive_factory_t = fs_device_t *(*)(auto_ptr_t<file_t> &archive);
// Builds the converting device rooted at a path (type 2).
using fs_converter_factory_t = fs_device_t *(*)(const string &root);
// The archive and converting devices live with their own code, which registers them
// here; until then those types cannot be created. Returns the previous factory.
QRNCORE_API fs_archive_factory_t fs_set_archive_factory(fs_archive_factory_t factory);
QRNCORE_API fs_converter_factory_t fs_set_converter_factory(fs_converter_factory_t factory);

// A new device of the type over path: type 0 a directory (valid when path is "" or
// an existing directory), type 1 a list-only directory, type 2 the converting device,
// type 3 an archive opened with fs_open(path, 2) (null when it does not open). Null,
// with "Error creating FS device!" logged, for another type.
QRNCORE_API auto_ptr_t<fs_device_t>::ret_t fs_create_device(fs_device_type_t type, const string &path, bool read_only);

// Mounts / unmounts a device in the root device; the device stays the caller's.
QRNCORE_API bool ufs_mount_device(fs_device_t *device, const string &mount_point, int32_t priority);
QRNCORE_API bool ufs_unmount_device(fs_device_t *device);
// Creates and mounts a device; null when it cannot be created (logged), is not valid
// (deleted, nothing logged) or cannot be mounted (logged, deleted). Undo with
// ufs_unmount.
QRNCORE_API fs_device_t *ufs_mount(fs_device_type_t type, const string &path, const string &mount_point, bool read_only,
                                   int32_t priority);
// Unmounts and deletes a device made by ufs_mount or ufs_mount_romfs.
QRNCORE_API void ufs_unmount(fs_device_t *device);
// Mounts the archive held in a block of memory (read-only; the block must outlive the
// device). Null, logged, when it cannot be bound, read or mounted.
QRNCORE_API fs_device_t *ufs_mount_romfs(const void *block, uint32_t size, const string &mount_point, int32_t priority);
// Sets the root of the system device.
QRNCORE_API void sysfs_change_root(const string &path);

// ---- files ----

// A file of the realm for reading / new and empty for writing / for writing at its
// end (made when missing). Realm 1 paths must begin with "/". Null, logged, on
// failure. The file's realm is set to the realm used.
QRNCORE_API auto_ptr_t<file_t>::ret_t fs_open(const string &path, fs_realm_t realm);
QRNCORE_API auto_ptr_t<file_t>::ret_t fs_create(const string &path, fs_realm_t realm);
QRNCORE_API auto_ptr_t<file_t>::ret_t fs_append(const string &path, fs_realm_t realm);

QRNCORE_API bool fs_remove(const string &path, fs_realm_t realm);
QRNCORE_API bool fs_mkdir(const string &path, fs_realm_t realm);
QRNCORE_API bool fs_rmdir(const string &path, fs_realm_t realm);
// out may be null when only the existence of the path is asked.
QRNCORE_API bool fs_stat(const string &path, fs_stat_t *out, fs_realm_t realm);
QRNCORE_API auto_ptr_t<fs_dirlist_t>::ret_t fs_read_dir(const string &path, bool full_paths, fs_realm_t realm);
// The stat succeeds and names a file / a directory.
QRNCORE_API bool fs_file_exists(const string &path, fs_realm_t realm);
QRNCORE_API bool fs_directory_exists(const string &path, fs_realm_t realm);

// Copies the whole of src over dest from offset 0 in pieces of 4096 bytes; both are
// left at position 0. False, logged, when a read or write fails.
QRNCORE_API bool fs_copy(file_t &dest, file_t &src);
// Opens src_path and creates dest_path in realm 1, then fs_copy.
QRNCORE_API bool ufs_copy(const string &dest_path, const string &src_path);

// The lines of a whole text file: split at every run of '\r' and '\n', so empty lines
// vanish. Null when the file is 4 GiB or larger, cannot be read or memory runs out.
using fs_text_lines_t = array_dyn_t<mstring_dyn_t>;
QRNCORE_API auto_ptr_t<fs_text_lines_t>::ret_t fs_read_text_file(file_t &file);
// Writes each line followed by "\n"; false when a write fails.
QRNCORE_API bool fs_write_text_file(file_t &file, const array_t<mstring_dyn_t> &lines);

// Every file below path (full paths) whose name ends with extension ("" for all),
// searching subdirectories depth first when recursive; directories are not listed.
// Never null unless memory runs out.
QRNCORE_API auto_ptr_t<fs_dirlist_t>::ret_t fs_match_files(const string &path, fs_realm_t realm, const string &extension,
                                                           bool recursive);

}  // namespace quarn
