#include "Id3v2FrameCodec.h"

#include "TextCodec.h"

namespace Id3v2FrameCodec {
namespace {

enum Encoding : std::uint8_t { kLatin1 = 0, kUtf16Bom = 1, kUtf16Be = 2, kUtf8 = 3 };

struct DecodedText {
    std::string text;
    std::size_t consumed = 0; // bytes used, terminator included
    bool terminated = false;
};

bool IsWide(std::uint8_t encoding) {
    return encoding == kUtf16Bom || encoding == kUtf16Be;
}

// Offset of the encoding's terminator in bytes, or bytes.size() when there is none.
std::size_t FindTerminator(std::uint8_t encoding, std::span<const std::uint8_t> bytes) {
    if (!IsWide(encoding)) {
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == 0) {
                return i;
            }
        }
        return bytes.size();
    }
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        if (bytes[i] == 0 && bytes[i + 1] == 0) {
            return i;
        }
    }
    return bytes.size();
}

std::string DecodeUtf16(std::span<const std::uint8_t> bytes, bool bigEndian, bool honourBom) {
    if (honourBom && bytes.size() >= 2) {
        if (bytes[0] == 0xFF && bytes[1] == 0xFE) {
            return TextCodec::Utf16ToUtf8(bytes.subspan(2), false);
        }
        if (bytes[0] == 0xFE && bytes[1] == 0xFF) {
            return TextCodec::Utf16ToUtf8(bytes.subspan(2), true);
        }
    }
    return TextCodec::Utf16ToUtf8(bytes, bigEndian);
}

std::string DecodeBytes(std::uint8_t encoding, std::span<const std::uint8_t> bytes) {
    const std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    switch (encoding) {
    case kUtf16Bom:
        return DecodeUtf16(bytes, false, true); // little-endian when the mark is missing
    case kUtf16Be:
        return DecodeUtf16(bytes, true, false);
    case kUtf8:
        // Mislabelled 8-bit text is taken as ISO-8859-1 rather than shown broken.
        return TextCodec::IsValidUtf8(raw) ? std::string(raw) : TextCodec::Latin1ToUtf8(raw);
    default:
        return TextCodec::Latin1ToUtf8(raw);
    }
}

DecodedText DecodeText(std::uint8_t encoding, std::span<const std::uint8_t> bytes) {
    DecodedText out;
    const std::size_t end = FindTerminator(encoding, bytes);
    out.text = DecodeBytes(encoding, bytes.first(end));
    out.terminated = end < bytes.size();
    out.consumed = out.terminated ? end + (IsWide(encoding) ? 2 : 1) : bytes.size();
    return out;
}

bool KnownEncoding(std::uint8_t encoding) {
    return encoding <= kUtf8;
}

std::uint8_t ChooseEncoding(std::string_view text, int version) {
    if (TextCodec::FitsLatin1(text)) {
        return kLatin1;
    }
    return version == 4 ? kUtf8 : kUtf16Bom;
}

void AppendEncoded(std::vector<std::uint8_t>& out, std::uint8_t encoding, std::string_view text) {
    std::string bytes;
    if (encoding == kLatin1) {
        bytes = TextCodec::Utf8ToLatin1(text);
    } else if (encoding == kUtf16Bom) {
        bytes = "\xFF\xFE" + TextCodec::Utf8ToUtf16(text, false);
    } else {
        bytes = std::string(text);
    }
    out.insert(out.end(), bytes.begin(), bytes.end());
}

void AppendTerminator(std::vector<std::uint8_t>& out, std::uint8_t encoding) {
    out.push_back(0);
    if (IsWide(encoding)) {
        out.push_back(0);
    }
}

// The description at the start of bytes and what follows it.
struct Described {
    std::string description;
    std::span<const std::uint8_t> rest;
};

Described SplitDescription(std::uint8_t encoding, std::span<const std::uint8_t> bytes) {
    const DecodedText description = DecodeText(encoding, bytes);
    if (!description.terminated) {
        return {std::string(), bytes};
    }
    return {description.text, bytes.subspan(description.consumed)};
}

} // namespace

bool IsOpaque(const Id3v2Frame& frame, int version) {
    if (version == 3) {
        return (frame.formatFlags & 0xC0) != 0;
    }
    if (version == 4) {
        return (frame.formatFlags & 0x0C) != 0;
    }
    return false;
}

std::optional<std::span<const std::uint8_t>> Content(const Id3v2Frame& frame, int version) {
    if (IsOpaque(frame, version)) {
        return std::nullopt;
    }
    std::size_t skip = 0;
    if (version == 3 && (frame.formatFlags & 0x20) != 0) {
        skip = 1; // group identifier
    } else if (version == 4) {
        skip =
            ((frame.formatFlags & 0x40) != 0 ? 1 : 0) + ((frame.formatFlags & 0x01) != 0 ? 4 : 0);
    }
    if (frame.data.size() < skip) {
        return std::nullopt;
    }
    return std::span<const std::uint8_t>(frame.data).subspan(skip);
}

std::optional<std::string> DecodeTextFrame(std::span<const std::uint8_t> content) {
    if (content.empty()) {
        return std::string();
    }
    if (!KnownEncoding(content[0])) {
        return std::nullopt;
    }
    return DecodeText(content[0], content.subspan(1)).text;
}

std::optional<Comment> DecodeComment(std::span<const std::uint8_t> content) {
    if (content.size() < 4 || !KnownEncoding(content[0])) {
        return std::nullopt;
    }
    const std::uint8_t encoding = content[0];
    const Described split = SplitDescription(encoding, content.subspan(4));
    return Comment{split.description, DecodeText(encoding, split.rest).text};
}

std::optional<Link> DecodeLink(std::span<const std::uint8_t> content) {
    if (content.empty() || !KnownEncoding(content[0])) {
        return std::nullopt;
    }
    const Described split = SplitDescription(content[0], content.subspan(1));
    return Link{split.description, DecodeText(kLatin1, split.rest).text};
}

std::vector<std::uint8_t> BuildTextFrame(std::string_view text, int version) {
    const std::uint8_t encoding = ChooseEncoding(text, version);
    std::vector<std::uint8_t> out{encoding};
    AppendEncoded(out, encoding, text);
    return out;
}

std::vector<std::uint8_t> BuildComment(std::string_view text, int version) {
    const std::uint8_t encoding = ChooseEncoding(text, version);
    std::vector<std::uint8_t> out{encoding, 'e', 'n', 'g'};
    AppendTerminator(out, encoding); // empty description
    AppendEncoded(out, encoding, text);
    return out;
}

std::vector<std::uint8_t> BuildLink(std::string_view url) {
    std::vector<std::uint8_t> out{kLatin1};
    AppendTerminator(out, kLatin1); // empty description
    AppendEncoded(out, kLatin1, url);
    return out;
}

} // namespace Id3v2FrameCodec
