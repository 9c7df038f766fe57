#include "ui/common/LanguageNames.h"

#include <array>
#include <utility>

namespace tq {

std::string languageName(const std::string& code) {
    static const std::array<std::pair<const char*, const char*>, 15> names{{
        {"en", "English"},
        {"fr", "Français"},
        {"es", "Español"},
        {"de", "Deutsch"},
        {"pt", "Português"},
        {"tr", "Türkçe"},
        {"it", "Italiano"},
        {"tw", "中國語文"},
        {"el", "Ελληνικά"},
        {"ar", "عرب"},
        {"ja", "日本語"},
        {"cn", "中国语文"},
        {"pl", "Polski"},
        {"ru", "Русский"},
        {"ko", "한국어"},
    }};
    for (const auto& [known, name] : names) {
        if (code == known) return name;
    }
    return "English";
}

}  // namespace tq
