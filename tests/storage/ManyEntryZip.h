#pragma once

// Writes a zip archive of any number of entries: past 65,535 entries the count no longer fits the
// classic end record, so every archive written here also carries the zip64 end record and its
// locator, which readers use instead. (minizip 1.1's writer, behind TestZip, gets that case wrong.)
// Entries are regular files, deflated or stored; sizes and offsets stay below 4 GiB.
#include <sys/stat.h>
#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

namespace tq::test {

class ManyEntryZip {
public:
    explicit ManyEntryZip(const std::filesystem::path& path) : out_(path, std::ios::binary) {
        if (!out_) throw std::runtime_error("cannot create " + path.string());
        if (deflateInit2(&deflater_, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
            throw std::runtime_error("cannot start deflating");
        }
    }
    ~ManyEntryZip() {
        close();
        deflateEnd(&deflater_);
    }
    ManyEntryZip(const ManyEntryZip&) = delete;
    ManyEntryZip& operator=(const ManyEntryZip&) = delete;

    // Adds a regular file, deflated unless `stored`.
    ManyEntryZip& add(const std::string& name, const std::string& content, bool stored = false) {
        const std::string data = stored ? content : deflated(content);
        const auto crc = static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(content.data()),
                                                          static_cast<uInt>(content.size())));
        const std::uint16_t method = stored ? 0 : 8;
        const auto offset = static_cast<std::uint64_t>(out_.tellp());
        if (offset + data.size() + name.size() + 30 > 0xFFFFFFFFu) throw std::runtime_error("archive too large");

        std::string local;
        put32(local, 0x04034b50);
        put16(local, 20);  // version needed
        put16(local, 0);   // flags
        put16(local, method);
        put16(local, 0);       // time
        put16(local, 0x21);    // date: 1980-01-01
        put32(local, crc);
        put32(local, static_cast<std::uint32_t>(data.size()));
        put32(local, static_cast<std::uint32_t>(content.size()));
        put16(local, static_cast<std::uint16_t>(name.size()));
        put16(local, 0);  // extra length
        out_ << local << name << data;

        put32(central_, 0x02014b50);
        put16(central_, (3 << 8) | 45);  // made on Unix, zip64-aware
        put16(central_, 20);
        put16(central_, 0);
        put16(central_, method);
        put16(central_, 0);
        put16(central_, 0x21);
        put32(central_, crc);
        put32(central_, static_cast<std::uint32_t>(data.size()));
        put32(central_, static_cast<std::uint32_t>(content.size()));
        put16(central_, static_cast<std::uint16_t>(name.size()));
        put16(central_, 0);  // extra length
        put16(central_, 0);  // comment length
        put16(central_, 0);  // disk
        put16(central_, 0);  // internal attributes
        put32(central_, static_cast<std::uint32_t>(S_IFREG | 0644) << 16);
        put32(central_, static_cast<std::uint32_t>(offset));
        central_ += name;
        ++entries_;
        return *this;
    }

    void close() {
        if (!out_.is_open()) return;
        const auto centralOffset = static_cast<std::uint64_t>(out_.tellp());
        out_ << central_;
        const auto zip64EndOffset = static_cast<std::uint64_t>(out_.tellp());

        std::string end;
        put32(end, 0x06064b50);  // zip64 end of central directory record
        put64(end, 44);          // its size after this field
        put16(end, (3 << 8) | 45);
        put16(end, 45);
        put32(end, 0);
        put32(end, 0);
        put64(end, entries_);
        put64(end, entries_);
        put64(end, central_.size());
        put64(end, centralOffset);

        put32(end, 0x07064b50);  // its locator
        put32(end, 0);
        put64(end, zip64EndOffset);
        put32(end, 1);

        const auto classicCount = static_cast<std::uint16_t>(entries_ > 0xFFFF ? 0xFFFF : entries_);
        put32(end, 0x06054b50);  // the classic end record, pointing on to the zip64 one when full
        put16(end, 0);
        put16(end, 0);
        put16(end, classicCount);
        put16(end, classicCount);
        put32(end, static_cast<std::uint32_t>(central_.size()));
        put32(end, static_cast<std::uint32_t>(centralOffset));
        put16(end, 0);
        out_ << end;
        out_.close();
        if (!out_) throw std::runtime_error("cannot write the archive");
    }

private:
    static void put16(std::string& out, std::uint32_t value) {
        out += static_cast<char>(value & 0xFF);
        out += static_cast<char>(value >> 8 & 0xFF);
    }
    static void put32(std::string& out, std::uint32_t value) {
        put16(out, value & 0xFFFF);
        put16(out, value >> 16);
    }
    static void put64(std::string& out, std::uint64_t value) {
        put32(out, static_cast<std::uint32_t>(value));
        put32(out, static_cast<std::uint32_t>(value >> 32));
    }

    std::string deflated(const std::string& content) {
        deflateReset(&deflater_);
        std::string out(deflateBound(&deflater_, static_cast<uLong>(content.size())), '\0');
        deflater_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
        deflater_.avail_in = static_cast<uInt>(content.size());
        deflater_.next_out = reinterpret_cast<Bytef*>(out.data());
        deflater_.avail_out = static_cast<uInt>(out.size());
        if (deflate(&deflater_, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("cannot deflate");
        out.resize(out.size() - deflater_.avail_out);
        return out;
    }

    std::ofstream out_;
    z_stream deflater_{};
    std::string central_;
    std::uint64_t entries_ = 0;
};

}  // namespace tq::test
