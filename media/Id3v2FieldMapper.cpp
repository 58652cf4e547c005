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

struct FieldEntry {
    std::string Id3v2Fields::*member;
    unsigned bit;
    std::string_view id22;
    std::string_view id23;
    std::size_t capacity;
    Kind kind;
};

// In the order the frames are replaced when writing; the track comes last.
constexpr std::size_t kCap = Id3v2Fields::kTextCapacity;
const std::array<FieldEntry, 12> kFields = {{
    {&Id3v2Fields::title, Id3v2Fields::kTitle, "TT2", "TIT2", kCap, Kind::kText},
    {&Id3v2Fields::artist, Id3v2Fields::kArtist, "TP1", "TPE1", kCap, Kind::kText},
    {&Id3v2Fields::album, Id3v2Fields::kAlbum, "TAL", "TALB", kCap, Kind::kText},
    {&Id3v2Fields::year, Id3v2Fields::kYear, "TYE", "TYER", Id3v2Fields::kYearCapacity,
     Kind::kYear},
    {&Id3v2Fields::comment, Id3v2Fields::kComment, "COM", "COMM", kCap, Kind::kComment},
    {&Id3v2Fields::genre, Id3v2Fields::kGenre, "TCO", "TCON", Id3v2Fields::kGenreCapacity,
     Kind::kText},
    {&Id3v2Fields::copyright, Id3v2Fields::kCopyright, "TCR", "TCOP", kCap, Kind::kText},
    {&Id3v2Fields::originalArtist, Id3v2Fields::kOriginalArtist, "TOA", "TOPE", kCap, Kind::kText},
    {&Id3v2Fields::url, Id3v2Fields::kUrl, "WXX", "WXXX", kCap, Kind::kLink},
    {&Id3v2Fields::encodedBy, Id3v2Fields::kEncodedBy, "TEN", "TENC", kCap, Kind::kText},
    {&Id3v2Fields::composer, Id3v2Fields::kComposer, "TCM", "TCOM", kCap, Kind::kText},
    {&Id3v2Fields::track, Id3v2Fields::kTrack, "TRK", "TRCK", Id3v2Fields::kTrackCapacity,
     Kind::kTrack},
}};

constexpr std::string_view kDateId24 = "TDRC";
constexpr std::size_t kFrameHeaderLength = 10;
constexpr std::int64_t kGrowthReserve = 1034; // 1024 bytes of padding + one frame header

