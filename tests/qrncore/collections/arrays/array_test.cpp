#include "qrncore/collections/arrays/array.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "qrncore/collections/abort_fixture.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/collections/arrays/array_fix.h"
#include "qrncore/collections/host_alloc_hook.h"
#include "qrncore/geometry/aabox.h"
#include "qrncore/geometry/placement.h"
#include "qrncore/geometry/plane.h"
#include "qrncore/geometry/sphere.h"
#include "qrncore/math/mat_sq.h"
#include "qrncore/math/quat.h"
#include "qrncore/math/vec.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {
namespace {

template <class T>
std::vector<T> values(const array_t<T> &a) {
    return std::vector<T>(a.get_data(), a.get_data() + a.get_count());
}

void fill(array_t<int> &a, std::initializer_list<int> v) {
    for (int x : v) ASSERT_NE(a.append(x), nullptr);
}

// ---- capacity and growth ----

TEST(array_dyn, capacity_grows_along_the_series_and_requests_jump_to_it) {
    test::host_alloc_hook_t host;
    array_dyn_t<int> a;
    std::vector<uint32_t> capacities;
    for (int i = 0; i < 7; ++i) {
        a.append(i);
        capacities.push_back(a.get_capacity());
    }
    EXPECT_EQ(capacities, (std::vector<uint32_t>{2, 2, 6, 6, 6, 6, 14}));
    EXPECT_EQ(host.requests(), (std::vector<size_t>{2 * sizeof(int), 6 * sizeof(int), 14 * sizeof(int)}));
    EXPECT_EQ(values(a), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));

    struct {
        uint32_t from, request, capacity;
    } const cases[] = {{0, 100, 126}, {0, 0, 0}, {0, 1, 2}, {0, 3, 6}, {14, 14, 14}, {14, 15, 30}, {2, 100, 126}};
    for (const auto &c : cases) {
        array_dyn_t<int> b;
        b.request_capacity(c.from);
        ASSERT_EQ(b.get_capacity(), c.from);
        EXPECT_TRUE(b.request_capacity(c.request));
        EXPECT_EQ(b.get_capacity(), c.capacity) << c.from << " -> " << c.request;
    }

    // expand of 0 never reaches the storage; expand asks for capacity + extra.
    host.reset();
    EXPECT_TRUE(a.expand(0));
    EXPECT_TRUE(host.requests().empty());
    EXPECT_TRUE(a.expand(1));
    EXPECT_EQ(a.get_capacity(), 30u);
}

TEST(array_dyn, shrink_fits_the_storage_to_the_count) {
    test::host_alloc_hook_t host;
    array_dyn_t<int> a;
    fill(a, {1, 2, 3});
    a.shrink();
    EXPECT_EQ(a.get_capacity(), 3u);
    EXPECT_EQ(values(a), (std::vector<int>{1, 2, 3}));

    // Without memory nothing changes.
    a.append(4);
    host.refuse_from(1);
    a.shrink();
    EXPECT_EQ(a.get_capacity(), 8u);
    EXPECT_EQ(values(a), (std::vector<int>{1, 2, 3, 4}));

    // An empty array gives its storage back.
    a.clear();
    const size_t frees = host.frees();
    a.shrink();
    EXPECT_EQ(a.get_capacity(), 0u);
    EXPECT_EQ(a.get_data(), nullptr);
    EXPECT_EQ(host.frees(), frees + 1);
}

// Every growing operation reports a growth the host refuses and leaves the array as
// it was.
TEST(array_dyn, failed_growth_leaves_the_array_unchanged) {
    test::host_alloc_hook_t host;
    array_dyn_t<int> a;
    fill(a, {1, 2});
    array_dyn_t<int> other;
    fill(other, {7});
    host.refuse_from(1);

    EXPECT_EQ(a.append(3), nullptr);
    EXPECT_EQ(a.insert(0, 3), nullptr);
    EXPECT_EQ(a.insert_after(1, 3), nullptr);
    EXPECT_FALSE(a.grow(1));
    EXPECT_FALSE(a.open_slot(0));
    EXPECT_FALSE(a.set_size(5));
    EXPECT_FALSE(a.append_array(other));
    EXPECT_FALSE(a.request_capacity(3));
    EXPECT_EQ(values(a), (std::vector<int>{1, 2}));
    EXPECT_EQ(a.get_capacity(), 2u);
    // Room that is already there needs no memory.
    EXPECT_TRUE(a.set_size(1));
    EXPECT_NE(a.append(9), nullptr);
    EXPECT_EQ(values(a), (std::vector<int>{1, 9}));
}

