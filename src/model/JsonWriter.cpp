#include "model/JsonWriter.h"

#include <charconv>
#include <cmath>

namespace tq {

void JsonWriter::separate() {
    if (needsComma_) out_ += ',';
}

void JsonWriter::beginObject() {
    separate();
    out_ += '{';
    needsComma_ = false;
}

void JsonWriter::endObject() {
    out_ += '}';
    needsComma_ = true;
}

void JsonWriter::beginArray() {
    separate();
    out_ += '[';
    needsComma_ = false;
}

void JsonWriter::endArray() {
    out_ += ']';
    needsComma_ = true;
}

void JsonWriter::key(std::string_view name) {
    string(name);
    out_ += ':';
    needsComma_ = false;
}

void JsonWriter::string(std::string_view text) {
    static constexpr char hex[] = "0123456789abcdef";
    separate();
    out_ += '"';
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c != '"' && c != '\\' && c != '/') continue;
        out_.append(text.data() + runStart, i - runStart);
        runStart = i + 1;
        switch (c) {
        case '"': out_ += "\\\""; break;
        case '\\': out_ += "\\\\"; break;
        case '/': out_ += "\\/"; break;
        case '\b': out_ += "\\b"; break;
        case '\f': out_ += "\\f"; break;
        case '\n': out_ += "\\n"; break;
        case '\r': out_ += "\\r"; break;
        case '\t': out_ += "\\t"; break;
        default:
            out_ += "\\u00";
            out_ += hex[c >> 4];
            out_ += hex[c & 0xF];
        }
    }
    out_.append(text.data() + runStart, text.size() - runStart);
    out_ += '"';
    needsComma_ = true;
}

void JsonWriter::integer(std::int64_t value) {
    separate();
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out_.append(buffer, result.ptr);
    needsComma_ = true;
}

namespace {

// The shortest text that reads back as the same value. Large magnitudes take the exponent form,
// since a long run of integer digits would not read back as a number in every reader; a negative
// zero keeps its fraction, since "-0" reads back as the integer 0.
template <class Number>
void appendNumber(std::string& out, Number value) {
    char buffer[48];
    std::to_chars_result result{};
    if (value == 0 && std::signbit(value)) {
        out += "-0.0";
        return;
    }
    if (std::fabs(value) >= Number(1e15)) {
        result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    } else {
        result = std::to_chars(buffer, buffer + sizeof buffer, value);
    }
    out.append(buffer, result.ptr);
}

}  // namespace

bool JsonWriter::number(double value) {
    if (!std::isfinite(value)) return false;
    separate();
    appendNumber(out_, value);
    needsComma_ = true;
    return true;
}

bool JsonWriter::number(float value) {
    if (!std::isfinite(value)) return false;
    separate();
    appendNumber(out_, value);
    needsComma_ = true;
    return true;
}

}  // namespace tq
