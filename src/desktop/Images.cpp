#include "desktop/Images.h"

#include <filesystem>

#include "platform/foundation/Bundle.h"

namespace tq::desktop {

namespace {

constexpr std::size_t kCachedPictures = 256;

std::string keyOf(const Image& image) {
    std::string key = std::to_string(int(image.source)) + ":" + image.name;
    if (image.bytes) key += ":" + std::to_string(reinterpret_cast<std::uintptr_t>(image.bytes.get()));
    return key;
}

GdkTexture* fromBytes(const std::string& bytes) {
    GBytes* data = g_bytes_new(bytes.data(), bytes.size());
    GError* error = nullptr;
    GdkTexture* texture = gdk_texture_new_from_bytes(data, &error);
    g_bytes_unref(data);
    if (error) g_error_free(error);
    return texture;
}

GdkTexture* fromFile(const std::filesystem::path& path) {
    GError* error = nullptr;
    GdkTexture* texture = gdk_texture_new_from_filename(path.c_str(), &error);
    if (error) g_error_free(error);
    return texture;
}

}  // namespace

Images::~Images() {
    for (auto& [key, entry] : cache_) {
        if (entry.texture) g_object_unref(entry.texture);
    }
}

GdkTexture* Images::decode(const Image& image) {
    if (image.bytes && !image.bytes->empty()) return fromBytes(*image.bytes);
    switch (image.source) {
        case Image::Source::bundle: {
            auto path = bundle_.pathForImage(image.name);
            return path ? fromFile(*path) : nullptr;
        }
        case Image::Source::file: return image.name.empty() ? nullptr : fromFile(image.name);
        case Image::Source::remote:
        case Image::Source::data: return nullptr;  // nothing arrived (yet)
    }
    return nullptr;
}

GdkTexture* Images::texture(const Image& image) {
    auto key = keyOf(image);
    if (auto it = cache_.find(key); it != cache_.end()) return it->second.texture;
    GdkTexture* texture = decode(image);
    if (!texture && (image.bytes || image.source != Image::Source::remote)) ++failures_;
    if (cache_.size() >= kCachedPictures && !order_.empty()) {
        auto old = cache_.find(order_.front());
        if (old != cache_.end()) {
            if (old->second.texture) g_object_unref(old->second.texture);
            cache_.erase(old);
        }
        order_.pop_front();
    }
    cache_[key] = Entry{texture, image.bytes};
    order_.push_back(key);
    return texture;
}

}  // namespace tq::desktop