TEST(array_fix, holds_n_elements_inline_and_refuses_more) {
    test::host_alloc_hook_t host;
    {
        array_fix_t<int, 7> a;
        for (int i = 0; i < 7; ++i) EXPECT_NE(a.append(i), nullptr);
        EXPECT_EQ(a.append(7), nullptr);
        EXPECT_EQ(a.get_count(), 7u);
        EXPECT_EQ(a.get_capacity(), 7u);
        EXPECT_FALSE(a.grow(1));
        EXPECT_EQ(a.insert(0, 9), nullptr);
        EXPECT_TRUE(a.request_capacity(7));
        EXPECT_FALSE(a.request_capacity(8));
        EXPECT_TRUE(a.expand(0));
        EXPECT_EQ(values(a), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
        a.remove(3u);
        EXPECT_NE(a.insert(0, 9), nullptr);
        EXPECT_EQ(values(a), (std::vector<int>{9, 0, 1, 2, 4, 5, 6}));
        a.shrink();
        EXPECT_EQ(a.get_capacity(), 7u);
    }
    EXPECT_TRUE(host.requests().empty());
}

// ---- positions ----

TEST(array, insert_open_slot_and_shift_up_place_elements) {
    struct {
        const char *what;
        void (*op)(array_t<int> &);
        std::vector<int> expect;
    } const cases[] = {
        {"insert at 0", [](array_t<int> &a) { a.insert(0, 9); }, {9, 1, 2, 3}},
        {"insert at the last index goes before the last", [](array_t<int> &a) { a.insert(2, 9); }, {1, 2, 9, 3}},
        {"insert_after the last index appends", [](array_t<int> &a) { a.insert_after(2, 9); }, {1, 2, 3, 9}},
        {"insert_after 0", [](array_t<int> &a) { a.insert_after(0, 9); }, {1, 9, 2, 3}},
        {"open_slot puts a default element", [](array_t<int> &a) { a.open_slot(1); }, {1, 0, 2, 3}},
        {"open_slot at the count", [](array_t<int> &a) { a.open_slot(3); }, {1, 2, 3, 0}},
        {"grow then shift_up", [](array_t<int> &a) {
             a.grow(1);
             a.shift_up(1);
         }, {1, 0, 2, 3}},
        {"shift_up of the last slot", [](array_t<int> &a) { a.shift_up(2); }, {1, 2, 0}},
        {"set_size below the count", [](array_t<int> &a) { a.set_size(1); }, {1}},
        {"set_size above gives defaults", [](array_t<int> &a) { a.set_size(5); }, {1, 2, 3, 0, 0}},
        {"remove the middle", [](array_t<int> &a) { a.remove(1u); }, {1, 3}},
        {"set", [](array_t<int> &a) { a.set(2, 7); }, {1, 2, 7}},
        {"assign", [](array_t<int> &a) { a.assign(a.begin() + 1, 7); }, {1, 7, 3}},
    };
    for (const auto &c : cases) {
        for (bool fixed : {false, true}) {
            array_dyn_t<int> dyn;
            array_fix_t<int, 8> fix;
            array_t<int> &a = fixed ? static_cast<array_t<int> &>(fix) : dyn;
            fill(a, {1, 2, 3});
            c.op(a);
            EXPECT_EQ(values(a), c.expect) << c.what << (fixed ? " (fixed)" : "");
        }
    }
}

// A value taken from the array itself survives the growth or the shift it causes.
TEST(array, values_taken_from_the_array_itself) {
    array_dyn_t<int> a;
    fill(a, {1, 2});
    ASSERT_EQ(a.get_capacity(), 2u);
    a.append(a[0]);  // grows
    a.insert(0, a[2]);
    a.insert_after(0, a[3]);
    EXPECT_EQ(values(a), (std::vector<int>{1, 1, 1, 2, 1}));
    a.append_array(a);
    EXPECT_EQ(values(a), (std::vector<int>{1, 1, 1, 2, 1, 1, 1, 1, 2, 1}));

    array_dyn_t<mstring_dyn_t> s;
    s.append("a");
    s.append("b");
    s.insert(0, s[1]);
    s.append(s[0]);
    ASSERT_EQ(s.get_count(), 4u);
    EXPECT_STREQ(s[0].c_str(), "b");
    EXPECT_STREQ(s[3].c_str(), "b");
}

// Removing inside a loop that advances afterwards visits every element once, the one
// that moved into the gap included, also when element 0 goes.
TEST(array, loop_that_removes_visits_every_element) {
    struct {
        std::vector<int> start;
        std::vector<int> keep;
    } const cases[] = {
        {{2, 4, 1, 6, 3, 8}, {1, 3}},
        {{2, 2, 2}, {}},
        {{1, 2}, {1}},
        {{1, 3, 5}, {1, 3, 5}},
    };
    for (const auto &c : cases) {
        array_dyn_t<int> a;
        for (int x : c.start) a.append(x);
        std::vector<int> visited;
        for (auto it = a.begin(); it != a.end(); ++it) {
            visited.push_back(*it);
            if (*it % 2 == 0) it = a.remove(it);
        }
        EXPECT_EQ(visited, c.start);
        EXPECT_EQ(values(a), c.keep);
    }
    array_dyn_t<int> a;
    fill(a, {5, 6});
    auto before = a.remove(0u);
    EXPECT_EQ(before.index(), -1);
    ++before;
    EXPECT_EQ(*before, 6);
}

class array_death : public test::abort_fixture_t {};

TEST_F(array_death, bad_indices_and_iterators_abort) {
    array_dyn_t<int> empty;
    EXPECT_DEATH(empty.insert(0, 1), "arrays_base_impl\\([0-9]+\\): unknown fn: Index failed boundary check\\.");
    array_dyn_t<int> a;
    fill(a, {1, 2});
    array_dyn_t<int> b;
    fill(b, {1, 2});
    EXPECT_DEATH(a[2], "Index failed boundary check\\.");
    EXPECT_DEATH(a.set(2, 0), "Index failed boundary check\\.");
    EXPECT_DEATH(a.remove(2u), "Index failed boundary check\\.");
    EXPECT_DEATH(a.insert_after(2, 0), "Index failed boundary check\\.");
    EXPECT_DEATH(a.shift_up(2), "Index failed boundary check\\.");
    EXPECT_DEATH(a.open_slot(3), "Index failed boundary check\\.");
    EXPECT_DEATH(a.remove(a.end()), "Iterator failed boundary check\\.");
    EXPECT_DEATH(a.assign(a.position(-1), 0), "Iterator failed boundary check\\.");
    EXPECT_DEATH(a.remove(b.begin()), "Iterator failed boundary check\\.");
    EXPECT_DEATH(*a.end(), "Iterator failed boundary check\\.");
}

// ---- element kinds ----

// Counts text buffers, so tests can see that texts move by handing buffers over.
struct counting_allocator_t {
    static inline int made = 0;
    static inline int live = 0;
    static char *allocate(uint32_t n) {
        ++made;
        ++live;
        return new char[n];
    }
    static void release(char *p) {
        --live;
        delete[] p;
    }
};
using counted_text_t = string_dyn_t<counting_allocator_t>;

std::vector<std::string> texts(const array_t<counted_text_t> &a) {
    std::vector<std::string> out;
    for (const auto &t : a) out.emplace_back(t.c_str());
    return out;
}

TEST(array_of_texts, buffers_are_handed_over_never_copied) {
    counting_allocator_t::made = counting_allocator_t::live = 0;
    {
        array_dyn_t<counted_text_t> a;
        const char *const words[] = {"pear", "Apple", "fig", "banana", "cherry"};
        for (const char *w : words) a.append(counted_text_t(w));
        ASSERT_EQ(counting_allocator_t::made, 5);
        std::vector<const char *> buffers;
        for (const auto &t : a) buffers.push_back(t.c_str());

        // New elements are the empty text without a buffer; growth moves the rest.
        ASSERT_TRUE(a.grow(20));
        EXPECT_STREQ(a[5].c_str(), "");
        EXPECT_EQ(a[5].get_capacity(), 0u);
        a.set_size(5);
        ASSERT_TRUE(a.insert(1, counted_text_t("kiwi")));
        EXPECT_EQ(texts(a), (std::vector<std::string>{"pear", "kiwi", "Apple", "fig", "banana", "cherry"}));
        const char *kiwi = a[1].c_str();

        // Removing frees only the removed text's buffer.
        a.remove(0u);
        EXPECT_EQ(counting_allocator_t::live, 5);
        ASSERT_TRUE(a.sort());
        EXPECT_EQ(texts(a), (std::vector<std::string>{"Apple", "banana", "cherry", "fig", "kiwi"}));
        const std::vector<const char *> after = {a[0].c_str(), a[1].c_str(), a[2].c_str(), a[3].c_str(),
                                                 a[4].c_str()};
        EXPECT_EQ(after, (std::vector<const char *>{buffers[1], buffers[3], buffers[4], buffers[2], kiwi}));
        EXPECT_EQ(counting_allocator_t::made, 6);
        EXPECT_EQ(counting_allocator_t::live, 5);

        // Copies are real copies; moved arrays keep their buffers.
        array_dyn_t<counted_text_t> copy;
        copy.append_array(a);
        EXPECT_EQ(counting_allocator_t::live, 10);
        array_dyn_t<counted_text_t> moved(std::move(copy));
        EXPECT_EQ(copy.get_count(), 0u);
        EXPECT_EQ(texts(moved), texts(a));
        EXPECT_EQ(counting_allocator_t::live, 10);
    }
    EXPECT_EQ(counting_allocator_t::live, 0);
}

TEST(array_of_texts, sort_is_byte_wise_and_refuses_without_memory) {
    array_dyn_t<counted_text_t> a;
    for (const char *w : {"b", "\xe4", "B", "a", ""}) a.append(counted_text_t(w));
    {
        test::host_alloc_hook_t host(1);
        EXPECT_FALSE(a.sort());
    }
    EXPECT_EQ(texts(a), (std::vector<std::string>{"b", "\xe4", "B", "a", ""}));
    ASSERT_TRUE(a.sort());
    EXPECT_EQ(texts(a), (std::vector<std::string>{"", "B", "a", "b", "\xe4"}));
}

// A stand-in unit and holder: the holder counts on copy and release, and its trait
// records what the arrays ask of it.
struct fake_unit_t {
    int count = 0;
    int id = 0;
};
std::vector<std::string> holder_log;

struct fake_ref_t {
    fake_ref_t() = default;
    fake_ref_t(fake_unit_t *u) : unit(u) {
        if (unit) ++unit->count;
    }
    fake_ref_t(const fake_ref_t &o) : fake_ref_t(o.unit) {}
    fake_ref_t(fake_ref_t &&o) noexcept : unit(o.unit) { o.unit = nullptr; }
    fake_ref_t &operator=(const fake_ref_t &o) {
        fake_ref_t copy(o);
        std::swap(unit, copy.unit);
        return *this;
    }
    ~fake_ref_t() {
        if (unit) --unit->count;
    }
    fake_unit_t *unit = nullptr;
};

}  // namespace

