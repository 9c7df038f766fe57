#include "storage/FileCopy.h"

#include <unistd.h>

#include <atomic>
#include <string>

namespace tq {
namespace {

std::filesystem::path temporaryBeside(const std::filesystem::path& destination) {
    static std::atomic<unsigned> counter{0};
    auto name = "." + destination.filename().string() + ".part-" + std::to_string(::getpid()) + "-" +
                std::to_string(counter++);
    return destination.parent_path() / name;
}

}  // namespace

std::error_code copyFileWithoutReplacing(const std::filesystem::path& source,
                                         const std::filesystem::path& destination) {
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(destination, ec))) {
        return std::make_error_code(std::errc::file_exists);
    }
    auto partial = temporaryBeside(destination);
    std::filesystem::copy_file(source, partial, std::filesystem::copy_options::overwrite_existing, ec);
    if (!ec) {
        // A hard link never replaces an existing name, even one that appeared meanwhile.
        std::filesystem::create_hard_link(partial, destination, ec);
    }
    std::error_code ignored;
    std::filesystem::remove(partial, ignored);
    return ec;
}

}  // namespace tq
