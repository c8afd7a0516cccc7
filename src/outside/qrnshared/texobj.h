#pragma once
// Texture objects: named textures whose texels a program makes itself (a dynamic
// texture) rather than loads. r_texobj_create makes the named item of the class
// "texobj" with its description; the texels live in a pixel block, an item of its
// own whose memory holds an hbmp_t header (pixels pointing right behind it) followed
// by the texels of every mip level, attached to the texture with r_texobj_attach.
//
// The changed mark (c_item_t::CHANGED) on a texture item says that new texels wait
// for the renderer; the renderer takes them at the end of its frame
// (r_texobj_take_changes), which clears the mark on every texture object and on its
// pixel block.
#include <cstdint>

#include "outside/qrnshared/api.h"
#include "outside/qrnshared/c_item.h"
#include "outside/qrnshared/resource_unit.h"
#include "qrncore/qrnutils/hbmp/hbmp_tool.h"

namespace quarn {

struct r_texture_desc_t {
    uint32_t width = 0;
    uint32_t height = 0;
    hbmp_type_t format = HBMP_RGBA;
    uint32_t mip_count = 1;
    uint32_t flags = 0;  // R_TEXTURE_* below
};

enum r_texture_flag_t : uint32_t {
    R_TEXTURE_MIPMAPS = 0x1,  // the block holds mip_count levels
    R_TEXTURE_LINEAR = 0x2,   // filtered linearly
    R_TEXTURE_REPEAT = 0x4,   // tiles
};

// Bytes of the pixel block's header: hbmp_t rounded up to 16.
constexpr size_t R_PIXEL_BLOCK_HEADER = (sizeof(hbmp_t) + 15) & ~size_t(15);

class QRNSHARED_API texobj_u : public resource_unit_u {
    QRN_UNIT_CLASS(texobj_u, resource_unit_u);

public:
    bool bind_item(c_item_t *item) override;
    void unbind_item(c_item_t *item) override;

    r_texture_desc_t desc;
    c_item_ptr_t pixels;  // the attached pixel block
};

// The texture object of that name, counted once for the caller; made when it does
// not exist, and given the description in any case. Null (logged) for an empty name
// or without the memory manager.
QRNSHARED_API c_item_t *r_texobj_create(const char *name, const r_texture_desc_t &desc);
// Attaches the pixel block (counted) to the texture, in place of the one attached
// before; null detaches. False when texture is no texture object.
QRNSHARED_API bool r_texobj_attach(c_item_t *texture, c_item_t *pixels);
// The texture object unit of an item, or null.
QRNSHARED_API texobj_u *r_texobj_of(const c_item_t *texture);
// The live texture object of that name (a renderer looks up what a material names),
// or null.
QRNSHARED_API texobj_u *r_texobj_find(const char *name);
// The renderer took the texels: clears the changed mark of every texture object and
// of its pixel block.
QRNSHARED_API void r_texobj_take_changes();
// The number of live texture objects.
QRNSHARED_API uint32_t r_texobj_count();

}  // namespace quarn
