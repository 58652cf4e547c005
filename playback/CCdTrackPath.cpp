#include "CCdTrackPath.h"

#include <cctype>
#include <cstdlib>

std::string CCdTrackPath::TrimmedLower(std::string_view path) {
    const auto isBlank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!path.empty() && isBlank(path.front())) {
        path.remove_prefix(1);
    }
    while (!path.empty() && isBlank(path.back())) {
        path.remove_suffix(1);
    }
    std::string text(path);
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

bool CCdTrackPath::IsCdTrack(std::string_view path) {
    return TrimmedLower(path).ends_with(".cda");
}

long CCdTrackPath::TrackNumber(std::string_view path) {
    const std::string text = TrimmedLower(path);
    if (!text.ends_with(".cda")) {
        return 0;
    }
    const std::size_t at = text.find("track");
    if (at == std::string::npos) {
        return 0;
    }
    // Read as atol does: leading white space, an optional sign, then digits.
    return std::atol(text.c_str() + at + 5);
}

std::string CCdTrackPath::TrackText(std::string_view path) {
    return std::to_string(TrackNumber(path));
}
