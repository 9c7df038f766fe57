#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <set>
#include <string>

#include "platform/foundation/FileSystem.h"
#include "storage/TestZip.h"
#include "storage/TileArchive.h"
#include "support/TestEnvironment.h"

namespace tq {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t plenty = std::int64_t{1} << 40;

std::set<std::string> filesBelow(const fs::path& root) {
    std::set<std::string> found;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        found.insert(fs::relative(it->path(), root).generic_string() + (it->is_directory() ? "/" : ""));
    }
    return found;
}

std::string randomBytes(std::size_t size) {
    std::mt19937 random(42);
    std::string bytes(size, '\0');
    for (auto& b : bytes) b = static_cast<char>(random());
    return bytes;
}

// The tour folder of a test: tiles/ inside it, the archive inside tiles/ as the download stores it,
// and a sibling folder outside that nothing may touch.
class TileArchiveTest : public ::testing::Test {
protected:
    test::TempDir dir;
    fs::path outside = dir.path() / "outside";
    fs::path tiles = dir.path() / "circuit418" / "tiles";
    fs::path archive = tiles / "418.zip";

    void SetUp() override {
        fs::create_directories(outside);
        fs::create_directories(tiles);
    }
    bool extract(std::string& error, std::int64_t free = plenty) { return extractTileArchive(archive, tiles, free, error); }
};

TEST_F(TileArchiveTest, ExtractsEveryEntryUnderItsPath) {
    const std::string big = randomBytes(300 * 1024);  // several chunks
    {
        test::TestZip zip(archive);
        zip.folder("14/").add("14/8200/5600.png", "png-a").add("14/8200/5601.png", "png-b");
        zip.add("./15/16400/11200.png", big, S_IFREG | 0644, 0).add("16/x/y.png", "deep");
    }
    std::string error;
    ASSERT_TRUE(extract(error)) << error;
    EXPECT_EQ(error, "");
    EXPECT_EQ(readFile(tiles / "14/8200/5600.png"), "png-a");
    EXPECT_EQ(readFile(tiles / "14/8200/5601.png"), "png-b");
    EXPECT_EQ(readFile(tiles / "15/16400/11200.png"), big);
    EXPECT_EQ(readFile(tiles / "16/x/y.png"), "deep");
    EXPECT_TRUE(fs::exists(archive));  // the archive stays
    EXPECT_TRUE(fs::is_empty(outside));
}

// Tour archives of a large area hold more tiles than the 16-bit count of a zip's end record can
// say; the count then comes from the 64-bit end record.
TEST_F(TileArchiveTest, ExtractsArchivesOfMoreThan65535Entries) {
    constexpr int count = 70000;
    {
        test::TestZip zip(archive);
        for (int i = 0; i < count; ++i) {
            zip.add("15/" + std::to_string(i / 1000) + "/" + std::to_string(i % 1000) + ".png", std::to_string(i),
                    S_IFREG | 0644, 0);
        }
    }
    std::string error;
    ASSERT_TRUE(extract(error)) << error;
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(tiles / "15")) files += entry.is_regular_file();
    EXPECT_EQ(files, count);
    EXPECT_EQ(readFile(tiles / "15/69/999.png"), "69999");
}

TEST_F(TileArchiveTest, HostileEntriesFailBeforeAnythingIsWritten) {
    struct Case {
        const char* what;
        std::string name;
        std::string content;
        unsigned mode;
    };
    const Case cases[] = {
        {"parent segment", "../outside/evil.png", "x", S_IFREG | 0644},
        {"nested parent segment", "14/../../../outside/evil.png", "x", S_IFREG | 0644},
        {"bare parent", "..", "x", S_IFREG | 0644},
        {"absolute path", (dir.path() / "outside/evil.png").string(), "x", S_IFREG | 0644},
        {"backslash", "..\\outside\\evil.png", "x", S_IFREG | 0644},
        {"symbolic link", "14/link", "../../../outside", S_IFLNK | 0777},
        {"device", "14/dev", "", S_IFCHR | 0644},
        {"the archive itself", "418.zip", "not the archive", S_IFREG | 0644},
        {"inside the archive's name", "./418.zip/x.png", "x", S_IFREG | 0644},
    };
    for (const auto& c : cases) {
        fs::remove_all(tiles);
        fs::create_directories(tiles);
        {
            test::TestZip zip(archive);
            zip.add("14/good.png", "written only if the archive is sound");
            zip.add(c.name, c.content, c.mode);
        }
        auto archiveBytes = readFile(archive);
        std::string error;
        EXPECT_FALSE(extract(error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
        EXPECT_EQ(filesBelow(tiles), std::set<std::string>{"418.zip"}) << c.what;
        EXPECT_EQ(readFile(archive), archiveBytes) << c.what;
        EXPECT_TRUE(fs::is_empty(outside)) << c.what;
    }
}

TEST_F(TileArchiveTest, LinksAlreadyInTheTilesFolderAreNotFollowed) {
    fs::create_directory_symlink(outside, tiles / "14");
    fs::create_symlink(outside / "planted.png", tiles / "top.png");
    for (const char* name : {"14/x.png", "top.png"}) {
        {
            test::TestZip zip(archive);
            zip.add(name, "x");
        }
        std::string error;
        EXPECT_FALSE(extract(error)) << name;
        EXPECT_TRUE(fs::is_empty(outside)) << name;
    }
}

TEST_F(TileArchiveTest, TheExtractedTotalMustFitTheFreeSpace) {
    {
        test::TestZip zip(archive);
        zip.add("1/a.png", std::string(600, 'a')).add("1/b.png", std::string(400, 'b'));
    }
    std::string error;
    EXPECT_FALSE(extract(error, 999));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(filesBelow(tiles), std::set<std::string>{"418.zip"});
    EXPECT_FALSE(extract(error, -1));
    EXPECT_TRUE(extract(error, 1000)) << error;
    EXPECT_EQ(readFile(tiles / "1/b.png"), std::string(400, 'b'));
}

TEST_F(TileArchiveTest, BrokenArchivesFailWithAReason) {
    std::string error;
    fs::remove(archive);
    EXPECT_FALSE(extract(error));  // missing
    EXPECT_FALSE(error.empty());

    std::ofstream(archive, std::ios::binary) << "this is no zip archive";
    EXPECT_FALSE(extract(error));
    EXPECT_FALSE(error.empty());

    // Damaged compressed data: the entry's check fails and its partial file is removed.
    {
        test::TestZip zip(archive);
        zip.add("1/a.png", randomBytes(200 * 1024), S_IFREG | 0644, 0);
    }
    auto bytes = *readFile(archive);
    bytes[bytes.size() / 2] ^= 0x5A;
    std::ofstream(archive, std::ios::binary | std::ios::trunc) << bytes;
    EXPECT_FALSE(extract(error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(fs::exists(tiles / "1/a.png"));

    // Cut short: the central directory is gone.
    std::ofstream(archive, std::ios::binary | std::ios::trunc) << bytes.substr(0, bytes.size() / 3);
    EXPECT_FALSE(extract(error));
    EXPECT_TRUE(fs::is_empty(outside));
}

}  // namespace
}  // namespace tq
