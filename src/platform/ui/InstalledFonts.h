#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/ui/Style.h"

namespace tq {

// What a renderer draws a font with. The screens name the platform's fonts ("Helvetica",
// "HelveticaNeue-Bold", the system font); this machine has free fonts of the same metrics
// instead (Liberation), so a text takes the room it was laid out for.
struct InstalledFont {
    // Font families to ask the font system for, best first; the later ones only lend the glyphs
    // the first lacks.
    std::vector<std::string> families;
    int weight = 400;  // 100 (thin) to 900 (black); 400 is regular, 700 bold
    bool italic = false;
    // False when the name is not one the table knows: the text is drawn in the system font's
    // stead, which a renderer may want to report.
    bool known = true;
    bool operator==(const InstalledFont&) const = default;
};

// The installed font for a font as the screens give it: its name in the platform's form
// ("Family-Face", as "HelveticaNeue-BoldItalic"; a family name with spaces, "Helvetica Neue", is
// accepted too; empty or "System" for the system font) and its weight. A face named in the font's
// name wins over the weight.
InstalledFont installedFont(const Font& font);

}  // namespace tq
