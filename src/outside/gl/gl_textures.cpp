#include "outside/gl/gl_textures.h"

#include <cmath>
#include <cstring>

#include "outside/gl/gl_image.h"
#include "outside/gl/gl_mipmaps.h"
#include "outside/gl/glyph_atlas.h"
#include "outside/qrnshared/texobj.h"
#include "qrncore/numerics/crc.h"
#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/system/messages.h"

namespace quarn::gl {

namespace {

// Files above this are not read: no texture of the game comes near.
constexpr uint64_t MAX_FILE_BYTES = 64u << 20;
constexpr uint32_t CHECKER_SIDE = 8;
constexpr uint32_t FALLOFF_SIDE = 32;

bool starts_with(const char *s, const char *prefix) { return strncmp(s, prefix, strlen(prefix)) == 0; }

}  // namespace

GLuint gl_textures_t::make(const uint8_t *rgba, uint32_t width, uint32_t height, bool repeat, int32_t *levels_made) {
    GLuint name = 0;
    glGenTextures(1, &name);
    if (!name) return 0;
    m_state->bind_texture(0, name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    // The levels below are made here (gl_mipmaps.h): a software rasteriser compiles a
    // generator of its own at its first glGenerateMipmap, and another for sides that
    // are not powers of two, which costs more than the levels themselves. Without the
    // memory for them the texture keeps its one level.
    const int32_t levels = gl_mip_levels(width, height);
    const int32_t made = levels > 1 && m_chain.set_size(uint32_t(gl_mip_chain_bytes(width, height))) ? levels : 1;
    // The whole chain's store at once: levels given one by one would each get a store
    // of their own, copied into one for the chain at the first draw.
    if (m_storage) glTexStorage2D(GL_TEXTURE_2D, made, GL_RGBA8, GLsizei(width), GLsizei(height));
    const auto upload = [this](int32_t level, uint32_t w, uint32_t h, const uint8_t *texels) {
        if (m_storage)
            glTexSubImage2D(GL_TEXTURE_2D, level, 0, 0, GLsizei(w), GLsizei(h), GL_RGBA, GL_UNSIGNED_BYTE, texels);
        else
            glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, GLsizei(w), GLsizei(h), 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    };
    upload(0, width, height, rgba);
    const uint8_t *above = rgba;
    uint8_t *level = made > 1 ? &m_chain[0] : nullptr;
    for (uint32_t k = 1, w = width, h = height; int32_t(k) < made; ++k) {
        gl_mip_next(above, w, h, level);
        w = gl_mip_side(w);
        h = gl_mip_side(h);
        upload(int32_t(k), w, h, level);
        above = level;
        level += uint64_t(w) * h * 4;
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, made - 1);
    if (levels_made) *levels_made = made;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    const GLint wrap = repeat ? GL_REPEAT : GL_CLAMP_TO_EDGE;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    return name;
}

bool gl_textures_t::init(gl_state_t *state) {
    release();
    m_state = state;
    const uint8_t white[4] = {255, 255, 255, 255}, black[4] = {0, 0, 0, 255};
    const uint8_t flat[4] = {128, 128, 255, 128};
    uint8_t checker[CHECKER_SIDE * CHECKER_SIDE * 4];
    for (uint32_t y = 0; y < CHECKER_SIDE; ++y)
        for (uint32_t x = 0; x < CHECKER_SIDE; ++x) {
            // Two greys: a scene of missing textures still reads lit and fogged.
            const uint8_t v = ((x / 2 + y / 2) & 1) ? 168 : 104;
            uint8_t *p = checker + (y * CHECKER_SIDE + x) * 4;
            p[0] = p[1] = p[2] = v;
            p[3] = 255;
        }
    uint8_t falloff[FALLOFF_SIDE * FALLOFF_SIDE * 4];
    for (uint32_t y = 0; y < FALLOFF_SIDE; ++y)
        for (uint32_t x = 0; x < FALLOFF_SIDE; ++x) {
            const float dx = (float(x) + 0.5f) / FALLOFF_SIDE * 2.0f - 1.0f;
            const float dy = (float(y) + 0.5f) / FALLOFF_SIDE * 2.0f - 1.0f;
            const float d = std::sqrt(dx * dx + dy * dy);
            uint8_t *p = falloff + (y * FALLOFF_SIDE + x) * 4;
            p[0] = p[1] = p[2] = 255;
            p[3] = uint8_t(d >= 1.0f ? 0.0f : (1.0f - d) * 255.0f + 0.5f);
        }
    // Immutable stores (OpenGL 4.2, or the extension) hold a chain in one store.
    m_storage = epoxy_gl_version() >= 42 || epoxy_has_gl_extension("GL_ARB_texture_storage");
    m_white = make(white, 1, 1, true);
    m_black = make(black, 1, 1, true);
    m_flat_normal = make(flat, 1, 1, true);
    m_checker = make(checker, CHECKER_SIDE, CHECKER_SIDE, true);
    m_falloff = make(falloff, FALLOFF_SIDE, FALLOFF_SIDE, false);
    glGenSamplers(1, &m_ui_sampler);
    if (m_ui_sampler) {
        glSamplerParameteri(m_ui_sampler, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glSamplerParameteri(m_ui_sampler, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glSamplerParameteri(m_ui_sampler, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glSamplerParameteri(m_ui_sampler, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    m_max_anisotropy = 1.0f;
    // A software rasteriser filters anisotropically at many times the cost of a
    // trilinear fetch, every pixel, on the processor: a frame would take seconds for a
    // sharpness few would see. There the setting does nothing.
    const char *renderer = reinterpret_cast<const char *>(glGetString(GL_RENDERER));
    const bool software = renderer && (strstr(renderer, "llvmpipe") || strstr(renderer, "softpipe") ||
                                       strstr(renderer, "swrast") || strstr(renderer, "SWR"));
    if (software) {
        if (!m_software_told) message("[gl] '%s' draws in software: anisotropic filtering is off", renderer);
        m_software_told = true;
    } else if (epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic") ||
               epoxy_has_gl_extension("GL_ARB_texture_filter_anisotropic")) {
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &m_max_anisotropy);
    }
    if (!m_index.set_size(64)) return false;
    for (int32_t &i : m_index) i = -1;
    return m_white && m_black && m_flat_normal && m_checker && m_falloff && m_ui_sampler;
}

void gl_textures_t::release() {
    for (entry_t &e : m_entries)
        if (e.owned && e.name) glDeleteTextures(1, &e.name);
    m_entries.clear();
    m_index.clear();
    for (GLuint *t : {&m_white, &m_black, &m_checker, &m_flat_normal, &m_falloff}) {
        if (*t) glDeleteTextures(1, t);
        *t = 0;
    }
    if (m_ui_sampler) glDeleteSamplers(1, &m_ui_sampler);
    m_ui_sampler = 0;
    m_chain.clear();
    m_chain.shrink();
}

GLuint gl_textures_t::stand_in(const char *sampler) const {
    if (!sampler) return m_white;
    if (starts_with(sampler, "normal_sampler")) return m_flat_normal;
    if (strcmp(sampler, "attenuation") == 0) return m_falloff;
    if (starts_with(sampler, "reflection_sampler") || starts_with(sampler, "fresnel_sampler") ||
        strcmp(sampler, "normcube") == 0)
        return m_black;
    return m_white;
}

gl_textures_t::entry_t *gl_textures_t::find(const char *path, uint32_t hash) {
    const uint32_t mask = m_index.get_count() - 1;
    for (uint32_t i = hash & mask;; i = (i + 1) & mask) {
        const int32_t k = m_index[i];
        if (k < 0) return nullptr;
        entry_t &e = m_entries[uint32_t(k)];
        if (e.hash == hash && e.path == path) return &e;
    }
}

gl_textures_t::entry_t *gl_textures_t::add(const char *path, uint32_t hash) {
    // The index stays at most half full, so that probes end soon.
    if ((m_entries.get_count() + 1) * 2 > m_index.get_count()) {
        array_dyn_t<int32_t> bigger;
        if (!bigger.set_size(m_index.get_count() * 2)) return nullptr;
        for (int32_t &i : bigger) i = -1;
        const uint32_t mask = bigger.get_count() - 1;
        for (uint32_t k = 0; k < m_entries.get_count(); ++k) {
            uint32_t i = m_entries[k].hash & mask;
            while (bigger[i] >= 0) i = (i + 1) & mask;
            bigger[i] = int32_t(k);
        }
        m_index = static_cast<array_dyn_t<int32_t> &&>(bigger);
    }
    entry_t *e = m_entries.append(entry_t());
    if (!e) return nullptr;
    e->path = path;
    e->hash = hash;
    const uint32_t mask = m_index.get_count() - 1;
    uint32_t i = hash & mask;
    while (m_index[i] >= 0) i = (i + 1) & mask;
    m_index[i] = int32_t(m_entries.get_count() - 1);
    return e;
}

GLuint gl_textures_t::get(const char *path, const char *sampler) {
    if (!path || !*path || m_index.is_empty()) return stand_in(sampler);
    const uint32_t hash = crc32(path, strlen(path));
    entry_t *e = find(path, hash);
    if (!e) {
        e = add(path, hash);
        if (!e) return m_checker;
        if (!r_texobj_find(path) && !load_file(*e)) {
            warning("[gl] The texture '%s' is not in the game's data: it is drawn as a checker", path);
            e->name = m_checker;
        }
    }
    // A texture object's texels, uploaded when they changed (also one that came to be
    // after its name was first asked for).
    if (texobj_u *tex = r_texobj_find(path)) {
        const c_item_t *item = tex->get_item();
        const c_item_t *block = tex->pixels.get();
        const bool changed = (item && item->has(c_item_t::CHANGED)) || (block && block->has(c_item_t::CHANGED));
        if (!e->texobj || e->stale || block != e->block || (changed && e->uploaded_frame != m_frame))
            upload_texobj(*e);
    }
    return e->name ? e->name : m_checker;
}

GLuint gl_textures_t::glyph_atlas(const glyph_atlas_t &atlas) {
    const char *path = atlas.texture_path();
    if (!path || !*path || m_index.is_empty()) return 0;
    const uint32_t hash = crc32(path, strlen(path));
    entry_t *e = find(path, hash);
    if (!e) {
        e = add(path, hash);
        if (!e) return 0;
        if (!load_file(*e, false, &atlas)) warning("[gl] The glyph atlas '%s' is not in the game's data", path);
        if (e->name) {
            e->fixed = true;
            const uint32_t top = uint32_t(e->levels - 1);
            m_state->bind_texture(0, e->name);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, GLint(top < atlas.max_mip_level() ? top : atlas.max_mip_level()));
        }
    }
    return e->fixed ? e->name : 0;
}

bool gl_textures_t::load_file(entry_t &e, bool repeat, const glyph_atlas_t *atlas) {
    const char *path = e.path.c_str();
    if (!fs_file_exists(path, FS_REALM_VIRTUAL)) return false;
    auto_ptr_t<file_t> f = fs_open(path, FS_REALM_VIRTUAL);
    if (!f) return false;
    const uint64_t size = f->size();
    if (size == 0 || size > MAX_FILE_BYTES) return false;
    array_dyn_t<uint8_t> bytes;
    if (!bytes.set_size(uint32_t(size)) || !f->block_read(&bytes[0], uint32_t(size), 0)) return false;
    gl_image_t image;
    const char *why = "";
    if (!gl_image_read(&bytes[0], size_t(size), &image, &why)) {
        warning("[gl] The texture '%s' does not read: %s", path, why);
        return false;
    }
    if (atlas && !atlas->check_texture(image.width, image.height)) return false;
    e.name = make(&image.rgba[0], image.width, image.height, repeat, &e.levels);
    if (!e.name) return false;
    e.owned = true;
    apply_settings(e);
    return true;
}

bool gl_textures_t::upload_texobj(entry_t &e) {
    texobj_u *tex = r_texobj_find(e.path.c_str());
    const c_item_t *block = tex ? tex->pixels.get() : nullptr;
    e.block = block;
    e.stale = false;
    e.uploaded_frame = m_frame;
    if (!block || !block->data || block->size < R_PIXEL_BLOCK_HEADER) return false;
    hbmp_t header;
    memcpy(&header, block->data, sizeof header);
    const uint32_t w = header.width, h = header.height;
    const int32_t levels = header.mip_levels > 0 ? header.mip_levels : 1;
    GLenum format = 0;
    switch (header.type) {
    case HBMP_RGBA: format = GL_RGBA; break;
    case HBMP_RGB: format = GL_RGB; break;
    case HBMP_BGRA: format = GL_BGRA; break;
    case HBMP_BGR: format = GL_BGR; break;
    case HBMP_GREY: format = GL_RED; break;
    default: break;
    }
    // The block's own size bounds what is read, whatever its header says.
    if (!format || w == 0 || h == 0 ||
        hbmp_mem_size(w, h, levels, header.type) > block->size - R_PIXEL_BLOCK_HEADER) {
        warning("[gl] The texture object '%s' holds no texels this renderer reads", e.path.c_str());
        return false;
    }
    if (e.owned && !e.texobj) {
        // A file's texture may have an immutable store: the texture object's levels
        // go into a texture of their own.
        glDeleteTextures(1, &e.name);
        e.owned = false;
    }
    if (!e.owned) {
        e.name = 0;
        glGenTextures(1, &e.name);
        if (!e.name) {
            e.name = m_checker;
            return false;
        }
        e.owned = true;
    }
    e.texobj = true;
    e.levels = levels;
    m_state->bind_texture(0, e.name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const uint8_t *texels = static_cast<const uint8_t *>(block->data) + R_PIXEL_BLOCK_HEADER;
    uint32_t lw = w, lh = h;
    for (int32_t level = 0; level < levels; ++level) {
        glTexImage2D(GL_TEXTURE_2D, level, format == GL_RED ? GL_R8 : GL_RGBA8, GLsizei(lw), GLsizei(lh), 0, format,
                     GL_UNSIGNED_BYTE, texels);
        texels += hbmp_mem_size(lw, lh, 1, header.type);
        lw = lw > 1 ? lw / 2 : 1;
        lh = lh > 1 ? lh / 2 : 1;
    }
    const uint32_t flags = tex->desc.flags;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, levels - 1);
    const bool linear = (flags & R_TEXTURE_LINEAR) != 0;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                    levels > 1 ? (linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST)
                               : (linear ? GL_LINEAR : GL_NEAREST));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, linear ? GL_LINEAR : GL_NEAREST);
    const GLint wrap = (flags & R_TEXTURE_REPEAT) ? GL_REPEAT : GL_CLAMP_TO_EDGE;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    if (format == GL_RED) {
        const GLint grey[4] = {GL_RED, GL_RED, GL_RED, GL_ONE};
        glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, grey);
    }
    return true;
}

void gl_textures_t::apply_settings(const entry_t &e) {
    if (!e.owned || !e.name || e.fixed) return;
    m_state->bind_texture(0, e.name);
    // Texture objects carry the levels their maker wants drawn.
    if (!e.texobj) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, m_detail < e.levels ? m_detail : e.levels - 1);
    if (m_max_anisotropy > 1.0f)
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, 1.0f + m_anisotropy * (m_max_anisotropy - 1.0f));
}

void gl_textures_t::settings(int32_t detail, float anisotropy) {
    if (detail == m_detail && anisotropy == m_anisotropy) return;
    m_detail = detail;
    m_anisotropy = anisotropy;
    for (const entry_t &e : m_entries) apply_settings(e);
}

void gl_textures_t::end_frame() {
    for (entry_t &e : m_entries) {
        if (!e.texobj || e.uploaded_frame == m_frame) continue;
        const texobj_u *tex = r_texobj_find(e.path.c_str());
        const c_item_t *item = tex ? tex->get_item() : nullptr;
        if (item && item->has(c_item_t::CHANGED)) e.stale = true;
    }
    ++m_frame;
}

}  // namespace quarn::gl
