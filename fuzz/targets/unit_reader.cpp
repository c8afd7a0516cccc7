// Reads arbitrary bytes as a unit file into classes with attributes of every kind,
// including includes (served from memory) and resource values (through a tie that
// refuses them). After each load every unit it made must be freed again.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/system/messages.h"
#include "qrncore/units/unit_class.h"
#include "qrncore/units/unit_load.h"
#include "qrncore/units/unit_resource_tie.h"

namespace quarn {
namespace {

class fuzz_u : public unit_t {
    QRN_UNIT_CLASS(fuzz_u, unit_t);

public:
    mstring_dyn_t m_string;
    uint64_t m_token = 0;
    float m_float = 0;
    vec2_t m_vec2;
    vec3_t m_vec3;
    vec4_t m_vec4;
    mat4_t m_matrix;
    quat_t m_quat;
    placement_t m_placement;
    placement_scale_t m_placement_scale;
    placement_nonuniform_t m_placement_nonuniform;
    plane_t m_plane;
    sphere_t m_sphere;
    aabox_t m_aabox;
    int32_t m_int = 0;
    uint32_t m_uint = 0;
    int64_t m_int64 = 0;
    uint64_t m_uint64 = 0;
    uint32_t m_uint_plain = 0;
    bool m_bool = false;
    int32_t m_enum = 0;
    owner_ptr_t<unit_base_t> m_owner;
    ref_ptr_t<unit_base_t> m_ref;
    unit_resource_slot_t m_resource;
    array_dyn_t<mstring_dyn_t> m_strings;
    array_dyn_t<uint64_t> m_tokens;
    array_dyn_t<float> m_floats;
    array_dyn_t<mat4_t> m_matrices;
    array_dyn_t<int32_t> m_ints;
    array_dyn_t<int32_t> m_enums;
    array_dyn_t<owner_ptr_t<unit_base_t>> m_owners;
    array_dyn_t<ref_ptr_t<unit_base_t>> m_refs;
    array_dyn_t<unit_resource_slot_t> m_resources;
};

class fuzz_leaf_u : public fuzz_u {
    QRN_UNIT_CLASS(fuzz_leaf_u, fuzz_u);

public:
    uint32_t m_value = 0;
};

constexpr unit_enum_symbol_t by_value[] = {{-1, "low"}, {3, "mid"}, {7, "high"}};
constexpr unit_enum_symbol_t by_name[] = {{7, "high"}, {-1, "low"}, {3, "mid"}};
constexpr unit_attr_t<UNIT_ATTR_ENUM> enum_domain{{0, 3, by_value, by_name}};
constexpr unit_attr_t<UNIT_ATTR_ENUM_ARRAY> enums_domain{{0, 3, by_value, by_name}};
constexpr unit_attr_t<UNIT_ATTR_STRING> string_domain{{16}};
constexpr unit_attr_t<UNIT_ATTR_INT32> int_domain{{-100, 100}};
constexpr unit_attr_t<UNIT_ATTR_OWNER> owner_domain{{&fuzz_leaf_u::unit_descriptor, 0}};
constexpr unit_attr_t<UNIT_ATTR_REF_ARRAY> refs_domain{{nullptr, 0}};

}  // namespace

QRN_UNIT_DEFINE(fuzz_u, "fuzz",
                QRN_ATTR(m_string, UNIT_ATTR_STRING, "string", &string_domain),
                QRN_ATTR(m_token, UNIT_ATTR_TOKEN, "token"),
                QRN_ATTR(m_float, UNIT_ATTR_FLOAT, "float"),
                QRN_ATTR(m_vec2, UNIT_ATTR_VEC2, "vec2"),
                QRN_ATTR(m_vec3, UNIT_ATTR_VEC3, "vec3"),
                QRN_ATTR(m_vec4, UNIT_ATTR_VEC4, "vec4"),
                QRN_ATTR(m_matrix, UNIT_ATTR_MATRIX, "matrix"),
                QRN_ATTR(m_quat, UNIT_ATTR_QUAT, "quat"),
                QRN_ATTR(m_placement, UNIT_ATTR_PLACEMENT, "placement"),
                QRN_ATTR(m_placement_scale, UNIT_ATTR_PLACEMENT_SCALE, "placement_scale"),
                QRN_ATTR(m_placement_nonuniform, UNIT_ATTR_PLACEMENT_NONUNIFORM, "placement_nonuniform"),
                QRN_ATTR(m_plane, UNIT_ATTR_PLANE, "plane"),
                QRN_ATTR(m_sphere, UNIT_ATTR_SPHERE, "sphere"),
                QRN_ATTR(m_aabox, UNIT_ATTR_AABOX, "aabox"),
                QRN_ATTR(m_int, UNIT_ATTR_INT32, "int", &int_domain),
                QRN_ATTR(m_uint, UNIT_ATTR_UINT32, "uint"),
                QRN_ATTR(m_int64, UNIT_ATTR_INT64, "int64"),
                QRN_ATTR(m_uint64, UNIT_ATTR_UINT64, "uint64"),
                QRN_ATTR(m_uint_plain, UNIT_ATTR_UINT32_PLAIN, "uint_plain"),
                QRN_ATTR(m_bool, UNIT_ATTR_BOOL, "bool"),
                QRN_ATTR(m_enum, UNIT_ATTR_ENUM, "enum", &enum_domain),
                QRN_ATTR(m_owner, UNIT_ATTR_OWNER, "owner", &owner_domain),
                QRN_ATTR(m_ref, UNIT_ATTR_REF, "ref"),
                QRN_ATTR(m_resource, UNIT_ATTR_RESOURCE, "resource"),
                QRN_ATTR(m_strings, UNIT_ATTR_STRING_ARRAY, "strings"),
                QRN_ATTR(m_tokens, UNIT_ATTR_TOKEN_ARRAY, "tokens"),
                QRN_ATTR(m_floats, UNIT_ATTR_FLOAT_ARRAY, "floats"),
                QRN_ATTR(m_matrices, UNIT_ATTR_MATRIX_ARRAY, "matrices"),
                QRN_ATTR(m_ints, UNIT_ATTR_INT32_ARRAY, "ints"),
                QRN_ATTR(m_enums, UNIT_ATTR_ENUM_ARRAY, "enums", &enums_domain),
                QRN_ATTR(m_owners, UNIT_ATTR_OWNER_ARRAY, "owners"),
                QRN_ATTR(m_refs, UNIT_ATTR_REF_ARRAY, "refs", &refs_domain),
                QRN_ATTR(m_resources, UNIT_ATTR_RESOURCE_ARRAY, "resources"));

QRN_UNIT_DEFINE(fuzz_leaf_u, "fuzz_leaf", QRN_ATTR(m_value, UNIT_ATTR_UINT32, "value"));

namespace {

// Resources load as null and every array operation on them is refused.
class null_tie_t : public unit_resource_tie_t {
public:
    bool get_resource_name(mstring_t *out, unit_base_t *) override { return out->copy("null"); }
    bool check_resource_type(unit_base_t *) override { return true; }
    void destroy_value(unit_base_t *, const unit_attribute_t *) override {}
    void destroy_array(unit_base_t *, const unit_attribute_t *) override {}
    bool clone_value(unit_base_t *, const unit_attribute_t *, unit_base_t *) override { return true; }
    bool clone_array(unit_base_t *, const unit_attribute_t *, unit_base_t *) override { return true; }
    unit_base_t *load(const string &, unit_base_t *, const unit_attribute_t *) override { return nullptr; }
    void unload(unit_base_t *, unit_base_t *, const unit_attribute_t *) override {}
    bool remove_array_element(unit_base_t *, const unit_attribute_t *, uint32_t) override { return false; }
    bool get_array_size(unit_base_t *, const unit_attribute_t *, uint32_t *out) override {
        *out = 0;
        return true;
    }
    bool set_array_capacity(unit_base_t *, const unit_attribute_t *, uint32_t) override { return true; }
    bool get_value(unit_base_t *, const unit_attribute_t *, unit_base_t **out) override {
        *out = nullptr;
        return true;
    }
    bool get_element(unit_base_t *, const unit_attribute_t *, uint32_t, unit_base_t **) override { return false; }
    bool get_array_copy(unit_base_t *, const unit_attribute_t *, array_t<unit_base_t *> *) override { return false; }
    bool set_value(unit_base_t *, const unit_attribute_t *, unit_base_t *value) override { return value == nullptr; }
    bool set_element(unit_base_t *, const unit_attribute_t *, uint32_t, unit_base_t *) override { return false; }
    bool append(unit_base_t *, const unit_attribute_t *, uint32_t, unit_base_t *) override { return false; }
    bool prepend(unit_base_t *, const unit_attribute_t *, uint32_t, unit_base_t *) override { return false; }
};

class text_file_t : public file_t {
public:
    text_file_t(const char *name, const uint8_t *data, size_t size) : file_t(name), m_data(data), m_size(size) {
        set_fs_realm(FS_REALM_VIRTUAL);
    }

protected:
    bool io_read(void *buf, uint32_t len, uint64_t offset) override {
        if (offset > m_size || len > m_size - offset) return false;
        memcpy(buf, m_data + offset, len);
        return true;
    }
    bool io_stat(fs_stat_t *out) override {
        out->type = FS_TYPE_FILE;
        out->size = m_size;
        return true;
    }

private:
    const uint8_t *m_data;
    size_t m_size;
};

// "/f/part.txt" holds a unit and an include of itself through "/f/loop.txt"; every
// other name fails to open.
class fuzz_opener_t : public unit_file_opener_t {
public:
    file_t *open(const char *path, uint32_t) override {
        static const char part[] = "fuzz : .inc { int: 1 ref: .top }\n";
        static const char loop[] = "@include \"loop.txt\"\n";
        static const char attrs[] = " int: 2\n owners[]: .inc2\n";
        const char *text = strcmp(path, "/f/part.txt") == 0    ? part
                           : strcmp(path, "/f/loop.txt") == 0  ? loop
                           : strcmp(path, "/f/attrs.txt") == 0 ? attrs
                                                               : nullptr;
        return text ? new text_file_t(path, reinterpret_cast<const uint8_t *>(text), strlen(text)) : nullptr;
    }
    void close(file_t *file) override { delete file; }
};

struct world_t {
    world_t() : system(bank) {
        system.set_default();
        fuzz_u::register_class(bank);
        fuzz_leaf_u::register_class(bank);
    }
    null_tie_t tie;
    unit_bank_t bank;
    unit_system_t system;
    fuzz_opener_t opener;
};

}  // namespace
}  // namespace quarn

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    using namespace quarn;
    static world_t world;
    // UNIT_READER_LOG=1 shows what the reader logs (for looking at a seed).
    static std::unique_ptr<message_stdio_t> out(getenv("UNIT_READER_LOG") ? new message_stdio_t : nullptr);
    const uint32_t before = unit_base_t::get_live_count();
    {
        text_file_t file("/f/top.txt", data, size);
        unit_load_t loader(file, world.system, &world.opener);
        if (size % 2) {
            owner_ptr_t<unit_base_t> tree(loader.load_tree_generic());
            if (tree) owner_ptr_t<unit_base_t> copy(tree->clone());
        } else if (loader.load()) {
            for (uint32_t i = 0; i < loader.get_root_count(); ++i)
                owner_ptr_t<unit_base_t> copy(loader.get_root(i)->clone());
        }
    }
    unit_system_t::clean_garbage();
    if (unit_base_t::get_live_count() != before) abort();  // a load left units behind
    return 0;
}
