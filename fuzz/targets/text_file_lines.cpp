// Feeds arbitrary bytes to the line reader of text files, through a memory file and
// through a scrambled file over it, and writes the lines back out.
#include <cstdint>

#include "qrncore/qrnutils/ufs/cfile.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/qrnutils/ufs/mem_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size > UINT32_MAX) return 0;
    quarn::auto_ptr_t<quarn::file_t> file = quarn::mem_file_bind(data, uint32_t(size));
    if (!file) return 0;
    quarn::auto_ptr_t<quarn::fs_text_lines_t> lines = quarn::fs_read_text_file(*file);
    if (lines) {
        quarn::auto_ptr_t<quarn::file_t> out = quarn::mem_file_create();
        if (out) quarn::fs_write_text_file(*out, *lines);
    }
    quarn::cfile_t scrambled(file);
    quarn::auto_ptr_t<quarn::fs_text_lines_t> unscrambled = quarn::fs_read_text_file(scrambled);
    return 0;
}
