#include <gtest/gtest.h>

#include "platform/ui/HttpImageFetcher.h"
#include "platform/ui/ImageLoader.h"
#include "support/TestEnvironment.h"
#include "support/TestWebService.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace tq {
namespace {

std::string smallPng() {
    std::vector<unsigned char> pixels(4 * 2 * 3, 200);
    std::string out;
    stbi_write_png_to_func(
        [](void* context, void* data, int size) { static_cast<std::string*>(context)->append(static_cast<char*>(data), size); },
        &out, 4, 2, 3, pixels.data(), 4 * 3);
    return out;
}

class HttpImageFetcherTest : public ::testing::Test {
protected:
    test::TestWebService service;
    test::TestEnvironment env;
    ImageLoader& loader = env->shared<ImageLoader>();
    std::shared_ptr<ImageView> view = std::make_shared<ImageView>();
    std::vector<ImageLoadResult> results;

    void SetUp() override {
        service.connect(env.env());
        loader.setRemoteFetcher(std::make_shared<HttpImageFetcher>(env.env()));
    }
    void load(const std::string& path) {
        loader.setImage(view, service.url(path, test::kFixtureMediaHost), {},
                        [this](const ImageLoadResult& result) { results.push_back(result); });
        env.settle();
    }
};

TEST_F(HttpImageFetcherTest, PictureFromTheWebIsShown) {
    service.reply("/pictures/main.png", test::ScriptedReply::bytes(smallPng(), "image/png"));
    load("/pictures/main.png");
    ASSERT_EQ(results.size(), 1u);
    ASSERT_TRUE(results[0].succeeded());
    ASSERT_TRUE(view->image());
    EXPECT_EQ(view->image()->pixelWidth, 4);
    EXPECT_EQ(view->image()->pixelHeight, 2);
    EXPECT_EQ(service.requestsTo("/pictures/main.png").size(), 1u);
}

TEST_F(HttpImageFetcherTest, FailuresLeaveTheViewAsItWas) {
    struct Case {
        const char* path;
        test::ScriptedReply reply;
        ImageLoadError::Kind kind;
        const char* description;
    };
    std::vector<Case> cases = {
        {"/pictures/missing.png", test::ScriptedReply::bytes("gone", "text/plain"), ImageLoadError::Kind::fetchFailed,
         "Response status code was unacceptable: 404."},
        {"/pictures/empty.png", test::ScriptedReply::bytes("", "image/png"), ImageLoadError::Kind::fetchFailed,
         "No Data"},
        {"/pictures/text.png", test::ScriptedReply::bytes("not a picture", "image/png"),
         ImageLoadError::Kind::notAnImage, nullptr},
    };
    cases[0].reply.status = 404;
    for (auto& c : cases) {
        SCOPED_TRACE(c.path);
        service.reply(c.path, c.reply);
        results.clear();
        load(c.path);
        ASSERT_EQ(results.size(), 1u);
        ASSERT_TRUE(results[0].error);
        EXPECT_EQ(results[0].error->kind, c.kind);
        if (c.description) {
            EXPECT_NE(results[0].error->description.find(c.description), std::string::npos);
        }
        EXPECT_FALSE(view->image());
    }
}

}  // namespace
}  // namespace tq
