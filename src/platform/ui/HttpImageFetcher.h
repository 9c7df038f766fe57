#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/ui/ImageLoader.h"

namespace tq {

class Environment;

// Brings a remote picture's bytes through the process's HTTP client. A failed request, a status
// outside 200 to 299 or an empty body is reported as an error with its description; the loader
// then keeps what the view showed.
class HttpImageFetcher : public ImageFetcher {
public:
    // Pictures larger than this are refused rather than held in memory.
    static constexpr std::uint64_t kMaxPictureBytes = 32ull * 1024 * 1024;

    explicit HttpImageFetcher(Environment& env) : env_(env) {}
    void fetch(const std::string& address, std::function<void(ImageFetchResult)> completion) override;

private:
    Environment& env_;
};

}  // namespace tq
