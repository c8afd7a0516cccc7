#pragma once
// texgen: running a texture program, and writing its image.
#include <cstdint>
#include <string>
#include <vector>

#include "tex_program.h"

namespace texgen {

// The image a program makes: width * height pixels of 3 (R, G, B) or 4 (R, G, B, A)
// bytes, first row at the top.
struct tex_image_t {
    uint32_t width = 0, height = 0;
    bool alpha = false;
    std::vector<uint8_t> pixels;
};

// Runs a program that tex_parse read; it cannot fail.
tex_image_t tex_render(const tex_program_t &program);

// The image as a file: an uncompressed TGA with its origin at the upper left (the
// core's writer), or a PNG when the path ends in ".png". False, with the reason in
// error, when the bytes cannot be made.
bool tex_encode(const tex_image_t &image, bool png, std::vector<uint8_t> &out, std::string &error);

// Reads the description at input and writes its image to output (".tga" or ".png"),
// making output's folders. Nothing is written when the description has a fault or the
// image cannot be made; error then says why ("file:line: what is wrong" for faults of
// the description).
bool tex_make(const std::string &input, const std::string &output, std::string &error);

}  // namespace texgen
