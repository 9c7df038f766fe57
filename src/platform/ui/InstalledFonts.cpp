#include "platform/ui/InstalledFonts.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace tq {
namespace {

// Liberation Sans has the metrics of Helvetica and Arial. The platform's system font has no free
// twin; Liberation Sans is the nearest in width. DejaVu Sans covers the characters Liberation lacks.
constexpr const char* kSans = "Liberation Sans";
constexpr const char* kFallback = "DejaVu Sans";

// Family names as keys: lower case, without spaces.
constexpr std::array<std::pair<std::string_view, const char*>, 6> kFamilies{{
    {"", kSans},
    {"system", kSans},
    {"helvetica", kSans},
    {"helveticaneue", kSans},
    {"arial", kSans},
    {"arialmt", kSans},
}};

// Weights a face name may carry, longest words first so that "UltraLight" is not read as "Light".
constexpr std::array<std::pair<std::string_view, int>, 11> kWeights{{
    {"ultralight", 200},
    {"extralight", 200},
    {"semibold", 600},
    {"demibold", 600},
    {"extrabold", 800},
    {"medium", 500},
    {"light", 300},
    {"heavy", 800},
    {"black", 900},
    {"thin", 100},
    {"bold", 700},
}};

std::string folded(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c != ' ') out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

int weightOf(FontWeight weight) {
    switch (weight) {
        case FontWeight::regular: return 400;
        case FontWeight::medium: return 500;
        case FontWeight::semibold: return 600;
        case FontWeight::bold: return 700;
    }
    return 400;
}

}  // namespace

InstalledFont installedFont(const Font& font) {
    const std::string name = folded(font.name);
    const auto dash = name.find('-');
    const std::string family = name.substr(0, dash);
    const std::string face = dash == std::string::npos ? std::string() : name.substr(dash + 1);

    InstalledFont installed;
    auto known = std::find_if(kFamilies.begin(), kFamilies.end(), [&](const auto& entry) { return entry.first == family; });
    installed.known = known != kFamilies.end();
    installed.families = {installed.known ? known->second : kSans, kFallback};
    installed.weight = weightOf(font.weight);
    for (const auto& [word, weight] : kWeights) {
        if (face.find(word) != std::string::npos) {
            installed.weight = weight;
            break;
        }
    }
    installed.italic = face.find("italic") != std::string::npos || face.find("oblique") != std::string::npos;
    return installed;
}

}  // namespace tq
