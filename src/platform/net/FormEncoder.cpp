#include "platform/net/FormEncoder.h"

#include <algorithm>

namespace tq {
namespace {

bool staysUnescaped(unsigned char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    switch (c) {
        case '-':
        case '.':
        case '_':
        case '~':
        case '/':
        case '?':
            return true;
        default:
            return false;
    }
}

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

std::string escapeFormComponent(std::string_view text) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        if (staysUnescaped(c)) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('%');
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 0x0F]);
        }
    }
    return out;
}

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
