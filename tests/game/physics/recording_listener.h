#pragma once
// A contact listener that records every call, for the contact tests.
#include <vector>

#include "game/visuals/physics/physics_types.h"

namespace quarn::test {

class recording_listener_t : public physics_contact_listener_t {
public:
    struct call_t {
        physics_shape_t *self;
        physics_shape_t *other;
        vec3_t position;
        vec3_t normal;
    };
    void on_contact(physics_shape_t *self, physics_shape_t *other, const vec3_t &position,
                    const vec3_t &normal) override {
        calls.push_back({self, other, position, normal});
    }
    std::vector<call_t> calls;
};

}  // namespace quarn::test
