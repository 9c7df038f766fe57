#include "platform/web/WebTypes.h"

#include <charconv>
#include <cmath>

namespace tq {

std::optional<double> scriptNumber(const ScriptValue& value) {
    if (auto* number = std::get_if<double>(&value)) return *number;
    return std::nullopt;
}

std::optional<std::string> scriptText(const ScriptValue& value) {
    if (auto* text = std::get_if<std::string>(&value)) return *text;
    return std::nullopt;
}

std::string describeScriptValue(const ScriptValue& value) {
    if (std::holds_alternative<std::monostate>(value)) return "null";
    if (auto* flag = std::get_if<bool>(&value)) return *flag ? "true" : "false";
    if (auto* text = std::get_if<std::string>(&value)) return *text;
    double number = std::get<double>(value);
    if (std::isnan(number)) return "NaN";
    if (std::isinf(number)) return number > 0 ? "Infinity" : "-Infinity";
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    return std::string(buffer, result.ptr);
}

}  // namespace tq
