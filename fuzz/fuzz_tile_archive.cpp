// Feeds any bytes as a tour's tile archive to the check and extraction, into a scratch folder, and
// asserts that nothing was ever written outside the tiles folder and that no link was made.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "storage/TileArchive.h"

namespace fs = std::filesystem;

namespace {

const fs::path& sandbox() {
    static const fs::path dir = [] {
        auto path = fs::temp_directory_path() / ("tq-fuzz-tiles-" + std::to_string(::getpid()));
        fs::create_directories(path / "tour");
        std::atexit([] { fs::remove_all(sandbox()); });
        return path;
    }();
    return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fs::path tour = sandbox() / "tour";
    const fs::path tiles = tour / "tiles";
    const fs::path archive = tiles / "418.zip";  // the archive lies in the tiles folder, as downloaded
    fs::remove_all(tiles);
    fs::create_directories(tiles);
    {
        std::ofstream out(archive, std::ios::binary);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }

    std::string error;
    bool extracted = tq::extractTileArchive(archive, tiles, 16 * 1024 * 1024, error);
    if (!extracted && error.empty()) std::abort();

    // Outside the tiles folder the sandbox holds nothing; inside, only folders and plain files.
    for (const auto& entry : fs::recursive_directory_iterator(sandbox())) {
        const auto& path = entry.path();
        if (path == tour || path == tiles) continue;
        auto relative = path.lexically_relative(tiles);
        if (relative.empty() || *relative.begin() == "..") std::abort();
        if (entry.is_symlink()) std::abort();
        if (!entry.is_directory() && !entry.is_regular_file()) std::abort();
    }
    if (!fs::exists(archive)) std::abort();  // the archive itself is never overwritten away
    return 0;
}
