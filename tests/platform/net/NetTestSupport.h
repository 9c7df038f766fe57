#pragma once

#include <gtest/gtest.h>

#include <optional>

#include "platform/net/HttpClient.h"
#include "support/TestEnvironment.h"
#include "support/TestWebService.h"

namespace tq::test {

// A test environment wired to its own test web service, with the process's HTTP client.
class NetTest : public testing::Test {
protected:
    void SetUp() override { service.connect(env.env()); }

    HttpClient& client() { return env->shared<HttpClient>(); }

    // Runs one request to its end and returns what its completion received.
    HttpResponse fetch(HttpRequest request) {
        std::optional<HttpResponse> outcome;
        client().send(std::move(request), [&](HttpResponse response) { outcome = std::move(response); });
        env.settle();
        EXPECT_TRUE(outcome.has_value()) << "no completion";
        return outcome.value_or(HttpResponse{});
    }
    HttpResponse fetch(const std::string& path) { return fetch(HttpRequest::get(service.url(path))); }

    HttpResponse download(const std::string& path, const std::filesystem::path& destination) {
        std::optional<HttpResponse> outcome;
        client().download(HttpRequest::get(service.url(path)), destination,
                          [&](HttpResponse response) { outcome = std::move(response); });
        env.settle();
        EXPECT_TRUE(outcome.has_value()) << "no completion";
        return outcome.value_or(HttpResponse{});
    }

    TestWebService service;  // declared first so that it outlives the client's transfers
    TestEnvironment env;
};

inline HttpErrorKind kindOf(const HttpResponse& response) {
    return response.error ? response.error->kind : HttpErrorKind::unknown;
}

}  // namespace tq::test
