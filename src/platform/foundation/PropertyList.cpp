#include "platform/foundation/PropertyList.h"

#include <plist/plist.h>

#include <cstdint>
#include <cstdlib>

namespace tq {
namespace {

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
