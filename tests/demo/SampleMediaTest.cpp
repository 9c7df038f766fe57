// The generated sample media are what the tours say they are.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace {

namespace fs = std::filesystem;

std::uint64_t bigEndian(const std::string& bytes, std::size_t at, int size) {
    std::uint64_t value = 0;
    for (int i = 0; i < size; ++i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// The movie's length in seconds from its header box ("moov" / "mvhd"); none when it has none.
std::optional<double> movieSeconds(const std::string& bytes, std::size_t from, std::size_t to) {
    for (std::size_t at = from; at + 8 <= to;) {
        std::uint64_t size = bigEndian(bytes, at, 4);
        std::string type = bytes.substr(at + 4, 4);
        if (size < 8 || at + size > to) return std::nullopt;
        if (type == "moov") return movieSeconds(bytes, at + 8, at + size);
        if (type == "mvhd" && size >= 32) {
            bool wide = bytes[at + 8] == 1;
            std::size_t fields = at + 12 + (wide ? 16 : 8);
            double timescale = static_cast<double>(bigEndian(bytes, fields, 4));
            double duration = static_cast<double>(bigEndian(bytes, fields + 4, wide ? 8 : 4));
            return timescale > 0 ? std::optional<double>(duration / timescale) : std::nullopt;
        }
        at += size;
    }
    return std::nullopt;
}

// Every content video lasts the three seconds its tour states, so the intro and content players
// have something to play (an encoder that drops timestamps makes a movie of no length).
TEST(SampleMedia, EveryVideoLastsItsStatedLength) {
    int videos = 0;
    for (const auto& entry : fs::directory_iterator(fs::path(TQ_DEMO_DATA_DIR) / "media/public/media/video")) {
        if (entry.path().extension() != ".mp4") continue;
        ++videos;
        std::ifstream in(entry.path(), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), {});
        auto seconds = movieSeconds(bytes, 0, bytes.size());
        ASSERT_TRUE(seconds) << entry.path() << " has no movie header";
        EXPECT_NEAR(*seconds, 3.0, 0.2) << entry.path();
    }
    EXPECT_GT(videos, 0);
}

}  // namespace
