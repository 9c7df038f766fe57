#include "platform/ui/InstalledFonts.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace tq {
namespace {

// Liberation Sans, Serif and Mono have the metrics of Helvetica and Arial, Times and Courier. The
// platform's system font has no free twin; Liberation Sans is the nearest in width. The DejaVu
// families cover the characters Liberation lacks.
struct Families {
    const char* family;
    const char* fallback;
};
constexpr Families kSans{"Liberation Sans", "DejaVu Sans"};
constexpr Families kSerif{"Liberation Serif", "DejaVu Serif"};
constexpr Families kMono{"Liberation Mono", "DejaVu Sans Mono"};

// Family names as keys: lower case, without spaces.
constexpr std::array<std::pair<std::string_view, Families>, 14> kFamilies{{
    {"", kSans},
    {"system", kSans},
    {"helvetica", kSans},
    {"helveticaneue", kSans},
    {"arial", kSans},
    {"arialmt", kSans},
    {"times", kSerif},
    {"timesnewroman", kSerif},
    {"timesnewromanps", kSerif},
    {"timesnewromanpsmt", kSerif},
    {"courier", kMono},
    {"couriernew", kMono},
    {"couriernewps", kMono},
    {"couriernewpsmt", kMono},
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
    const Families families = installed.known ? known->second : kSans;
    installed.families = {families.family, families.fallback};
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
