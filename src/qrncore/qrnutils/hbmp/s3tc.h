#pragma once
// S3TC (DXT1, DXT3, DXT5) textures. Only decompression into 32-bit RGBA is offered.
#include <cstddef>
#include <cstdint>

#include "qrncore/api.h"
#include "qrncore/qrnutils/hbmp/hbmp_tool.h"

namespace quarn {

// Bytes of a compressed mip chain: per level one block of 8 (DXT1) or 16 (DXT3,
// DXT5) bytes for every started 4x4 square. 0 for other types and levels <= 0.
QRNCORE_API size_t hbmp_s3tc_size(hbmp_type_t type, uint32_t width, uint32_t height, int32_t levels);

// Not offered: reports "hbmp_compress_s3tc() is not implemented." and returns false
// without touching dst.
QRNCORE_API bool hbmp_compress_s3tc(void *dst, const void *src, size_t src_size, hbmp_type_t dst_type,
                                    hbmp_type_t src_type, uint32_t width, uint32_t height, int32_t dst_levels,
                                    int32_t src_levels);

// Decodes every level of src (src_size bytes, type 12-14) into RGBA pixels in dst,
// which holds hbmp_mem_size(width, height, dst_levels, HBMP_RGBA) bytes. True when
// decoded. A destination type other than RGBA is reported and dst left untouched.
// Level counts that differ, sizes that are not powers of two, a source type that is
// not compressed and a source shorter than its levels are reported, and dst is then
// filled with opaque magenta so that the fault shows wherever the image is used.
QRNCORE_API bool hbmp_decompress_s3tc(void *dst, const void *src, size_t src_size, hbmp_type_t dst_type,
                                      hbmp_type_t src_type, uint32_t width, uint32_t height, int32_t dst_levels,
                                      int32_t src_levels);

}  // namespace quarn
