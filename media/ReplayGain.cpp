#include "ReplayGain.h"

#include "Id3v2FrameCodec.h"
#include "Id3v2Tag.h"
#include "PosixFile.h"
#include "TagLibFile.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

namespace ReplayGain {

namespace {

constexpr const char* kTrackGain = "REPLAYGAIN_TRACK_GAIN";
// A tag larger than this is not read for its gain (covers of a few MiB are common).
constexpr std::int64_t kLargestTag = 16 * 1024 * 1024;

// User text frame: encoding(1) description terminator value. The description and the
// value are both in the frame's encoding; the terminator is one zero byte (encodings 0
// and 3) or two at an even offset from the text's start (1 and 2).
std::optional<std::pair<std::string, std::string>>
DecodeUserText(std::span<const std::uint8_t> content) {
    if (content.empty()) {
        return std::nullopt;
    }
    const std::uint8_t encoding = content[0];
    const std::span<const std::uint8_t> text = content.subspan(1);
    const bool wide = encoding == 1 || encoding == 2;
    std::size_t end = text.size();
    std::size_t skip = 0;
    for (std::size_t i = 0; wide ? i + 1 < text.size() : i < text.size(); i += wide ? 2 : 1) {
        if (text[i] == 0 && (!wide || text[i + 1] == 0)) {
            end = i;
            skip = wide ? 2 : 1;
            break;
        }
    }
    if (skip == 0) {
        return std::nullopt;
    }
    const auto decode = [encoding](std::span<const std::uint8_t> bytes) {
        std::vector<std::uint8_t> frame;
        frame.reserve(bytes.size() + 1);
        frame.push_back(encoding);
        frame.insert(frame.end(), bytes.begin(), bytes.end());
        return Id3v2FrameCodec::DecodeTextFrame(frame);
    };
    auto description = decode(text.first(end));
    auto value = decode(text.subspan(end + skip));
    if (!description || !value) {
        return std::nullopt;
    }
    return std::pair{*description, *value};
}

bool SameName(const std::string& a, const char* b) {
    const std::string other(b);
    return a.size() == other.size() &&
           std::equal(a.begin(), a.end(), other.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

} // namespace

std::optional<double> ParseGainText(const std::string& text) {
    const char* start = text.c_str();
    while (std::isspace(static_cast<unsigned char>(*start))) {
        ++start;
    }
    char* end = nullptr;
    const double value = std::strtod(start, &end);
    if (end == start || !std::isfinite(value)) {
        return std::nullopt;
    }
    std::string rest(end);
    rest.erase(std::remove_if(rest.begin(), rest.end(),
                              [](unsigned char c) { return std::isspace(c) != 0; }),
               rest.end());
    if (!rest.empty() && !SameName(rest, "dB")) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> TrackGainDbFromId3v2(std::span<const std::uint8_t> tagBytes) {
    try {
        Id3v2Tag tag;
        tag.Parse(tagBytes); // frames before a damaged one still count
        for (const Id3v2Frame& frame : tag.Frames()) {
            if (frame.id != "TXXX" && frame.id != "TXX") {
                continue;
            }
            const auto content = Id3v2FrameCodec::Content(frame, tag.Version());
            if (!content) {
                continue;
            }
            const auto pair = DecodeUserText(*content);
            if (pair && SameName(pair->first, kTrackGain)) {
                return ParseGainText(pair->second);
            }
        }
    } catch (const std::bad_alloc&) {
    }
    return std::nullopt;
}

std::optional<double> TrackGainDbOf(const std::string& path) {
    // FLAC, Ogg, Opus, M4A and the rest keep the gain in their own tags; a WAV file may
    // carry it in RIFF INFO or in an ID3v2 chunk, so it tries both.
    if (TagLibFile::KnowsExtension(path)) {
        if (std::optional<double> gain = TagLibFile::TrackGainDb(path);
            gain || TagLibFile::OwnsExtension(path)) {
            return gain;
        }
    }
    PosixFile file;
    std::uint8_t header[Id3v2Tag::kHeaderLength];
    if (!file.OpenRead(path) ||
        file.ReadAt(0, header) != static_cast<std::int64_t>(sizeof header)) {
        return std::nullopt;
    }
    const std::size_t length = Id3v2Tag::LengthAt(header);
    if (length == 0 || static_cast<std::int64_t>(length) > kLargestTag) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(length);
    const std::int64_t read = file.ReadAt(0, bytes);
    if (read <= 0) {
        return std::nullopt;
    }
    bytes.resize(static_cast<std::size_t>(read));
    return TrackGainDbFromId3v2(bytes);
}

} // namespace ReplayGain
