#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tq {

// A small compact JSON writer. Texts are escaped as the platform's default JSON encoder does it,
// "/" included (written "\/"), so pages that embed the text see the same bytes as on the device.
// Numbers that are not finite cannot be written: number() returns false and writes nothing.
class JsonWriter {
public:
    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    void key(std::string_view name);
    void string(std::string_view text);
    void integer(std::int64_t value);
    bool number(double value);
    bool number(float value);

    const std::string& text() const { return out_; }
    std::string take() { return std::move(out_); }

private:
    void separate();
    std::string out_;
    bool needsComma_ = false;
};

}  // namespace tq
