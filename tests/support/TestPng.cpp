#include "support/TestPng.h"

#include <array>

namespace tq::test {
namespace {

std::uint32_t crc32(const std::string& bytes) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) c = table[(c ^ byte) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void putBigEndian(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void chunk(std::string& png, const char* kind, const std::string& data) {
    putBigEndian(png, static_cast<std::uint32_t>(data.size()));
    std::string body = std::string(kind, 4) + data;
    png += body;
    putBigEndian(png, crc32(body));
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::string storedZlib(const std::string& raw) {
    std::string out = "\x78\x01";
    std::size_t offset = 0;
    do {
        std::size_t length = std::min<std::size_t>(65535, raw.size() - offset);
        bool last = offset + length == raw.size();
        out += static_cast<char>(last ? 1 : 0);
        out += static_cast<char>(length & 0xFF);
        out += static_cast<char>(length >> 8);
        out += static_cast<char>(~length & 0xFF);
        out += static_cast<char>((~length >> 8) & 0xFF);
        out.append(raw, offset, length);
        offset += length;
    } while (offset < raw.size());
    std::uint32_t a = 1, b = 0;
    for (unsigned char byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    putBigEndian(out, (b << 16) | a);
    return out;
}

}  // namespace

std::string makePng(int width, int height, const std::function<Rgba(int x, int y)>& pixel) {
    std::string raw;
    raw.reserve(static_cast<std::size_t>(height) * (1 + 4 * static_cast<std::size_t>(width)));
    for (int y = 0; y < height; ++y) {
        raw += '\0';  // no filter
        for (int x = 0; x < width; ++x) {
            Rgba p = pixel(x, y);
            raw += static_cast<char>(p.r);
            raw += static_cast<char>(p.g);
            raw += static_cast<char>(p.b);
            raw += static_cast<char>(p.a);
        }
    }
    std::string header;
    putBigEndian(header, static_cast<std::uint32_t>(width));
    putBigEndian(header, static_cast<std::uint32_t>(height));
    header += std::string("\x08\x06\x00\x00\x00", 5);
    std::string png = "\x89PNG\r\n\x1a\n";
    chunk(png, "IHDR", header);
    chunk(png, "IDAT", storedZlib(raw));
    chunk(png, "IEND", "");
    return png;
}

std::string makeTilePng(Rgba fill) {
    const Rgba border{static_cast<std::uint8_t>(fill.r / 2), static_cast<std::uint8_t>(fill.g / 2),
                      static_cast<std::uint8_t>(fill.b / 2), 255};
    return makePng(256, 256, [&](int x, int y) { return (x < 2 || y < 2) ? border : fill; });
}

}  // namespace tq::test
