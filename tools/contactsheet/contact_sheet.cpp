#include "contact_sheet.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "outside/qrnshared/def_pool.h"
#include "outside/qrnshared/ui/zml.h"
#include "qrncore/qrnutils/hbmp/tga.h"

namespace contactsheet {

namespace {

constexpr uint32_t SHEET_SIDE_MAX = 65535;

bool read_file(const std::string &path, std::string &bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace

bool load_caption_font(const std::string &font_file, const std::string &atlas_root, caption_font_t &out,
                       std::string &error) {
    std::string text;
    if (!read_file(font_file, text)) {
        error = "'" + font_file + "' cannot be read";
        return false;
    }
    quarn::def_pool_t pool;
    quarn::zml_font_t font;
    quarn::zml_atlas_layout_t layout;
    if (!pool.read_text(text.data(), text.size(), font_file.c_str(), quarn::FS_REALM_SYSTEM) ||
        !quarn::zml_font_parse(pool, font_file.c_str(), &font)) {
        error = "'" + font_file + "' does not read as a font";
        return false;
    }
    if (!quarn::zml_atlas_layout(font, &layout)) {
        error = "'" + font_file + "' names no glyph atlas";
        return false;
    }
    const std::string atlas_path = atlas_root + font.atlas;
    std::string tga;
    if (!read_file(atlas_path, tga)) {
        error = "the glyph atlas '" + atlas_path + "' cannot be read";
        return false;
    }
    quarn::tga_header_t header;
    if (!quarn::tga_read_header(&header, tga.data(), tga.size()) || quarn::tga_type(header) != quarn::HBMP_BGRA ||
        quarn::tga_x_size(header) != layout.width() || quarn::tga_y_size(header) != layout.height()) {
        error = "the glyph atlas '" + atlas_path + "' is no 32-bit TGA of " + std::to_string(layout.width()) + " x " +
                std::to_string(layout.height()) + " texels";
        return false;
    }
    std::vector<uint8_t> texels(size_t(layout.width()) * layout.height() * 4);
    if (!quarn::tga_decompress(texels.data(), tga.data(), tga.size())) {
        error = "the glyph atlas '" + atlas_path + "' is damaged";
        return false;
    }
    // Rows come in the file's order: the last row first unless the origin is at the top.
    const bool top_first = (header.descriptor & 0x20) != 0;
    const auto alpha = [&](uint32_t x, uint32_t y) {
        const uint32_t row = top_first ? y : layout.height() - 1 - y;
        return texels[(size_t(row) * layout.width() + x) * 4 + 3];
    };
    out.cell_width = layout.cell_width;
    out.cell_height = layout.cell_height;
    for (uint32_t code = 0; code < 256; ++code) {
        const uint8_t cell = quarn::zml_atlas_has(font, uint8_t(code)) ? uint8_t(code) : uint8_t(quarn::ZML_ATLAS_BOX);
        std::vector<uint8_t> &coverage = out.coverage[code];
        coverage.resize(size_t(out.cell_width) * out.cell_height);
        for (uint32_t y = 0; y < out.cell_height; ++y)
            for (uint32_t x = 0; x < out.cell_width; ++x)
                coverage[size_t(y) * out.cell_width + x] = alpha(layout.cell_x(cell) + x, layout.cell_y(cell) + y);
    }
    return true;
}

bool make_sheet(const std::vector<sheet_entry_t> &entries, const caption_font_t &font, const sheet_options_t &options,
                picture_t &out, std::string &error) {
    if (entries.empty()) {
        error = "no pictures for the sheet";
        return false;
    }
    if (font.cell_width == 0 || font.cell_height == 0) {
        error = "no caption font";
        return false;
    }
    std::vector<picture_t> thumbs;
    uint32_t cell_width = 0, thumb_height = 0;
    for (const sheet_entry_t &e : entries) {
        thumbs.push_back(shrink(e.picture, options.shrink));
        cell_width = std::max(cell_width, thumbs.back().width);
        thumb_height = std::max(thumb_height, thumbs.back().height);
    }
    const uint64_t count = entries.size();
    const uint64_t columns = std::min<uint64_t>(std::max<uint32_t>(options.columns, 1), count);
    const uint64_t rows = (count + columns - 1) / columns;
    const uint64_t cell_height = uint64_t(thumb_height) + options.caption_gap + font.cell_height;
    const uint64_t width = options.margin + columns * (cell_width + uint64_t(options.margin));
    const uint64_t height = options.margin + rows * (cell_height + options.margin);
    if (width > SHEET_SIDE_MAX || height > SHEET_SIDE_MAX) {
        error = "a sheet of " + std::to_string(width) + " x " + std::to_string(height) + " pixels is too large (" +
                std::to_string(SHEET_SIDE_MAX) + " a side at most)";
        return false;
    }
    picture_t sheet(uint32_t(width), uint32_t(height), options.background[0], options.background[1],
                    options.background[2]);
    for (size_t i = 0; i < entries.size(); ++i) {
        const picture_t &thumb = thumbs[i];
        const uint32_t cx = uint32_t(options.margin + (i % columns) * (cell_width + options.margin));
        const uint32_t cy = uint32_t(options.margin + (i / columns) * (cell_height + options.margin));
        const uint32_t tx = cx + (cell_width - thumb.width) / 2;
        for (uint32_t y = 0; y < thumb.height; ++y)
            std::copy_n(thumb.at(0, y), size_t(thumb.width) * 3, sheet.at(tx, cy + y));

        const std::string &caption = entries[i].caption;
        const size_t chars = std::min<size_t>(caption.size(), cell_width / font.cell_width);
        uint32_t x = cx + (cell_width - uint32_t(chars) * font.cell_width) / 2;
        const uint32_t top = cy + thumb_height + options.caption_gap;
        for (size_t k = 0; k < chars; ++k, x += font.cell_width) {
            const uint8_t code = uint8_t(caption[k]);
            if (code < 0x20) continue;
            for (uint32_t gy = 0; gy < font.cell_height; ++gy)
                for (uint32_t gx = 0; gx < font.cell_width; ++gx) {
                    const uint32_t a = font.at(code, gx, gy);
                    if (a == 0) continue;
                    uint8_t *p = sheet.at(x + gx, top + gy);
                    for (int c = 0; c < 3; ++c) p[c] = uint8_t((p[c] * (255 - a) + options.ink[c] * a + 127) / 255);
                }
        }
    }
    out = std::move(sheet);
    return true;
}

std::string caption_of(const std::string &path) {
    std::string name = path.substr(path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1);
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".png") == 0) name.resize(name.size() - 4);
    std::replace(name.begin(), name.end(), '_', ' ');
    return name;
}

}  // namespace contactsheet
