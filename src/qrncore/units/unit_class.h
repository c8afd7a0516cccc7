#pragma once
// The kit for declaring a unit class. In the class body:
//
//     class round_logic_u : public unit_t {
//         QRN_UNIT_CLASS(round_logic_u, unit_t);
//     public:
//         int32_t m_rounds = 3;
//         owner_ptr_t<unit_base_t> m_first;
//     };
//
// and in one source file:
//
//     QRN_UNIT_DEFINE(round_logic_u, "round_logic",
//                     QRN_ATTR(m_rounds, UNIT_ATTR_INT32, "rounds", &rounds_domain),
//                     QRN_ATTR(m_first, UNIT_ATTR_OWNER, "first"));
//
// QRN_UNIT_CLASS declares the static members (class_name, fingerprint, descriptor,
// attribute table, create_instance, register_class, create), the overrides of
// get_descriptor, destroy and clone, the protected constructor from the unit system
// and _clone_to. A class whose copies need more than their attributes declares
//
//     bool _clone_finish(::quarn::unit_base_t *target);
//
// in its body: _clone_to calls it after the class's attributes were copied (the
// parent's part, finish included, comes first), for instance to derive values again
// on the copy from its attributes; false fails the clone. QRN_UNIT_DEFINE
// (QRN_UNIT_DEFINE_ABSTRACT for classes that are never instantiated) defines them, closes the attribute table and checks at compile time
// that the body macro is present, that the type name is a plain identifier without a
// "_u"/"_t" ending, and that each attribute's member has the storage type of its code
// and its domain the record type of its code. Every record is constant-initialised.
// Members are initialised in the class body (the constructor is the macro's). A class
// whose units need steps of their own when made or destroyed declares
//
//     void on_construct();   // end of its constructor, after its bases' own
//     void on_destroy();     // start of its destroy, before its attributes and bases go
//
// (any access); each runs for the class that declares it, never again for a subclass
// that inherits it. Units made for a clone or a load run on_construct too.
#include <cstdint>
#include <type_traits>

#include "qrncore/units/unit.h"
#include "qrncore/units/unit_attr_types.h"
#include "qrncore/units/unit_bank.h"
#include "qrncore/units/unit_ptr.h"
#include "qrncore/units/unit_system.h"

namespace quarn {

// Logs "Can not clone instance of abstract class %s." and ends the process.
[[noreturn]] QRNCORE_API void unit_abort_abstract_clone(const char *identifier);

// A type name for unit files: a letter, then letters, digits and underscores, not
// ending in "_u" or "_t" (those are class identifiers).
constexpr bool unit_type_name_is_valid(const char *name) {
    auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (!name || !letter(name[0])) return false;
    size_t n = 0;
    for (; name[n]; ++n)
        if (!letter(name[n]) && !digit(name[n]) && name[n] != '_') return false;
    return !(n >= 2 && name[n - 2] == '_' && (name[n - 1] == 'u' || name[n - 1] == 't'));
}

template <class P>
struct unit_member_traits;
template <class C, class M>
struct unit_member_traits<M C::*> {
    using value_type = M;
};

// The address of MEMBER inside a unit of class C (or a subclass).
template <class C, auto MEMBER>
void *unit_attr_locate(unit_base_t *unit) {
    return &(static_cast<C *>(unit)->*MEMBER);
}

// One attribute record of class C for MEMBER, with its type and domain checked.
template <unit_attr_type_t CODE, class C, auto MEMBER, class D = unit_attr_domain_t<CODE>>
constexpr unit_attribute_t unit_attr(const char *name, const D *domain = nullptr) {
    static_assert(CODE != UNIT_ATTR_END && CODE <= UNIT_ATTR_LAST, "not an attribute type code");
    static_assert(std::is_same_v<typename unit_member_traits<decltype(MEMBER)>::value_type, unit_attr_storage_t<CODE>>,
                  "the member's type is not the storage type of the attribute's type code");
    static_assert(std::is_same_v<D, unit_attr_domain_t<CODE>>, "the domain record does not belong to the type code");
    return {&C::unit_descriptor, &unit_attr_locate<C, MEMBER>, CODE, domain, name};
}

// The record that closes a table.
constexpr unit_attribute_t unit_attr_end(const unit_descriptor_t *d) { return {d, nullptr, UNIT_ATTR_END, nullptr, nullptr}; }

}  // namespace quarn

#define QRN_UNIT_CLASS(self, parent)                                                                         \
public:                                                                                                      \
    using unit_self_t = self;                                                                                \
    using unit_parent_t = parent;                                                                            \
    static const ::quarn::string class_name;                                                                 \
    static const uint32_t fingerprint;                                                                       \
    static const ::quarn::unit_descriptor_t unit_descriptor;                                                 \
    static const ::quarn::unit_attribute_t unit_attributes[];                                                \
    static ::quarn::unit_base_t *create_instance(::quarn::unit_system_t *system);                            \
    static bool register_class(::quarn::unit_bank_t &bank) { return bank.register_class(&unit_descriptor); } \
    /* A new unit in the system (the default one when not given), carried to its owner. */                   \
    static ::quarn::owner_ptr_ret_t<self> create(::quarn::unit_system_t *system = ::quarn::unit_system_t::get_default()) { \
        return ::quarn::owner_ptr_ret_t<self>(                                                               \
            static_cast<self *>(::quarn::unit_system_t::create_unit_in(system, unit_descriptor)));           \
    }                                                                                                        \
    const ::quarn::unit_descriptor_t *get_descriptor() const override { return &unit_descriptor; }           \
    void destroy() override;                                                                                 \
    ::quarn::owner_ptr_ret_t<::quarn::unit_base_t> clone() override;                                         \
                                                                                                             \