template <>
struct unit_holder_trait_t<fake_ref_t> {
    static constexpr bool IS_UNIT_HOLDER = true;
    static void make_null(fake_ref_t *slot) {
        holder_log.push_back("null");
        ::new (static_cast<void *>(slot)) fake_ref_t();
    }
    static void transfer(fake_ref_t *dst, fake_ref_t *src) {
        holder_log.push_back("move " + std::to_string(src->unit ? src->unit->id : 0));
        ::new (static_cast<void *>(dst)) fake_ref_t();
        dst->unit = src->unit;
    }
    static void release(fake_ref_t *slot) {
        holder_log.push_back("release " + std::to_string(slot->unit ? slot->unit->id : 0));
        if (slot->unit) --slot->unit->count;
    }
};

namespace {

TEST(array_of_unit_holders, references_travel_with_the_elements) {
    fake_unit_t u[4];
    for (int i = 0; i < 4; ++i) u[i].id = i + 1;
    holder_log.clear();
    {
        array_dyn_t<fake_ref_t> a;
        ASSERT_TRUE(a.set_size(2));  // two empty holders
        EXPECT_EQ(holder_log, (std::vector<std::string>{"null", "null"}));
        a.set(0, &u[0]);
        a.set(1, &u[1]);
        holder_log.clear();
        a.append(&u[2]);  // grows: the two holders move, their counts stay
        EXPECT_EQ(holder_log, (std::vector<std::string>{"move 1", "move 2"}));
        EXPECT_EQ(u[0].count, 1);
        EXPECT_EQ(u[1].count, 1);
        EXPECT_EQ(u[2].count, 1);

        a.insert(0, &u[3]);
        EXPECT_EQ(u[3].count, 1);
        holder_log.clear();
        a.remove(2u);  // unit 2
        EXPECT_EQ(holder_log, (std::vector<std::string>{"release 2", "move 3"}));
        EXPECT_EQ(u[1].count, 0);

        array_dyn_t<fake_ref_t> copy;
        copy.append_array(a);
        EXPECT_EQ(u[0].count, 2);
        copy.clear();
        EXPECT_EQ(u[0].count, 1);

        // Below the count the surplus goes from the end; above it, empty holders.
        holder_log.clear();
        ASSERT_TRUE(a.set_size(1));
        EXPECT_EQ(holder_log, (std::vector<std::string>{"release 3", "release 1"}));
        ASSERT_TRUE(a.set_size(3));
        EXPECT_EQ(a[2].unit, nullptr);
        EXPECT_EQ(u[3].count, 1);

        array_fix_t<fake_ref_t, 7> slots;
        slots.set_size(7);
        slots.set(6, &u[0]);
        EXPECT_EQ(u[0].count, 1);
        slots.append_array(std::move(a));  // refused: the slots are full
        array_dyn_t<fake_ref_t> taken;
        taken.append_array(std::move(a));
        EXPECT_EQ(u[3].count, 1);
        EXPECT_EQ(a[0].unit, nullptr);
        EXPECT_EQ(taken[0].unit, &u[3]);
        holder_log.clear();
    }
    EXPECT_EQ(holder_log, (std::vector<std::string>{"release 0", "release 0", "release 4", "release 1", "release 0",
                                                    "release 0", "release 0", "release 0", "release 0", "release 0",
                                                    "release 0", "release 0", "release 0"}));
    for (const auto &unit : u) EXPECT_EQ(unit.count, 0) << unit.id;
}

// Records with a virtual destructor are ended in place.
struct record_t {
    explicit record_t(int v = 0) : value(v) { ++live; }
    record_t(const record_t &o) : value(o.value) { ++live; }
    record_t &operator=(const record_t &) = default;
    virtual ~record_t() {
        --live;
        ended.push_back(value);
    }
    int value;
    static inline int live = 0;
    static inline std::vector<int> ended;
};

TEST(array_of_records, records_are_ended_in_place_and_pointers_deleted) {
    record_t::live = 0;
    {
        array_dyn_t<record_t> a;
        for (int i = 1; i <= 5; ++i) a.append(record_t(i));
        record_t::ended.clear();
        a.set_size(3);
        EXPECT_EQ(record_t::ended, (std::vector<int>{5, 4}));
        a.remove(0u);
        EXPECT_EQ(record_t::live, 2);
        EXPECT_EQ(a[0].value, 2);
    }
    EXPECT_EQ(record_t::live, 0);

    struct derived_t : record_t {
        explicit derived_t(int v, int *extra) : record_t(v), extra_ended(extra) {}
        ~derived_t() override { ++*extra_ended; }
        int *extra_ended;
    };
    int derived_ended = 0;
    array_dyn_t<record_t *> objects;
    for (int i = 1; i <= 3; ++i) objects.append(new derived_t(i, &derived_ended));
    record_t::ended.clear();
    objects.delete_all();
    EXPECT_EQ(objects.get_count(), 0u);
    EXPECT_EQ(derived_ended, 3);
    EXPECT_EQ(record_t::ended, (std::vector<int>{3, 2, 1}));
}

// ---- plain values ----

TEST(array_of_plain_values, bytes_wide_integers_and_copies) {
    array_dyn_t<char> bytes;
    EXPECT_TRUE(bytes.append_string("ab"));
    EXPECT_TRUE(bytes.append_string(""));
    EXPECT_TRUE(bytes.append_string("cde"));
    char out[8] = {};
    EXPECT_EQ(bytes.copy_out(out), 5u);
    EXPECT_STREQ(out, "abcde");
    array_fix_t<uint8_t, 4> small;
    EXPECT_FALSE(small.append_string("hello"));
    EXPECT_EQ(small.get_count(), 0u);

    // 32-bit values widen by the sign of their source type.
    array_dyn_t<int64_t> wide;
    wide.append(int32_t(-1));
    wide.append(uint32_t(0xFFFFFFFFu));
    wide.insert(0, int32_t(-2));
    wide.insert_after(2, uint32_t(0x80000000u));
    EXPECT_EQ(values(wide), (std::vector<int64_t>{-2, -1, 0xFFFFFFFFll, 0x80000000ll}));

    int64_t copied[4] = {};
    EXPECT_EQ(wide.copy_to(copied), 4u);
    EXPECT_EQ(copied[3], 0x80000000ll);

    array_dyn_t<void *> pointers;
    ASSERT_TRUE(pointers.set_size(3));
    for (void *p : pointers) EXPECT_EQ(p, nullptr);
}

// The math types: a default element is the type's own default (the identity
// rotation, the plane y = 0, the unit sphere, zero vectors, boxes and matrices) and
// values keep every byte through insertion, growth and removal.
template <class T>
class array_of_math : public ::testing::Test {};

template <class T>
T sample(int k) {
    T v;
    auto *f = reinterpret_cast<float *>(&v);
    for (size_t i = 0; i < sizeof(T) / sizeof(float); ++i) f[i] = float(k * 100 + int(i)) + 0.5f;
    return v;
}

template <class T>
bool same(const T &a, const T &b) {
    return memcmp(&a, &b, sizeof(T)) == 0;
}

using math_types = ::testing::Types<vec3_t, vec4_t, mat4_t, quat_t, placement_t, placement_scale_t,
                                    placement_nonuniform_t, plane_t, sphere_t, aabox_t>;
TYPED_TEST_SUITE(array_of_math, math_types);

TYPED_TEST(array_of_math, defaults_and_values_keep_their_bytes) {
    using T = TypeParam;
    static_assert(sizeof(T) % sizeof(float) == 0);
    array_dyn_t<T> a;
    ASSERT_TRUE(a.grow(1));
    for (int k = 1; k <= 3; ++k) ASSERT_NE(a.append(sample<T>(k)), nullptr);
    a.insert(1, sample<T>(4));
    a.insert_after(4, sample<T>(5));
    a.remove(2u);
    ASSERT_EQ(a.get_count(), 5u);
    EXPECT_TRUE(same(a[0], T()));
    EXPECT_TRUE(same(a[1], sample<T>(4)));
    EXPECT_TRUE(same(a[2], sample<T>(2)));
    EXPECT_TRUE(same(a[3], sample<T>(3)));
    EXPECT_TRUE(same(a[4], sample<T>(5)));
    a.grow(1);
    a.shift_up(0);
    EXPECT_TRUE(same(a[0], T()));
    EXPECT_TRUE(same(a[1], T()));
    EXPECT_TRUE(same(a[5], sample<T>(5)));
}

TEST(array_of_math, default_values_are_the_types_own) {
    array_dyn_t<quat_t> q;
    q.grow(1);
    EXPECT_TRUE(q[0].is_identity());
    EXPECT_EQ(q[0].x, 0.0f);
    array_fix_t<placement_t, 2> p;
    p.grow(1);
    EXPECT_EQ(p[0].rotation.w, 1.0f);
    EXPECT_EQ(p[0].position.x, 0.0f);
    array_dyn_t<plane_t> pl;
    pl.grow(1);
    EXPECT_EQ(pl[0].b, 1.0f);
    EXPECT_EQ(pl[0].d, 0.0f);
    array_dyn_t<sphere_t> sp;
    sp.set_size(1);
    EXPECT_EQ(sp[0].radius, 1.0f);
}

}  // namespace
}  // namespace quarn
