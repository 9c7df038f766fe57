#include "storage/TileArchive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unzip.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <unordered_set>
#include <vector>

#include "storage/PathComponents.h"

namespace tq {
namespace {

constexpr std::size_t chunkSize = 64 * 1024;

struct Entry {
    std::string name;      // as stored in the archive
    std::string relative;  // the checked path below the tiles folder, "/"-separated
    std::uint64_t size = 0;
    bool directory = false;
};

class ZipReader {
public:
    explicit ZipReader(const std::filesystem::path& path) : zip_(unzOpen64(path.c_str())) {}
    ~ZipReader() {
        if (zip_) unzClose(zip_);
    }
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;
    unzFile get() const { return zip_; }

private:
    unzFile zip_;
};

// Turns an entry name into a relative path that cannot leave the tiles folder, or gives the reason
// it is refused. Empty and "." segments are dropped.
bool checkedRelativePath(const std::string& name, std::string& relative, std::string& error) {
    if (name.find('\0') != std::string::npos || name.find('\\') != std::string::npos || name.starts_with('/')) {
        error = "unsafe entry name in the tile archive: " + name;
        return false;
    }
    relative.clear();
    std::size_t start = 0;
    while (start <= name.size()) {
        auto end = name.find('/', start);
        if (end == std::string::npos) end = name.size();
        std::string_view segment(name.data() + start, end - start);
        if (!segment.empty() && segment != ".") {
            if (!isSafePathComponent(segment)) {
                error = "unsafe entry name in the tile archive: " + name;
                return false;
            }
            if (!relative.empty()) relative += '/';
            relative += segment;
        }
        start = end + 1;
    }
    return true;
}

// Reads the current entry's header and checks it. `archiveRelative` is the archive's own path
// below the tiles folder (empty when it lies elsewhere).
bool readEntry(unzFile zip, const std::string& archiveRelative, Entry& entry, std::string& error) {
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
        error = "the tile archive is damaged";
        return false;
    }
    std::vector<char> name(info.size_filename + 1, '\0');
    if (unzGetCurrentFileInfo64(zip, &info, name.data(), name.size(), nullptr, 0, nullptr, 0) != UNZ_OK) {
        error = "the tile archive is damaged";
        return false;
    }
    entry.name.assign(name.data(), info.size_filename);
    entry.size = info.uncompressed_size;
    if (info.flag & 1) {
        error = "encrypted entry in the tile archive: " + entry.name;
        return false;
    }
    // The upper half of the external attributes carries the Unix file mode when an archiver
    // recorded one; only plain files and folders are accepted.
    auto type = static_cast<unsigned>(info.external_fa >> 16) & S_IFMT;
    if (type != 0 && type != S_IFREG && type != S_IFDIR) {
        error = "link or special file in the tile archive: " + entry.name;
        return false;
    }
    entry.directory = type == S_IFDIR || entry.name.ends_with('/');
    if (!checkedRelativePath(entry.name, entry.relative, error)) return false;
    if (entry.relative.empty() && !entry.directory) {
        error = "unnamed entry in the tile archive";
        return false;
    }
    if (!archiveRelative.empty() &&
        (entry.relative == archiveRelative || entry.relative.starts_with(archiveRelative + "/"))) {
        error = "entry would overwrite the tile archive itself: " + entry.name;
        return false;
    }
    return true;
}

// Walks every entry's header before anything is written.
bool checkAllEntries(unzFile zip, const std::string& archiveRelative, std::int64_t freeBytes, std::string& error) {
    std::uint64_t total = 0;
    const auto limit = static_cast<std::uint64_t>(freeBytes < 0 ? 0 : freeBytes);
    int status = unzGoToFirstFile(zip);
    while (status == UNZ_OK) {
        Entry entry;
        if (!readEntry(zip, archiveRelative, entry, error)) return false;
        if (entry.size > limit || total > limit - entry.size) {
            error = "not enough free space for the tiles";
            return false;
        }
        total += entry.size;
        status = unzGoToNextFile(zip);
    }
    if (status != UNZ_END_OF_LIST_OF_FILE) {
        error = "the tile archive is damaged";
        return false;
    }
    return true;
}

class Extractor {
public:
    Extractor(unzFile zip, std::filesystem::path root, std::int64_t freeBytes)
        : zip_(zip), root_(std::move(root)), limit_(static_cast<std::uint64_t>(freeBytes < 0 ? 0 : freeBytes)),
          buffer_(chunkSize) {}

