#include <gtest/gtest.h>

#include <fstream>

#include "platform/foundation/Environment.h"
#include "platform/services/FileURL.h"
#include "platform/services/ImageDecoding.h"
#include "platform/ui/ImageLoader.h"
#include "support/TestEnvironment.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace tq {
namespace {

// A real PNG of the given size, encoded in memory.
std::string pngBytes(int width, int height) {
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width * height * 3));
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<unsigned char>(i * 7);
    std::string out;
    stbi_write_png_to_func(
        [](void* context, void* data, int size) { static_cast<std::string*>(context)->append(static_cast<char*>(data), size); },
        &out, width, height, 3, pixels.data(), width * 3);
    return out;
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class ImageLoaderTest : public ::testing::Test {
protected:
    test::TestEnvironment env;
    ImageLoader& loader = env->shared<ImageLoader>();
    std::shared_ptr<MemoryImageFetcher> fetcher = std::make_shared<MemoryImageFetcher>(env.env());
    std::shared_ptr<ImageView> view = std::make_shared<ImageView>();
    std::vector<ImageLoadResult> results;

    void SetUp() override { loader.setRemoteFetcher(fetcher); }

    ImageLoadCompletion record() {
        return [this](const ImageLoadResult& result) { results.push_back(result); };
    }
};

TEST(ImageDecodingTest, TellsPicturesFromOtherBytes) {
    auto png = pngBytes(5, 3);
    auto info = decodeImage(png);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->width, 5);
    EXPECT_EQ(info->height, 3);

    std::string reason;
    EXPECT_FALSE(decodeImage(png.substr(0, png.size() / 2), &reason)) << "a truncated PNG is no picture";
    EXPECT_FALSE(reason.empty());
    EXPECT_FALSE(decodeImage("<html>404</html>"));
    EXPECT_FALSE(decodeImage(""));
}

TEST_F(ImageLoaderTest, LocalFileIsShownWithItsFadeAndCompletesWhenTheFadeEnds) {
    auto file = env.root() / "12thumb_12.jpg";
    writeFile(file, pngBytes(4, 2));

    loader.setLocalImage(view, file, {std::nullopt, 0.3}, record());
    EXPECT_FALSE(view->image()) << "the file is read on a later turn";
    env.settle();
    ASSERT_TRUE(view->image());
    EXPECT_EQ(view->image()->source, Image::Source::file);
    EXPECT_EQ(view->image()->name, file.string());
    EXPECT_EQ(view->image()->pixelWidth, 4);
    EXPECT_EQ(view->image()->pixelHeight, 2);
    EXPECT_TRUE(results.empty());

    env.advance(0.29);
    EXPECT_TRUE(results.empty());
    env.advance(0.01);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_TRUE(results[0].succeeded());
    auto* load = loader.lastLoadInto(*view);
    ASSERT_NE(load, nullptr);
    EXPECT_TRUE(load->local);
    EXPECT_DOUBLE_EQ(load->fadeDuration, 0.3);
    EXPECT_DOUBLE_EQ(*load->fadeEndsAt, 0.3);
}

TEST_F(ImageLoaderTest, FileAddressTakesTheLocalPath) {
    auto file = env.root() / "a b.png";
    writeFile(file, pngBytes(2, 2));
    loader.setImage(view, fileURL(file), {}, record());
    env.settle();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_TRUE(results[0].succeeded());
    EXPECT_EQ(view->image()->name, file.string());
    EXPECT_EQ(loader.memoryCache().count(), 0u) << "local files are read each time";
}

TEST_F(ImageLoaderTest, WhatIsNoPictureLeavesTheViewAsItWas) {
    auto png = pngBytes(3, 3);
    writeFile(env.root() / "truncated.png", png.substr(0, png.size() - 20));
    writeFile(env.root() / "page.jpg", "<html>not found</html>");
    writeFile(env.root() / "empty.png", "");
    struct Case {
        std::string name;
        ImageLoadError::Kind kind;
    };
    const Case cases[] = {
        {"truncated.png", ImageLoadError::Kind::notAnImage},
        {"page.jpg", ImageLoadError::Kind::notAnImage},
        {"empty.png", ImageLoadError::Kind::notAnImage},
        {"missing.png", ImageLoadError::Kind::unreadableFile},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        results.clear();
        view->setImage(Image::named("placeholder"));
        loader.setLocalImage(view, env.root() / c.name, {std::nullopt, 0.3}, record());
        env.settle();
        ASSERT_EQ(results.size(), 1u) << "an error completes at once, with no fade";
        ASSERT_TRUE(results[0].error);
        EXPECT_EQ(results[0].error->kind, c.kind);
        EXPECT_FALSE(results[0].error->description.empty());
        EXPECT_EQ(view->image(), Image::named("placeholder"));
    }
}

