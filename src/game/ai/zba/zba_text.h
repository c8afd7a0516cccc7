#pragma once
// zba_text_t: a whole behaviour file in host memory, as the scanner reads it. The
// bytes are followed by one NUL byte that is not part of the text, so a file that
// holds NUL bytes of its own still scans to its real end.
#include <cstddef>
#include <cstdint>

namespace quarn {

class zba_text_t {
public:
    enum result_t : uint8_t {
        READ_OK = 0,
        READ_CANNOT_OPEN,  // the path does not open in the virtual tree
        READ_NO_MEMORY,    // the host gave no buffer for the file's size
        READ_ERROR,        // the file did not read whole
    };

    zba_text_t() = default;
    ~zba_text_t() { release(); }
    zba_text_t(const zba_text_t &) = delete;
    zba_text_t &operator=(const zba_text_t &) = delete;

    // Reads the virtual file at path (realm 1) whole, replacing what was held. Logs
    // nothing: callers word the failure for their own place.
    result_t read(const char *path);
    // Frees the bytes; the text is empty afterwards.
    void release();

    const char *data() const { return m_data ? m_data : ""; }
    size_t size() const { return m_size; }
    // The byte count a failed READ_NO_MEMORY asked for.
    size_t wanted() const { return m_wanted; }

private:
    char *m_data = nullptr;
    size_t m_size = 0;
    size_t m_wanted = 0;
};

}  // namespace quarn
