#pragma once
// Files of the virtual tree written so that a failure never costs the old file: the
// new content goes to "<path>.tmp" first, which then takes the old file's place in one
// step that lasts (kernel_file_replace). Whatever fails, the old file stays as it was
// and no ".tmp" file is left behind. A caller that must do more between the two steps
// (the savegame stores its binding value there) takes them one by one.
#include <utility>

#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/system/auto_ptr.h"

namespace quarn {

enum atomic_write_result_t {
    ATOMIC_WRITE_DONE = 0,
    ATOMIC_WRITE_NOT_CREATED,   // the temporary file could not be created
    ATOMIC_WRITE_NOT_WRITTEN,   // the writer failed
    ATOMIC_WRITE_NOT_REPLACED,  // the written file could not take the old one's place (logged)
};

// Fills the temporary file; it may wrap the file (taking it out of the holder) and
// close it. False fails the write.
using atomic_writer_t = bool (*)(auto_ptr_t<file_t> &file, void *context);

// Creates "<path>.tmp" (realm 1), lets the writer fill it, closes it and puts it in
// place of path. Only the replacement logs its failure; the callers word the others.
atomic_write_result_t write_file_atomically(const char *path, atomic_writer_t writer, void *context);

template <class F>
atomic_write_result_t write_file_atomically(const char *path, F &&writer) {
    return write_file_atomically(
        path, [](auto_ptr_t<file_t> &file, void *context) { return (*static_cast<F *>(context))(file); },
        static_cast<void *>(&writer));
}

// The first step alone: "<path>.tmp" created, filled by the writer and closed; the
// file at path is not touched. DONE, else NOT_CREATED or NOT_WRITTEN with no
// temporary file left.
atomic_write_result_t write_temp_file(const char *path, atomic_writer_t writer, void *context);

template <class F>
atomic_write_result_t write_temp_file(const char *path, F &&writer) {
    return write_temp_file(
        path, [](auto_ptr_t<file_t> &file, void *context) { return (*static_cast<F *>(context))(file); },
        static_cast<void *>(&writer));
}

// The second step: "<path>.tmp" takes the place of the file at path. False, logged,
// when it cannot; both files are then as they were.
bool replace_with_temp_file(const char *path);
// Removes "<path>.tmp"; nothing when there is none.
void remove_temp_file(const char *path);

// Copies the file at from over the file at to in the same way. False, logged, when
// from does not open or the copy fails.
bool copy_file_atomically(const char *to, const char *from);

}  // namespace quarn
