// texgen: what each generator, operation and canvas statement makes, that the same
// description always gives the same bytes, that the TGA it writes reads back through
// the core's reader, and that a description with a fault names its file and line and
// writes nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "qrncore/qrnutils/hbmp/tga.h"
#include "support/temp_dir.h"
#include "tex_field.h"
#include "tex_render.h"

namespace texgen {
namespace {

tex_image_t render(const std::string &text) {
    tex_program_t program;
    std::string error;
    EXPECT_TRUE(tex_parse(text, "test.tex", program, error)) << error;
    return tex_render(program);
}

// The red byte of a texel: the tests paint the field under test as grey.
struct grey_t {
    tex_image_t image;
    int at(uint32_t x, uint32_t y) const {
        const uint32_t bpp = image.alpha ? 4 : 3;
        return image.pixels[(size_t(y) * image.width + x) * bpp];
    }
    int alpha(uint32_t x, uint32_t y) const { return image.pixels[(size_t(y) * image.width + x) * 4 + 3]; }
    int min() const {
        int m = 255;
        for (uint32_t y = 0; y < image.height; ++y)
            for (uint32_t x = 0; x < image.width; ++x) m = std::min(m, at(x, y));
        return m;
    }
    int max() const {
        int m = 0;
        for (uint32_t y = 0; y < image.height; ++y)
            for (uint32_t x = 0; x < image.width; ++x) m = std::max(m, at(x, y));
        return m;
    }
    double mean() const {
        double s = 0;
        for (uint32_t y = 0; y < image.height; ++y)
            for (uint32_t x = 0; x < image.width; ++x) s += at(x, y);
        return s / (double(image.width) * image.height);
    }
    // The largest step between neighbours inside the image, and across its edges
    // (the last column to the first, the last row to the first): a pattern that tiles
    // has no larger step across the edges than inside.
    int inner_step() const {
        int m = 0;
        for (uint32_t y = 0; y + 1 < image.height; ++y)
            for (uint32_t x = 0; x + 1 < image.width; ++x)
                m = std::max({m, std::abs(at(x, y) - at(x + 1, y)), std::abs(at(x, y) - at(x, y + 1))});
        return m;
    }
    int edge_step() const {
        const uint32_t w = image.width, h = image.height;
        int m = 0;
        for (uint32_t y = 0; y < h; ++y) m = std::max(m, std::abs(at(w - 1, y) - at(0, y)));
        for (uint32_t x = 0; x < w; ++x) m = std::max(m, std::abs(at(x, h - 1) - at(x, 0)));
        return m;
    }
};

grey_t field(const std::string &statements, const char *name = "f", uint32_t side = 64) {
    const std::string s = std::to_string(side);
    return {render("texture " + s + " " + s + " rgb seed=9\n" + statements + "\npaint field=" + name + "\n")};
}

TEST(texture_writer, every_generator_and_operation_makes_what_it_says) {
    struct case_t {
        const char *name;
        std::string text;
        std::function<void(const grey_t &)> check;
    };
    const case_t cases[] = {
        {"constant", "f = constant 0.5",
         [](const grey_t &g) {
             EXPECT_EQ(g.min(), 128);
             EXPECT_EQ(g.max(), 128);
         }},
        {"noise spans 0..1 about its middle and tiles", "f = noise scale=4 octaves=5",
         [](const grey_t &g) {
             EXPECT_GT(g.max() - g.min(), 120);
             EXPECT_NEAR(g.mean(), 128, 25);
             EXPECT_LE(g.edge_step(), g.inner_step());
         }},
        {"turbulent and ridged noise tile",
         "a = noise scale=3,6 octaves=4 style=turbulent\nb = noise style=ridged\nf = mix a b",
         [](const grey_t &g) {
             EXPECT_LE(g.edge_step(), g.inner_step());
             EXPECT_GT(g.max() - g.min(), 100);
         }},
        {"value noise tiles", "f = value scale=8 octaves=3",
         [](const grey_t &g) {
             EXPECT_LE(g.edge_step(), g.inner_step());
             EXPECT_GT(g.max() - g.min(), 100);
         }},
        {"cells: near is 0 at the points", "f = cells scale=4 output=near",
         [](const grey_t &g) {
             EXPECT_LT(g.min(), 25);
             EXPECT_GT(g.max(), 100);
             EXPECT_LE(g.edge_step(), g.inner_step());
         }},
        {"cells: edge is 0 between cells", "f = cells scale=4 output=edge jitter=1",
         [](const grey_t &g) { EXPECT_LT(g.min(), 15); }},
        {"cells: id is flat in each cell", "f = cells scale=2 jitter=0 output=id",
         [](const grey_t &g) {
             // Four square cells of 32 texels, each of one value.
             for (uint32_t cy = 0; cy < 2; ++cy)
                 for (uint32_t cx = 0; cx < 2; ++cx)
                     EXPECT_EQ(g.at(cx * 32 + 1, cy * 32 + 1), g.at(cx * 32 + 30, cy * 32 + 30));
         }},
        {"stripes repeat their count across", "f = stripes x=4 shape=triangle",
         [](const grey_t &g) {
             for (uint32_t x = 0; x < 48; ++x) EXPECT_EQ(g.at(x, 5), g.at(x + 16, 40));
             EXPECT_LT(g.min(), 20);
             EXPECT_GT(g.max(), 235);
         }},
        {"square stripes keep their duty", "f = stripes x=0 y=2 shape=square duty=0.25",
         [](const grey_t &g) {
             EXPECT_EQ(g.at(3, 3), 255);
             EXPECT_EQ(g.at(3, 12), 0);
             EXPECT_EQ(g.at(3, 35), 255);
         }},
        {"linear runs from 0 to 1", "f = linear from=0.25,0 to=0.75,0",
         [](const grey_t &g) {
             EXPECT_EQ(g.at(5, 9), 0);
             EXPECT_EQ(g.at(60, 9), 255);
             EXPECT_NEAR(g.at(32, 9), 128, 5);
         }},
        {"radial is 0 in the middle, 1 outside", "f = radial radius=0.25",
         [](const grey_t &g) {
             EXPECT_LT(g.at(32, 32), 15);
             EXPECT_EQ(g.at(1, 1), 255);
         }},
        {"rect", "f = rect x=0.25,0.5 y=0,0.5",
         [](const grey_t &g) {
             EXPECT_EQ(g.at(20, 10), 255);
             EXPECT_EQ(g.at(40, 10), 0);
             EXPECT_EQ(g.at(20, 40), 0);
         }},
        {"skyline: sky above, ground below, the line between base - height and base",
         "f = skyline base=0.75 height=0.5 scale=4",
         [](const grey_t &g) {
             int top = 64, bottom = 0;
             for (uint32_t x = 0; x < 64; ++x) {
                 EXPECT_EQ(g.at(x, 0), 0);
                 EXPECT_EQ(g.at(x, 63), 255);
                 uint32_t y = 0;
                 while (y < 64 && g.at(x, y) < 128) ++y;
                 top = std::min(top, int(y)), bottom = std::max(bottom, int(y));
             }
             EXPECT_NEAR(top, 16, 2);
             EXPECT_NEAR(bottom, 48, 2);
         }},
        {"a disc covers its place", "f = spots count=1 x=0.5 y=0.5 size=0.2 softness=0.1",
         [](const grey_t &g) {
             EXPECT_EQ(g.at(32, 32), 255);
             EXPECT_EQ(g.at(32, 48), 0);
             EXPECT_EQ(g.at(5, 5), 0);
         }},
        {"a disc over an edge comes in at the other", "f = spots count=1 x=0 y=0.5 size=0.1 softness=0.1",
         [](const grey_t &g) {
             EXPECT_EQ(g.at(0, 32), 255);
             EXPECT_EQ(g.at(63, 32), 255);
         }},
        {"wrap=no clips it", "f = spots count=1 x=0 y=0.5 size=0.1 softness=0.1 wrap=no",
         [](const grey_t &g) {
             EXPECT_EQ(g.at(0, 32), 255);
             EXPECT_EQ(g.at(63, 32), 0);
         }},
        {"a blade grows from its place toward its angle",
         "f = spots count=1 x=0.5 y=0.9 size=0.6 stretch=0.2 angle=90 shape=blade",
         [](const grey_t &g) {
             EXPECT_EQ(g.at(32, 50), 255);
             EXPECT_EQ(g.at(32, 62), 0);
             EXPECT_EQ(g.at(32, 5), 0);
             EXPECT_EQ(g.at(36, 50), 0);
         }},
        {"a leaf is pointed at both ends",
         "f = spots count=1 x=0.1 y=0.5 size=0.8 stretch=0.3 angle=0 shape=leaf softness=0.05",
         [](const grey_t &g) {
             EXPECT_EQ(g.at(32, 32), 255);
             EXPECT_EQ(g.at(8, 25), 0);
             EXPECT_EQ(g.at(56, 25), 0);
         }},
        {"tone: the value of the last spot", "f = spots count=1 x=0.5 y=0.5 size=0.2 value=0.5 output=tone",
         [](const grey_t &g) {
             EXPECT_EQ(g.at(32, 32), 128);
             EXPECT_EQ(g.at(2, 2), 0);
         }},
        {"height: a dome", "f = spots count=1 x=0.5 y=0.5 size=0.3 softness=1 output=height",
         [](const grey_t &g) {
             EXPECT_GT(g.at(32, 32), 240);
             EXPECT_LT(g.at(32, 48), g.at(32, 40));
         }},
        {"a column: pairs mirrored about the line",
         "f = spots layout=column count=3 from=0.5,0.9 to=0.5,0.1 angle=90 size=0.3 stretch=0.4 shape=blade",
         [](const grey_t &g) {
             for (uint32_t y = 0; y < 64; ++y)
                 for (uint32_t x = 0; x < 32; ++x) EXPECT_EQ(g.at(x, y), g.at(63 - x, y)) << x << "," << y;
             EXPECT_GT(g.at(26, 57), 200);
             EXPECT_GT(g.at(26, 31), 200);
             EXPECT_EQ(g.at(26, 20), 0);
         }},
        {"levels, also downward, with gamma", "a = linear\nf = levels a in=1,0 out=0.2,0.6 gamma=2",
         [](const grey_t &g) {
             EXPECT_NEAR(g.at(0, 0), 153, 2);
             EXPECT_NEAR(g.at(63, 0), 60, 2);
             EXPECT_NEAR(g.at(32, 0), 123, 3);
         }},
        {"threshold", "a = linear\nf = threshold a at=0.5",
         [](const grey_t &g) {
             EXPECT_EQ(g.at(30, 0), 0);
             EXPECT_EQ(g.at(33, 0), 255);
         }},
        {"invert", "a = constant 0.25\nf = invert a", [](const grey_t &g) { EXPECT_EQ(g.at(7, 7), 191); }},
        {"normalize", "a = noise\nb = multiply a 0.2\nf = normalize b",
         [](const grey_t &g) {
             EXPECT_EQ(g.min(), 0);
             EXPECT_EQ(g.max(), 255);
         }},
        {"blur keeps the mean and softens", "a = stripes x=8 shape=square\nf = blur a radius=3",
         [](const grey_t &g) {
             EXPECT_NEAR(g.mean(), 127.5, 1);
             EXPECT_GT(g.min(), 20);
             EXPECT_LT(g.max(), 235);
         }},
        {"warp moves", "a = rect x=0,0.5\nd = constant 0.75\nf = warp a d 0.5 amount=1",
         // Read half an image to the right: the left half shows the right half.
         [](const grey_t &g) {
             EXPECT_EQ(g.at(5, 5), 0);
             EXPECT_EQ(g.at(40, 5), 255);
         }},
        {"relief: 0.5 where flat, lit faces brighter",
         "a = linear from=0.5,0 to=0.25,0\nf = relief a azimuth=0 elevation=45 strength=20",
         [](const grey_t &g) {
             EXPECT_NEAR(g.at(60, 5), 128, 1);
             EXPECT_GT(g.at(24, 5), 150);
         }},
        {"add, subtract, multiply, screen, max, min, difference, mix",
         "a = constant 0.5\nb = constant 0.25\nf1 = add a b\nf2 = subtract a b\nf3 = multiply a b\nf4 = screen a b\n"
         "f5 = max a b\nf6 = min a b\nf7 = difference b a\nf8 = mix a b by=0.5\n"
         "s = rect x=0,0.125\nf = mix f1 f1\nf = mix f f2 by=s",
         [](const grey_t &g) {
             EXPECT_EQ(g.at(2, 2), 64);
             EXPECT_EQ(g.at(40, 2), 191);
         }},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.name);
        c.check(field(c.text));
    }
    // The combinations one by one.
    const std::pair<const char *, int> combined[] = {{"add", 191}, {"subtract", 64}, {"multiply", 32},  {"screen", 159},
                                                     {"max", 128}, {"min", 64},      {"difference", 64}};
    for (const auto &[op, value] : combined) {
        SCOPED_TRACE(op);
        EXPECT_EQ(field(std::string("a = constant 0.5\nb = constant 0.25\nf = ") + op + " a b").at(3, 3), value);
    }
}

TEST(texture_writer, paint_blends_and_alpha_and_normals_write_their_channels) {
    const char *head = "texture 4 4 rgba\nhalf = constant 0.5\nquarter = constant 0.25\nramp r 0:000000 1:ff8000\n";
    struct case_t {
        const char *statements;
        int r, g, b, a;
    };
    const case_t cases[] = {
        {"paint colour=804020", 128, 64, 32, 255},
        {"paint colour=804020 opacity=0.5", 64, 32, 16, 255},
        {"paint colour=ffffff80", 128, 128, 128, 255},  // the colour's alpha is cover
        {"paint colour=ffffff mask=quarter", 64, 64, 64, 255},
        {"paint ramp=r field=half", 128, 64, 0, 255},
        {"paint field=quarter", 64, 64, 64, 255},
        {"paint colour=808080\npaint colour=808080 blend=multiply", 64, 64, 64, 255},
        {"paint colour=808080\npaint colour=808080 blend=screen", 192, 192, 192, 255},
        {"paint colour=808080\npaint colour=ffffff blend=overlay", 255, 255, 255, 255},
        {"paint colour=808080\npaint colour=808080 blend=add", 255, 255, 255, 255},
        {"paint colour=808080\npaint colour=404040 blend=darken", 64, 64, 64, 255},
        {"paint colour=808080\npaint colour=404040 blend=lighten", 128, 128, 128, 255},
        {"alpha value=0.5", 0, 0, 0, 128},
        {"alpha field=quarter\nalpha value=0.5 mode=multiply", 0, 0, 0, 32},
        {"alpha field=quarter\nalpha value=0.5 mode=max", 0, 0, 0, 128},
        {"alpha value=0.5\nalpha field=quarter mode=min", 0, 0, 0, 64},
        {"normals field=half", 128, 128, 255, 255},  // flat: straight out
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.statements);
        const tex_image_t image = render(std::string(head) + c.statements + "\n");
        ASSERT_EQ(image.pixels.size(), 4u * 4u * 4u);
        EXPECT_EQ(image.pixels[20], c.r);
        EXPECT_EQ(image.pixels[21], c.g);
        EXPECT_EQ(image.pixels[22], c.b);
        EXPECT_EQ(image.pixels[23], c.a);
    }
    // A slope's normal leans away from the rise, up the image where the height grows
    // downward.
    const tex_image_t slope = render("texture 8 8 rgb\nh = linear from=0,0 to=0,1\nnormals field=h strength=8\n");
    EXPECT_EQ(slope.pixels[(3 * 8 + 3) * 3], 128);
    EXPECT_GT(slope.pixels[(3 * 8 + 3) * 3 + 1], 140);
}

