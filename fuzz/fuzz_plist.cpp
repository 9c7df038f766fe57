// Feeds any bytes to the property-list reader (XML and binary) and to the dictionary reading built
// on it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/foundation/PropertyList.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    auto result = tq::parsePropertyList(bytes);
    if (!result.value) {
        if (result.error.empty()) std::abort();  // a refusal always says why
        return 0;
    }
    if (auto table = tq::asStringTable(*result.value)) {
        const auto* dict = result.value->dict();
        if (!dict || dict->size() != table->size()) std::abort();
    }
    return 0;
}
