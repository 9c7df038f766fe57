#pragma once

#include <sys/stat.h>
#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace tq::test {

// Writes a real zip archive entry by entry, including what a hostile archive could hold: any
// entry name, and Unix file modes (links, devices) in the external attributes. Written by hand
// rather than with minizip's writer, which takes minutes over tens of thousands of entries and
// writes no valid archive beyond 65,534 of them; the end records here switch to their 64-bit form
// when the count needs it.
class TestZip {
public:
    explicit TestZip(const std::filesystem::path& path) : out_(path, std::ios::binary | std::ios::trunc) {
        if (!out_) throw std::runtime_error("cannot create " + path.string());
    }
    ~TestZip() {
        try {
            close();
        } catch (...) {
            // A test that failed to write its archive fails on reading it.
        }
    }
    TestZip(const TestZip&) = delete;
    TestZip& operator=(const TestZip&) = delete;

    // `level` 0 stores the content; any other level deflates it.
    TestZip& add(const std::string& name, const std::string& content, unsigned mode = S_IFREG | 0644,
                 int level = 6) {
        Entry entry;
        entry.name = name;
        entry.crc = static_cast<std::uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(content.data()), static_cast<uInt>(content.size())));
        entry.size = content.size();
        entry.external = static_cast<std::uint32_t>(mode) << 16;
        entry.offset = written_;
        const bool deflated = level != 0 && !content.empty();
        entry.method = deflated ? 8 : 0;
        const std::string data = deflated ? deflate(content, level) : content;
        entry.compressed = data.size();

        std::string header;
        put32(header, 0x04034b50);
        put16(header, kVersionNeeded);
        put16(header, 0);  // flags
        putSizes(header, entry);
        put16(header, 0);  // extra field length
        header += name;
        write(header);
        write(data);
        entries_.push_back(std::move(entry));
        return *this;
    }
    TestZip& folder(const std::string& name) { return add(name, "", S_IFDIR | 0755); }
    TestZip& link(const std::string& name, const std::string& target) { return add(name, target, S_IFLNK | 0777); }

    void close() {
        if (!out_.is_open()) return;
        const std::uint64_t directoryOffset = written_;
        for (const auto& entry : entries_) write(centralHeader(entry));
        const std::uint64_t directorySize = written_ - directoryOffset;
        const std::uint64_t count = entries_.size();
        const bool wide = count >= 0xFFFF;
        if (wide) write(zip64End(count, directorySize, directoryOffset));
        std::string end;
        put32(end, 0x06054b50);
        put16(end, 0);  // this disk
        put16(end, 0);  // the directory's disk
        put16(end, wide ? 0xFFFF : static_cast<std::uint16_t>(count));
        put16(end, wide ? 0xFFFF : static_cast<std::uint16_t>(count));
        put32(end, static_cast<std::uint32_t>(directorySize));
        put32(end, static_cast<std::uint32_t>(directoryOffset));
        put16(end, 0);  // comment length
        write(end);
        out_.close();
    }

private:
    struct Entry {
        std::string name;
        std::uint32_t crc = 0;
        std::uint64_t size = 0, compressed = 0, offset = 0;
        std::uint32_t external = 0;
        std::uint16_t method = 0;
    };
    static constexpr std::uint16_t kVersionNeeded = 20;
    static constexpr std::uint16_t kMadeOnUnix = (3 << 8) | 20;
    static constexpr std::uint16_t kJanuary1980 = (0 << 9) | (1 << 5) | 1;

    static void put16(std::string& out, std::uint16_t value) {
        for (int i = 0; i < 2; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    static void put32(std::string& out, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    static void put64(std::string& out, std::uint64_t value) {
        for (int i = 0; i < 8; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    // Method, time, date, CRC, both sizes and the name's length: the same in both headers.
    static void putSizes(std::string& out, const Entry& entry) {
        put16(out, entry.method);
        put16(out, 0);  // time
        put16(out, kJanuary1980);
        put32(out, entry.crc);
        put32(out, static_cast<std::uint32_t>(entry.compressed));
        put32(out, static_cast<std::uint32_t>(entry.size));
        put16(out, static_cast<std::uint16_t>(entry.name.size()));
    }

    static std::string deflate(const std::string& content, int level) {
        z_stream stream{};
        if (deflateInit2(&stream, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
            throw std::runtime_error("cannot deflate");
        }
        std::string out(deflateBound(&stream, static_cast<uLong>(content.size())), '\0');
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
        stream.avail_in = static_cast<uInt>(content.size());
        stream.next_out = reinterpret_cast<Bytef*>(out.data());
        stream.avail_out = static_cast<uInt>(out.size());
        const int status = ::deflate(&stream, Z_FINISH);
        out.resize(stream.total_out);
        deflateEnd(&stream);
        if (status != Z_STREAM_END) throw std::runtime_error("cannot deflate");
        return out;
    }

    static std::string centralHeader(const Entry& entry) {
        std::string header;
        put32(header, 0x02014b50);
        put16(header, kMadeOnUnix);
        put16(header, kVersionNeeded);
        put16(header, 0);  // flags
        putSizes(header, entry);
        put16(header, 0);  // extra field length
        put16(header, 0);  // comment length
        put16(header, 0);  // disk
        put16(header, 0);  // internal attributes
        put32(header, entry.external);
        put32(header, static_cast<std::uint32_t>(entry.offset));
        header += entry.name;
        return header;
    }

    // The 64-bit end record and the locator that points at it, for counts beyond 16 bits.
    std::string zip64End(std::uint64_t count, std::uint64_t directorySize, std::uint64_t directoryOffset) const {
        std::string record;
        put32(record, 0x06064b50);
        put64(record, 44);  // the record's size after this field
        put16(record, kMadeOnUnix);
        put16(record, 45);
        put32(record, 0);  // this disk
        put32(record, 0);  // the directory's disk
        put64(record, count);
        put64(record, count);
        put64(record, directorySize);
        put64(record, directoryOffset);
        put32(record, 0x07064b50);
        put32(record, 0);  // the record's disk
        put64(record, written_);
        put32(record, 1);  // disks in all
        return record;
    }

    void write(const std::string& bytes) {
        out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!out_) throw std::runtime_error("cannot write the archive");
        written_ += bytes.size();
    }

    std::ofstream out_;
    std::vector<Entry> entries_;
    std::uint64_t written_ = 0;
};

}  // namespace tq::test
