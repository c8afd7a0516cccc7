// Reads arbitrary bytes as a model descriptor file (".zmd"). An image the reader takes
// must hand out only data inside itself and keep every rule its accessors promise
// (strings ending inside it, values inside their blocks): the walk
// reads all of it, and the sanitizers stop any read outside the copy.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "qrncore/system/messages.h"
#include "support/model_walk.h"

namespace {

// Silences the log: refusals are the expected answer to most inputs.
class quiet_t : public quarn::message_handler_t {
public:
    void process_message(const quarn::string &, quarn::message_t::type_t) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static quiet_t quiet;
    // A block of exactly the input's size, aligned as item memory is.
    std::unique_ptr<uint8_t[]> image(new uint8_t[size ? size : 1]);
    if (size) memcpy(image.get(), data, size);
    quarn::model_desc_view_t view;
    if (view.open(image.get(), size, "/fuzz/model.zmd") && !quarn::test::walk_model(view)) abort();
    return 0;
}
