#include <gtest/gtest.h>

#include "platform/services/FileURL.h"

namespace tq {
namespace {

TEST(FileURLTest, PathsSurviveTheRoundTrip) {
    for (std::string path : {"/cache/circuit/circuit12/offline.html", "/tmp/with space/é#?%.html", "/"}) {
        SCOPED_TRACE(path);
        auto address = fileURL(path);
        EXPECT_EQ(address.rfind("file:///", 0), 0u);
        EXPECT_EQ(address.find(' '), std::string::npos);
        EXPECT_EQ(pathFromFileURL(address), std::filesystem::path(path));
    }
}

TEST(FileURLTest, OnlyWellFormedFileAddressesGiveAPath) {
    struct Case {
        std::string address;
        std::optional<std::string> path;
    };
    const Case cases[] = {
        {"file:///a/b.png", "/a/b.png"},
        {"FILE:///a/b.png", "/a/b.png"},
        {"file://localhost/a/b.png", "/a/b.png"},
        {"file:/a/b.png", "/a/b.png"},
        {"file:///a/b.png?x=1", "/a/b.png"},
        {"file://otherhost/a", std::nullopt},
        {"file:///a/%2", std::nullopt},
        {"file:///a/%zz", std::nullopt},
        {"https://example.org/a.png", std::nullopt},
        {"/a/b.png", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        auto path = pathFromFileURL(c.address);
        ASSERT_EQ(path.has_value(), c.path.has_value());
        if (path) {
            EXPECT_EQ(path->string(), *c.path);
        }
    }
}

}  // namespace
}  // namespace tq
