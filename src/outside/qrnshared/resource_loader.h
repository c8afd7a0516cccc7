#pragma once
// resource_loader_t: guesses the resource type of a name. The memory manager asks the
// registered loaders, newest first, when an item is obtained without a type.
#include "outside/qrnshared/api.h"
#include "qrncore/strings/string.h"
#include "qrncore/units/unit_structs.h"

namespace quarn {

class QRNSHARED_API resource_loader_t {
public:
    resource_loader_t() = default;
    virtual ~resource_loader_t();
    resource_loader_t(const resource_loader_t &) = delete;
    resource_loader_t &operator=(const resource_loader_t &) = delete;

    // Whether this loader knows the resource (its name and the name's extension,
    // without the dot; "" when there is none).
    virtual bool detect_resource(const string &name, const string &extension) = 0;
    // The resource unit class for it; null when the guess fails.
    virtual const unit_descriptor_t *get_resource_type(const string &name, const string &extension) = 0;

    // Set while the manager has the loader in its table.
    bool registered = false;
};

}  // namespace quarn
