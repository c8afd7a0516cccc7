#include "qrncore/strings/paths.h"

#include <gtest/gtest.h>

#include "qrncore/strings/string_dyn.h"
#include "qrncore/strings/string_fixed.h"
#include "qrncore/system/crash_log.h"
#include "qrncore/system/messages.h"
#include "support/temp_dir.h"

namespace quarn {
namespace {

TEST(paths, fnsplit) {
    struct case_t {
        const char *path, *dir, *name, *ext, *full_name;
    };
    const case_t cases[] = {
        {"/a.b", "", "a", ".b", "a.b"},
        {"x/y/z", "x/y", "z", "", "z"},
        {"/model/tree.zmd.dep", "/model", "tree.zmd", ".dep", "tree.zmd.dep"},
        {".dep", "", ".dep", ".dep", ".dep"},  // no separator: a leading only dot stays
        {"/.dep", "", "", ".dep", ".dep"},
        {"dir/.dep", "dir", "", ".dep", ".dep"},
        {"..dep", "", ".", ".dep", "..dep"},
        {"a.b/c", "a.b", "c", "", "c"},  // dots before the separator do not count
        {"c:\\data\\file.tga", "c:\\data", "file", ".tga", "file.tga"},
        {"mixed\\dir/name.x", "mixed\\dir", "name", ".x", "name.x"},
        {"lib/inpdev", "lib", "inpdev", "", "inpdev"},
        {"//a", "/", "a", "", "a"},
        {"dir/", "dir", "", "", ""},
        {"", "", "", "", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        mstring_dyn_t dir("junk"), name("junk"), ext("junk"), full("junk");
        EXPECT_TRUE(v_fnsplit(c.path, &dir, &name, &ext));
        EXPECT_EQ(dir, c.dir);
        EXPECT_EQ(name, c.name);
        EXPECT_EQ(ext, c.ext);
        EXPECT_TRUE(v_fnsplit(c.path, nullptr, &full));
        EXPECT_EQ(full, c.full_name);
        mstring_dyn_t only_ext;
        EXPECT_TRUE(v_get_extension(c.path, only_ext));
        EXPECT_EQ(only_ext, c.ext);
    }
    string_fixed_t<4> small;
    EXPECT_FALSE(v_fnsplit("/long/path/name", &small, nullptr, nullptr));
    EXPECT_EQ(small, "/lo");
}

TEST(paths, fncompose) {
    struct case_t {
        const char *dir, *name, *ext, *result;
    };
    const case_t cases[] = {
        {"/model", "tree", "", "/model/tree"},
        {"/model/", "tree", "zmd", "/model/tree.zmd"},
        {"c:\\x\\", "tree", ".zmd", "c:\\x\\tree.zmd"},
        {"", "tree", ".zmd", "/tree.zmd"},  // the folder v_fnsplit gives for "/tree.zmd"
        {"a", "b", ".", "a/b."},
    };
    for (const auto &c : cases) {
        mstring_dyn_t out;
        EXPECT_TRUE(v_fncompose(out, c.dir, c.name, c.ext));
        EXPECT_EQ(out, c.result);
        if (!*c.ext) {
            EXPECT_TRUE(v_fncompose(out, c.dir, c.name));
            EXPECT_EQ(out, c.result);
        }
    }
    // Split and compose round-trip a rooted path, and the output may be an input.
    mstring_dyn_t dir, name, ext;
    v_fnsplit("/tree.zmd", &dir, &name, &ext);
    EXPECT_TRUE(v_fncompose(dir, dir, name, ext));
    EXPECT_EQ(dir, "/tree.zmd");
    string_fixed_t<8> small;
    EXPECT_FALSE(v_fncompose(small, "/model", "tree"));
    EXPECT_EQ(small, "/model/");
}

TEST(paths, change_extension_and_filename) {
    struct case_t {
        const char *path, *ext, *with_ext;
        const char *name, *with_name;
    };
    const case_t cases[] = {
        {"/model/tree.zmd", ".zma", "/model/tree.zma", "bush.zmd", "/model/bush.zmd"},
        {"/model/tree", ".zmd", "/model/tree.zmd", "x", "/model/x"},
        {"/a.b/tree", ".zmd", "/a.b/tree.zmd", "x", "/a.b/x"},
        {"tree.zmd.dep", "", "tree.zmd", "x", "x"},
        {".dep", ".txt", ".txt", "x", "x"},
        {"dir\\file.x", ".y", "dir\\file.y", "n", "dir\\n"},
    };
    for (const auto &c : cases) {
        mstring_dyn_t p(c.path);
        EXPECT_TRUE(v_change_extension(p, c.ext));
        EXPECT_EQ(p, c.with_ext) << c.path;
        mstring_dyn_t f(c.path);
        EXPECT_TRUE(v_change_filename(f, c.name));
        EXPECT_EQ(f, c.with_name) << c.path;
    }
    string_fixed_t<8> small("/a/b");
    EXPECT_FALSE(v_change_extension(small, ".long"));
    EXPECT_EQ(small, "/a/b.lo");
}

TEST(paths, check_extension_absolutize_and_slashes) {
    EXPECT_TRUE(v_check_extension("tree.zmd", ".zmd"));
    EXPECT_FALSE(v_check_extension("tree.ZMD", ".zmd"));
    EXPECT_FALSE(v_check_extension("md", ".zmd"));
    EXPECT_TRUE(v_check_extension("x", ""));

    struct case_t {
        const char *name, *base, *result;
    };
    const case_t cases[] = {
        {"/abs/x", "/base/file", "/abs/x"},
        {"\\abs", "/base/file", "\\abs"},
        {"rel/x", "/base/file", "/base/rel/x"},
        {"rel", "/base/dir/", "/base/dir/rel"},
        {"rel", "nofolder", "rel"},
    };
    for (const auto &c : cases) {
        mstring_dyn_t out;
        EXPECT_TRUE(v_absolutize_filename(out, c.name, c.base));
        EXPECT_EQ(out, c.result);
        mstring_dyn_t base(c.base);
        EXPECT_TRUE(v_absolutize_filename(base, c.name, base));
        EXPECT_EQ(base, c.result);
    }

    mstring_dyn_t s("/dir//");
    EXPECT_TRUE(v_remove_slash(s));
    EXPECT_EQ(s, "/dir/");
    mstring_dyn_t b("c:\\dir\\");
    EXPECT_TRUE(v_remove_slash(b));
    EXPECT_EQ(b, "c:\\dir");
    EXPECT_FALSE(v_remove_slash(b));
    mstring_dyn_t empty;
    EXPECT_FALSE(v_remove_slash(empty));
}

TEST(paths, dos_and_unix_separators) {
    string_fixed_t<16> out;
    v_dos2unix(out, "a\\b\\c/d");
    EXPECT_EQ(out, "a/b/c/d");
    v_unix2dos_path(out);
    EXPECT_EQ(out, "a\\b\\c\\d");
    v_dos2unix_path(out);
    EXPECT_EQ(out, "a/b/c/d");

    char buf[16];
    v_dos2unix(buf, "x\\y");
    EXPECT_STREQ(buf, "x/y");
    v_unix2dos_path(buf);
    EXPECT_STREQ(buf, "x\\y");

    mstring_dyn_t empty;
    v_dos2unix(empty, "");  // nothing to store needs no room
    EXPECT_TRUE(empty.is_empty());
}

TEST(paths_death, dos2unix_does_not_grow_its_output) {
    message_stdio_t out;
    test::temp_dir_t dir;
    dumper_set_file_name(dir.file("paths.crash").c_str());
    EXPECT_DEATH(
        {
            string_fixed_t<4> out;
            v_dos2unix(out, "a\\b\\c");
        },
        "mstring_t bounds check failed");
    EXPECT_DEATH(
        {
            mstring_dyn_t out;
            v_dos2unix(out, "x");
        },
        "mstring_t bounds check failed");
}

}  // namespace
}  // namespace quarn
