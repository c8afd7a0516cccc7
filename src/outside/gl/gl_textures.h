#pragma once
// The textures materials name, by path: files of the virtual file system read once
// (gl_image.h) and kept with their mip chains, and texture objects (texobj.h, the
// wave texture) whose texels are uploaded again whenever they changed. A file that
// cannot be had draws as a small checker (logged once); a sampler its material names
// no texture for draws with a stand-in fit for its name: a flat normal for normal
// maps, a falloff for "attenuation", black for reflections, else white.
//
// "r_texture_detail" (0 whole, 1 from half size, 2 from a quarter) picks the largest
// mip level drawn, "r_anisotropy_factor" (0..1) the share of the driver's largest
// anisotropy; both act on every texture at once.
#include <cstdint>

#include "outside/gl/gl_api.h"
#include "outside/gl/gl_state.h"
#include "qrncore/collections/arrays/array_dyn.h"
#include "qrncore/strings/string_dyn.h"

namespace quarn {
class glyph_atlas_t;
}

namespace quarn::gl {

class gl_textures_t {
public:
    // Makes the stand-ins and the UI's sampler; false when OpenGL makes none. Textures
    // are bound for their uploads through the renderer's state, on unit 0.
    bool init(gl_state_t *state);
    // Deletes every texture (the context is about to go, or went).
    void release();

    // The texture to draw for a sampler of that name whose material names path (null:
    // none); never 0 once init succeeded.
    GLuint get(const char *path, const char *sampler);
    // The texture of a glyph atlas (glyph_atlas.h): clamped at its edges, mipmapped no
    // deeper than the atlas allows and whatever "r_texture_detail" says, so that text
    // stays sharp; 0 (logged) when the file cannot be had or is not that atlas.
    GLuint glyph_atlas(const glyph_atlas_t &atlas);
    // The texture of a UI image's material: its first texture, white without one.
    GLuint white() const { return m_white; }
    // Clamped at the edges, for the UI's images.
    GLuint ui_sampler() const { return m_ui_sampler; }

    // Applies the two settings to every texture when they changed.
    void settings(int32_t detail, float anisotropy);
    // A frame ends: texture objects that changed without being drawn are marked, so
    // that their next draw uploads them (their changed mark is cleared at the frame's
    // end whether or not anyone drew them).
    void end_frame();

    uint32_t count() const { return m_entries.get_count(); }

private:
    struct entry_t {
        mstring_dyn_t path;
        uint32_t hash = 0;
        GLuint name = 0;
        int32_t levels = 1;
        bool owned = false;       // a texture of its own (not a stand-in)
        bool texobj = false;      // a texture object's texels
        bool fixed = false;       // its levels are its own: the settings leave it
        const void *block = nullptr;  // the texture object's pixel block it holds
        bool stale = false;       // the texture object changed and was not uploaded
        uint32_t uploaded_frame = 0;
    };

    entry_t *find(const char *path, uint32_t hash);
    entry_t *add(const char *path, uint32_t hash);
    // Reads the file into a new texture; false when it cannot be had. The atlas, when
    // given, must match the image's size.
    bool load_file(entry_t &e, bool repeat = true, const glyph_atlas_t *atlas = nullptr);
    // Uploads a texture object's levels; false when it has no usable texels.
    bool upload_texobj(entry_t &e);
    void apply_settings(const entry_t &e);
    GLuint stand_in(const char *sampler) const;
    // A texture of the image and its mip chain; levels_made, when given, is set to the
    // levels it holds (1 when there was no memory for the others).
    GLuint make(const uint8_t *rgba, uint32_t width, uint32_t height, bool repeat, int32_t *levels_made = nullptr);

    gl_state_t *m_state = nullptr;
    array_dyn_t<entry_t> m_entries;
    array_dyn_t<int32_t> m_index;  // open addressing over m_entries by hash; -1 empty
    // The mip levels below a file's own, kept from texture to texture: most are of a
    // size, and fresh memory for each would be touched anew.
    array_dyn_t<uint8_t> m_chain;
    GLuint m_white = 0, m_black = 0, m_checker = 0, m_flat_normal = 0, m_falloff = 0;
    GLuint m_ui_sampler = 0;
    int32_t m_detail = 0;
    float m_anisotropy = 0.0f;
    float m_max_anisotropy = 1.0f;
    bool m_storage = false;  // glTexStorage2D is offered
    bool m_software_told = false;
    // Frames ended since init: a texture object is uploaded at most once a frame.
    uint32_t m_frame = 1;
};

}  // namespace quarn::gl
