#include "model/JsonCodec.h"

#include <cmath>

namespace tq::json_detail {

void FieldError::prependKey(std::string_view key) {
    std::string joined(key);
    if (!path.empty() && path.front() != '[') joined += '.';
    joined += path;
    path = std::move(joined);
}

void FieldError::prependIndex(std::size_t index) {
    std::string joined(1, '[');
    joined += std::to_string(index);
    joined += ']';
    if (!path.empty() && path.front() != '[') joined += '.';
    joined += path;
    path = std::move(joined);
}

std::string FieldError::describe() const {
    return path.empty() ? message : path + ": " + message;
}

namespace {

std::string_view describeElement(Element e) {
    using Type = simdjson::dom::element_type;
    switch (e.type()) {
    case Type::ARRAY: return "an array";
    case Type::OBJECT: return "an object";
    case Type::INT64:
    case Type::UINT64: return "a whole number";
    case Type::DOUBLE: return "a number";
    case Type::STRING: return "a text";
    case Type::BOOL: return "a boolean";
    case Type::NULL_VALUE: return "null";
    }
    return "an unknown value";
}

}  // namespace

bool failWith(FieldError& error, std::string message) {
    error.path.clear();
    error.message = std::move(message);
    return false;
}

bool failExpected(FieldError& error, std::string_view expected, Element found) {
    return failWith(error, "expected " + std::string(expected) + ", found " + std::string(describeElement(found)));
}

bool readText(Element element, std::string& out, FieldError& error) {
    std::string_view text;
    if (element.get_string().get(text)) return failExpected(error, "a text", element);
    out.assign(text);
    return true;
}

// Whole numbers may come written with a zero fraction ("3.0"); anything with a fraction, or
// beyond 64 bits, fails.
bool readWholeNumber(Element element, std::int64_t& out, FieldError& error) {
    using Type = simdjson::dom::element_type;
    switch (element.type()) {
    case Type::INT64: {
        std::int64_t value = 0;
        if (element.get_int64().get(value)) break;
        out = value;
        return true;
    }
    case Type::UINT64: return failWith(error, "expected a whole number within 64 bits, found a larger one");
    case Type::DOUBLE: {
        double value = 0;
        if (element.get_double().get(value)) break;
        if (std::trunc(value) == value && value >= -0x1p63 && value < 0x1p63) {
            out = static_cast<std::int64_t>(value);
            return true;
        }
        return failWith(error, "expected a whole number, found a number with a fraction or out of range");
    }
    default: break;
    }
    return failExpected(error, "a whole number", element);
}

bool readNumber(Element element, double& out, FieldError& error) {
    double value = 0;
    if (element.get_double().get(value)) return failExpected(error, "a number", element);
    out = value;
    return true;
}

bool readFloat(Element element, float& out, FieldError& error) {
    double value = 0;
    if (!readNumber(element, value, error)) return false;
    if (std::fabs(value) >= kBeyondFloat) return failWith(error, "expected a number within the float range");
    out = static_cast<float>(value);
    return true;
}

}  // namespace tq::json_detail
