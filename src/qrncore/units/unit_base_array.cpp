// The array forms of the typed attribute accessors.
#include "qrncore/strings/name_token.h"
#include "qrncore/units/unit_attr_types.h"
#include "qrncore/units/unit_base.h"
#include "qrncore/units/unit_resource_tie.h"

namespace quarn {

namespace {

constexpr uint32_t AT_END = unit_base_t::AT_END;

template <uint32_t CODE>
unit_attr_storage_t<CODE> &slot(unit_base_t *unit, const unit_attribute_t *a) {
    return *static_cast<unit_attr_storage_t<CODE> *>(a->address_in(unit));
}

template <uint32_t CODE>
using element_t = typename unit_attr_storage_t<CODE>::value_type;

bool usable(const unit_base_t *unit, const unit_attribute_t *a) { return a && unit->is_kind_of(*a->descriptor); }

template <uint32_t CODE, class T>
bool view(unit_base_t *unit, const unit_attribute_t *a, const array_t<T> **out) {
    *out = &slot<CODE>(unit, a);
    return true;
}

template <uint32_t CODE, class T>
bool copy_out(unit_base_t *unit, const unit_attribute_t *a, array_t<T> *out) {
    return out->append_array(slot<CODE>(unit, a));
}

template <uint32_t CODE, class T>
bool get_element(unit_base_t *unit, const unit_attribute_t *a, uint32_t i, T *out) {
    auto &s = slot<CODE>(unit, a);
    if (i >= s.get_count()) return false;
    *out = T(s[i]);
    return true;
}

template <uint32_t CODE, class T>
bool set_element(unit_base_t *unit, const unit_attribute_t *a, uint32_t i, const T &value) {
    auto &s = slot<CODE>(unit, a);
    if (i >= s.get_count()) return false;
    s[i] = element_t<CODE>(value);
    return true;
}

template <uint32_t CODE, class T>
bool append_element(unit_base_t *unit, const unit_attribute_t *a, uint32_t i, const T &value) {
    auto &s = slot<CODE>(unit, a);
    if (i == AT_END) return s.append(element_t<CODE>(value)) != nullptr;
    if (i < s.get_count()) return s.insert_after(i, element_t<CODE>(value)) != nullptr;
    return false;
}

template <uint32_t CODE, class T>
bool prepend_element(unit_base_t *unit, const unit_attribute_t *a, uint32_t i, const T &value) {
    auto &s = slot<CODE>(unit, a);
    if (i >= s.get_count()) return false;
    return s.insert(i, element_t<CODE>(value)) != nullptr;
}

template <uint32_t CODE>
bool remove_element(unit_base_t *unit, const unit_attribute_t *a, uint32_t i) {
    auto &s = slot<CODE>(unit, a);
    if (i == AT_END && s.get_count()) i = s.get_count() - 1;
    if (i >= s.get_count()) return false;
    s.remove(i);
    return true;
}

// The six forms for a type stored under one array code only.
template <uint32_t CODE, class T>
struct single_t {
    static bool view_of(unit_base_t *u, const unit_attribute_t *a, const array_t<T> **out) {
        return usable(u, a) && a->type == CODE && view<CODE>(u, a, out);
    }
    static bool copy_of(unit_base_t *u, const unit_attribute_t *a, array_t<T> *out) {
        out->clear();
        return usable(u, a) && a->type == CODE && copy_out<CODE>(u, a, out);
    }
    static bool get(unit_base_t *u, const unit_attribute_t *a, uint32_t i, T *out) {
        return usable(u, a) && a->type == CODE && get_element<CODE>(u, a, i, out);
    }
    static bool set(unit_base_t *u, const unit_attribute_t *a, uint32_t i, const T &v) {
        return usable(u, a) && a->type == CODE && set_element<CODE>(u, a, i, v);
    }
    static bool append(unit_base_t *u, const unit_attribute_t *a, uint32_t i, const T &v) {
        return usable(u, a) && a->type == CODE && append_element<CODE>(u, a, i, v);
    }
    static bool prepend(unit_base_t *u, const unit_attribute_t *a, uint32_t i, const T &v) {
        return usable(u, a) && a->type == CODE && prepend_element<CODE>(u, a, i, v);
    }
};

}  // namespace

#define QRN_SINGLE_ARRAY_ACCESSORS(T, CODE)                                                      \
    bool unit_base_t::get_value(const unit_attribute_t *a, const array_t<T> **out) {             \
        return single_t<CODE, T>::view_of(this, a, out);                                         \
    }                                                                                            \
    bool unit_base_t::get_value(const unit_attribute_t *a, array_t<T> *out) {                    \
        return single_t<CODE, T>::copy_of(this, a, out);                                         \
    }                                                                                            \
    bool unit_base_t::get_value(const unit_attribute_t *a, uint32_t i, T *out) {                 \
        return single_t<CODE, T>::get(this, a, i, out);                                          \
    }                                                                                            \
    bool unit_base_t::set_value(const unit_attribute_t *a, uint32_t i, const T &value) {         \
        return single_t<CODE, T>::set(this, a, i, value);                                        \
    }                                                                                            \
    bool unit_base_t::append_value(const unit_attribute_t *a, uint32_t i, const T &value) {      \
        return single_t<CODE, T>::append(this, a, i, value);                                     \
    }                                                                                            \
    bool unit_base_t::prepend_value(const unit_attribute_t *a, uint32_t i, const T &value) {     \
        return single_t<CODE, T>::prepend(this, a, i, value);                                    \
    }
QRN_SINGLE_ARRAY_ACCESSORS(float, UNIT_ATTR_FLOAT_ARRAY)
QRN_SINGLE_ARRAY_ACCESSORS(vec2_t, UNIT_ATTR_VEC2_ARRAY)
QRN_SINGLE_ARRAY_ACCESSORS(vec3_t, UNIT_ATTR_VEC3_ARRAY)
QRN_SINGLE_ARRAY_ACCESSORS(vec4_t, UNIT_ATTR_VEC4_ARRAY)
QRN_SINGLE_ARRAY_ACCESSORS(mat4_t, UNIT_ATTR_MATRIX_ARRAY)
QRN_SINGLE_ARRAY_ACCESSORS(quat_t, UNIT_ATTR_QUAT_ARRAY)
QRN_SINGLE_ARRAY_ACCESSORS(placement_t, UNIT_ATTR_PLACEMENT_ARRAY)
QRN_SINGLE_ARRAY_ACCESSORS(placement_scale_t, UNIT_ATTR_PLACEMENT_SCALE_ARRAY)
QRN_SINGLE_ARRAY_ACCESSORS(placement_nonuniform_t, UNIT_ATTR_PLACEMENT_NONUNIFORM_ARRAY)
QRN_SINGLE_ARRAY_ACCESSORS(plane_t, UNIT_ATTR_PLANE_ARRAY)
QRN_SINGLE_ARRAY_ACCESSORS(sphere_t, UNIT_ATTR_SPHERE_ARRAY)
QRN_SINGLE_ARRAY_ACCESSORS(aabox_t, UNIT_ATTR_AABOX_ARRAY)
QRN_SINGLE_ARRAY_ACCESSORS(bool, UNIT_ATTR_BOOL_ARRAY)
#undef QRN_SINGLE_ARRAY_ACCESSORS

// int: 30, 34, 46; writes also into 38, sign-extended.
bool unit_base_t::get_value(const unit_attribute_t *a, const array_t<int32_t> **out) {
    if (!usable(this, a)) return false;
    switch (a->type) {
    case UNIT_ATTR_INT32_ARRAY:
    case UNIT_ATTR_INT32_B_ARRAY:
    case UNIT_ATTR_ENUM_ARRAY: return view<UNIT_ATTR_INT32_ARRAY>(this, a, out);
    default: return false;
    }
}

bool unit_base_t::get_value(const unit_attribute_t *a, array_t<int32_t> *out) {
    out->clear();
    if (!usable(this, a)) return false;
    switch (a->type) {
    case UNIT_ATTR_INT32_ARRAY:
    case UNIT_ATTR_INT32_B_ARRAY:
    case UNIT_ATTR_ENUM_ARRAY: return copy_out<UNIT_ATTR_INT32_ARRAY>(this, a, out);
    default: return false;
    }
}

bool unit_base_t::get_value(const unit_attribute_t *a, uint32_t i, int32_t *out) {
    if (!usable(this, a)) return false;
    switch (a->type) {
    case UNIT_ATTR_INT32_ARRAY:
    case UNIT_ATTR_INT32_B_ARRAY:
    case UNIT_ATTR_ENUM_ARRAY: return get_element<UNIT_ATTR_INT32_ARRAY>(this, a, i, out);
    default: return false;
    }
}

bool unit_base_t::set_value(const unit_attribute_t *a, uint32_t i, const int32_t &value) {
    if (!usable(this, a)) return false;
    switch (a->type) {
    case UNIT_ATTR_INT32_ARRAY:
    case UNIT_ATTR_INT32_B_ARRAY:
    case UNIT_ATTR_ENUM_ARRAY: return set_element<UNIT_ATTR_INT32_ARRAY>(this, a, i, value);
    case UNIT_ATTR_INT64_ARRAY: return set_element<UNIT_ATTR_INT64_ARRAY>(this, a, i, value);
    default: return false;
    }
}

bool unit_base_t::append_value(const unit_attribute_t *a, uint32_t i, const int32_t &value) {
    if (!usable(this, a)) return false;
    switch (a->type) {
    case UNIT_ATTR_INT32_ARRAY:
    case UNIT_ATTR_INT32_B_ARRAY:
    case UNIT_ATTR_ENUM_ARRAY: return append_element<UNIT_ATTR_INT32_ARRAY>(this, a, i, value);
    case UNIT_ATTR_INT64_ARRAY: return append_element<UNIT_ATTR_INT64_ARRAY>(this, a, i, value);
    default: return false;
    }
}

bool unit_base_t::prepend_value(const unit_attribute_t *a, uint32_t i, const int32_t &value) {
    if (!usable(this, a)) return false;
    switch (a->type) {
    case UNIT_ATTR_INT32_ARRAY:
    case UNIT_ATTR_INT32_B_ARRAY:
    case UNIT_ATTR_ENUM_ARRAY: return prepend_element<UNIT_ATTR_INT32_ARRAY>(this, a, i, value);
    case UNIT_ATTR_INT64_ARRAY: return prepend_element<UNIT_ATTR_INT64_ARRAY>(this, a, i, value);
    default: return false;
    }
}

// unsigned: 32, 36, 42; writes also into 4 and 40, zero-extended.
bool unit_base_t::get_value(const unit_attribute_t *a, const array_t<uint32_t> **out) {
    if (!usable(this, a)) return false;
    switch (a->type) {
    case UNIT_ATTR_UINT32_ARRAY:
    case UNIT_ATTR_UINT32_B_ARRAY:
    case UNIT_ATTR_UINT32_PLAIN_ARRAY: return view<UNIT_ATTR_UINT32_ARRAY>(this, a, out);
    default: return false;
    }
}

bool unit_base_t::get_value(const unit_attribute_t *a, array_t<uint32_t> *out) {
    out->clear();
    if (!usable(this, a)) return false;
    switch (a->type) {
    case UNIT_ATTR_UINT32_ARRAY:
    case UNIT_ATTR_UINT32_B_ARRAY:
    case UNIT_ATTR_UINT32_PLAIN_ARRAY: return copy_out<UNIT_ATTR_UINT32_ARRAY>(this, a, out);
    default: return false;
    }
}

bool unit_base_t::get_value(const unit_attribute_t *a, uint32_t i, uint32_t *out) {
    if (!usable(this, a)) return false;
    switch (a->type) {
    case UNIT_ATTR_UINT32_ARRAY:
    case UNIT_ATTR_UINT32_B_ARRAY:
    case UNIT_ATTR_UINT32_PLAIN_ARRAY: return get_element<UNIT_ATTR_UINT32_ARRAY>(this, a, i, out);
    default: return false;
    }
}

bool unit_base_t::set_value(const unit_attribute_t *a, uint32_t i, const uint32_t &value) {
    if (!usable(this, a)) return false;
    switch (a->type) {
    case UNIT_ATTR_UINT32_ARRAY:
    case UNIT_ATTR_UINT32_B_ARRAY:
    case UNIT_ATTR_UINT32_PLAIN_ARRAY: return set_element<UNIT_ATTR_UINT32_ARRAY>(this, a, i, value);
    case UNIT_ATTR_TOKEN_ARRAY:
    case UNIT_ATTR_UINT64_ARRAY: return set_element<UNIT_ATTR_UINT64_ARRAY>(this, a, i, value);
    default: return false;
    }
}

bool unit_base_t::append_value(const unit_attribute_t *a, uint32_t i, const uint32_t &value) {
    if (!usable(this, a)) return false;
    switch (a->type) {
    case UNIT_ATTR_UINT32_ARRAY:
    case UNIT_ATTR_UINT32_B_ARRAY:
    case UNIT_ATTR_UINT32_PLAIN_ARRAY: return append_element<UNIT_ATTR_UINT32_ARRAY>(this, a, i, value);
    case UNIT_ATTR_TOKEN_ARRAY:
    case UNIT_ATTR_UINT64_ARRAY: return append_element<UNIT_ATTR_UINT64_ARRAY>(this, a, i, value);
    default: return false;
    }
}

bool unit_base_t::prepend_value(const unit_attribute_t *a, uint32_t i, const uint32_t &value) {
    if (!usable(this, a)) return false;
    switch (a->type) {
    case UNIT_ATTR_UINT32_ARRAY:
    case UNIT_ATTR_UINT32_B_ARRAY:
    case UNIT_ATTR_UINT32_PLAIN_ARRAY: return prepend_element<UNIT_ATTR_UINT32_ARRAY>(this, a, i, value);
    case UNIT_ATTR_TOKEN_ARRAY:
    case UNIT_ATTR_UINT64_ARRAY: return prepend_element<UNIT_ATTR_UINT64_ARRAY>(this, a, i, value);
    default: return false;
    }
}

// signed 64-bit: 38; element reads also from 30, 34, 46, sign-extended.
bool unit_base_t::get_value(const unit_attribute_t *a, const array_t<int64_t> **out) {
    return usable(this, a) && a->type == UNIT_ATTR_INT64_ARRAY && view<UNIT_ATTR_INT64_ARRAY>(this, a, out);
}

bool unit_base_t::get_value(const unit_attribute_t *a, array_t<int64_t> *out) {
    out->clear();
    return usable(this, a) && a->type == UNIT_ATTR_INT64_ARRAY && copy_out<UNIT_ATTR_INT64_ARRAY>(this, a, out);
}

bool unit_base_t::get_value(const unit_attribute_t *a, uint32_t i, int64_t *out) {
    if (!usable(this, a)) return false;
    switch (a->type) {
    case UNIT_ATTR_INT64_ARRAY: return get_element<UNIT_ATTR_INT64_ARRAY>(this, a, i, out);
    case UNIT_ATTR_INT32_ARRAY:
    case UNIT_ATTR_INT32_B_ARRAY:
    case UNIT_ATTR_ENUM_ARRAY: return get_element<UNIT_ATTR_INT32_ARRAY>(this, a, i, out);
    default: return false;
    }
}

bool unit_base_t::set_value(const unit_attribute_t *a, uint32_t i, const int64_t &value) {
    return usable(this, a) && a->type == UNIT_ATTR_INT64_ARRAY && set_element<UNIT_ATTR_INT64_ARRAY>(this, a, i, value);
}

bool unit_base_t::append_value(const unit_attribute_t *a, uint32_t i, const int64_t &value) {
    return usable(this, a) && a->type == UNIT_ATTR_INT64_ARRAY &&
           append_element<UNIT_ATTR_INT64_ARRAY>(this, a, i, value);
}

bool unit_base_t::prepend_value(const unit_attribute_t *a, uint32_t i, const int64_t &value) {
    return usable(this, a) && a->type == UNIT_ATTR_INT64_ARRAY &&
           prepend_element<UNIT_ATTR_INT64_ARRAY>(this, a, i, value);
}

// unsigned 64-bit: 4, 40; element reads also from 32, 36, 42, zero-extended.
namespace {
bool is_u64_array(const unit_attribute_t *a) {
    return a->type == UNIT_ATTR_TOKEN_ARRAY || a->type == UNIT_ATTR_UINT64_ARRAY;
}
}  // namespace

bool unit_base_t::get_value(const unit_attribute_t *a, const array_t<uint64_t> **out) {
    return usable(this, a) && is_u64_array(a) && view<UNIT_ATTR_UINT64_ARRAY>(this, a, out);
}

bool unit_base_t::get_value(const unit_attribute_t *a, array_t<uint64_t> *out) {
    out->clear();
    return usable(this, a) && is_u64_array(a) && copy_out<UNIT_ATTR_UINT64_ARRAY>(this, a, out);
}

bool unit_base_t::get_value(const unit_attribute_t *a, uint32_t i, uint64_t *out) {
    if (!usable(this, a)) return false;
    switch (a->type) {
    case UNIT_ATTR_TOKEN_ARRAY:
    case UNIT_ATTR_UINT64_ARRAY: return get_element<UNIT_ATTR_UINT64_ARRAY>(this, a, i, out);
    case UNIT_ATTR_UINT32_ARRAY:
    case UNIT_ATTR_UINT32_B_ARRAY:
    case UNIT_ATTR_UINT32_PLAIN_ARRAY: return get_element<UNIT_ATTR_UINT32_ARRAY>(this, a, i, out);
    default: return false;
    }
}

bool unit_base_t::set_value(const unit_attribute_t *a, uint32_t i, const uint64_t &value) {
    return usable(this, a) && is_u64_array(a) && set_element<UNIT_ATTR_UINT64_ARRAY>(this, a, i, value);
}

bool unit_base_t::append_value(const unit_attribute_t *a, uint32_t i, const uint64_t &value) {
    return usable(this, a) && is_u64_array(a) && append_element<UNIT_ATTR_UINT64_ARRAY>(this, a, i, value);
}

bool unit_base_t::prepend_value(const unit_attribute_t *a, uint32_t i, const uint64_t &value) {
    return usable(this, a) && is_u64_array(a) && prepend_element<UNIT_ATTR_UINT64_ARRAY>(this, a, i, value);
}

// Texts: 2, and 4 as token texts.
bool unit_base_t::get_value(const unit_attribute_t *a, const array_t<mstring_dyn_t> **out) {
    return usable(this, a) && a->type == UNIT_ATTR_STRING_ARRAY && view<UNIT_ATTR_STRING_ARRAY>(this, a, out);
}

bool unit_base_t::get_value(const unit_attribute_t *a, array_t<mstring_dyn_t> *out) {
    out->clear();
    if (!usable(this, a) || a->type != UNIT_ATTR_STRING_ARRAY) return false;
    const auto &s = slot<UNIT_ATTR_STRING_ARRAY>(this, a);
    if (!out->request_capacity(s.get_count())) return false;
    for (uint32_t i = 0; i < s.get_count(); ++i) {
        mstring_dyn_t copy;
        if (!copy.copy(s[i]) || !out->append(std::move(copy))) {
            out->clear();
            return false;
        }
    }
    return true;
}

bool unit_base_t::get_value(const unit_attribute_t *a, uint32_t i, mstring_t *out) {
    if (!usable(this, a)) return false;
    if (a->type == UNIT_ATTR_STRING_ARRAY) {
        auto &s = slot<UNIT_ATTR_STRING_ARRAY>(this, a);
        return i < s.get_count() && out->copy(s[i]);
    }
    if (a->type == UNIT_ATTR_TOKEN_ARRAY) {
        auto &s = slot<UNIT_ATTR_TOKEN_ARRAY>(this, a);
        return i < s.get_count() && token_to_string(*out, s[i]);
    }
    return false;
}

bool unit_base_t::get_value(const unit_attribute_t *, uint32_t, const mstring_t **) { return false; }

namespace {

// A text element to store: a copy of the text for code 2 (false when it cannot be
// made, rather than an empty text standing for it), the token for code 4.
template <class F>
bool with_text_element(const unit_attribute_t *a, const string &value, F &&f) {
    if (a->type == UNIT_ATTR_STRING_ARRAY) {
        mstring_dyn_t text;
        if (!text.copy(value)) return false;
        return f(std::integral_constant<uint32_t, UNIT_ATTR_STRING_ARRAY>{}, std::move(text));
    }
    if (a->type == UNIT_ATTR_TOKEN_ARRAY) {
        uint64_t token = 0;
        if (!string_to_token(token, value)) return false;
        return f(std::integral_constant<uint32_t, UNIT_ATTR_TOKEN_ARRAY>{}, std::move(token));
    }
    return false;
}

}  // namespace

bool unit_base_t::set_value(const unit_attribute_t *a, uint32_t i, const string &value) {
    if (!usable(this, a)) return false;
    return with_text_element(a, value, [&](auto code, auto &&element) {
        auto &s = slot<decltype(code)::value>(this, a);
        if (i >= s.get_count()) return false;
        s[i] = std::move(element);
        return true;
    });
}

bool unit_base_t::append_value(const unit_attribute_t *a, uint32_t i, const string &value) {
    if (!usable(this, a)) return false;
    return with_text_element(a, value, [&](auto code, auto &&element) {
        auto &s = slot<decltype(code)::value>(this, a);
        if (i == AT_END) return s.append(std::move(element)) != nullptr;
        if (i < s.get_count()) return s.insert_after(i, std::move(element)) != nullptr;
        return false;
    });
}

bool unit_base_t::prepend_value(const unit_attribute_t *a, uint32_t i, const string &value) {
    if (!usable(this, a)) return false;
    return with_text_element(a, value, [&](auto code, auto &&element) {
        auto &s = slot<decltype(code)::value>(this, a);
        if (i >= s.get_count()) return false;
        return s.insert(i, std::move(element)) != nullptr;
    });
}

// Unit pointers: 48 owning, 50 referencing, 52 through the resource tie.
bool unit_base_t::get_value(const unit_attribute_t *a, array_t<unit_base_t *> *out) {
    out->clear();
    if (!usable(this, a)) return false;
    auto copy = [&](const auto &s) {
        if (!out->request_capacity(s.get_count())) return false;
        for (uint32_t i = 0; i < s.get_count(); ++i) out->append(s[i].get_base());
        return true;
    };
    switch (a->type) {
    case UNIT_ATTR_OWNER_ARRAY: return copy(slot<UNIT_ATTR_OWNER_ARRAY>(this, a));
    case UNIT_ATTR_REF_ARRAY: return copy(slot<UNIT_ATTR_REF_ARRAY>(this, a));
    case UNIT_ATTR_RESOURCE_ARRAY: return unit_resource_tie_t::installed().get_array_copy(this, a, out);
    default: return false;
    }
}

bool unit_base_t::get_value(const unit_attribute_t *a, uint32_t i, unit_base_t **out) {
    if (!usable(this, a)) return false;
    auto get = [&](const auto &s) {
        if (i >= s.get_count()) return false;
        *out = s[i].get_base();
        return true;
    };
    switch (a->type) {
    case UNIT_ATTR_OWNER_ARRAY: return get(slot<UNIT_ATTR_OWNER_ARRAY>(this, a));
    case UNIT_ATTR_REF_ARRAY: return get(slot<UNIT_ATTR_REF_ARRAY>(this, a));
    case UNIT_ATTR_RESOURCE_ARRAY: return unit_resource_tie_t::installed().get_element(this, a, i, out);
    default: return false;
    }
}

bool unit_base_t::set_value(const unit_attribute_t *a, uint32_t i, unit_base_t *value) {
    if (!usable(this, a)) return false;
    switch (a->type) {
    case UNIT_ATTR_OWNER_ARRAY: {
        auto &s = slot<UNIT_ATTR_OWNER_ARRAY>(this, a);
        if (i >= s.get_count()) return false;
        s[i].reset(value);
        return true;
    }
    case UNIT_ATTR_REF_ARRAY: {
        auto &s = slot<UNIT_ATTR_REF_ARRAY>(this, a);
        if (i >= s.get_count()) return false;
        s[i] = value;
        return true;
    }
    case UNIT_ATTR_RESOURCE_ARRAY: return unit_resource_tie_t::installed().set_element(this, a, i, value);
    default: return false;
    }
}

namespace {

// Puts a unit into a holder array at position at (count: the end). Room is made
// before the holder is made, so a failed growth never releases (and, for owners,
// destroys) the unit that was to be stored.
template <class H>
bool put_holder(array_dyn_t<H> &s, uint32_t at, unit_base_t *value) {
    if (!s.request_capacity(s.get_count() + 1)) return false;
    H holder(value);
    if (at == s.get_count()) return s.append(std::move(holder)) != nullptr;
    return s.insert(at, std::move(holder)) != nullptr;
}

}  // namespace

bool unit_base_t::append_value(const unit_attribute_t *a, uint32_t i, unit_base_t *value) {
    if (!usable(this, a)) return false;
    auto put = [&](auto &s) {
        if (i == AT_END) return put_holder(s, s.get_count(), value);
        if (i < s.get_count()) return put_holder(s, i + 1, value);
        return false;
    };
    switch (a->type) {
    case UNIT_ATTR_OWNER_ARRAY: return put(slot<UNIT_ATTR_OWNER_ARRAY>(this, a));
    case UNIT_ATTR_REF_ARRAY: return put(slot<UNIT_ATTR_REF_ARRAY>(this, a));
    case UNIT_ATTR_RESOURCE_ARRAY: return unit_resource_tie_t::installed().append(this, a, i, value);
    default: return false;
    }
}

bool unit_base_t::prepend_value(const unit_attribute_t *a, uint32_t i, unit_base_t *value) {
    if (!usable(this, a)) return false;
    auto put = [&](auto &s) { return i < s.get_count() && put_holder(s, i, value); };
    switch (a->type) {
    case UNIT_ATTR_OWNER_ARRAY: return put(slot<UNIT_ATTR_OWNER_ARRAY>(this, a));
    case UNIT_ATTR_REF_ARRAY: return put(slot<UNIT_ATTR_REF_ARRAY>(this, a));
    case UNIT_ATTR_RESOURCE_ARRAY: return unit_resource_tie_t::installed().prepend(this, a, i, value);
    default: return false;
    }
}

// The array attributes of codes 2-50, by code.
#define QRN_UNIT_ARRAY_CODES(X)                                                                                      \
    X(UNIT_ATTR_STRING_ARRAY) X(UNIT_ATTR_TOKEN_ARRAY) X(UNIT_ATTR_FLOAT_ARRAY) X(UNIT_ATTR_VEC2_ARRAY)                \
    X(UNIT_ATTR_VEC3_ARRAY) X(UNIT_ATTR_VEC4_ARRAY) X(UNIT_ATTR_MATRIX_ARRAY) X(UNIT_ATTR_QUAT_ARRAY)                 \
    X(UNIT_ATTR_PLACEMENT_ARRAY) X(UNIT_ATTR_PLACEMENT_SCALE_ARRAY) X(UNIT_ATTR_PLACEMENT_NONUNIFORM_ARRAY)           \
    X(UNIT_ATTR_PLANE_ARRAY) X(UNIT_ATTR_SPHERE_ARRAY) X(UNIT_ATTR_AABOX_ARRAY) X(UNIT_ATTR_INT32_ARRAY)              \
    X(UNIT_ATTR_UINT32_ARRAY) X(UNIT_ATTR_INT32_B_ARRAY) X(UNIT_ATTR_UINT32_B_ARRAY) X(UNIT_ATTR_INT64_ARRAY)         \
    X(UNIT_ATTR_UINT64_ARRAY) X(UNIT_ATTR_UINT32_PLAIN_ARRAY) X(UNIT_ATTR_BOOL_ARRAY) X(UNIT_ATTR_ENUM_ARRAY)        \
    X(UNIT_ATTR_OWNER_ARRAY) X(UNIT_ATTR_REF_ARRAY)

bool unit_base_t::remove_value(const unit_attribute_t *a, uint32_t i) {
    if (!usable(this, a)) return false;
    switch (a->type) {
#define QRN_REMOVE(code) \
    case code: return remove_element<code>(this, a, i);
        QRN_UNIT_ARRAY_CODES(QRN_REMOVE)
#undef QRN_REMOVE
    case UNIT_ATTR_RESOURCE_ARRAY: return unit_resource_tie_t::installed().remove_array_element(this, a, i);
    default: return false;
    }
}

bool unit_base_t::get_size(const unit_attribute_t *a, uint32_t *count) {
    if (!usable(this, a)) return false;
    switch (a->type) {
#define QRN_SIZE(code)                                  \
    case code:                                          \
        *count = slot<code>(this, a).get_count();       \
        return true;
        QRN_UNIT_ARRAY_CODES(QRN_SIZE)
#undef QRN_SIZE
    case UNIT_ATTR_RESOURCE_ARRAY: return unit_resource_tie_t::installed().get_array_size(this, a, count);
    default: return false;
    }
}

bool unit_base_t::request_capacity(const unit_attribute_t *a, uint32_t n) {
    if (!usable(this, a)) return false;
    switch (a->type) {
#define QRN_CAPACITY(code) \
    case code: return slot<code>(this, a).request_capacity(n);
        QRN_UNIT_ARRAY_CODES(QRN_CAPACITY)
#undef QRN_CAPACITY
    case UNIT_ATTR_RESOURCE_ARRAY: return unit_resource_tie_t::installed().set_array_capacity(this, a, n);
    default: return false;
    }
}

}  // namespace quarn
