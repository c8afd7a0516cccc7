#include "font_face.h"

#include FT_DRIVER_H
#include FT_MODULE_H

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fontgen {

bool face_t::open(const std::string &path, std::string &error) {
    if (FT_Init_FreeType(&m_library)) {
        m_library = nullptr;
        error = "FreeType does not start";
        return false;
    }
    FT_UInt version = TT_INTERPRETER_VERSION_40;
    if (FT_Property_Set(m_library, "truetype", "interpreter-version", &version)) {
        error = "FreeType has no TrueType interpreter of version 40";
        return false;
    }
    if (FT_New_Face(m_library, path.c_str(), 0, &m_face)) {
        m_face = nullptr;
        error = "'" + path + "' is no font face FreeType reads";
        return false;
    }
    if (!FT_IS_SCALABLE(m_face) || m_face->units_per_EM == 0 || m_face->max_advance_width <= 0 ||
        m_face->ascender - m_face->descender <= 0) {
        error = "'" + path + "' is not a scalable face with advances and a line height";
        return false;
    }
    return true;
}

bool path_is_plain(const char *path) {
    if (path[0] != '/') return false;
    std::istringstream parts(path + 1);
    std::string part;
    int count = 0;
    while (std::getline(parts, part, '/')) {
        if (part.empty() || part == "." || part == "..") return false;
        ++count;
    }
    return count > 0 && path[strlen(path) - 1] != '/';
}

bool write_file(const std::string &folder, const char *path, const std::string &bytes, std::string &error) {
    namespace fs = std::filesystem;
    const fs::path file = fs::path(folder) / (path + 1);
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    if (ec || !stream.write(bytes.data(), std::streamsize(bytes.size())) || !stream.flush()) {
        error = "cannot write '" + file.string() + "'";
        return false;
    }
    return true;
}

}  // namespace fontgen
