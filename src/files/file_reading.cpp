#include "file_reading.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FileContents readRegularFile(const std::string& path, std::size_t maxBytes) {
    FileContents c;
    if (path.find('\0') != std::string::npos) {
        c.problem = ReadProblem::BadName;
        return c;
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        c.problem =
            errno == ENOENT || errno == ENOTDIR ? ReadProblem::Missing : ReadProblem::Unreadable;
        return c;
    }
    if (S_ISDIR(st.st_mode)) {
        c.problem = ReadProblem::Folder;
        return c;
    }
    if (!S_ISREG(st.st_mode)) {
        c.problem = ReadProblem::NotRegular;
        return c;
    }
    // Without waiting: the name may have become a pipe since it was looked at.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        c.problem = ReadProblem::Unreadable;
        return c;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        c.problem = ReadProblem::NotRegular;
    } else if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
        c.problem = ReadProblem::TooLarge;
    } else {
        // Read to the end, however the file changed since its size was taken, but never past
        // the bound.
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                c.problem = ReadProblem::Unreadable;
                break;
            }
            if (n == 0)
                break;
            if (c.bytes.size() + static_cast<std::size_t>(n) > maxBytes) {
                c.problem = ReadProblem::TooLarge;
                break;
            }
            c.bytes.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    if (c.problem != ReadProblem::None)
        c.bytes.clear();
    return c;
}

namespace {

std::uint64_t littleEndian(std::string_view b, std::size_t at, int bytes) {
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    return v;
}

std::uint64_t bigEndian(std::string_view b, std::size_t at, int bytes) {
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = (v << 8) | static_cast<unsigned char>(b[at + static_cast<std::size_t>(i)]);
    return v;
}

unsigned char byteAt(std::string_view b, std::size_t at) {
    return static_cast<unsigned char>(b[at]);
}

// An uncompressed BMP holds all its rows; a run-length one runs to its end mark or its last
// row.
bool bmpComplete(std::string_view b) {
    if (b.size() < 18)
        return false;
    const std::uint64_t offset = littleEndian(b, 10, 4);
    const std::uint64_t header = littleEndian(b, 14, 4);
    if (b.size() < 14 + std::min<std::uint64_t>(header, 40) || offset > b.size())
        return false;
    const auto size = bmpAnnouncedSize(b);
    if (!size)
        return true; // a header the decoder judges
    const std::uint64_t bits = header == 12 ? littleEndian(b, 24, 2) : littleEndian(b, 28, 2);
    const std::uint64_t compression = header == 12 ? 0 : littleEndian(b, 30, 4);
    const auto width = static_cast<std::uint64_t>(size->first);
    const auto height = static_cast<std::uint64_t>(size->second);
    if (compression == 0 || compression == 3 || compression == 6) {
        const std::uint64_t stride = (width * bits + 31) / 32 * 4;
        return offset + stride * height <= b.size();
    }
    if (compression != 1 && compression != 2)
        return true; // JPEG or PNG inside a BMP: the decoder judges
    // RLE8 (1) or RLE4 (2): pairs of count and value; a zero count introduces the end of a row
    // (0), of the picture (1), a jump (2) or that many literal pixels, padded to 16 bits.
    std::uint64_t rows = 0;
    std::size_t at = offset;
    while (at + 2 <= b.size()) {
        const unsigned count = byteAt(b, at);
        const unsigned value = byteAt(b, at + 1);
        at += 2;
        if (count != 0)
            continue;
        if (value == 0) {
            ++rows;
        } else if (value == 1) {
            return true;
        } else if (value == 2) {
            if (at + 2 > b.size())
                return false;
            rows += byteAt(b, at + 1);
            at += 2;
        } else {
            const std::size_t literal = compression == 1 ? value : (value + 1) / 2;
            at += (literal + 1) / 2 * 2;
        }
    }
    return rows >= height;
}

// A JPEG runs from its start mark through its segments and entropy-coded scans to its end
// mark.
bool jpegComplete(std::string_view b) {
    std::size_t at = 2;
    for (;;) {
        while (at < b.size() && byteAt(b, at) != 0xFF)
            ++at; // entropy-coded data of the scan before
        while (at < b.size() && byteAt(b, at) == 0xFF)
            ++at; // fill bytes
        if (at >= b.size())
            return false;
        const unsigned marker = byteAt(b, at++);
        if (marker == 0xD9)
            return true; // the end mark
        if (marker == 0x00 || (marker >= 0xD0 && marker <= 0xD8) || marker == 0x01)
            continue; // a stuffed zero, a restart mark, the start mark: no length
        if (at + 2 > b.size())
            return false;
        const std::uint64_t length = bigEndian(b, at, 2);
        if (length < 2 || at + length > b.size())
            return false;
        at += static_cast<std::size_t>(length);
    }
}

// A PNG is a chain of chunks that ends with IEND.
bool pngComplete(std::string_view b) {
    std::size_t at = 8;
    while (at + 8 <= b.size()) {
        const std::uint64_t length = bigEndian(b, at, 4);
        const std::string_view type = b.substr(at + 4, 4);
        if (length > b.size() || at + 12 + length > b.size())
            return false;
        if (type == "IEND")
            return true;
        at += static_cast<std::size_t>(12 + length);
    }
    return false;
}

} // namespace

std::optional<std::pair<long long, long long>> bmpAnnouncedSize(std::string_view b) {
    if (b.size() < 26 || b.substr(0, 2) != "BM")
        return std::nullopt;
    const std::uint64_t header = littleEndian(b, 14, 4);
    if (header == 12) // the oldest header: 16-bit sizes
        return std::pair<long long, long long>(littleEndian(b, 18, 2), littleEndian(b, 20, 2));
    if (header < 40)
        return std::nullopt;
    // 32-bit signed; a negative height is a picture stored top-down.
    const auto width = static_cast<std::int32_t>(littleEndian(b, 18, 4));
    const auto height = static_cast<std::int32_t>(littleEndian(b, 22, 4));
    if (width <= 0 || height == 0)
        return std::nullopt;
    const long long h = height;
    return std::pair<long long, long long>(width, h < 0 ? -h : h);
}

bool pictureComplete(std::string_view b) {
    if (b.substr(0, 2) == "BM")
        return bmpComplete(b);
    if (b.size() >= 3 && byteAt(b, 0) == 0xFF && byteAt(b, 1) == 0xD8 && byteAt(b, 2) == 0xFF)
        return jpegComplete(b);
    if (b.substr(0, 8) == std::string_view("\x89PNG\r\n\x1a\n", 8))
        return pngComplete(b);
    return true;
}
