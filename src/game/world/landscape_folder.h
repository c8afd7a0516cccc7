#pragma once
// landscape_folder_u: the resource type "landscape_folder", whose item data is a
// loaded landscape file (docs/formats/landscape.md). The memory manager makes one unit
// per path; loading reads the whole file (ufs_plain_load) and checks it; every read
// of the image takes an item lock for its duration (locking loads the item again when
// the manager pushed its memory out), so the image may move or go between reads.
//
// A bound folder holds the game module (the game-support lock hooks), like the other
// game resources; DRAIN_GAMESUP removes the unreferenced ones.
#include <cstdint>
#include <utility>

#include "game/world/landscape_file.h"
#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/resource_unit.h"
#include "qrncore/geometry/aabox.h"
#include "qrncore/strings/string_dyn.h"
#include "qrncore/units/unit_ptr.h"

namespace quarn {

class landscape_folder_u;
class model_coll_u;
class model_object_u;

// A counted hold on a folder's item: what obtain hands over. Releasing it may free
// the folder.
class landscape_folder_ref_t {
public:
    landscape_folder_ref_t() = default;
    landscape_folder_ref_t(const landscape_folder_ref_t &) = default;
    landscape_folder_ref_t &operator=(const landscape_folder_ref_t &) = default;

    landscape_folder_u *get() const;
    landscape_folder_u *operator->() const { return get(); }
    explicit operator bool() const { return get() != nullptr; }
    c_item_t *get_item() const { return m_item.get(); }
    void release() { m_item.release(); }

private:
    friend class landscape_folder_u;
class model_coll_u;
class model_object_u;
    c_item_ptr_t m_item;
};

class landscape_folder_u : public resource_unit_u {
    QRN_UNIT_CLASS(landscape_folder_u, resource_unit_u);

public:
    // The folder of a landscape file path, loaded, with a reference for the caller;
    // empty when the file does not load (the reason is logged). The same path gives
    // the same unit while anyone holds it.
    static landscape_folder_ref_t obtain(const char *path);

    // Loads the whole file and checks it; false (logged, memory given back) for a
    // file that cannot be read or fails the checks.
    bool load_memory() override;
    // Binding holds the game module; unbinding lets it go.
    bool bind_item(c_item_t *item) override;
    void unbind_item(c_item_t *item) override;

    // The item's path ("/map/valley/landscape.lnd"); "" without an item.
    const char *get_path() const;

    // Reads of the image, each under its own item lock. Without data (a file that no
    // longer loads) they answer 0, false and void boxes.
    uint32_t get_chunk_count() const;
    uint32_t get_slot_count() const;
    bool get_chunk_box(aabox_t &out, uint32_t chunk) const;
    bool has_chunk_model(uint32_t chunk) const;
    bool has_chunk_collision(uint32_t chunk) const;
    // The chunk's file name with the extension (".zmd", ".zmc").
    bool get_chunk_path(uint32_t chunk, const string &extension, mstring_t &out) const;

    // The chunk's model: an object of its descriptor in look 0 and variant 0, with no
    // packets yet; null when the chunk has none or its files do not load.
    owner_ptr_ret_t<model_object_u> get_chunk_model(uint32_t chunk) const;
    // The chunk's collision model, counted for the caller (model_ref_t or
    // model_release); null when the chunk has none or its file does not load.
    model_coll_u *get_chunk_collision(uint32_t chunk) const;

    // True the first time it is asked: a piece's material slot beyond the file's slot
    // count is reported once per landscape file.
    bool first_missing_slot() const { return !std::exchange(m_missing_slot_reported, true); }

private:
    mutable bool m_missing_slot_reported = false;
};

// Holds a folder's item locked and views its image for as long as it lives; for runs
// of reads (a chunk's slot records). ok() is false when the data could not be had.
class landscape_folder_lock_t {
public:
    explicit landscape_folder_lock_t(const landscape_folder_u *folder);
    ~landscape_folder_lock_t();
    landscape_folder_lock_t(const landscape_folder_lock_t &) = delete;
    landscape_folder_lock_t &operator=(const landscape_folder_lock_t &) = delete;

    bool ok() const { return m_view.is_open(); }
    const landscape_file_view_t &view() const { return m_view; }

private:
    c_item_t *m_item = nullptr;
    landscape_file_view_t m_view;
};

// Frees the memory of the unreferenced folders and removes them (the module's drain).
void landscape_folder_free_unreferenced();

}  // namespace quarn