TEST(texture_writer, the_same_description_gives_the_same_bytes_and_the_seed_changes_them) {
    const std::string text =
        "texture 64 32 rgba seed=5\n"
        "n = noise scale=4,2 octaves=5 style=turbulent\nc = cells scale=8\ns = spots count=40 output=tone value=0,1\n"
        "k = skyline\nm = mix n c by=s\nm = warp m n c\nm = blur m radius=1\nl = relief m\n"
        "ramp r 0:102030 0.5:808000 1:ffffff\npaint ramp=r field=m\npaint field=l blend=overlay\nalpha field=k\n";
    std::vector<uint8_t> first, second, other;
    std::string error;
    ASSERT_TRUE(tex_encode(render(text), false, first, error)) << error;
    ASSERT_TRUE(tex_encode(render(text), false, second, error)) << error;
    EXPECT_EQ(first, second);
    std::string reseeded = text;
    reseeded.replace(reseeded.find("seed=5"), 6, "seed=6");
    ASSERT_TRUE(tex_encode(render(reseeded), false, other, error)) << error;
    EXPECT_NE(first, other);
}

TEST(texture_writer, the_tga_it_writes_reads_back_through_the_core) {
    quarn::test::temp_dir_t dir;
    const std::string description = dir.file("d.tex");
    ASSERT_TRUE(
        quarn::test::write_file(description, "texture 16 8 rgba\nx = linear\npaint field=x\nalpha value=0.5\n"));
    std::string error;
    for (const char *name : {"out/a.tga", "out/a.png"})
        ASSERT_TRUE(tex_make(description, dir.file(name), error)) << error;
    std::ifstream in(dir.file("out/a.tga"), std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    quarn::tga_header_t header;
    ASSERT_TRUE(quarn::tga_read_header(&header, bytes.data(), bytes.size()));
    EXPECT_EQ(quarn::tga_type(header), quarn::HBMP_BGRA);
    EXPECT_EQ(quarn::tga_x_size(header), 16u);
    EXPECT_EQ(quarn::tga_y_size(header), 8u);
    EXPECT_EQ(header.descriptor & 0x20, 0x20);  // first row at the top
    std::vector<uint8_t> pixels(16 * 8 * 4);
    ASSERT_TRUE(quarn::tga_decompress(pixels.data(), bytes.data(), bytes.size()));
    const tex_image_t image = render("texture 16 8 rgba\nx = linear\npaint field=x\nalpha value=0.5\n");
    for (size_t i = 0; i < 16 * 8; ++i) {
        EXPECT_EQ(pixels[i * 4], image.pixels[i * 4 + 2]);  // B, G, R, A
        EXPECT_EQ(pixels[i * 4 + 2], image.pixels[i * 4]);
        EXPECT_EQ(pixels[i * 4 + 3], 128);
    }
    std::ifstream png(dir.file("out/a.png"), std::ios::binary);
    char signature[8] = {};
    png.read(signature, 8);
    EXPECT_EQ(std::string(signature + 1, 3), "PNG");
}

TEST(texture_writer, a_description_with_a_fault_names_its_line_and_writes_nothing) {
    const char *head = "texture 32 32 rgb\n";
    struct case_t {
        std::string text;
        const char *error;
    };
    const case_t cases[] = {
        {"", "test.tex:1: no 'texture WIDTH HEIGHT rgb|rgba' statement"},
        {"# only a comment\n\n", "test.tex:2: no 'texture"},
        {"f = noise\n", "test.tex:1: the description must begin with 'texture"},
        {"texture 30 32 rgb\n", "test.tex:1: the side 30 is not a power of two"},
        {"texture 4096 4096 rgb\n", "test.tex:1: 4096x4096 has more than"},
        {"texture 32 32 grey\n", "test.tex:1: 'grey' is no channel set"},
        {"texture 32 32 rgb seed=-1\n", "test.tex:1: 'seed' must be from 0 to"},
        {std::string(head) + "texture 32 32 rgb\n", "test.tex:2: a second 'texture' statement"},
        {std::string(head) + "pain colour=ffffff\n", "test.tex:2: unknown statement 'pain'"},
        {std::string(head) + "\nf = nois\n", "test.tex:3: unknown generator or operation 'nois'"},
        {std::string(head) + "f = noise octave=3\n", "test.tex:2: unknown setting 'octave' for noise"},
        {std::string(head) + "f = noise octaves=3 octaves=4\n", "test.tex:2: 'octaves' is given twice"},
        {std::string(head) + "f = noise octaves=13\n", "test.tex:2: 'octaves' must be from 1 to 12, not 13"},
        {std::string(head) + "f = noise octaves=2.5\n", "test.tex:2: '2.5' of 'octaves' is not a whole number"},
        {std::string(head) + "f = noise gain=x\n", "test.tex:2: 'x' of 'gain' is not a number"},
        {std::string(head) + "f = noise gain=inf\n", "test.tex:2: 'inf' of 'gain' is not a number"},
        {std::string(head) + "f = noise scale=64\n",
         "test.tex:2: 'scale' 64,64 is finer than the image's 32x32 texels"},
        {std::string(head) + "f = noise style=wavy\n",
         "test.tex:2: 'wavy' is no choice of 'style' (smooth turbulent ridged)"},
        {std::string(head) + "f = blur g\n", "test.tex:2: no field 'g' before this line"},
        {std::string(head) + "f = blur f\n", "test.tex:2: no field 'f' before this line"},
        {std::string(head) + "f = blur\n", "test.tex:2: blur needs 1 operand"},
        {std::string(head) + "f = noise 3\n", "test.tex:2: noise takes no operands"},
        {std::string(head) + "a = constant 1\nf = add a a a\n", "test.tex:3: add takes at most 2 operands"},
        {std::string(head) + "f = linear from=0.5,0.5 to=0.5,0.5\n",
         "test.tex:2: 'from' and 'to' of a linear gradient"},
        {std::string(head) + "9f = constant 1\n", "test.tex:2: '9f' is no field name"},
        {std::string(head) + "paint = constant 1\n", "test.tex:2: 'paint' is no field name"},
        {std::string(head) + "ramp r 0:000000 x:ffffff\n", "test.tex:2: 'x:ffffff' is no stop"},
        {std::string(head) + "ramp r 0.5:000000 0.2:ffffff\n", "test.tex:2: the stop '0.2:ffffff' comes before"},
        {std::string(head) + "ramp r 0:00000g\n", "test.tex:2: '0:00000g' is no stop"},
        {std::string(head) + "ramp r 0:000000\nramp r 1:000000\n", "test.tex:3: a second ramp 'r'"},
        {std::string(head) + "f = constant 1\nramp f 0:000000\n", "test.tex:3: 'f' is already a field"},
        {std::string(head) + "paint colour=ffffff field=x\n", "test.tex:2: no field 'x' before this line"},
        {std::string(head) + "f = constant 1\npaint colour=ffffff field=f\n", "test.tex:3: paint takes either"},
        {std::string(head) + "ramp r 0:000000\npaint ramp=r\n", "test.tex:3: paint with a ramp needs field=NAME"},
        {std::string(head) + "paint ramp=q field=x\n", "test.tex:2: no ramp 'q' before this line"},
        {std::string(head) + "paint colour=fff\n", "test.tex:2: 'fff' is no colour"},
        {std::string(head) + "paint white\n", "test.tex:2: 'paint' takes settings KEY=VALUE only"},
        {std::string(head) + "alpha\n", "test.tex:2: alpha takes either field=NAME or value=NUMBER"},
        {std::string(head) + "normals strength=2\n", "test.tex:2: normals needs field=NAME"},
        {std::string(head) + "f = spots count=0\n", "test.tex:2: 'count' must be from 1 to 100000, not 0"},
        {std::string(head) + "f = spots shape=star\n", "test.tex:2: 'star' is no choice of 'shape'"},
        {std::string(head) + "f = constant 1\r\ng = blur f radius=-1\r\n",
         "test.tex:3: 'radius' must be from 0 to 1024"},
        {std::string(head) + std::string("f = constant 1\0\n", 16), "test.tex:2: a zero byte"},
    };
    for (const case_t &c : cases) {
        SCOPED_TRACE(c.text);
        tex_program_t program;
        std::string error;
        EXPECT_FALSE(tex_parse(c.text, "test.tex", program, error));
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
    }

    // Through the file: the error names it, and no image (nor a part of one) is left.
    quarn::test::temp_dir_t dir;
    const std::string description = dir.file("bad.tex");
    ASSERT_TRUE(quarn::test::write_file(description, "texture 8 8 rgb\nf = noise\nf = levels f in=0\ng = nosie\n"));
    std::string error;
    EXPECT_FALSE(tex_make(description, dir.file("out/bad.tga"), error));
    EXPECT_EQ(error, description + ":4: unknown generator or operation 'nosie'");
    EXPECT_FALSE(std::filesystem::exists(dir.file("out/bad.tga")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("out/bad.tga.part")));
    EXPECT_FALSE(tex_make(dir.file("missing.tex"), dir.file("out/missing.tga"), error));
    EXPECT_EQ(error, "cannot read '" + dir.file("missing.tex") + "'");
}

}  // namespace
}  // namespace texgen
