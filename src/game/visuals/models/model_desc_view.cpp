#include "game/visuals/models/model_desc_view.h"

#include "game/visuals/models/model_layout.h"
#include "qrncore/strings/name_token.h"
#include "qrncore/strings/paths.h"
#include "qrncore/system/messages.h"

namespace quarn {

namespace {

bool is_value_type(uint32_t type) { return type == zm::ATTR_INT || type == zm::ATTR_REAL; }

}  // namespace

bool model_desc_view_t::open(const void *image, uint64_t size, const char *path) {
    close();
    m_path = path ? path : "";
    if (!v_fnsplit(m_path, &m_directory, nullptr)) m_directory = "";
    m_image.set(image, size);
    if (!check()) {
        close();
        return false;
    }
    m_material_count = m_image.u32(zm::DESC_MATERIAL_COUNT);
    m_look_count = m_image.u32(zm::DESC_LOOK_COUNT);
    m_variant_count = m_image.u32(zm::DESC_VARIANT_COUNT);
    m_part_count = m_image.u32(zm::DESC_PART_COUNT);
    m_attribute_count = 0;
    for (uint32_t p = 0; p < m_part_count; ++p) {
        const uint64_t end = m_image.u32(part_range(p) + 4);
        if (end > m_attribute_count) m_attribute_count = end;
    }
    m_open = true;
    return true;
}

void model_desc_view_t::close() {
    m_image.clear();
    m_open = false;
    m_material_count = m_look_count = m_variant_count = m_part_count = 0;
    m_attribute_count = 0;
}

bool model_desc_view_t::check() const {
    model_check_t c(m_image, "descriptor", m_path.c_str());
    const model_image_t &im = m_image;
    if (im.size() < 4) return c.fail(0, "the file has no version word");
    if (im.u32(0) != zm::DESC_VERSION)
        return model_bad_version("descriptor", m_path.c_str(), im.u32(0), zm::DESC_VERSION);
    if (im.size() < zm::DESC_HEADER_SIZE)
        return c.fail(0, "the file is shorter than the %u-byte header", zm::DESC_HEADER_SIZE);

    const uint64_t materials = im.u32(zm::DESC_MATERIAL_COUNT);
    const uint64_t looks = im.u32(zm::DESC_LOOK_COUNT);
    const uint64_t variants = im.u32(zm::DESC_VARIANT_COUNT);
    const uint64_t parts = im.u32(zm::DESC_PART_COUNT);
    const uint64_t block_size = im.u32(zm::DESC_VALUE_BLOCK_SIZE);
    if (!c.inside(zm::DESC_LOOKS, im.u32(zm::DESC_LOOKS), looks, zm::TOKEN_SIZE, "the look table")) return false;
    if (!c.inside(zm::DESC_VARIANTS, im.u32(zm::DESC_VARIANTS), variants, zm::TOKEN_SIZE, "the variant table"))
        return false;
    if (!c.inside(zm::DESC_VALUES, im.u32(zm::DESC_VALUES), variants, block_size, "the value blocks")) return false;

    // Each part's range of attribute definitions, and each definition's value.
    const uint64_t ranges = im.u32(zm::DESC_PART_RANGES);
    if (!c.inside(zm::DESC_PART_RANGES, ranges, parts, 8, "the part attribute ranges")) return false;
    const uint64_t definitions = im.u32(zm::DESC_ATTRIBUTES);
    for (uint64_t p = 0; p < parts; ++p) {
        const uint64_t first = im.u32(ranges + 8 * p);
        const uint64_t end = im.u32(ranges + 8 * p + 4);
        if (first > end)
            return c.fail(ranges + 8 * p, "part %llu's attribute range %llu..%llu runs backwards",
                          (unsigned long long)p, (unsigned long long)first, (unsigned long long)end);
        if (!c.inside(ranges + 8 * p + 4, definitions, end, zm::ATTR_SIZE, "the attribute definitions")) return false;
        for (uint64_t a = first; a < end; ++a) {
            const uint64_t record = definitions + a * zm::ATTR_SIZE;
            const uint32_t type = im.u32(record + zm::ATTR_TYPE);
            const uint64_t position = im.u32(record + zm::ATTR_VALUE);
            if (is_value_type(type) && (position > block_size || block_size - position < 4))
                return c.fail(record + zm::ATTR_VALUE,
                              "attribute %llu's value position %llu lies outside the %llu-byte value block",
                              (unsigned long long)a, (unsigned long long)position, (unsigned long long)block_size);
            if (type == zm::ATTR_STRING && !c.string_at(record + zm::ATTR_VALUE, position, "a string attribute"))
                return false;
        }
    }

    // Material paths: one string per look and slot.
    const uint64_t paths = im.u32(zm::DESC_MATERIALS);
    if (!c.inside(zm::DESC_MATERIALS, paths, looks * materials, 4, "the material path table")) return false;
    for (uint64_t i = 0; i < looks * materials; ++i)
        if (!c.string_at(paths + 4 * i, im.u32(paths + 4 * i), "a material path")) return false;
    return true;
}

uint64_t model_desc_view_t::get_look_name(uint32_t look) const {
    V_ASSERT(look < m_look_count);
    return m_image.u64(m_image.u32(zm::DESC_LOOKS) + uint64_t(look) * zm::TOKEN_SIZE);
}

uint64_t model_desc_view_t::get_variant_name(uint32_t variant) const {
    V_ASSERT(variant < m_variant_count);
    return m_image.u64(m_image.u32(zm::DESC_VARIANTS) + uint64_t(variant) * zm::TOKEN_SIZE);
}

int32_t model_desc_view_t::find_token(uint32_t table, uint32_t count, uint64_t token, const char *what) const {
    const uint64_t start = m_image.u32(table);
    for (uint32_t i = 0; i < count; ++i)
        if (m_image.u64(start + uint64_t(i) * zm::TOKEN_SIZE) == token) return int32_t(i);
    mstring_dyn_t name;
    token_to_string(name, token);
    error("[model] Unknown %s name '%s' on model '%s'", what, name.c_str(), m_path.c_str());
    return -1;
}

int32_t model_desc_view_t::find_look(uint64_t token) const {
    V_ASSERT(m_open);
    return find_token(zm::DESC_LOOKS, m_look_count, token, "look");
}

int32_t model_desc_view_t::find_look(const char *name) const {
    uint64_t token;
    if (!string_to_token(token, name)) return -1;
    return find_look(token);
}

int32_t model_desc_view_t::find_variant(uint64_t token) const {
    V_ASSERT(m_open);
    return find_token(zm::DESC_VARIANTS, m_variant_count, token, "variant");
}

int32_t model_desc_view_t::find_variant(const char *name) const {
    uint64_t token;
    if (!string_to_token(token, name)) return -1;
    return find_variant(token);
}

const char *model_desc_view_t::get_material_path(uint32_t look, uint32_t slot) const {
    V_ASSERT(look < m_look_count && slot < m_material_count);
    const uint64_t entry = m_image.u32(zm::DESC_MATERIALS) + 4 * (uint64_t(look) * m_material_count + slot);
    return m_image.text(m_image.u32(entry));
}

bool model_desc_view_t::get_material_path(uint32_t look, uint32_t slot, mstring_t &out) const {
    const char *path = get_material_path(look, slot);
    if (path[0] == '/') return out.copy(path);
    return v_fncompose(out, m_directory, path);
}

uint64_t model_desc_view_t::part_range(uint32_t part) const {
    V_ASSERT(part < m_part_count);
    return m_image.u32(zm::DESC_PART_RANGES) + 8 * uint64_t(part);
}

uint64_t model_desc_view_t::attribute_record(uint32_t attribute) const {
    V_ASSERT(attribute < m_attribute_count);
    return m_image.u32(zm::DESC_ATTRIBUTES) + uint64_t(attribute) * zm::ATTR_SIZE;
}

uint32_t model_desc_view_t::get_attribute_first(uint32_t part) const { return m_image.u32(part_range(part)); }

uint32_t model_desc_view_t::get_attribute_end(uint32_t part) const { return m_image.u32(part_range(part) + 4); }

uint64_t model_desc_view_t::get_attribute_name(uint32_t attribute) const {
    return m_image.u64(attribute_record(attribute) + zm::ATTR_NAME);
}

uint32_t model_desc_view_t::get_attribute_type(uint32_t attribute) const {
    return m_image.u32(attribute_record(attribute) + zm::ATTR_TYPE);
}

uint32_t model_desc_view_t::get_attribute_position(uint32_t attribute) const {
    return m_image.u32(attribute_record(attribute) + zm::ATTR_VALUE);
}

int64_t model_desc_view_t::find_attribute(uint32_t part, uint64_t token, bool string) const {
    const uint32_t end = get_attribute_end(part);
    for (uint32_t a = get_attribute_first(part); a < end; ++a) {
        if (get_attribute_name(a) != token) continue;
        const uint32_t type = get_attribute_type(a);
        if (string ? type == zm::ATTR_STRING : is_value_type(type)) return a;
    }
    return -1;
}

bool model_desc_view_t::get_attribute(uint32_t part, uint64_t token, uint32_t variant, uint32_t &out) const {
    V_ASSERT(variant < m_variant_count);
    const int64_t a = find_attribute(part, token, false);
    if (a < 0) return false;
    const uint64_t block = m_image.u32(zm::DESC_VALUES) + uint64_t(variant) * m_image.u32(zm::DESC_VALUE_BLOCK_SIZE);
    out = m_image.u32(block + get_attribute_position(uint32_t(a)));
    return true;
}

bool model_desc_view_t::get_attribute(uint32_t part, const char *name, uint32_t variant, uint32_t &out) const {
    uint64_t token;
    if (!string_to_token(token, name)) return false;
    return get_attribute(part, token, variant, out);
}

const char *model_desc_view_t::get_string_attribute(uint32_t part, uint64_t token) const {
    const int64_t a = find_attribute(part, token, true);
    return a < 0 ? nullptr : m_image.text(get_attribute_position(uint32_t(a)));
}

const char *model_desc_view_t::get_string_attribute(uint32_t part, const char *name) const {
    uint64_t token;
    if (!string_to_token(token, name)) return nullptr;
    return get_string_attribute(part, token);
}

}  // namespace quarn