TEST_F(ImageLoaderTest, RemotePictureIsFetchedOnceThenComesFromTheCache) {
    const std::string address = "https://assets.example.org/public/assets/upload_pic/resized/tour.png";
    fetcher->setResponse(address, pngBytes(8, 6));

    loader.setImage(view, address, {std::nullopt, 0.3}, record());
    env.settle();
    ASSERT_TRUE(view->image());
    EXPECT_EQ(view->image()->source, Image::Source::remote);
    EXPECT_EQ(view->image()->name, address);
    env.advance(0.3);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_FALSE(results[0].fromCache);

    auto other = std::make_shared<ImageView>();
    loader.setImage(other, address, {std::nullopt, 0.3}, record());
    EXPECT_TRUE(other->image()) << "a cached picture is shown at once";
    EXPECT_EQ(results.size(), 1u) << "its completion still waits for the fade";
    env.advance(0.3);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_TRUE(results[1].fromCache);
    EXPECT_EQ(fetcher->requests().size(), 1u);
}

TEST_F(ImageLoaderTest, FailedOrNonPictureFetchIsReportedAndNotCached) {
    fetcher->setFailure("https://example.org/down.png", "503 Service Unavailable");
    fetcher->setResponse("https://example.org/page.png", "<html>moved</html>");
    const std::pair<std::string, ImageLoadError::Kind> cases[] = {
        {"https://example.org/down.png", ImageLoadError::Kind::fetchFailed},
        {"https://example.org/page.png", ImageLoadError::Kind::notAnImage},
        {"https://example.org/unknown.png", ImageLoadError::Kind::fetchFailed},
        {"", ImageLoadError::Kind::invalidAddress},
        {"panorama.jpg", ImageLoadError::Kind::invalidAddress},
    };
    for (const auto& [address, kind] : cases) {
        SCOPED_TRACE(address);
        results.clear();
        loader.setImage(view, address, {}, record());
        EXPECT_TRUE(results.empty()) << "never answered inside the call";
        env.settle();
        ASSERT_EQ(results.size(), 1u);
        ASSERT_TRUE(results[0].error);
        EXPECT_EQ(results[0].error->kind, kind);
        EXPECT_FALSE(view->image());
    }
    EXPECT_EQ(loader.memoryCache().count(), 0u);
}

TEST_F(ImageLoaderTest, WithoutFetcherRemoteLoadsFail) {
    loader.setRemoteFetcher(nullptr);
    loader.setImage(view, "https://example.org/a.png", {}, record());
    env.settle();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].error->kind, ImageLoadError::Kind::noFetcher);
}

TEST_F(ImageLoaderTest, OlderLoadEndingLastDoesNotReplaceTheNewerPicture) {
    fetcher->setResponse("https://example.org/old.png", pngBytes(1, 1));
    fetcher->setResponse("https://example.org/new.png", pngBytes(2, 2));
    fetcher->setHolds(true);
    loader.setImage(view, "https://example.org/old.png", {}, record());
    loader.setImage(view, "https://example.org/new.png", {}, record());
    fetcher->release();  // the old answer arrives while the newer load is the view's current one
    env.settle();
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].error->kind, ImageLoadError::Kind::superseded);
    EXPECT_TRUE(results[1].succeeded());
    EXPECT_EQ(view->image()->name, "https://example.org/new.png");
}

TEST_F(ImageLoaderTest, PlaceholderIsShownWhileLoading) {
    fetcher->setHolds(true);
    fetcher->setResponse("https://example.org/a.png", pngBytes(2, 2));
    loader.setImage(view, "https://example.org/a.png", {Image::named("wait"), 0}, record());
    EXPECT_EQ(view->image(), Image::named("wait"));
    fetcher->release();
    EXPECT_EQ(view->image()->name, "https://example.org/a.png");
}

TEST_F(ImageLoaderTest, ViewGoneBeforeTheAnswerIsHarmless) {
    fetcher->setResponse("https://example.org/a.png", pngBytes(2, 2));
    loader.setImage(view, "https://example.org/a.png", {std::nullopt, 0.3}, record());
    view.reset();
    env.settle();
    env.advance(1);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_TRUE(results[0].succeeded());
}

TEST(ImageMemoryCacheTest, EvictsLeastRecentlyUsedPastItsByteLimit) {
    ImageMemoryCache cache(250);
    auto image = [](std::size_t bytes) {
        Image i;
        i.bytes = std::make_shared<const std::string>(bytes, 'x');
        return i;
    };
    cache.store("a", image(100));
    cache.store("b", image(100));
    EXPECT_TRUE(cache.image("a"));  // a is now the most recent
    cache.store("c", image(100));
    EXPECT_TRUE(cache.image("a"));
    EXPECT_FALSE(cache.image("b"));
    EXPECT_TRUE(cache.image("c"));
    EXPECT_EQ(cache.totalBytes(), 200u);
    cache.store("a", image(50));
    EXPECT_EQ(cache.totalBytes(), 150u);
    cache.store("huge", image(1000));
    EXPECT_FALSE(cache.image("huge")) << "a picture above the limit is not kept";
    EXPECT_EQ(cache.count(), 2u) << "and does not push the others out";
}

}  // namespace
}  // namespace tq
