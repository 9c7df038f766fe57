#pragma once

#include <cmath>
#include <string_view>

namespace tq {

// The nominal measure of a text the layout rules use when they need a size before anything is
// drawn: a character is half the font size wide and a line 1.2 font sizes high. A renderer that
// measures real glyphs gets other figures; the rules only need them to be the same kind of size.
inline double nominalLineHeight(double fontSize) { return std::ceil(fontSize * 1.2); }

inline double nominalTextWidth(std::string_view text, double fontSize) {
    std::size_t characters = 0;
    for (unsigned char c : text) {
        if ((c & 0xC0) != 0x80) ++characters;  // count UTF-8 lead bytes only
    }
    return std::ceil(double(characters) * fontSize * 0.5);
}

}  // namespace tq
