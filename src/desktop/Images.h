#pragma once

// Pictures for the window: a view's Image (bundle name, file, remote address with its bytes, or
// bytes) decoded once into a texture. A picture that cannot be found or decoded gives nothing,
// and the view shows its placeholder or nothing.

#include <gtk/gtk.h>

#include <deque>
#include <map>
#include <memory>
#include <string>

#include "platform/ui/View.h"

namespace tq {
class Bundle;
}

namespace tq::desktop {

class Images {
public:
    explicit Images(const Bundle& bundle) : bundle_(bundle) {}
    ~Images();
    Images(const Images&) = delete;
    Images& operator=(const Images&) = delete;

    // Borrowed: valid until the cache lets it go (take a reference to keep it).
    GdkTexture* texture(const Image& image);
    int decodeFailures() const { return failures_; }

private:
    struct Entry {
        GdkTexture* texture = nullptr;
        std::shared_ptr<const std::string> bytes;  // keeps the key's address unique while cached
    };
    GdkTexture* decode(const Image& image);
    const Bundle& bundle_;
    std::map<std::string, Entry> cache_;
    std::deque<std::string> order_;
    int failures_ = 0;
};

}  // namespace tq::desktop
