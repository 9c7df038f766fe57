#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace tq {

// A property-list value: the shapes the platform's property lists can hold.
struct PlistValue {
    using Array = std::vector<PlistValue>;
    using Dict = std::map<std::string, PlistValue>;
    std::variant<std::monostate, bool, std::int64_t, double, std::string, std::vector<std::uint8_t>, Array, Dict> value;

    bool isString() const { return std::holds_alternative<std::string>(value); }
    bool isDict() const { return std::holds_alternative<Dict>(value); }
    const Dict* dict() const { return std::get_if<Dict>(&value); }
    const Array* array() const { return std::get_if<Array>(&value); }
    const std::string* string() const { return std::get_if<std::string>(&value); }
};

struct PlistResult {
    std::optional<PlistValue> value;
    std::string error;  // why parsing failed, when value is empty
};

// Reads an XML or binary property list.
PlistResult parsePropertyList(const std::string& bytes);

// A dictionary whose keys and values are all texts, or nothing when the value has another shape.
std::optional<std::map<std::string, std::string>> asStringTable(const PlistValue& value);

}  // namespace tq
