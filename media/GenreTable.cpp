#include "GenreTable.h"

#include <array>
#include <cctype>

namespace {

constexpr std::array<std::string_view, GenreTable::kCount> kNames = {
    "Blues", "ClassicRock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz",
    "Metal", "NewAge", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno",
    "Industrial", "Alternative", "Ska", "DeathMetal", "Pranks", "Soundtrack", "Euro-Techno",
    "Ambient", "Trip-Hop", "Vocal", "Jazz+Funk", "Fusion", "Trance", "Classical", "Instrumental",
    "Acid", "House", "Game", "SoundClip", "Gospel", "Noise", "AlternRock", "Bass", "Soul", "Punk",
    "Space", "Meditative", "InstrumentalPop", "InstrumentalRock", "Ethnic", "Gothic", "Darkwave",
    "Techno-Industrial", "Electronic", "Pop-Folk", "Eurodance", "Dream", "SouthernRock", "Comedy",
    "Cult", "Gangsta", "Top40", "ChristianRap", "Pop/Funk", "Jungle", "NativeAmerican", "Cabaret",
    "NewWave", "Psychadelic", "Rave", "Showtunes", "Trailer", "Lo-Fi", "Tribal", "AcidPunk",
    "AcidJazz", "Polka", "Retro", "Musical", "Rock&Roll", "HardRock",
    // The later additions.
    "Folk", "Folk-Rock", "NationalFolk", "Swing", "FastFusion", "Bebob", "Latin", "Revival",
    "Celtic", "Bluegrass", "Avantgarde", "GothicRock", "ProgressiveRock", "PsychedelicRock",
    "SymphonicRock", "SlowRock", "BigBand", "Chorus", "EasyListening", "Acoustic", "Humour",
    "Speech", "Chanson", "Opera", "ChamberMusic", "Sonata", "Symphony", "BootyBass", "Primus",
    "PornGroove", "Satire", "SlowJam", "Club", "Tango", "Samba", "Folklore", "Ballad",
    "PowerBallad", "RhythmicSoul", "Freestyle", "Duet", "PunkRock", "DrumSolo", "Acapella",
    "Euro-House", "DanceHall", "Goa", "Drum&Bass", "Club-House", "Hardcore", "Terror", "Indie",
    "BritPop", "Afro-Punk", "PolskPunk", "Beat", "ChristianGanstaRap", "HeavyMetal", "BlackMetal",
    "Crossover", "ContemporaryChristian", "ChristianRock", "Merengue", "Salsa", "ThrashMetal",
    "Anime", "Jpop", "Synthpop"};

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (prefix.size() > text.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i]))) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string_view GenreTable::Name(int index) {
    if (index < 0 || index >= kCount) {
        return {};
    }
    return kNames[static_cast<std::size_t>(index)];
}

std::uint8_t GenreTable::IndexByPrefix(std::string_view name) {
    name = name.substr(0, 31);
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        if (StartsWithNoCase(kNames[i], name)) {
            return static_cast<std::uint8_t>(i);
        }
    }
    return kNone;
}

int GenreTable::NumericReference(std::string_view text) {
    std::size_t pos = 0;
    const bool parenthesised = !text.empty() && text[0] == '(';
    if (parenthesised) {
        pos = 1;
    }
    const std::size_t digitsStart = pos;
    int value = 0;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])) != 0 &&
           pos - digitsStart < 4) {
        value = value * 10 + (text[pos] - '0');
        ++pos;
    }
    if (pos == digitsStart) {
        return -1;
    }
    if (parenthesised) {
        return (pos < text.size() && text[pos] == ')') ? value : -1;
    }
    // A bare number must be the whole text ("17"), not the start of a name ("2Step").
    return pos == text.size() ? value : -1;
}

std::string GenreTable::NameForText(std::string_view text) {
    const int number = NumericReference(text);
    if (number >= 0) {
        return std::string(Name(number));
    }
    return std::string(text);
}
