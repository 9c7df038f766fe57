// Feeds arbitrary bytes to the texts that are read after a reply: a content's metadata, a tour's
// custom-map start, and the number helpers with the orders built on them.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "model/Json.h"
#include "platform/foundation/Console.h"
#include "platform/foundation/Numbers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    tq::Console console;

    tq::PoiContent content;
    content.metadata = text;
    content.type = "video";
    content.content_order = text;
    content.parseMetadata(console);
    content.parseMetadata(console);
    (void)content.order();

    tq::Tour tour;
    tour.use_custom_map = "1";
    tour.custom_map_metadata = text;
    tq::applyCustomMapStart(tour, console);

    if (auto value = tq::parseDouble(text)) {
        if (!std::isfinite(*value)) std::abort();
        // The coordinate text of any value reads back as the same value.
        if (tq::parseDouble(tq::coordinateText(*value)) != *value) std::abort();
    }
    if (auto whole = tq::parseInt64(text)) {
        if (tq::parseInt64(std::to_string(*whole)) != *whole) std::abort();
    }
    return 0;
}
