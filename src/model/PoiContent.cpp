#include "model/PoiContent.h"

#include <cmath>

#include "model/Json.h"
#include "model/JsonCodec.h"
#include "platform/foundation/Console.h"
#include "platform/foundation/Environment.h"
#include "platform/foundation/Numbers.h"

namespace tq {

std::optional<ContentType> contentTypeFromRaw(std::int64_t raw) {
    if (raw < 0 || raw > 5) return std::nullopt;
    return static_cast<ContentType>(raw);
}

std::string_view contentTypeName(ContentType type) {
    switch (type) {
    case ContentType::panorama: return "panorama";
    case ContentType::txt: return "txt";
    case ContentType::img: return "img";
    case ContentType::video: return "video";
    case ContentType::audio: return "audio";
    case ContentType::none: return "none";
    }
    return "none";
}

ContentType contentTypeForType(std::string_view type) {
    if (type == "audio") return ContentType::audio;
    if (type == "video") return ContentType::video;
    if (type == "txt") return ContentType::txt;
    if (type == "panorama") return ContentType::panorama;
    if (type == "img") return ContentType::img;
    return ContentType::none;
}

namespace {

std::optional<std::string> withSecureScheme(const std::optional<std::string>& url) {
    if (!url) return std::nullopt;
    std::string text = *url;
    for (auto at = text.find("http:"); at != std::string::npos; at = text.find("http:", at + 6)) {
        text.replace(at, 5, "https:");
    }
    return text;
}

// A size given as text is read with the C locale's rules; a text that is no number leaves the
// size absent rather than a guessed value.
std::optional<float> sizeFromText(const std::optional<std::string>& text) {
    auto value = parseDouble(text ? std::string_view(*text) : std::string_view("0"));
    if (!value || std::fabs(*value) >= json_detail::kBeyondFloat) return std::nullopt;
    return static_cast<float>(*value);
}

// Both metadata forms fill the same fields; only `size` differs.
template <class Form>
void applyMetadata(PoiContent& content, const Form& metadata, std::optional<float> size) {
    content.content_thumbnailUrl = withSecureScheme(metadata.thumbnailUrl);
    content.content_status = metadata.status;
    content.content_width = metadata.width;
    content.content_height = metadata.height;
    content.content_duration = metadata.duration;
    content.content_size = size;
    content.content_filepath = metadata.filePath;
    content.content_panorama = metadata.panorama;
    // Contents with metadata are expected to name their kind; one that does not has none.
    content.content_type = content.type ? contentTypeForType(*content.type) : ContentType::none;
}

}  // namespace

void PoiContent::parseMetadata(Console& console) {
    if (!metadata || *metadata == "{}") {
        console.log("metadata nil or empty");
        return;
    }
    auto usual = decodeJson<MetaData>(*metadata);
    if (usual) {
        applyMetadata(*this, *usual, usual->size);
        return;
    }
    console.log("metadata error : " + usual.error());
    auto withSizeText = decodeJson<MetaDataSizeString>(*metadata);
    if (!withSizeText) {
        console.log("metadata error222 : " + withSizeText.error());
        return;
    }
    applyMetadata(*this, *withSizeText, sizeFromText(withSizeText->size));
}

void PoiContent::parseMetadata() {
    if (Environment::hasCurrent()) {
        parseMetadata(Environment::current().console());
    } else {
        Console discarded;
        parseMetadata(discarded);
    }
}

namespace json_detail {

// `order` is not a JSON field: it is never read from a reply and never written.
const FieldTable<PoiContent>& RecordFields<PoiContent>::table() {
    static const FieldTable<PoiContent> fields{
        TQ_FIELD(PoiContent, content_id),
        TQ_FIELD(PoiContent, owner_id),
        TQ_FIELD(PoiContent, content_order),
        TQ_FIELD(PoiContent, type),
        TQ_FIELD(PoiContent, title),
        TQ_FIELD(PoiContent, description),
        TQ_FIELD(PoiContent, lang),
        TQ_FIELD(PoiContent, is_private),
        TQ_FIELD(PoiContent, metadata),
        TQ_FIELD(PoiContent, content_status),
        TQ_FIELD(PoiContent, content_width),
        TQ_FIELD(PoiContent, content_height),
        TQ_FIELD(PoiContent, content_duration),
        TQ_FIELD(PoiContent, content_size),
        TQ_FIELD(PoiContent, content_filepath),
        TQ_FIELD(PoiContent, content_thumbnailUrl),
        TQ_FIELD(PoiContent, content_panorama),
        TQ_FIELD(PoiContent, content_type),
    };
    return fields;
}

const FieldTable<MetaData>& RecordFields<MetaData>::table() {
    static const FieldTable<MetaData> fields{
        TQ_FIELD(MetaData, status),
        TQ_FIELD(MetaData, width),
        TQ_FIELD(MetaData, height),
        TQ_FIELD(MetaData, duration),
        TQ_FIELD(MetaData, size),
        TQ_FIELD(MetaData, filePath),
        TQ_FIELD(MetaData, panorama),
        TQ_FIELD(MetaData, thumbnailUrl),
        TQ_FIELD(MetaData, webThumbnailUrl),
    };
    return fields;
}

const FieldTable<MetaDataSizeString>& RecordFields<MetaDataSizeString>::table() {
    static const FieldTable<MetaDataSizeString> fields{
        TQ_FIELD(MetaDataSizeString, status),
        TQ_FIELD(MetaDataSizeString, width),
        TQ_FIELD(MetaDataSizeString, height),
        TQ_FIELD(MetaDataSizeString, duration),
        TQ_FIELD(MetaDataSizeString, filePath),
        TQ_FIELD(MetaDataSizeString, panorama),
        TQ_FIELD(MetaDataSizeString, size),
        TQ_FIELD(MetaDataSizeString, thumbnailUrl),
        TQ_FIELD(MetaDataSizeString, webThumbnailUrl),
    };
    return fields;
}

}  // namespace json_detail
}  // namespace tq
