#include "storage/TileArchive.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unzip.h>

#include <algorithm>
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

// The archive mapped into memory and handed to minizip as its file: a seek moves a position and
// a read copies bytes, so the many small header reads of a tile archive make no system call.
class MappedArchive {
public:
    explicit MappedArchive(const std::filesystem::path& path) {
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return;
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
            void* data = ::mmap(nullptr, static_cast<std::size_t>(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
            if (data != MAP_FAILED) {
                data_ = static_cast<const char*>(data);
                size_ = static_cast<std::uint64_t>(info.st_size);
            }
        }
        ::close(fd);
    }
    ~MappedArchive() {
        if (data_) ::munmap(const_cast<char*>(data_), static_cast<std::size_t>(size_));
    }
    MappedArchive(const MappedArchive&) = delete;
    MappedArchive& operator=(const MappedArchive&) = delete;

    // The archive opened for reading by minizip, or null when it cannot be.
    unzFile open() {
        if (!data_) return nullptr;
        zlib_filefunc64_def functions{&openStream, &readStream, &writeStream, &tellStream,
                                      &seekStream, &closeStream, &streamError, this};
        return unzOpen2_64("", &functions);
    }

private:
    struct Cursor {
        std::uint64_t position = 0;
    };

    static voidpf ZCALLBACK openStream(voidpf, const void*, int) { return new Cursor; }
    static uLong ZCALLBACK readStream(voidpf self, voidpf stream, void* buffer, uLong size) {
        auto& archive = *static_cast<MappedArchive*>(self);
        auto& cursor = *static_cast<Cursor*>(stream);
        auto available = cursor.position < archive.size_ ? archive.size_ - cursor.position : 0;
        auto count = static_cast<uLong>(std::min<std::uint64_t>(size, available));
        std::memcpy(buffer, archive.data_ + cursor.position, count);
        cursor.position += count;
        return count;
    }
    static uLong ZCALLBACK writeStream(voidpf, voidpf, const void*, uLong) { return 0; }
    static ZPOS64_T ZCALLBACK tellStream(voidpf, voidpf stream) { return static_cast<Cursor*>(stream)->position; }
    static long ZCALLBACK seekStream(voidpf self, voidpf stream, ZPOS64_T offset, int origin) {
        auto& archive = *static_cast<MappedArchive*>(self);
        auto& cursor = *static_cast<Cursor*>(stream);
        std::uint64_t base = origin == ZLIB_FILEFUNC_SEEK_SET   ? 0
                             : origin == ZLIB_FILEFUNC_SEEK_CUR ? cursor.position
                                                                : archive.size_;
        if (offset > archive.size_ || base > archive.size_ - offset) return -1;
        cursor.position = base + offset;
        return 0;
    }
    static int ZCALLBACK closeStream(voidpf, voidpf stream) {
        delete static_cast<Cursor*>(stream);
        return 0;
    }
    static int ZCALLBACK streamError(voidpf, voidpf) { return 0; }

    const char* data_ = nullptr;
    std::uint64_t size_ = 0;
};

class ZipReader {
public:
    explicit ZipReader(const std::filesystem::path& path) : archive_(path), zip_(archive_.open()) {}
    ~ZipReader() {
        if (zip_) unzClose(zip_);
    }
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;
    unzFile get() const { return zip_; }

private:
    MappedArchive archive_;
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
    // A tile's name fits the first read; a longer one is read again into room that fits it.
    unz_file_info64 info{};
    entry.name.resize(256);
    int status = unzGetCurrentFileInfo64(zip, &info, entry.name.data(), entry.name.size(), nullptr, 0, nullptr, 0);
    if (status == UNZ_OK && info.size_filename > entry.name.size()) {
        entry.name.resize(info.size_filename);
        status = unzGetCurrentFileInfo64(zip, &info, entry.name.data(), entry.name.size(), nullptr, 0, nullptr, 0);
    }
    if (status != UNZ_OK) {
        error = "the tile archive is damaged";
        return false;
    }
    entry.name.resize(info.size_filename);
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

// Reads and checks every entry's header before anything is written; the checked entries, in the
// archive's order, are what the extraction works from.
bool checkAllEntries(unzFile zip, const std::string& archiveRelative, std::int64_t freeBytes,
                     std::vector<Entry>& entries, std::string& error) {
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
        entries.push_back(std::move(entry));
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
    // Every path is opened relative to the tiles folder's descriptor, so the kernel never walks
    // the folder's own path again for each of thousands of tiles.
    Extractor(unzFile zip, const std::filesystem::path& root, std::int64_t freeBytes)
        : zip_(zip), root_(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)),
          limit_(static_cast<std::uint64_t>(freeBytes < 0 ? 0 : freeBytes)), buffer_(chunkSize) {}
    ~Extractor() {
        if (root_ >= 0) ::close(root_);
    }
    Extractor(const Extractor&) = delete;
    Extractor& operator=(const Extractor&) = delete;

    // Walks the archive again in the same order as the checked entries, writing each.
    bool run(const std::vector<Entry>& entries, std::string& error) {
        if (root_ < 0) {
            error = std::string("cannot open the tiles folder: ") + std::strerror(errno);
            return false;
        }
        int status = unzGoToFirstFile(zip_);
        for (const auto& entry : entries) {
            if (status != UNZ_OK) {
                error = "the tile archive is damaged";
                return false;
            }
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
            struct stat info {};
            if (::fstatat(root_, prefix.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
                if (!S_ISDIR(info.st_mode)) {
                    error = "cannot make the tile folder " + prefix + ": something else is in the way";
                    return false;
                }
            } else if (::mkdirat(root_, prefix.c_str(), 0755) != 0 && errno != EEXIST) {
                error = "cannot make the tile folder " + prefix + ": " + std::strerror(errno);
                return false;
            }
            madeFolders_.insert(prefix);
        }
        return true;
    }

    bool writeEntry(const Entry& entry, std::string& error) {
        // Tiles come folder by folder: the folder of the previous tile needs no second look.
        auto slash = entry.relative.rfind('/');
        if (slash != std::string::npos && entry.relative.compare(0, slash, lastFolder_) != 0) {
            if (!makeFolders(entry.relative.substr(0, slash), error)) return false;
            lastFolder_ = entry.relative.substr(0, slash);
        }
        if (unzOpenCurrentFile(zip_) != UNZ_OK) {
            error = "cannot read the tile archive entry " + entry.name;
            return false;
        }
        int fd = ::openat(root_, entry.relative.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
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
        if (!ok) ::unlinkat(root_, entry.relative.c_str(), 0);
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
    int root_;  // the tiles folder
    std::uint64_t limit_;
    std::uint64_t written_ = 0;
    std::vector<char> buffer_;
    std::unordered_set<std::string> madeFolders_;
    std::string lastFolder_;
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
    std::vector<Entry> entries;
    if (!checkAllEntries(zip.get(), archiveRelative, freeBytes, entries, error)) return false;
    return Extractor(zip.get(), root, freeBytes).run(entries, error);
}

}  // namespace tq
