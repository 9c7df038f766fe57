#include "platform/net/FormEncoder.h"

#include <algorithm>

#include "platform/net/PercentEncoding.h"

namespace tq {
namespace {

void collectPairs(const std::string& key, const FormValue& value, std::vector<std::string>& pairs) {
    if (const auto* text = value.text()) {
        pairs.push_back(escapeFormComponent(key) + "=" + escapeFormComponent(*text));
    } else if (const auto* list = value.list()) {
        for (const auto& element : *list) collectPairs(key + "[]", element, pairs);
    } else if (const auto* object = value.object()) {
        for (const auto& [field, fieldValue] : *object) collectPairs(key + "[" + field + "]", fieldValue, pairs);
    }
}

}  // namespace

std::string escapeFormComponent(std::string_view text) { return percentEncode(text, PercentEncoding::formComponent); }

std::string encodeForm(const FormObject& fields) {
    std::vector<std::string> pairs;
    for (const auto& [key, value] : fields) collectPairs(key, value, pairs);
    std::sort(pairs.begin(), pairs.end());
    std::string body;
    for (const auto& pair : pairs) {
        if (!body.empty()) body.push_back('&');
        body += pair;
    }
    return body;
}

}  // namespace tq
