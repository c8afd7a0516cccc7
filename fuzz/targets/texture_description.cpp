// Reads arbitrary bytes as a texture description. A description that reads must run:
// every field and ramp it uses was made before, every setting is in its range. Small
// images are rendered (a render's cost grows with the texels and the spots drawn), and
// what the renderer gives must hold exactly the image's bytes; a fault's message must
// name the file and a line of it.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tex_program.h"
#include "tex_render.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string text(reinterpret_cast<const char *>(data), size);
    texgen::tex_program_t program;
    std::string error;
    if (!texgen::tex_parse(text, "fuzz.tex", program, error)) {
        if (error.rfind("fuzz.tex:", 0) != 0) abort();
        return 0;
    }
    if (uint64_t(program.width) * program.height > 1024 || program.steps.size() > 200) return 0;
    uint64_t spots = 0;
    for (const texgen::tex_step_t &s : program.steps)
        if (s.op == "spots") spots += uint64_t(s.get("count").a);
    if (spots > 20000) return 0;
    const texgen::tex_image_t image = texgen::tex_render(program);
    if (image.pixels.size() != size_t(program.width) * program.height * (program.alpha ? 4 : 3)) abort();
    return 0;
}
