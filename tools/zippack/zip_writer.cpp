#include "zip_writer.h"

#include <zlib.h>

#include <fstream>

namespace zippack {

namespace {

// A fixed modification stamp (2000-01-01 00:00) keeps builds reproducible.
constexpr uint16_t DOS_TIME = 0;
constexpr uint16_t DOS_DATE = (20 << 9) | (1 << 5) | 1;

void put16(std::string &out, uint32_t v) {
    out.push_back(char(v & 0xFF));
    out.push_back(char((v >> 8) & 0xFF));
}

void put32(std::string &out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

uint32_t crc_of(const std::string &data) {
    return uint32_t(crc32(0L, reinterpret_cast<const Bytef *>(data.data()), uInt(data.size())));
}

std::string deflate_raw(const std::string &data) {
    z_stream zs{};
    deflateInit2(&zs, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&zs, uLong(data.size())), '\0');
    zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.data()));
    zs.avail_in = uInt(data.size());
    zs.next_out = reinterpret_cast<Bytef *>(out.data());
    zs.avail_out = uInt(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

}  // namespace

void zip_writer_t::add_file(const std::string &name, const std::string &data) {
    m_entries.push_back({name, data, crc_of(data), uint32_t(data.size()), 0, 0});
}

void zip_writer_t::add_deflated_file(const std::string &name, const std::string &data) {
    m_entries.push_back({name, deflate_raw(data), crc_of(data), uint32_t(data.size()), 8, 0});
}

void zip_writer_t::add_directory(const std::string &name, bool with_attribute, bool without_slash) {
    std::string n = name;
    if (!without_slash && (n.empty() || n.back() != '/')) n.push_back('/');
    m_entries.push_back({n, "", 0, 0, 0, with_attribute ? 0x10u : 0u});
}

std::string zip_writer_t::bytes() const {
    std::string out, central;
    for (const auto &e : m_entries) {
        const uint32_t offset = uint32_t(out.size());
        put32(out, 0x04034B50);
        put16(out, 20);  // version needed
        put16(out, 0);   // flags
        put16(out, e.method);
        put16(out, DOS_TIME);
        put16(out, DOS_DATE);
        put32(out, e.crc);
        put32(out, uint32_t(e.data.size()));
        put32(out, e.size);
        put16(out, uint32_t(e.name.size()));
        put16(out, 0);  // extra field
        out += e.name;
        out += e.data;

        put32(central, 0x02014B50);
        put16(central, 20);  // made by
        put16(central, 20);  // needed
        put16(central, 0);
        put16(central, e.method);
        put16(central, DOS_TIME);
        put16(central, DOS_DATE);
        put32(central, e.crc);
        put32(central, uint32_t(e.data.size()));
        put32(central, e.size);
        put16(central, uint32_t(e.name.size()));
        put16(central, 0);  // extra
        put16(central, 0);  // comment
        put16(central, 0);  // disk
        put16(central, 0);  // internal attributes
        put32(central, e.attributes);
        put32(central, offset);
        central += e.name;
    }
    const uint32_t central_offset = uint32_t(out.size());
    out += central;
    put32(out, 0x06054B50);
    put16(out, 0);
    put16(out, 0);
    put16(out, uint32_t(m_entries.size() & 0xFFFF));
    put16(out, uint32_t(m_entries.size() & 0xFFFF));
    put32(out, uint32_t(central.size()));
    put32(out, central_offset);
    put16(out, uint32_t(m_comment.size()));
    out += m_comment;
    return out;
}

bool zip_writer_t::write(const std::string &path) const {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    const std::string b = bytes();
    f.write(b.data(), std::streamsize(b.size()));
    return bool(f);
}

}  // namespace zippack
