#pragma once
// A resource tie for tests: records every call as "operation attribute" and answers
// from its settings. Values are units the test owns.
#include <string>
#include <vector>

#include "qrncore/units/unit_attr_types.h"
#include "qrncore/units/unit_resource_tie.h"

namespace quarn::test {

class recording_tie_t : public unit_resource_tie_t {
public:
    std::vector<std::string> calls;
    bool answer = true;            // result of the bool operations
    unit_base_t *loaded = nullptr;  // what load returns
    std::string name = "res/x";    // what get_resource_name reports

    bool get_resource_name(mstring_t *out, unit_base_t *) override {
        record("name", nullptr);
        out->copy(name.c_str());
        return answer;
    }
    bool check_resource_type(unit_base_t *) override {
        record("check", nullptr);
        return answer;
    }
    void destroy_value(unit_base_t *unit, const unit_attribute_t *a) override {
        record("destroy", a);
        slot(unit, a).value = nullptr;
    }
    void destroy_array(unit_base_t *, const unit_attribute_t *a) override { record("destroy_array", a); }
    bool clone_value(unit_base_t *source, const unit_attribute_t *a, unit_base_t *target) override {
        record("clone", a);
        if (answer) slot(target, a).value = slot(source, a).value;
        return answer;
    }
    bool clone_array(unit_base_t *, const unit_attribute_t *a, unit_base_t *) override {
        record("clone_array", a);
        return answer;
    }
    unit_base_t *load(const string &text, unit_base_t *, const unit_attribute_t *a) override {
        record("load " + std::string(text.c_str()), a);
        return loaded;
    }
    void unload(unit_base_t *, unit_base_t *, const unit_attribute_t *a) override { record("unload", a); }
    bool remove_array_element(unit_base_t *, const unit_attribute_t *a, uint32_t) override {
        record("remove", a);
        return answer;
    }
    bool get_array_size(unit_base_t *, const unit_attribute_t *a, uint32_t *out) override {
        record("size", a);
        *out = 0;
        return answer;
    }
    bool set_array_capacity(unit_base_t *, const unit_attribute_t *a, uint32_t) override {
        record("capacity", a);
        return answer;
    }
    bool get_value(unit_base_t *unit, const unit_attribute_t *a, unit_base_t **out) override {
        record("get", a);
        *out = slot(unit, a).value;
        return answer;
    }
    bool get_element(unit_base_t *, const unit_attribute_t *a, uint32_t, unit_base_t **out) override {
        record("get_element", a);
        *out = nullptr;
        return answer;
    }
    bool set_value(unit_base_t *unit, const unit_attribute_t *a, unit_base_t *value) override {
        record("set", a);
        if (answer) slot(unit, a).value = value;
        return answer;
    }
    bool set_element(unit_base_t *, const unit_attribute_t *a, uint32_t, unit_base_t *) override {
        record("set_element", a);
        return answer;
    }
    bool append(unit_base_t *, const unit_attribute_t *a, uint32_t, unit_base_t *) override {
        record("append", a);
        return answer;
    }
    bool prepend(unit_base_t *, const unit_attribute_t *a, uint32_t, unit_base_t *) override {
        record("prepend", a);
        return answer;
    }

private:
    static unit_resource_slot_t &slot(unit_base_t *unit, const unit_attribute_t *a) {
        return *static_cast<unit_resource_slot_t *>(a->address_in(unit));
    }
    void record(const std::string &op, const unit_attribute_t *a) {
        calls.push_back(a ? op + " " + a->name : op);
    }
};

}  // namespace quarn::test
