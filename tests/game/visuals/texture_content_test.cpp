// The textures of the built archives: every texture a material names is packed and
// reads through the core's image reader as what its name says, with alpha where the
// material blends; every material a model, a layout or a text of the game names
// exists; the terrain's texture table and its materials agree with the textures that
// exist; no packed texture is left that nothing names; the UI's shapes are shapes, and
// the main menu's entries find their labels in the bands their buttons cut.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "embedded_archive.h"
#include "game/visuals/models/model_desc_view.h"
#include "outside/qrnshared/def_pool.h"
#include "outside/qrnshared/material.h"
#include "qrncore/qrnutils/hbmp/tga.h"
#include "qrncore/qrnutils/ufs/fs.h"
#include "qrncore/qrnutils/ufs/zip_device.h"
#include "qrncore/strings/string_dyn.h"
#include "support/message_capture.h"
#include "support/test_paths.h"

namespace quarn::test {
namespace {

using bytes_t = std::vector<uint8_t>;

// Textures the wave generator makes at run time (the water's normal map).
constexpr const char *PROCEDURAL = "/procedural/";

bool starts_with(const std::string &s, const char *prefix) { return s.rfind(prefix, 0) == 0; }
bool ends_with(const std::string &s, const char *suffix) {
    const size_t n = strlen(suffix);
    return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

class texture_content : public ::testing::Test {
protected:
    void SetUp() override {
        fs_startup();
        previous = fs_set_archive_factory(zip_device_create);
        base = ufs_mount(FS_DEVICE_ZIP, (test_bin_dir() + "/base.tzk").c_str(), "", true, 50);
        ASSERT_NE(base, nullptr);
        builtin = ufs_mount_romfs(fernwold_builtin_archive, uint32_t(fernwold_builtin_archive_size), "", 55);
        ASSERT_NE(builtin, nullptr);
    }
    void TearDown() override {
        if (builtin) ufs_unmount(builtin);
        if (base) ufs_unmount(base);
        fs_set_archive_factory(previous);
        fs_shutdown();
    }

    static bytes_t read(const std::string &path) {
        auto_ptr_t<file_t> f = fs_open(path.c_str(), FS_REALM_VIRTUAL);
        if (!f) return {};
        bytes_t b(size_t(f->size()));
        if (!b.empty() && !f->block_read(b.data(), uint32_t(b.size()), 0)) return {};
        return b;
    }
    // Every file of both archives ending in extension.
    static std::vector<std::string> files(const char *extension) {
        std::vector<std::string> out;
        auto_ptr_t<fs_dirlist_t> list = fs_match_files("/", FS_REALM_VIRTUAL, extension, true);
        if (list)
            for (const fs_direntry_t &e : *list) out.push_back(e.name.c_str());
        return out;
    }
    // What is wrong with a texture: "" when it is packed and reads as an image of the
    // kind its extension says (with alpha when asked).
    static std::string fault(const std::string &texture, bool alpha) {
        if (!fs_file_exists(texture.c_str(), FS_REALM_VIRTUAL)) return "is not packed";
        if (!ends_with(texture, ".tga")) return "has no reader for its kind";
        const bytes_t b = read(texture);
        tga_header_t header;
        if (!tga_read_header(&header, b.data(), b.size())) return "has no TGA header";
        const hbmp_type_t type = tga_type(header);
        if (type == HBMP_NONE) return "is no TGA the core reads";
        const uint32_t w = tga_x_size(header), h = tga_y_size(header);
        if (!w || !h || (w & (w - 1)) || (h & (h - 1))) return "has sides that are no powers of two";
        bytes_t pixels(size_t(w) * h * hbmp_pixel_size(type));
        if (!tga_decompress(pixels.data(), b.data(), b.size())) return "does not decode";
        if (alpha && type != HBMP_BGRA) return "has no alpha, but its material blends";
        return "";
    }
    // A material that blends, or cuts out by alpha, needs its texture's alpha.
    static bool blends(const material_t &m) {
        if (strstr(m.effect_path.c_str(), "_opac")) return true;
        for (const material_state_t &s : m.render_state)
            if (strcmp(s.key.c_str(), "blend") == 0 && strcmp(s.value.c_str(), "alpha") == 0) return true;
        return false;
    }
    // The terrain's texture table: "key substance" pairs, the key a texture's path
    // without its extension; the keys.
    static std::vector<std::string> table_keys() {
        const bytes_t b = read("/material/map/texture.db");
        std::vector<std::string> tokens;
        std::string token;
        for (uint8_t c : b) {
            if (c == ':' || c == '\r' || c == '\n' || c == '\t' || c == ' ') {
                if (!token.empty()) tokens.push_back(token);
                token.clear();
            } else {
                token += char(c);
            }
        }
        if (!token.empty()) tokens.push_back(token);
        EXPECT_EQ(tokens.size() % 2, 0u);
        std::vector<std::string> keys;
        for (size_t i = 0; i < tokens.size(); i += 2) keys.push_back(tokens[i]);
        return keys;
    }
    // A TGA's texels as B, G, R, A; false when it does not decode as 32 bits.
    static bool decode(const std::string &texture, uint32_t &w, uint32_t &h, bytes_t &bgra) {
        const bytes_t b = read(texture);
        tga_header_t header;
        if (!tga_read_header(&header, b.data(), b.size()) || tga_type(header) != HBMP_BGRA) return false;
        w = tga_x_size(header);
        h = tga_y_size(header);
        bgra.assign(size_t(w) * h * 4, 0);
        return tga_decompress(bgra.data(), b.data(), b.size());
    }
    static bool read_material(const std::string &path, material_t &out) {
        def_pool_t pool;
        return pool.read_from(path.c_str()) && material_parse(pool, path.c_str(), &out);
    }

    fs_archive_factory_t previous = nullptr;
    fs_device_t *base = nullptr;
    fs_device_t *builtin = nullptr;
};

TEST_F(texture_content, every_texture_and_material_the_content_names_exists_and_reads) {
    message_capture_t capture;
    std::set<std::string> named;
    const std::vector<std::string> materials = files(".mat");
    ASSERT_GT(materials.size(), 40u);
    size_t textures = 0;
    for (const std::string &path : materials) {
        SCOPED_TRACE(path);
        material_t m;
        ASSERT_TRUE(read_material(path, m));
        for (const material_texture_t &t : m.textures) {
            const std::string name = t.name.c_str();
            if (starts_with(name, PROCEDURAL)) continue;
            named.insert(name);
            ++textures;
            EXPECT_EQ(fault(name, blends(m)), "") << path << " names " << name;
        }
    }
    EXPECT_GT(textures, 50u);

    // The materials the models' looks name.
    for (const std::string &path : files(".zmd")) {
        SCOPED_TRACE(path);
        const bytes_t b = read(path);
        model_desc_view_t view;
        ASSERT_TRUE(view.open(b.data(), b.size(), path.c_str()));
        for (uint32_t look = 0; look < view.get_look_count(); ++look)
            for (uint32_t slot = 0; slot < view.get_material_count(); ++slot) {
                mstring_dyn_t material;
                ASSERT_TRUE(view.get_material_path(look, slot, material));
                EXPECT_TRUE(fs_file_exists(material.c_str(), FS_REALM_VIRTUAL)) << material.c_str();
            }
    }

    // Materials and textures named in the game's texts: layouts, units, definitions,
    // scripts.
    for (const char *extension : {".esc", ".unit", ".def", ".script", ".zml"})
        for (const std::string &path : files(extension)) {
            const bytes_t b = read(path);
            const std::string text(b.begin(), b.end());
            for (size_t at = text.find('"'); at != std::string::npos; at = text.find('"', at + 1)) {
                const size_t end = text.find('"', at + 1);
                if (end == std::string::npos) break;
                const std::string quoted = text.substr(at + 1, end - at - 1);
                at = end;
                // Patterns with a place for a number ("/material/ui/bonus/%0.mat") are
                // filled in by the code that reads them.
                if (quoted.find('%') != std::string::npos) continue;
                if (starts_with(quoted, "/material/") && ends_with(quoted, ".mat")) {
                    EXPECT_TRUE(fs_file_exists(quoted.c_str(), FS_REALM_VIRTUAL)) << path << " names " << quoted;
                }
                if (starts_with(quoted, "/texture/")) {
                    named.insert(quoted);
                    EXPECT_EQ(fault(quoted, false), "") << path << " names " << quoted;
                }
            }
        }

    // Nothing packed that nothing names (the terrain's table names textures too).
    for (const std::string &key : table_keys()) named.insert(key + ".tga");
    for (const std::string &path : files("")) {
        if (!starts_with(path, "/texture/")) continue;
        EXPECT_TRUE(named.count(path)) << path << " is named by nothing";
    }
    EXPECT_TRUE(capture.entries().empty());
}

TEST_F(texture_content, the_terrain_table_and_materials_agree_with_the_packed_textures) {
    std::set<std::string> keys;
    for (const std::string &key : table_keys()) {
        keys.insert(key);
        EXPECT_EQ(fault(key + ".tga", false), "") << "texture.db names " << key;
    }
    EXPECT_GE(keys.size(), 10u);

    // Every layer of every terrain material stands in the table; its normal maps and
    // the water's textures are packed.
    size_t terrains = 0;
    for (const std::string &path : files(".mat")) {
        if (!starts_with(path, "/material/map/")) continue;
        SCOPED_TRACE(path);
        material_t m;
        ASSERT_TRUE(read_material(path, m));
        const bool terrain = ends_with(m.effect_path.c_str(), "/fw_terrain");
        terrains += terrain;
        for (const material_texture_t &t : m.textures) {
            const std::string name = t.name.c_str(), sampler = t.sampler.c_str();
            if (starts_with(name, PROCEDURAL)) continue;
            EXPECT_EQ(fault(name, false), "") << name;
            if (terrain && starts_with(sampler, "texture_sampler")) {
                EXPECT_TRUE(keys.count(name.substr(0, name.rfind('.')))) << name << " is not in texture.db";
            }
        }
    }
    EXPECT_GT(terrains, 0u);
}

// The UI's images that are shapes (frames, arrows, the crosshair, the pointer, the
// menu's labels) name a texture with alpha that covers some texels and leaves others
// clear; only plain fills and panels may draw as flat tinted rectangles.
TEST_F(texture_content, the_ui_images_that_are_shapes_have_textures_with_clear_texels) {
    const std::set<std::string> flat = {
        "/system/ui/default/uidefault.mat",   "/system/ui/default/frame_inside.mat",
        "/system/ui/default/frame_corner.mat", "/system/ui/default/frame_hline.mat",
        "/system/ui/default/frame_vline.mat",  "/system/ui/hud/fever_fill.mat",
        "/system/ui/hud/bonus_bar.mat"};
    size_t shapes = 0;
    for (const std::string &path : files(".mat")) {
        if (!starts_with(path, "/system/ui/") || flat.count(path)) continue;
        SCOPED_TRACE(path);
        material_t m;
        ASSERT_TRUE(read_material(path, m));
        ASSERT_FALSE(m.textures.is_empty()) << "draws as a flat panel";
        uint32_t w = 0, h = 0;
        bytes_t bgra;
        ASSERT_TRUE(decode(m.textures[0].name.c_str(), w, h, bgra)) << "no 32-bit texture";
        size_t clear = 0, covered = 0;
        for (size_t i = 3; i < bgra.size(); i += 4) {
            clear += bgra[i] == 0;
            covered += bgra[i] == 255;
        }
        EXPECT_GT(clear, bgra.size() / 4 / 10);
        EXPECT_GT(covered, bgra.size() / 4 / 50);
        ++shapes;
    }
    EXPECT_GE(shapes, 9u);
    // The pointer is the arrow, not the default panel.
    const bytes_t pointer = read("/ui/pointer/main.esc");
    const std::string text(pointer.begin(), pointer.end());
    EXPECT_EQ(text.find("uidefault"), std::string::npos);
    EXPECT_NE(text.find("/system/ui/default/pointer.mat"), std::string::npos);
}

// Each entry of the main menu (a button of look 3, its value the band "top|bottom" in
// texture rows) finds white letters inside its band of the strip, and the band's first
// and last rows clear, so that no entry shows a piece of its neighbour.
TEST_F(texture_content, the_main_menus_entries_find_their_labels_in_their_bands) {
    material_t m;
    ASSERT_TRUE(read_material("/system/ui/menu/mainmenu.mat", m));
    ASSERT_FALSE(m.textures.is_empty());
    uint32_t w = 0, h = 0;
    bytes_t bgra;
    ASSERT_TRUE(decode(m.textures[0].name.c_str(), w, h, bgra));
    const bytes_t layout = read("/ui/mmain.esc");
    const std::string text(layout.begin(), layout.end());
    const std::string key = "look: \"3\" value: \"";
    size_t entries = 0;
    for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
        // Buttons only: texts have looks of their own numbering.
        const size_t line = text.rfind('\n', at);
        if (text.find("ui.comp.common.button", line == std::string::npos ? 0 : line) > at) continue;
        SCOPED_TRACE(text.substr(at, 40));
        char *bar = nullptr, *end = nullptr;
        const float top = strtof(text.c_str() + at + key.size(), &bar);
        ASSERT_EQ(*bar, '|');
        const float bottom = strtof(bar + 1, &end);
        ASSERT_EQ(*end, '"');
        const uint32_t first = uint32_t(std::ceil(top * float(h))), last = uint32_t(std::floor(bottom * float(h))) - 1;
        ASSERT_LT(first + 8, last);
        ASSERT_LT(last, h);
        uint32_t letters = 0, edge = 0, rows_with_letters = 0;
        for (uint32_t y = first; y <= last; ++y) {
            uint32_t in_row = 0;
            for (uint32_t x = 0; x < w; ++x) {
                const uint8_t *t = bgra.data() + (size_t(y) * w + x) * 4;
                const bool letter = t[3] == 255 && t[0] == 255 && t[1] == 255 && t[2] == 255;
                in_row += letter;
                if ((y == first || y == last) && t[3]) ++edge;
            }
            letters += in_row;
            rows_with_letters += in_row > 0;
        }
        EXPECT_GT(letters, 150u) << "the label is missing or faint";
        EXPECT_GE(rows_with_letters, (last - first) / 3) << "the label is too small to read";
        EXPECT_EQ(edge, 0u) << "the label reaches its band's edge";
        ++entries;
    }
    EXPECT_EQ(entries, 6u);
}

}  // namespace
}  // namespace quarn::test
