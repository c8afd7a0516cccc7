// Reads arbitrary bytes as a collision model file (".zmc") and walks every primitive
// set with every material map row the file holds (up to 16 sets and 4 rows). A walk
// either visits only primitives inside the image, with physics materials 0..31 and
// mesh indices below their vertex counts, or is refused before any visit; the
// sanitizers stop any read outside the copy, and a chain that would loop ends the run
// by its time limit.
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
    std::unique_ptr<uint8_t[]> image(new uint8_t[size ? size : 1]);
    if (size) memcpy(image.get(), data, size);
    quarn::model_coll_view_t view;
    if (view.open(image.get(), size, "/fuzz/model.zmc") && !quarn::test::walk_model(view)) abort();
    return 0;
}
