#include "SettingsKeys.h"

namespace SettingsKeys {

std::string Indexed(std::string_view prefix, int index) {
    return std::string(prefix) + std::to_string(index);
}

std::string BarSizeSection(std::string_view profile, int controlId) {
    return std::string(profile) + "-SCBar-" + std::to_string(controlId);
}

} // namespace SettingsKeys