std::string_view IdFor(const FieldEntry& entry, int version) {
    return version == 2 ? entry.id22 : entry.id23;
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

std::string ValueOf(const Id3v2Tag& tag, const FieldEntry& entry) {
    const std::string_view id = IdFor(entry, tag.Version());
    switch (entry.kind) {
    case Kind::kComment:
        return CommentOf(tag, id);
    case Kind::kLink:
        return LinkOf(tag, id);
    case Kind::kYear: {
        // The version's own frame first, the other one as found in tags of careless writers.
        const bool dateFirst = tag.Version() == 4;
        std::string year = TextOf(tag, dateFirst ? kDateId24 : id);
        if (year.empty() && tag.Version() != 2) {
            year = TextOf(tag, dateFirst ? id : kDateId24);
        }
        return year;
    }
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
// clamped to the int range; written with a leading zero below 10. A total after the
// number ("3/12") is kept as it stands.
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
    const std::string_view total = i < track.size() && track[i] == '/' ? track.substr(i) : "";
    return buffer + std::string(total);
}

bool IsEmptyDescriptionComment(const Id3v2Frame& frame, int version) {
    const auto content = Id3v2FrameCodec::Content(frame, version);
    const auto comment = content ? Id3v2FrameCodec::DecodeComment(*content) : std::nullopt;
    return comment && comment->description.empty();
}

std::vector<std::uint8_t> BuildData(const FieldEntry& entry, std::string_view value, int version) {
    switch (entry.kind) {
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

void ReplaceFrame(Id3v2Tag& tag, const FieldEntry& entry, std::string_view value) {
    const int version = tag.Version();
    const std::string_view id =
        entry.kind == Kind::kYear && version == 4 ? kDateId24 : IdFor(entry, version);
    std::int64_t body = tag.BodySize();
    std::int64_t padding = tag.Padding();
    auto& frames = tag.Frames();
    // Every frame the field replaces goes, not just the first: a duplicate left behind
    // would be read back instead of the new value.
    for (auto it = frames.begin(); it != frames.end();) {
        if (it->id == id &&
            (entry.kind != Kind::kComment || IsEmptyDescriptionComment(*it, version))) {
            padding += static_cast<std::int64_t>(kFrameHeaderLength + it->data.size());
            it = frames.erase(it);
        } else {
            ++it;
        }
    }
    Id3v2Frame frame;
    frame.id = std::string(id);
    frame.data = BuildData(entry, value, version);
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

// Whether the frame holds the value of the field: for comments only those without a
// description, which are the ones written and read first.
bool HoldsField(const Id3v2Frame& frame, const FieldEntry& entry, std::string_view id,
                int version) {
    return frame.id == id &&
           (entry.kind != Kind::kComment || IsEmptyDescriptionComment(frame, version));
}

// Puts one changed field into the tag: the first frame holding it gets the new data in
// its place and any further ones go; an empty value removes them all. Frames of other
// fields keep their place and bytes.
void ChangeFrame(Id3v2Tag& tag, const FieldEntry& entry, std::string_view value) {
    const int version = tag.Version();
    const std::string_view id =
        entry.kind == Kind::kYear && version == 4 ? kDateId24 : IdFor(entry, version);
    // A cleared year also goes from the other version's frame, which would be read back.
    const std::string_view otherYear =
        entry.kind == Kind::kYear && value.empty() ? (version == 4 ? entry.id23 : kDateId24) : "";
    std::int64_t body = tag.BodySize();
    std::int64_t padding = tag.Padding();
    auto& frames = tag.Frames();
    auto place = frames.end();
    for (auto it = frames.begin(); it != frames.end();) {
        const bool holds =
            HoldsField(*it, entry, id, version) || (!otherYear.empty() && it->id == otherYear);
        if (holds && place == frames.end() && !value.empty()) {
            place = it++;
            continue;
        }
        if (holds) {
            padding += static_cast<std::int64_t>(kFrameHeaderLength + it->data.size());
            it = frames.erase(it);
            // Erasing behind the kept frame leaves its iterator good.
        } else {
            ++it;
        }
    }
    if (value.empty()) {
        tag.SetSpace(body, padding);
        return;
    }
    std::vector<std::uint8_t> data = BuildData(entry, value, version);
    std::int64_t needed = static_cast<std::int64_t>(data.size());
    if (place != frames.end()) {
        needed -= static_cast<std::int64_t>(place->data.size());
    } else {
        needed += static_cast<std::int64_t>(kFrameHeaderLength);
    }
    if (padding - needed < 1 && needed > 0) {
        const auto growth = static_cast<std::int64_t>(data.size()) + kGrowthReserve;
        body += growth;
        padding += growth;
    }
    padding -= needed;
    if (place != frames.end()) {
        place->formatFlags = 0; // the new data is plain: not compressed, encrypted or grouped
        place->data = std::move(data);
    } else {
        Id3v2Frame frame;
        frame.id = std::string(id);
        frame.data = std::move(data);
        frames.push_back(std::move(frame));
    }
    tag.SetSpace(body, padding);
}

} // namespace

void ExtractFields(const Id3v2Tag& tag, Id3v2Fields& fields) {
    for (const FieldEntry& entry : kFields) {
        const std::string text = RemoveCrBeforeLf(ValueOf(tag, entry));
        fields.*entry.member = TextCodec::TruncateCharacters(text, entry.capacity);
    }
}

void ApplyFields(const Id3v2Fields& fields, Id3v2Tag& tag) {
    for (const FieldEntry& entry : kFields) {
        const std::string text =
            TextCodec::TruncateCharacters(fields.*entry.member, entry.capacity);
        ReplaceFrame(tag, entry, entry.kind == Kind::kTrack ? text : InsertCrBeforeLf(text));
    }
}

void ApplyChangedFields(const Id3v2Fields& fields, unsigned which, Id3v2Tag& tag) {
    for (const FieldEntry& entry : kFields) {
        if ((which & entry.bit) == 0) {
            continue;
        }
        const std::string text =
            TextCodec::TruncateCharacters(fields.*entry.member, entry.capacity);
        ChangeFrame(tag, entry, entry.kind == Kind::kTrack ? text : InsertCrBeforeLf(text));
    }
}

bool ChangesAny(const Id3v2Tag& tag, const Id3v2Fields& fields, unsigned which) {
    Id3v2Fields present;
    ExtractFields(tag, present);
    for (const FieldEntry& entry : kFields) {
        if ((which & entry.bit) != 0 &&
            TextCodec::TruncateCharacters(fields.*entry.member, entry.capacity) !=
                present.*entry.member) {
            return true;
        }
    }
    return false;
}

} // namespace Id3v2FieldMapper
