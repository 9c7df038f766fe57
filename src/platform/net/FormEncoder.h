#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace tq {

// A value handed to the form encoder: a text, a list, an object of named fields, or absent.
// Absent values are left out together with their key, so optional record fields can be passed as
// they are.
class FormValue {
public:
    using List = std::vector<FormValue>;
    using Object = std::vector<std::pair<std::string, FormValue>>;

    FormValue() = default;  // absent
    FormValue(std::string text) : value_(std::move(text)) {}
    FormValue(const char* text) : value_(std::string(text)) {}
    FormValue(List list) : value_(std::move(list)) {}
    FormValue(Object object) : value_(std::move(object)) {}

    static FormValue absent() { return FormValue(); }

    bool isAbsent() const { return std::holds_alternative<std::monostate>(value_); }
    const std::string* text() const { return std::get_if<std::string>(&value_); }
    const List* list() const { return std::get_if<List>(&value_); }
    const Object* object() const { return std::get_if<Object>(&value_); }

private:
    std::variant<std::monostate, std::string, List, Object> value_;
};

using FormObject = FormValue::Object;

// The body of a form-encoded POST: one key=value pair per text leaf, a list element under its key
// followed by "[]", a nested field as "[field]" after its parent's key; absent values and empty
// lists or objects contribute nothing. Keys and values are percent-escaped and the escaped pairs
// are sorted and joined with "&".
std::string encodeForm(const FormObject& fields);

// Percent-escapes one key or value: letters, digits and "-._~/?" stay as they are, everything
// else (a blank included, as %20) becomes %XX of its UTF-8 bytes.
std::string escapeFormComponent(std::string_view text);

// The content type the service expects for a form-encoded body.
inline constexpr const char* kFormContentType = "application/x-www-form-urlencoded; charset=utf-8";

}  // namespace tq