    bool run(const std::string& archiveRelative, std::string& error) {
        int status = unzGoToFirstFile(zip_);
        while (status == UNZ_OK) {
            Entry entry;
            if (!readEntry(zip_, archiveRelative, entry, error)) return false;
            bool ok = entry.directory ? makeFolders(entry.relative, error) : writeEntry(entry, error);
            if (!ok) return false;
            status = unzGoToNextFile(zip_);
        }
        if (status != UNZ_END_OF_LIST_OF_FILE) {
            error = "the tile archive is damaged";
            return false;
        }
        return true;
    }

private:
    // Creates each missing folder of `relative` below the root; an existing link or file in the
    // way stops the extraction, so no write can be redirected elsewhere.
    bool makeFolders(const std::string& relative, std::string& error) {
        std::size_t end = 0;
        while (end != std::string::npos && !relative.empty()) {
            end = relative.find('/', end + 1);
            std::string prefix = relative.substr(0, end);
            if (madeFolders_.count(prefix)) continue;
            auto path = root_ / prefix;
            struct stat info {};
            if (::lstat(path.c_str(), &info) == 0) {
                if (!S_ISDIR(info.st_mode)) {
                    error = "cannot make the tile folder " + prefix + ": something else is in the way";
                    return false;
                }
            } else if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
                error = "cannot make the tile folder " + prefix + ": " + std::strerror(errno);
                return false;
            }
            madeFolders_.insert(prefix);
        }
        return true;
    }

    bool writeEntry(const Entry& entry, std::string& error) {
        auto slash = entry.relative.rfind('/');
        if (slash != std::string::npos && !makeFolders(entry.relative.substr(0, slash), error)) return false;
        if (unzOpenCurrentFile(zip_) != UNZ_OK) {
            error = "cannot read the tile archive entry " + entry.name;
            return false;
        }
        auto path = root_ / entry.relative;
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0) {
            error = "cannot write " + entry.relative + ": " + std::strerror(errno);
            unzCloseCurrentFile(zip_);
            return false;
        }
        bool ok = copyCurrentEntry(fd, entry, error);
        if (::close(fd) != 0 && ok) {
            error = "cannot write " + entry.relative + ": " + std::strerror(errno);
            ok = false;
        }
        int closed = unzCloseCurrentFile(zip_);
        if (ok && closed != UNZ_OK) {
            error = "damaged entry in the tile archive: " + entry.name;
            ok = false;
        }
        if (!ok) ::unlink(path.c_str());
        return ok;
    }

    bool copyCurrentEntry(int fd, const Entry& entry, std::string& error) {
        for (;;) {
            int read = unzReadCurrentFile(zip_, buffer_.data(), static_cast<unsigned>(buffer_.size()));
            if (read == 0) return true;
            if (read < 0) {
                error = "damaged entry in the tile archive: " + entry.name;
                return false;
            }
            written_ += static_cast<std::uint64_t>(read);
            if (written_ > limit_) {
                error = "not enough free space for the tiles";
                return false;
            }
            const char* data = buffer_.data();
            std::size_t left = static_cast<std::size_t>(read);
            while (left > 0) {
                ssize_t n = ::write(fd, data, left);
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) {
                    error = "cannot write " + entry.relative + ": " + std::strerror(errno);
                    return false;
                }
                data += n;
                left -= static_cast<std::size_t>(n);
            }
        }
    }

    unzFile zip_;
    std::filesystem::path root_;
    std::uint64_t limit_;
    std::uint64_t written_ = 0;
    std::vector<char> buffer_;
    std::unordered_set<std::string> madeFolders_;
};

// The archive's path below the tiles folder, when it lies inside it.
std::string archiveInside(const std::filesystem::path& archive, const std::filesystem::path& root) {
    std::error_code ec;
    auto canonicalArchive = std::filesystem::weakly_canonical(archive, ec);
    if (ec) return {};
    auto relative = canonicalArchive.lexically_relative(root);
    if (relative.empty() || *relative.begin() == "..") return {};
    return relative.generic_string();
}

}  // namespace

bool extractTileArchive(const std::filesystem::path& archive, const std::filesystem::path& tilesFolder,
                        std::int64_t freeBytes, std::string& error) {
    error.clear();
    std::error_code ec;
    std::filesystem::create_directories(tilesFolder, ec);
    auto root = std::filesystem::weakly_canonical(tilesFolder, ec);
    if (ec || !std::filesystem::is_directory(root, ec)) {
        error = "cannot make the tiles folder " + tilesFolder.string();
        return false;
    }
    ZipReader zip(archive);
    if (!zip.get()) {
        error = "cannot open the tile archive " + archive.string();
        return false;
    }
    auto archiveRelative = archiveInside(archive, root);
    if (!checkAllEntries(zip.get(), archiveRelative, freeBytes, error)) return false;
    return Extractor(zip.get(), root, freeBytes).run(archiveRelative, error);
}

}  // namespace tq
