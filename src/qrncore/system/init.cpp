#include "qrncore/system/init.h"

#include <new>

#include "qrncore/numerics/crc.h"
#include "qrncore/profiler/profiler.h"
#include "qrncore/qrnutils/ufs/cvfs_device.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/qrnutils/ufs/zip_device.h"
#include "qrncore/system/cpu.h"
#include "qrncore/units/unit_resource_tie.h"

namespace quarn {

namespace {

// The profiler's start-up object, with the delete function that matches the
// allocation it came from (a later start may install other functions).
profiler_initializer_t *profiler_object = nullptr;
host_delete_t profiler_object_delete = nullptr;

void destroy_profiler_object() {
    if (!profiler_object) return;
    profiler_object->~profiler_initializer_t();
    profiler_object_delete(profiler_object);
    profiler_object = nullptr;
}

}  // namespace

void qrncore_init(host_new_t new_fn, host_new_t new_vector_fn, host_delete_t delete_fn,
                  host_delete_t delete_vector_fn, bool identify_cpu) {
    // 1. The host's allocation functions serve every later allocation.
    qrncore_system_new = new_fn;
    qrncore_system_new_vector = new_vector_fn;
    qrncore_system_delete = delete_fn;
    qrncore_system_delete_vector = delete_vector_fn;
    // 2. Processor identification, speed, and the copy and matrix routines it selects.
    cpu_startup(identify_cpu);
    // 3. The millisecond clock already has its resolution here: the monotonic clock
    //    needs no timer period raised.
    // 4. Checksum tables.
    crc_initialize();
    // 5. The default resource tie, which refuses every use until the resource layer
    //    installs its own.
    unit_resource_tie_startup();
    // 6. The profiler, replacing one left from an earlier start. Without memory the
    //    profiler stays off.
    destroy_profiler_object();
    if (void *memory = qrncore_system_new(sizeof(profiler_initializer_t))) {
        profiler_object = new (memory) profiler_initializer_t;
        profiler_object_delete = qrncore_system_delete;
    }
    // 7. The root devices of the file system: the system device (realm 2, the
    //    operating system's paths) and the root device of the virtual tree (realm 1),
    //    replacing those of an earlier start; then the devices over zip archives
    //    and the converting device, so that archives and converters can be mounted.
    fs_startup();
    fs_set_archive_factory(zip_device_create);
    fs_set_converter_factory(cvfs_device_create);
}

void qrncore_shutdown() {
    fs_shutdown();
    destroy_profiler_object();
    unit_resource_tie_shutdown();
    crc_shutdown();
    // The allocation functions stay installed: objects may still be freed after this.
}

}  // namespace quarn
