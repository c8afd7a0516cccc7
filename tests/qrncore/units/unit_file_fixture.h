#pragma once
// Files in memory for the unit writer and reader: named files with a realm, an opener
// that serves included files from a table, and a fixture that saves and loads texts.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "qrncore/qrnutils/ufs/file.h"
#include "qrncore/units/unit_load.h"
#include "qrncore/units/unit_save.h"
#include "support/memory_file.h"
#include "unit_fixture.h"

namespace quarn::test {

// A file over a byte string, with a name and a realm, that counts its writes.
class text_file_t : public memory_file_t {
public:
    text_file_t(const std::string &name, std::string content, fs_realm_t realm = FS_REALM_VIRTUAL)
        : memory_file_t(std::move(content), name.c_str()) {
        set_fs_realm(realm);
    }

    uint32_t writes = 0;

protected:
    bool io_write(const void *buf, uint32_t len, uint64_t offset) override {
        ++writes;
        return memory_file_t::io_write(buf, len, offset);
    }
};

// Serves included files by path from a table.
class table_opener_t : public unit_file_opener_t {
public:
    std::map<std::string, std::string> files;
    std::vector<std::string> opened;

    file_t *open(const char *path, uint32_t realm) override {
        opened.push_back(path);
        auto it = files.find(path);
        return it == files.end() ? nullptr : new text_file_t(path, it->second, fs_realm_t(realm));
    }
    void close(file_t *file) override { delete file; }
};

class unit_file_fixture_t : public unit_fixture_t {
protected:
    void TearDown() override {
        m_loader.reset();
        m_input.reset();
        unit_fixture_t::TearDown();
    }

    // The text the writer makes of the units.
    std::string save(std::initializer_list<unit_base_t *> units, unit_traversal_mode_t mode = UNIT_TRAVERSE_NONE,
                     bool *ok = nullptr) {
        text_file_t file("/out.txt", "");
        bool saved;
        {
            unit_save_t writer(file, mode);
            for (unit_base_t *u : units) writer.add(u);
            saved = writer.save(UNIT_PAYLOAD_TEXT);
        }
        if (ok) *ok = saved;
        return file.bytes;
    }

    // A loader over the text (kept until the next call or the end of the test).
    unit_load_t &loader(const std::string &text, const char *path = "/data/test.txt",
                        fs_realm_t realm = FS_REALM_VIRTUAL) {
        m_loader.reset();
        m_input = std::make_unique<text_file_t>(path, text, realm);
        m_loader = std::make_unique<unit_load_t>(*m_input, system(), &m_opener);
        return *m_loader;
    }
    bool load(const std::string &text) { return loader(text).load(); }

    // A file of units: the magic, braces around the body.
    static std::string file_of(const std::string &body) { return "RozErere\n{\n" + body + "}\n"; }

    table_opener_t m_opener;
    std::unique_ptr<text_file_t> m_input;
    std::unique_ptr<unit_load_t> m_loader;
};

}  // namespace quarn::test
