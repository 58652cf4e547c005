#include "Id3v2FieldMapper.h"

#include "Id3v2FrameCodec.h"
#include "TextCodec.h"

#include <array>
#include <climits>
#include <cstdio>
#include <optional>
#include <string_view>

namespace Id3v2FieldMapper {
namespace {

enum class Kind { kText, kComment, kLink, kYear, kTrack };

struct FieldSpec {
    std::string Id3v2Fields::*member;
    std::string_view id22;
    std::string_view id23;
    std::size_t capacity;
    Kind kind;
};

// In the order the frames are replaced when writing; the track comes last.
constexpr std::size_t kCap = Id3v2Fields::kTextCapacity;
const std::array<FieldSpec, 12> kFields = {{
    {&Id3v2Fields::title, "TT2", "TIT2", kCap, Kind::kText},
    {&Id3v2Fields::artist, "TP1", "TPE1", kCap, Kind::kText},
    {&Id3v2Fields::album, "TAL", "TALB", kCap, Kind::kText},
    {&Id3v2Fields::year, "TYE", "TYER", Id3v2Fields::kYearCapacity, Kind::kYear},
    {&Id3v2Fields::comment, "COM", "COMM", kCap, Kind::kComment},
    {&Id3v2Fields::genre, "TCO", "TCON", Id3v2Fields::kGenreCapacity, Kind::kText},
    {&Id3v2Fields::copyright, "TCR", "TCOP", kCap, Kind::kText},
    {&Id3v2Fields::originalArtist, "TOA", "TOPE", kCap, Kind::kText},
    {&Id3v2Fields::url, "WXX", "WXXX", kCap, Kind::kLink},
    {&Id3v2Fields::encodedBy, "TEN", "TENC", kCap, Kind::kText},
    {&Id3v2Fields::composer, "TCM", "TCOM", kCap, Kind::kText},
    {&Id3v2Fields::track, "TRK", "TRCK", Id3v2Fields::kTrackCapacity, Kind::kTrack},
}};

constexpr std::string_view kDateId24 = "TDRC";
constexpr std::size_t kFrameHeaderLength = 10;
constexpr std::int64_t kGrowthReserve = 1034; // 1024 bytes of padding + one frame header

std::string_view IdFor(const FieldSpec& spec, int version) {
    return version == 2 ? spec.id22 : spec.id23;
}

// The value of the first decodable frame with that identifier.
template <typename Decode>
auto FindValue(const Id3v2Tag& tag, std::string_view id, Decode decode)
    -> decltype(decode(std::span<const std::uint8_t>())) {
    for (const Id3v2Frame& frame : tag.Frames()) {
        if (frame.id != id) {
            continue;
        }
        const auto content = Id3v2FrameCodec::Content(frame, tag.Version());
        if (content) {
            return decode(*content);
        }
    }
    return std::nullopt;
}

std::string TextOf(const Id3v2Tag& tag, std::string_view id) {
    return FindValue(tag, id, Id3v2FrameCodec::DecodeTextFrame).value_or("");
}

std::string CommentOf(const Id3v2Tag& tag, std::string_view id) {
    std::optional<std::string> first;
    for (const Id3v2Frame& frame : tag.Frames()) {
        const auto content =
            frame.id == id ? Id3v2FrameCodec::Content(frame, tag.Version()) : std::nullopt;
        const auto comment = content ? Id3v2FrameCodec::DecodeComment(*content) : std::nullopt;
        if (!comment) {
            continue;
        }
        if (comment->description.empty()) {
            return comment->text;
        }
        if (!first) {
            first = comment->text;
        }
    }
    return first.value_or("");
}

std::string LinkOf(const Id3v2Tag& tag, std::string_view id) {
    const auto link = FindValue(tag, id, Id3v2FrameCodec::DecodeLink);
    return link ? link->url : std::string();
}

std::string ValueOf(const Id3v2Tag& tag, const FieldSpec& spec) {
    const std::string_view id = IdFor(spec, tag.Version());
    switch (spec.kind) {
    case Kind::kComment:
        return CommentOf(tag, id);
    case Kind::kLink:
        return LinkOf(tag, id);
    case Kind::kYear:
        if (tag.Version() == 4) {
            std::string date = TextOf(tag, kDateId24);
            if (!date.empty()) {
                return date;
            }
        }
        return TextOf(tag, id);
    default:
        return TextOf(tag, id);
    }
}

std::string RemoveCrBeforeLf(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        out.push_back(text[i]);
    }
    return out;
}

std::string InsertCrBeforeLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (const char c : text) {
        if (c == '\n') {
            out.push_back('\r');
        }
        out.push_back(c);
    }
    return out;
}

