#pragma once
// The core's own PNG writer: the image's bytes go out in stored (uncompressed)
// deflate blocks, so no compression library is needed. Screenshots and tools use it
// where size does not matter.
#include "qrncore/api.h"
#include "qrncore/qrnutils/hbmp/hbmp_tool.h"

namespace quarn {

class file_t;

// Writes the first level of the image at the file's position: RGB as truecolour,
// RGBA as truecolour with alpha, grey as greyscale, 8 bits a channel. Other types
// are refused after the signature was written; an image without pixels (a side of
// 0) is refused before anything is written. False on refusal and on any failed write.
QRNCORE_API bool png_simple_save(file_t *file, const hbmp_t *image);

}  // namespace quarn
