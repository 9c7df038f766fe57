#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "model/LazyOrder.h"

namespace tq {

class Console;

// The kind of a content; written to and read from JSON as its integer (0 to 5).
enum class ContentType : int { panorama = 0, txt = 1, img = 2, video = 3, audio = 4, none = 5 };

// 0 to 5 give a kind; anything else gives none.
std::optional<ContentType> contentTypeFromRaw(std::int64_t raw);

// The case name, as the content list shows a kind: "panorama", "txt", "img", "video", "audio", "none".
std::string_view contentTypeName(ContentType type);

// The kind named by a content's `type` text: exact and case-sensitive ("Audio" gives none).
ContentType contentTypeForType(std::string_view type);

// A content's media description, the JSON text carried in its `metadata`, in its usual form...
struct MetaData {
    std::optional<std::int64_t> status;
    std::optional<std::int64_t> width;
    std::optional<std::int64_t> height;
    std::optional<std::int64_t> duration;
    std::optional<float> size;
    std::optional<std::string> filePath;
    std::optional<std::string> panorama;
    std::optional<std::string> thumbnailUrl;
    std::optional<std::string> webThumbnailUrl;
};

// ...and in the form some contents come with, where `size` is a text.
struct MetaDataSizeString {
    std::optional<std::int64_t> status;
    std::optional<std::int64_t> width;
    std::optional<std::int64_t> height;
    std::optional<std::int64_t> duration;
    std::optional<std::string> filePath;
    std::optional<std::string> panorama;
    std::optional<std::string> size;
    std::optional<std::string> thumbnailUrl;
    std::optional<std::string> webThumbnailUrl;
};

// One piece of a point's content: a text, an image, a panorama, a video or an audio recording.
// Shared by reference between the tour, the maps, the download and the player. The media fields
// and the kind are usable only after parseMetadata() has run.
struct PoiContent {
    std::optional<std::string> content_id;
    std::optional<std::string> owner_id;
    std::optional<std::string> content_order;
    std::optional<std::string> type;
    std::optional<std::string> title;
    std::optional<std::string> description;
    std::optional<std::string> lang;
    std::optional<std::string> is_private;
    std::optional<std::string> metadata;
    std::optional<std::int64_t> content_status;
    std::optional<std::int64_t> content_width;
    std::optional<std::int64_t> content_height;
    std::optional<std::int64_t> content_duration;
    std::optional<float> content_size;
    std::optional<std::string> content_filepath;
    std::optional<std::string> content_thumbnailUrl;
    std::optional<std::string> content_panorama;
    std::optional<ContentType> content_type;

    // The whole number of `content_order` (absent counts as 0), computed on first use and kept.
    std::optional<std::int64_t> order() const { return order_.get(content_order); }

    // Fills the media fields and the kind from `metadata`. Failures are only reported as console
    // lines ("metadata nil or empty", "metadata error : ...", "metadata error222 : ..."), and then
    // the record keeps what it had. Running it again recomputes the same fields.
    void parseMetadata(Console& console);
    // The same, reporting to the current Environment's console when there is one.
    void parseMetadata();

private:
    LazyOrder order_;
};

using PoiContentRef = std::shared_ptr<PoiContent>;

}  // namespace tq