protected:                                                                                                   \
    explicit self(::quarn::unit_system_t *system) : parent(system) { _unit_own_hook<self, 0>(this); }       \
    bool _clone_to(::quarn::unit_base_t *target);                                                            \
    /* Runs the class's own on_construct (0) or on_destroy (1), when it declares one. */                     \
    template <class U, int HOOK>                                                                             \
    static void _unit_own_hook(U *unit) {                                                                    \
        if constexpr (HOOK == 0 && requires { &U::on_construct; }) {                                         \
            if constexpr (std::is_same_v<decltype(&U::on_construct), void (U::*)()>) unit->U::on_construct(); \
        } else if constexpr (HOOK == 1 && requires { &U::on_destroy; }) {                                    \
            if constexpr (std::is_same_v<decltype(&U::on_destroy), void (U::*)()>) unit->U::on_destroy();   \
        }                                                                                                    \
    }                                                                                                        \
                                                                                                             \
private:                                                                                                     \
    static_assert(true, "")

// One attribute of the class being defined: member, type code, name in unit files and
// optionally a pointer to the domain record.
#define QRN_ATTR(member, code, name, ...) \
    ::quarn::unit_attr<::quarn::code, unit_self_t, &unit_self_t::member>(name __VA_OPT__(, ) __VA_ARGS__)

#define QRN_UNIT_DEFINE_COMMON_(self, type_name, create_fn, ...)                                              \
    static_assert(std::is_same_v<self::unit_self_t, self>, #self " lacks QRN_UNIT_CLASS in its class body");  \
    static_assert(std::is_base_of_v<self::unit_parent_t, self>, #self " does not derive from its parent");    \
    static_assert(::quarn::unit_type_name_is_valid(type_name), "bad unit type name for " #self);             \
    constinit const ::quarn::string self::class_name{type_name};                                              \
    constinit const uint32_t self::fingerprint = ::quarn::unit_system_t::compute_fingerprint(#self);          \
    constinit const ::quarn::unit_attribute_t self::unit_attributes[] = {                                     \
        __VA_ARGS__ __VA_OPT__(, )::quarn::unit_attr_end(&self::unit_descriptor)};                            \
    constinit const ::quarn::unit_descriptor_t self::unit_descriptor = {                                      \
        &self::class_name,          create_fn,         &::quarn::unit_base_t::destroy_instance,               \
        &self::unit_parent_t::unit_descriptor, self::unit_attributes, &self::fingerprint};                    \
    void self::destroy() {                                                                                    \
        _unit_own_hook<self, 1>(this);                                                                        \
        _destroy_attributes(unit_descriptor);                                                                 \
        unit_parent_t::destroy();                                                                             \
    }                                                                                                         \
    bool self::_clone_to(::quarn::unit_base_t *target) {                                                      \
        if (!unit_parent_t::_clone_to(target) || !_clone_attributes_to(unit_descriptor, target)) return false; \
        /* Only a _clone_finish the class declares itself: an inherited one ran already. */                  \
        if constexpr (std::is_same_v<decltype(&self::_clone_finish), bool (self::*)(::quarn::unit_base_t *)>) \
            return _clone_finish(target);                                                                     \
        return true;                                                                                          \
    }

// A class that units are made of.
#define QRN_UNIT_DEFINE(self, type_name, ...)                                                     \
    static_assert(!std::is_abstract_v<self>, #self " is abstract: use QRN_UNIT_DEFINE_ABSTRACT"); \
    QRN_UNIT_DEFINE_COMMON_(self, type_name, &self::create_instance, __VA_ARGS__)                 \
    ::quarn::unit_base_t *self::create_instance(::quarn::unit_system_t *system) {                 \
        return new self(system);                                                                  \
    }                                                                                             \
    ::quarn::owner_ptr_ret_t<::quarn::unit_base_t> self::clone() {                                \
        ::quarn::unit_system_t *system = get_system();                                            \
        if (!system) return {};                                                                   \
        ::quarn::owner_ptr_t<::quarn::unit_base_t> copy(                                          \
            ::quarn::owner_ptr_ret_t<::quarn::unit_base_t>(create_instance(system)));             \
        if (copy && !_clone_to(copy.get())) copy.reset();                                         \
        return copy.release();                                                                    \
    }

// A class that is only a base of other classes: no create function, and cloning an
// instance aborts.
#define QRN_UNIT_DEFINE_ABSTRACT(self, type_name, ...)                                                    \
    QRN_UNIT_DEFINE_COMMON_(self, type_name, nullptr, __VA_ARGS__)                                        \
    ::quarn::unit_base_t *self::create_instance(::quarn::unit_system_t *) { return nullptr; }             \
    ::quarn::owner_ptr_ret_t<::quarn::unit_base_t> self::clone() { ::quarn::unit_abort_abstract_clone(#self); }
