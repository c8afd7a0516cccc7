#include "qrncore/qrnutils/ufs/mem_file.h"

#include <cstring>

#include "qrncore/system/cpu.h"
#include "qrncore/system/host_object.h"
#include "qrncore/system/messages.h"

namespace quarn {

// A page of a memory file: reads and writes within it, at an offset in the page.
class mem_file_t::page_t : public host_object_t {
public:
    virtual ~page_t() = default;
    virtual void read(void *dst, uint32_t len, uint32_t offset) const = 0;
    virtual void write(const void *src, uint32_t len, uint32_t offset) = 0;
    virtual bool is_owned() const { return false; }
};

namespace {

// Bytes of its own, zero-filled when made.
class owned_page_t : public mem_file_t::page_t {
public:
    owned_page_t() { memset(m_data, 0, sizeof m_data); }
    void read(void *dst, uint32_t len, uint32_t offset) const override { memcpy(dst, m_data + offset, len); }
    void write(const void *src, uint32_t len, uint32_t offset) override { cpu_copy(m_data + offset, src, len); }
    bool is_owned() const override { return true; }

private:
    uint8_t m_data[mem_file_t::PAGE_SIZE];
};

// Stands for every directory entry that has no page: zeros, and writes go nowhere.
class zero_page_t : public mem_file_t::page_t {
public:
    void read(void *dst, uint32_t len, uint32_t) const override { memset(dst, 0, len); }
    void write(const void *, uint32_t, uint32_t) override {}
};

// The caller's block; never written.
class view_page_t : public mem_file_t::page_t {
public:
    explicit view_page_t(const void *block) : m_block(static_cast<const uint8_t *>(block)) {}
    void read(void *dst, uint32_t len, uint32_t offset) const override { memcpy(dst, m_block + offset, len); }
    void write(const void *, uint32_t, uint32_t) override {}

private:
    const uint8_t *m_block;
};

zero_page_t zero_page;

}  // namespace

mem_file_t::mem_file_t() : file_t("<mem-file>"), m_read_only(false), m_page_size(PAGE_SIZE) {}

mem_file_t::mem_file_t(const void *block, uint32_t len)
    : file_t("<mem-addr-file>"), m_read_only(true), m_size(len), m_page_size(len ? len : 1) {
    // Without memory for the page the file holds nothing: its size drops to 0.
    page_t *view = len ? new view_page_t(block) : nullptr;
    if (len && (!view || !m_pages.append(view))) {
        delete view;
        m_size = 0;
    }
}

mem_file_t::~mem_file_t() {
    for (page_t *page : m_pages) delete page;
}

uint32_t mem_file_t::get_owned_pages() const {
    uint32_t n = 0;
    for (const page_t *page : m_pages) n += page && page->is_owned();
    return n;
}

bool mem_file_t::io_read(void *buf, uint32_t len, uint64_t offset) {
    if (len == 0 || !buf) return true;
    if (offset > m_size || len > m_size - offset) return false;
    auto *dst = static_cast<uint8_t *>(buf);
    uint32_t index = uint32_t(offset / m_page_size), in_page = uint32_t(offset % m_page_size);
    while (len) {
        const uint32_t n = len < m_page_size - in_page ? len : m_page_size - in_page;
        const page_t *page = index < m_pages.get_count() ? m_pages[index] : nullptr;
        (page ? page : &zero_page)->read(dst, n, in_page);
        dst += n;
        len -= n;
        ++index;
        in_page = 0;
    }
    return true;
}

bool mem_file_t::io_write(const void *buf, uint32_t len, uint64_t offset) {
    if (m_read_only) return false;
    if (len == 0 || !buf) return true;
    // The size is 32-bit: a write past 4 GiB would wrap it.
    if (offset > UINT32_MAX || len > UINT32_MAX - offset) return false;
    const uint32_t end = uint32_t(offset + len);
    const uint32_t pages = uint32_t((uint64_t(end) + m_page_size - 1) / m_page_size);
    // A directory that cannot grow fails the write; the program goes on.
    if (pages > m_pages.get_count() && !m_pages.set_size(pages)) {
        error("[memfs] unable to resize page directory!");
        return false;
    }
    auto *src = static_cast<const uint8_t *>(buf);
    uint32_t index = uint32_t(offset / m_page_size), in_page = uint32_t(offset % m_page_size);
    while (len) {
        const uint32_t n = len < m_page_size - in_page ? len : m_page_size - in_page;
        if (!m_pages[index]) {
            m_pages[index] = new owned_page_t;
            if (!m_pages[index]) {
                error("[memfs] unable to allocate a page!");
                return false;
            }
        }
        m_pages[index]->write(src, n, in_page);
        src += n;
        len -= n;
        ++index;
        in_page = 0;
    }
    if (end > m_size) m_size = end;
    return true;
}

bool mem_file_t::io_stat(fs_stat_t *out) {
    out->type = FS_TYPE_FILE;
    out->size = m_size;
    out->time = 0;
    return true;
}

auto_ptr_t<file_t>::ret_t mem_file_create() { return auto_ptr_t<file_t>(new mem_file_t); }

auto_ptr_t<file_t>::ret_t mem_file_bind(const void *block, uint32_t len) {
    return auto_ptr_t<file_t>(new mem_file_t(block, len));
}

}  // namespace quarn
