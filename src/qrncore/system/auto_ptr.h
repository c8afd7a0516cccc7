#pragma once
// quarn::auto_ptr_t<T>: the sole owner of an object made with new; it deletes the
// object when it is destroyed or given another one. Functions that hand over a new
// object (a file, a directory list) return it as auto_ptr_t<T>::ret_t, and ownership
// moves with the value, so a result nobody takes is still deleted.
#include <cstddef>
#include <type_traits>
#include <utility>

namespace quarn {

template <class T>
class auto_ptr_t {
public:
    using ret_t = auto_ptr_t;

    auto_ptr_t() = default;
    auto_ptr_t(std::nullptr_t) {}
    explicit auto_ptr_t(T *object) : m_object(object) {}
    auto_ptr_t(auto_ptr_t &&other) noexcept : m_object(other.release()) {}
    // From an owner of a derived class.
    template <class U>
        requires std::is_convertible_v<U *, T *>
    auto_ptr_t(auto_ptr_t<U> &&other) noexcept : m_object(other.release()) {}
    auto_ptr_t &operator=(auto_ptr_t &&other) noexcept {
        reset(other.release());
        return *this;
    }
    ~auto_ptr_t() { delete m_object; }
    auto_ptr_t(const auto_ptr_t &) = delete;
    auto_ptr_t &operator=(const auto_ptr_t &) = delete;

    T *get() const { return m_object; }
    T *operator->() const { return m_object; }
    T &operator*() const { return *m_object; }
    explicit operator bool() const { return m_object != nullptr; }
    bool is_null() const { return m_object == nullptr; }

    // Gives the object up without deleting it; the owner is empty afterwards.
    T *release() { return std::exchange(m_object, nullptr); }
    // Deletes the current object and takes this one.
    void reset(T *object = nullptr) {
        T *old = std::exchange(m_object, object);
        if (old != object) delete old;
    }

private:
    T *m_object = nullptr;
};

}  // namespace quarn
