// contactsheet: one PNG of pictures side by side, captioned (docs/pictures.md).
//
//   contactsheet [--columns N] [--shrink K] FONT-FILE ATLAS-ROOT SHEET PICTURE...
//
// reads every PICTURE (PNG), makes it K times smaller (2 unless given), lays the
// thumbnails out in rows of N (4 unless given) and writes SHEET (PNG); each caption is
// the picture's file name without ".png", '_' shown as a blank, drawn in the UI font
// FONT-FILE from its glyph atlas, found at ATLAS-ROOT + the atlas path the font
// names. Errors go to standard error and the exit code is 1 (2 for bad usage).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "contact_sheet.h"
#include "qrncore/system/messages.h"

namespace {

int usage() {
    fprintf(stderr, "usage: contactsheet [--columns N] [--shrink K] FONT-FILE ATLAS-ROOT SHEET PICTURE...\n");
    return 2;
}

// A whole number from 1 to 64.
bool read_count(const char *text, uint32_t &out) {
    char *end = nullptr;
    const unsigned long value = strtoul(text, &end, 10);
    if (end == text || *end || value < 1 || value > 64) return false;
    out = uint32_t(value);
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    quarn::message_stdio_t console;
    contactsheet::sheet_options_t options;
    int i = 1;
    for (; i + 1 < argc && strncmp(argv[i], "--", 2) == 0; i += 2) {
        uint32_t *target = strcmp(argv[i], "--columns") == 0  ? &options.columns
                           : strcmp(argv[i], "--shrink") == 0 ? &options.shrink
                                                              : nullptr;
        if (!target || !read_count(argv[i + 1], *target)) return usage();
    }
    if (argc - i < 4) return usage();
    const std::string font_file = argv[i], atlas_root = argv[i + 1], sheet_path = argv[i + 2];
    std::string error;
    contactsheet::caption_font_t font;
    std::vector<contactsheet::sheet_entry_t> entries;
    bool ok = contactsheet::load_caption_font(font_file, atlas_root, font, error);
    for (int k = i + 3; ok && k < argc; ++k) {
        entries.push_back({{}, contactsheet::caption_of(argv[k])});
        ok = contactsheet::read_png(argv[k], entries.back().picture, error);
    }
    contactsheet::picture_t sheet;
    ok = ok && contactsheet::make_sheet(entries, font, options, sheet, error) &&
         contactsheet::write_png(sheet_path, sheet, error);
    if (!ok) fprintf(stderr, "contactsheet: %s\n", error.c_str());
    return ok ? 0 : 1;
}