// The track text taken as a number the way atoi does (leading blanks, a sign, digits),
// clamped to the int range; written with a leading zero below 10.
std::string TrackText(std::string_view track) {
    std::size_t i = 0;
    while (i < track.size() && (track[i] == ' ' || (track[i] >= '\t' && track[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < track.size() && (track[i] == '+' || track[i] == '-')) {
        negative = track[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < track.size() && track[i] >= '0' && track[i] <= '9'; ++i) {
        value = std::min<long long>(value * 10 + (track[i] - '0'), 1LL + INT_MAX);
    }
    value = negative ? std::max<long long>(-value, INT_MIN) : std::min<long long>(value, INT_MAX);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, value < 10 ? "0%lld" : "%lld", value);
    return buffer;
}

bool IsEmptyDescriptionComment(const Id3v2Frame& frame, int version) {
    const auto content = Id3v2FrameCodec::Content(frame, version);
    const auto comment = content ? Id3v2FrameCodec::DecodeComment(*content) : std::nullopt;
    return comment && comment->description.empty();
}

std::vector<std::uint8_t> BuildData(const FieldSpec& spec, std::string_view value, int version) {
    switch (spec.kind) {
    case Kind::kComment:
        return Id3v2FrameCodec::BuildComment(value, version);
    case Kind::kLink:
        return Id3v2FrameCodec::BuildLink(value);
    case Kind::kTrack:
        return Id3v2FrameCodec::BuildTextFrame(TrackText(value), version);
    default:
        return Id3v2FrameCodec::BuildTextFrame(value, version);
    }
}

void ReplaceFrame(Id3v2Tag& tag, const FieldSpec& spec, std::string_view value) {
    const int version = tag.Version();
    const std::string_view id =
        spec.kind == Kind::kYear && version == 4 ? kDateId24 : IdFor(spec, version);
    std::int64_t body = tag.BodySize();
    std::int64_t padding = tag.Padding();
    auto& frames = tag.Frames();
    for (auto it = frames.begin(); it != frames.end(); ++it) {
        if (it->id == id && (spec.kind != Kind::kComment || IsEmptyDescriptionComment(*it, version))) {
            padding += static_cast<std::int64_t>(kFrameHeaderLength + it->data.size());
            frames.erase(it);
            break;
        }
    }
    Id3v2Frame frame;
    frame.id = std::string(id);
    frame.data = BuildData(spec, value, version);
    const auto needed = static_cast<std::int64_t>(kFrameHeaderLength + frame.data.size());
    if (padding - needed < 1) {
        const auto growth = static_cast<std::int64_t>(frame.data.size()) + kGrowthReserve;
        body += growth;
        padding += growth;
    }
    padding -= needed;
    frames.push_back(std::move(frame));
    tag.SetSpace(body, padding);
}

} // namespace

void ExtractFields(const Id3v2Tag& tag, Id3v2Fields& fields) {
    for (const FieldSpec& spec : kFields) {
        const std::string text = RemoveCrBeforeLf(ValueOf(tag, spec));
        fields.*spec.member = TextCodec::TruncateCharacters(text, spec.capacity);
    }
}

void ApplyFields(const Id3v2Fields& fields, Id3v2Tag& tag) {
    for (const FieldSpec& spec : kFields) {
        const std::string text = TextCodec::TruncateCharacters(fields.*spec.member, spec.capacity);
        ReplaceFrame(tag, spec, spec.kind == Kind::kTrack ? text : InsertCrBeforeLf(text));
    }
}

} // namespace Id3v2FieldMapper
