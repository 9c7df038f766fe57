#pragma once

#include <sys/stat.h>
#include <zip.h>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

namespace tq::test {

// Writes a real zip archive entry by entry with minizip, including what a hostile archive could
// hold: any entry name, and Unix file modes (links, devices) in the external attributes.
class TestZip {
public:
    explicit TestZip(const std::filesystem::path& path) : zip_(zipOpen64(path.c_str(), APPEND_STATUS_CREATE)) {
        if (!zip_) throw std::runtime_error("cannot create " + path.string());
    }
    ~TestZip() { close(); }
    TestZip(const TestZip&) = delete;
    TestZip& operator=(const TestZip&) = delete;

    TestZip& add(const std::string& name, const std::string& content, unsigned mode = S_IFREG | 0644,
                 int level = 6) {
        zip_fileinfo info{};
        info.external_fa = static_cast<uLong>(mode) << 16;
        const int madeOnUnix = (3 << 8) | 20;
        int status = zipOpenNewFileInZip4_64(zip_, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                             level == 0 ? 0 : Z_DEFLATED, level, 0, -MAX_WBITS, DEF_MEM_LEVEL,
                                             Z_DEFAULT_STRATEGY, nullptr, 0, madeOnUnix, 0, 0);
        if (status != ZIP_OK) throw std::runtime_error("cannot add " + name);
        if (!content.empty()) zipWriteInFileInZip(zip_, content.data(), static_cast<unsigned>(content.size()));
        zipCloseFileInZip(zip_);
        return *this;
    }
    TestZip& folder(const std::string& name) { return add(name, "", S_IFDIR | 0755); }
    TestZip& link(const std::string& name, const std::string& target) { return add(name, target, S_IFLNK | 0777); }

    void close() {
        if (zip_) zipClose(zip_, nullptr);
        zip_ = nullptr;
    }

private:
    zipFile zip_;
};

}  // namespace tq::test
