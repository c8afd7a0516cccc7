// Resource items: obtaining by name and type, loaders and type guessing, refresh,
// counts and their holders, children and aliases, the bulk operations.
#include <gtest/gtest.h>

#include <set>

#include "mm_fixture.h"
#include "outside/qrnshared/resource_tie.h"
#include "support/message_capture.h"

namespace quarn::test {
namespace {

using items_test = mm_fixture_t;

TEST_F(items_test, the_same_name_gives_the_same_item_counted_by_the_request_type) {
    c_item_t *a = obtain(MM_NAMED_REF, "x");
    c_item_t *b = obtain(MM_NAMED_REF, "x");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a->ref_count, 2u);
    a->release_ref();
    a->release_ref();
    // Cached without memory: the last release destroyed it.
    EXPECT_EQ(manager.find("x"), nullptr);

    c_item_t *c = obtain(MM_NAMED, "y");
    EXPECT_EQ(obtain(MM_NAMED, "y"), c);
    EXPECT_EQ(c->ref_count, 0u) << "types 0-3 hand the item over uncounted";
    EXPECT_EQ(manager.find("y"), c);
}

TEST_F(items_test, private_and_anonymous_items_are_never_found) {
    c_item_t *a = obtain(MM_NAMED_REF, "p", c_item_t::PRIVATE);
    c_item_t *b = obtain(MM_NAMED_REF, "p", c_item_t::PRIVATE);
    c_item_t *anon = obtain(MM_ANONYMOUS_REF, "p");
    EXPECT_NE(a, b);
    EXPECT_EQ(manager.find("p"), nullptr);
    EXPECT_EQ(manager.get_chain(m_manager::PRIVATE_CHAIN), b) << "newest first";
    EXPECT_EQ(manager.get_chain(m_manager::ANONYMOUS_CHAIN), anon);
    EXPECT_TRUE(anon->has(c_item_t::PRIVATE | c_item_t::DESTROY_IMMEDIATELY));
    EXPECT_STREQ(anon->get_name(), "anonymous");
    for (c_item_t *i : {a, b, anon}) i->release_ref();
    EXPECT_EQ(manager.get_item_count(), 0u) << "private items go with their last reference";
}

TEST_F(items_test, a_failed_load_of_type_3_destroys_the_new_item) {
    message_capture_t log;
    EXPECT_EQ(obtain(MM_NAMED_LOAD, "missing"), nullptr);
    EXPECT_EQ(manager.get_item_count(), 0u);
    // Type 2 only warns and keeps the item.
    c_item_t *kept = obtain(MM_NAMED_CACHE_REF, "missing");
    ASSERT_NE(kept, nullptr);
    EXPECT_TRUE(log.contains("[mem] Caching of the resource 'missing' failed."));
    kept->release_ref();

    script.sizes["there"] = 10;
    c_item_t *loaded = obtain(MM_NAMED_LOAD, "there");
    ASSERT_NE(loaded, nullptr);
    EXPECT_TRUE(loaded->has(c_item_t::MEMORY_VALID));
    EXPECT_EQ(loaded->size, 10u);
    EXPECT_TRUE(holds_pattern(loaded));
}

TEST_F(items_test, a_found_item_of_another_class_is_refused) {
    message_capture_t log;
    c_item_t *item = obtain(MM_NAMED_REF, "tex");
    EXPECT_EQ(manager.obtain(MM_NAMED_REF, "tex", &other_resource_u::unit_descriptor, 0), nullptr);
    EXPECT_TRUE(log.contains("[mem] The resource 'tex' type 'test_resource' does not match the expected 'other_resource'!"));
    EXPECT_EQ(item->ref_count, 1u);
    // A base class matches.
    EXPECT_EQ(manager.obtain(MM_NAMED, "tex", &resource_unit_u::unit_descriptor, 0), item);
    item->release_ref();
}

TEST_F(items_test, flags_asked_of_a_found_item_are_added) {
    c_item_t *item = loaded("f", 16);
    ASSERT_TRUE(item->has(c_item_t::IN_MLRU));
    EXPECT_EQ(obtain(MM_NAMED, "f", c_item_t::MLRU_DISALLOWED | c_item_t::DESTROY_IMMEDIATELY), item);
    EXPECT_TRUE(item->has(c_item_t::MLRU_DISALLOWED | c_item_t::DESTROY_IMMEDIATELY));
    EXPECT_FALSE(item->has(c_item_t::IN_MLRU));
    item->release_ref();  // destroy-immediately: gone although it holds memory
    EXPECT_EQ(manager.find("f"), nullptr);
}

// Loaders that know one extension, recording what they were asked.
class ext_loader_t : public resource_loader_t {
public:
    ext_loader_t(const char *ext, const unit_descriptor_t *type) : m_ext(ext), m_type(type) {}
    bool detect_resource(const string &, const string &extension) override { return extension == m_ext; }
    const unit_descriptor_t *get_resource_type(const string &, const string &) override { return m_type; }

private:
    const char *m_ext;
    const unit_descriptor_t *m_type;
};

class any_loader_t : public resource_loader_t {
public:
    bool detect_resource(const string &, const string &) override { return true; }
    const unit_descriptor_t *get_resource_type(const string &, const string &) override {
        return &test_resource_u::unit_descriptor;
    }
};

TEST_F(items_test, loaders_are_asked_newest_first_and_a_failed_guess_goes_on) {
    message_capture_t log;
    any_loader_t fallback;
    ext_loader_t tex("tex", &other_resource_u::unit_descriptor);
    ext_loader_t broken("tex", nullptr);
    ASSERT_TRUE(manager.register_loader(&fallback));
    ASSERT_TRUE(manager.register_loader(&tex));
    ASSERT_TRUE(manager.register_loader(&broken));

    c_item_t *a = manager.obtain(MM_NAMED_REF, "/data/wall.tex", nullptr, 0);
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(log.contains("[mem] The resource '/data/wall.tex' type-guess failed."));
    EXPECT_EQ(a->get_unit()->get_descriptor(), &other_resource_u::unit_descriptor);
    c_item_t *b = manager.obtain(MM_NAMED_REF, "/data.tex/readme", nullptr, 0);
    EXPECT_EQ(b->get_unit()->get_descriptor(), &test_resource_u::unit_descriptor) << "no extension";

    manager.unregister_loader(&fallback);
    EXPECT_EQ(manager.obtain(MM_NAMED_REF, "plain.txt", nullptr, 0), nullptr);
    EXPECT_TRUE(log.contains("[mem] Even the fall-back loader refused the resource 'plain.txt'!"));
    manager.unregister_loader(&tex);
    manager.unregister_loader(&broken);
    a->release_ref();
    b->release_ref();
}

TEST_F(items_test, the_65th_loader_is_refused_and_mistakes_are_reported) {
    message_capture_t log;
    std::vector<any_loader_t> loaders(65);
    for (int i = 0; i < 64; ++i) ASSERT_TRUE(manager.register_loader(&loaders[i]));
    EXPECT_FALSE(manager.register_loader(&loaders[64]));
    EXPECT_TRUE(log.contains("[mem] Tried to register too many resource loaders at once (already 64 of them)."));
    EXPECT_FALSE(manager.register_loader(&loaders[0]));
    EXPECT_TRUE(log.contains("[mem] Attemp to register a resource loader for second time."));
    manager.unregister_loader(&loaders[64]);
    EXPECT_TRUE(log.contains("[mem] Attempt to unregister a resource loader for second time."));
    loaders[64].registered = true;
    manager.unregister_loader(&loaders[64]);
    EXPECT_TRUE(log.contains("[mem] Attempt to unregister an unknown resource loader."));
    for (int i = 0; i < 64; ++i) manager.unregister_loader(&loaders[i]);
    EXPECT_EQ(manager.get_loader_count(), 0u);
}

TEST_F(items_test, a_unit_that_refuses_its_item_leaves_nothing_behind) {
    EXPECT_EQ(obtain(MM_NAMED_REF, "refused"), nullptr);
    EXPECT_EQ(manager.get_item_count(), 0u);
}

TEST_F(items_test, refresh_answers_with_its_code) {
    c_item_t *anon = obtain(MM_ANONYMOUS_REF, "a");
    c_item_t *named = obtain(MM_NAMED_REF, "n");
    c_item_t *alias = obtain(MM_NAMED_REF, "alias");
    alias->set_alias_target(named);
    EXPECT_EQ(anon->refresh(), REFRESH_ANONYMOUS);
    EXPECT_EQ(alias->refresh(), REFRESH_ALIAS);
    EXPECT_EQ(alias->resolve(), named);
    EXPECT_EQ(named->ref_count, 2u) << "the alias counts its target";
    EXPECT_EQ(manager.refresh_resource("n"), REFRESH_UNSUPPORTED);
    script.refresh_code = REFRESH_DONE;
    EXPECT_EQ(manager.refresh_resource("n"), REFRESH_DONE);
    // A name nothing is known by cannot have been refreshed.
    EXPECT_EQ(manager.refresh_resource("unknown"), REFRESH_FAILED);
    alias->set_alias_target(nullptr);
    EXPECT_EQ(named->ref_count, 1u);
    for (c_item_t *i : {anon, named, alias}) i->release_ref();
}

TEST_F(items_test, lock_fixes_and_the_last_unlock_enters_the_memory_lru) {
    script.sizes["l"] = 32;
    c_item_t *item = obtain(MM_NAMED_REF, "l");
    void *data = item->lock();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(item->fix_count, 1u);
    EXPECT_EQ(item->ref_count, 1u) << "no reference is taken";
    EXPECT_FALSE(item->has(c_item_t::IN_MLRU));
    EXPECT_EQ(item->lock(), data);
    item->unlock();
    EXPECT_FALSE(item->has(c_item_t::IN_MLRU));
    item->unlock();
    EXPECT_TRUE(item->has(c_item_t::IN_MLRU));
    EXPECT_EQ(manager.get_mlru_newest(), item);

    c_item_t *missing = obtain(MM_NAMED_REF, "nothing");
    EXPECT_EQ(missing->lock(), nullptr);
    EXPECT_EQ(missing->fix_count, 0u);
    missing->release_ref();
    item->release_ref();
}

TEST_F(items_test, a_lock_holder_on_a_failed_load_keeps_only_the_reference) {
    c_item_t *item = obtain(MM_NAMED_REF, "nothing");
    {
        c_item_lock_t hold(item);
        EXPECT_EQ(hold.get_data(), nullptr);
        EXPECT_EQ(item->ref_count, 2u);
        EXPECT_EQ(item->fix_count, 0u);
    }
    EXPECT_EQ(item->ref_count, 1u);
    script.sizes["nothing"] = 8;
    {
        c_item_lock_t hold(item);
        EXPECT_EQ(hold.get_data(), item->data);
        EXPECT_EQ(item->fix_count, 1u);
    }
    EXPECT_EQ(item->fix_count, 0u);
    EXPECT_TRUE(item->has(c_item_t::IN_MLRU));
    item->release_ref();
}

TEST_F(items_test, an_item_pointer_counts_before_it_releases) {
    c_item_t *item = obtain(MM_NAMED, "p");
    {
        c_item_ptr_t ptr(item);
        EXPECT_EQ(item->ref_count, 1u);
        ptr = item;  // the same item: the count never touches 0
        EXPECT_EQ(item->ref_count, 1u);
        EXPECT_EQ(manager.find("p"), item);
        c_item_ptr_t copy(ptr);
        EXPECT_EQ(item->ref_count, 2u);
    }
    EXPECT_EQ(manager.find("p"), nullptr) << "the last release destroyed the item without memory";
}

TEST_F(items_test, a_resource_tie_counts_the_item_of_the_unit_it_holds) {
    c_item_t *a = obtain(MM_NAMED, "a");
    c_item_t *b = obtain(MM_NAMED, "b");
    {
        resource_tie_t<test_resource_u> tie(a);
        EXPECT_EQ(tie.get(), a->get_unit());
        EXPECT_EQ(tie.get_item(), a);
        EXPECT_EQ(a->ref_count, 1u);
        tie = a;  // the same item: never released in between
        EXPECT_EQ(manager.find("a"), a);
        resource_tie_t<resource_unit_u> base(tie.get_item());
        EXPECT_EQ(a->ref_count, 2u);
        tie = b;
        EXPECT_EQ(a->ref_count, 1u);
        EXPECT_EQ(b->ref_count, 1u);
        base = nullptr;
        EXPECT_EQ(manager.find("a"), nullptr) << "released at 0 without memory: gone";
    }
    EXPECT_EQ(manager.find("b"), nullptr);
}

TEST_F(items_test, children_forward_their_fixes_to_the_memory_owner) {
    c_item_t *owner = loaded("owner", 64);
    c_item_t *child = obtain(MM_NAMED_REF, "owner#child");
    c_item_t *grandchild = obtain(MM_NAMED_REF, "owner#child#part");
    child->flags |= c_item_t::FORWARDED;
    grandchild->flags |= c_item_t::FORWARDED;
    manager.attach_child(owner, child);
    manager.attach_child(child, grandchild);
    EXPECT_EQ(owner->ref_count, 2u);
    EXPECT_EQ(owner->first_child, child);
    EXPECT_EQ(grandchild->fix_forward, &owner->fix_count) << "forwarded straight to the memory owner";

    script.sizes["owner#child#part"] = 16;
    c_item_lock_t hold(grandchild);
    EXPECT_EQ(grandchild->fix_count, 1u);
    EXPECT_EQ(owner->fix_count, 1u);
    EXPECT_EQ(child->fix_count, 0u);
    hold.release();
    EXPECT_EQ(owner->fix_count, 0u);

    manager.detach_child(grandchild);
    manager.detach_child(child);
    EXPECT_EQ(owner->ref_count, 1u);
    EXPECT_EQ(child->ref_count, 1u);
    for (c_item_t *i : {owner, child, grandchild}) i->release_ref();
}

TEST_F(items_test, the_name_hash_takes_bytes_as_signed_values) {
    EXPECT_EQ(m_manager::name_hash(""), 0u);
    EXPECT_EQ(m_manager::name_hash("a"), 97u);
    // 97 * 29 + 98 = 2911, no bits above 16.
    EXPECT_EQ(m_manager::name_hash("ab"), 2911u);
    const uint32_t t = uint32_t(-1);  // one byte 0xff is -1
    EXPECT_EQ(m_manager::name_hash("\xff"), t + (t >> 16));
}

using bulk_test = mm_fixture_t;

TEST_F(bulk_test, unreferenced_memory_and_items_go_while_referenced_ones_stay) {
    c_item_t *kept = loaded("kept", 32);
    loaded("cached", 32)->release_ref();
    c_item_t *other = manager.obtain(MM_NAMED, "other", &other_resource_u::unit_descriptor, 0);
    ASSERT_NE(other, nullptr);

    script.events.clear();
    manager.mem_free_unreferenced(-1, &test_resource_u::unit_descriptor);
    EXPECT_EQ(script.events, (std::vector<std::string>{"unload cached"}));
    EXPECT_EQ(manager.find("cached"), nullptr) << "without memory and unreferenced it goes";
    EXPECT_EQ(manager.find("other"), other) << "another class is not visited";
    EXPECT_TRUE(kept->has(c_item_t::MEMORY_VALID));

    manager.remove_unreferenced(-1, nullptr);
    EXPECT_EQ(manager.find("other"), nullptr);
    EXPECT_EQ(manager.find("kept"), kept);
    kept->release_ref();
}

TEST_F(bulk_test, the_key_selects_and_busy_items_are_never_touched) {
    c_item_t *a = loaded("a", 32);
    c_item_t *b = loaded("b", 32);
    c_item_t *c = loaded("c", 32);
    a->hw_key = 5;
    b->hw_key = 6;
    c->hw_key = 5;
    c->flags |= c_item_t::BUSY;
    for (c_item_t *i : {a, b, c}) i->flags |= c_item_t::HW_VALID;
    b->flags |= c_item_t::HW_KEEP;

    script.events.clear();
    manager.hw_free_all(5, nullptr);
    EXPECT_EQ(script.events, (std::vector<std::string>{"hw_unload a"}));
    script.events.clear();
    manager.hw_free_all(-1, nullptr);
    EXPECT_TRUE(script.events.empty()) << "b keeps its copy, c is busy";

    // Fixed and referenced items keep their memory; unfixed ones lose it.
    a->fix_count = 1;
    script.events.clear();
    manager.mem_free_all(-1, nullptr);
    EXPECT_EQ(script.events, (std::vector<std::string>{"unload b"}));
    a->fix_count = 0;
    c->flags &= ~uint32_t(c_item_t::BUSY | c_item_t::HW_VALID);
    b->flags &= ~uint32_t(c_item_t::HW_VALID);
    for (c_item_t *i : {a, b, c}) i->release_ref();
}

}  // namespace
}  // namespace quarn::test
