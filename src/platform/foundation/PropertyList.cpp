#include "platform/foundation/PropertyList.h"

#include <plist/plist.h>

#include <cstdint>
#include <cstdlib>

namespace tq {
namespace {

std::uint64_t readBigEndian(const std::string& bytes, std::size_t at, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// Whether a binary list holds a text or key with a NUL inside. The list library stops the whole
// program with a failed assertion when such a text is read, so these lists are refused first.
bool binaryListHoldsNul(const std::string& bytes) {
    constexpr std::size_t trailerSize = 32;
    if (bytes.size() < 8 + trailerSize) return false;  // the library refuses it on its own
    const std::size_t trailer = bytes.size() - trailerSize;
    const std::size_t offsetWidth = static_cast<unsigned char>(bytes[trailer + 6]);
    const std::uint64_t objects = readBigEndian(bytes, trailer + 8, 8);
    const std::uint64_t table = readBigEndian(bytes, trailer + 24, 8);
    if (offsetWidth == 0 || offsetWidth > 8 || table > trailer || objects > (trailer - table) / offsetWidth) return false;
    for (std::uint64_t i = 0; i < objects; ++i) {
        std::uint64_t at = readBigEndian(bytes, table + i * offsetWidth, offsetWidth);
        if (at >= trailer) continue;
        const unsigned char marker = static_cast<unsigned char>(bytes[at]);
        const unsigned kind = marker >> 4;
        if (kind != 0x5 && kind != 0x6) continue;  // ASCII and UTF-16 texts (keys are texts too)
        std::uint64_t count = marker & 0x0F;
        std::size_t start = at + 1;
        if (count == 0x0F) {
            if (start >= trailer) continue;
            const unsigned char intMarker = static_cast<unsigned char>(bytes[start]);
            const std::size_t width = std::size_t{1} << (intMarker & 0x0F);
            if ((intMarker >> 4) != 0x1 || width > 8 || start + 1 + width > trailer) continue;
            count = readBigEndian(bytes, start + 1, width);
            start += 1 + width;
        }
        const std::uint64_t unit = kind == 0x6 ? 2 : 1;
        if (count > (trailer - start) / unit) continue;
        for (std::uint64_t c = 0; c < count; ++c) {
            bool nul = unit == 1 ? bytes[start + c] == '\0' : bytes[start + 2 * c] == '\0' && bytes[start + 2 * c + 1] == '\0';
            if (nul) return true;
        }
    }
    return false;
}

PlistValue convert(plist_t node) {
    PlistValue out;
    switch (plist_get_node_type(node)) {
        case PLIST_BOOLEAN: {
            uint8_t b = 0;
            plist_get_bool_val(node, &b);
            out.value = b != 0;
            break;
        }
        case PLIST_UINT: {
            uint64_t v = 0;
            plist_get_uint_val(node, &v);
            out.value = static_cast<std::int64_t>(v);
            break;
        }
        case PLIST_REAL: {
            double d = 0;
            plist_get_real_val(node, &d);
            out.value = d;
            break;
        }
        case PLIST_STRING: {
            // By pointer and length: a binary list may hold a text with a NUL inside, on which the
            // copying accessor stops the whole program with a failed assertion.
            uint64_t length = 0;
            const char* text = plist_get_string_ptr(node, &length);
            out.value = text ? std::string(text, length) : std::string();
            break;
        }
        case PLIST_DATA: {
            char* data = nullptr;
            uint64_t length = 0;
            plist_get_data_val(node, &data, &length);
            out.value = std::vector<std::uint8_t>(data, data + length);
            free(data);
            break;
        }
        case PLIST_ARRAY: {
            PlistValue::Array items;
            uint32_t n = plist_array_get_size(node);
            for (uint32_t i = 0; i < n; ++i) items.push_back(convert(plist_array_get_item(node, i)));
            out.value = std::move(items);
            break;
        }
        case PLIST_DICT: {
            PlistValue::Dict entries;
            plist_dict_iter it = nullptr;
            plist_dict_new_iter(node, &it);
            for (;;) {
                char* key = nullptr;
                plist_t item = nullptr;
                plist_dict_next_item(node, it, &key, &item);
                if (!key) break;
                entries[key] = convert(item);
                free(key);
            }
            free(it);
            out.value = std::move(entries);
            break;
        }
        default:
            // Dates, UIDs and the like: kept as "some value" without content.
            break;
    }
    return out;
}

}  // namespace

PlistResult parsePropertyList(const std::string& bytes) {
    PlistResult result;
    if (bytes.empty()) {
        result.error = "The data couldn't be read because it is empty.";
        return result;
    }
    plist_t root = nullptr;
    if (bytes.size() > UINT32_MAX) {
        result.error = "The data couldn't be read because it is too large.";
        return result;
    }
    if (bytes.rfind("bplist", 0) == 0 && binaryListHoldsNul(bytes)) {
        result.error = "The data couldn't be read because it isn't in the correct format.";
        return result;
    }
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    if (!root) {
        result.error = "The data couldn't be read because it isn't in the correct format.";
        if (root) plist_free(root);
        return result;
    }
    result.value = convert(root);
    plist_free(root);
    return result;
}

std::optional<std::map<std::string, std::string>> asStringTable(const PlistValue& value) {
    const auto* dict = value.dict();
    if (!dict) return std::nullopt;
    std::map<std::string, std::string> table;
    for (const auto& [key, item] : *dict) {
        const auto* text = item.string();
        if (!text) return std::nullopt;
        table[key] = *text;
    }
    return table;
}

}  // namespace tq
