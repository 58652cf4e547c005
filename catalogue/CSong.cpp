#include "CSong.h"

#include "CArchiveReader.h"
#include "CArchiveWriter.h"
#include "CFileFacts.h"
#include "CSongTagCache.h"
#include "CTextCase.h"
#include "CTitleTemplate.h"
#include "media/GenreTable.h"
#include "media/Id3v1Tag.h"
#include "media/Id3v2Fields.h"
#include "media/Id3v2File.h"
#include "media/SongFileReader.h"
#include "media/TagLibFile.h"
#include "media/TextCodec.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <mutex>

namespace {

// The process-wide identity counter and its lock.
std::mutex g_idMutex;
long long g_nLastId = 0;

// ID3v1 block offsets.
constexpr std::size_t kTitleAt = 3;
constexpr std::size_t kArtistAt = 33;
constexpr std::size_t kAlbumAt = 63;
constexpr std::size_t kYearAt = 93;
constexpr std::size_t kCommentAt = 97;
constexpr std::size_t kZeroAt = 125;
constexpr std::size_t kTrackAt = 126;
constexpr std::size_t kGenreAt = 127;
constexpr std::size_t kFieldLength = 30;
constexpr std::size_t kYearLength = 4;

// The track text as a number the way atoi reads it ("3/12" gives 3); 0 when it does not
// fit the one byte of the block.
std::uint8_t TrackNumber(std::string_view text) {
    const std::size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string_view::npos) {
        return 0;
    }
    text.remove_prefix(start);
    if (!text.empty() && text[0] == '+') {
        text.remove_prefix(1);
    }
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data() || value < 0 || value > 255) {
        return 0;
    }
    return static_cast<std::uint8_t>(value);
}

// Empty: no genre; "(17)" or "17": that number; otherwise the table name it begins.
std::uint8_t GenreNumber(std::string_view genre) {
    if (genre.empty()) {
        return GenreTable::kNone;
    }
    const int reference = GenreTable::NumericReference(genre);
    if (reference >= 0) {
        return reference <= 255 ? static_cast<std::uint8_t>(reference) : GenreTable::kNone;
    }
    return GenreTable::IndexByPrefix(genre);
}

} // namespace

CSong::CSong() {
    NewId();
}

bool CSong::NewId() {
    long long id = 0;
    {
        std::lock_guard<std::mutex> lock(g_idMutex);
        id = ++g_nLastId;
    }
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof(buffer), id);
    m_strId.assign(buffer, result.ptr);
    return true;
}

void CSong::Assign(const CSong& source, bool withId) {
    if (this == &source) {
        return;
    }
    m_strTitle = source.m_strTitle;
    m_strPath = source.m_strPath;
    m_dtStart = source.m_dtStart;
    m_nSize = source.m_nSize;
    m_dtFile = source.m_dtFile;
    m_bRegion = source.m_bRegion;
    m_crBack = source.m_crBack;
    m_crText = source.m_crText;
    m_nReserved1 = source.m_nReserved1;
    m_nReserved2 = source.m_nReserved2;
    m_nSampleRate = source.m_nSampleRate;
    m_nChannelMode = source.m_nChannelMode;
    m_nBitrate = source.m_nBitrate;
    m_bInfo = source.m_bInfo;
    m_tag = source.m_tag;
    if (withId) {
        m_strId = source.m_strId;
    }
}

bool CSong::SetPath(const std::string& path, std::string_view titleTemplate, bool useTemplate) {
    UpdatePath(path, useTemplate ? titleTemplate : std::string_view("%1"), true, nullptr);
    return true;
}

void CSong::UpdatePath(const std::string& path, std::string_view titleTemplate, bool readTag,
                       const Id3v2Fields* fields, const CFileFacts* known) {
    CFileFacts facts;
    if (known != nullptr) {
        facts = *known;
    }
    if (known != nullptr || facts.Read(path)) {
        // The audio size of a processed song is not replaced by the file size.
        if (!HasAudioFacts()) {
            m_nSize = facts.GetSize32();
        }
        m_dtFile = facts.GetCreated();
        // Runs before the path is stored: "%6" gives the path the record had so far.
        m_strTitle =
            readTag ? MakeTitle(path, titleTemplate) : MakeTitleWith(path, titleTemplate, fields);
    } else {
        m_nSize = 0;
    }
    m_strPath = path;
    if (m_bRegion == 0) {
        m_dtStart = CDateTime::Null();
    }
}

void CSong::SetInfo(std::uint32_t size, std::int32_t bitrate, std::int32_t sampleRate,
                    std::int32_t channelMode) {
    m_nSize = size;
    m_nBitrate = bitrate;
    m_nSampleRate = sampleRate;
    m_nChannelMode = channelMode;
}

bool CSong::SetMark(std::int32_t mark) {
    if (m_nMark == mark) {
        return false;
    }
    m_nMark = mark;
    return true;
}

void CSong::SetTag(std::span<const std::uint8_t, kTagSize> block) {
    std::copy(block.begin(), block.end(), m_tag.begin());
}

void CSong::SetTag(std::nullptr_t) {
    m_tag.fill(0);
}

void CSong::SetReserved(std::int32_t first, std::int32_t second) {
    m_nReserved1 = first;
    m_nReserved2 = second;
}

void CSong::SetTagFromFrames(const Id3v2Fields& fields) {
    m_tag = TagBlockFromFields(fields);
}

CSong::TagBlock CSong::TagBlockFromFields(const Id3v2Fields& fields) {
    TagBlock block{};
    block[0] = 'T';
    block[1] = 'A';
    block[2] = 'G';
    const auto put = [&block](std::size_t offset, std::string_view utf8, std::size_t length) {
        const std::string latin1 = TextCodec::Utf8ToLatin1(utf8);
        std::copy_n(latin1.begin(), std::min(length, latin1.size()), block.begin() + offset);
    };
    put(kTitleAt, fields.title, kFieldLength);
    put(kArtistAt, fields.artist, kFieldLength);
    put(kAlbumAt, fields.album, kFieldLength);
    put(kYearAt, fields.year, kYearLength);
    put(kCommentAt, fields.comment, kFieldLength);
    block[kZeroAt] = 0;
    block[kTrackAt] = TrackNumber(fields.track);
    block[kGenreAt] = GenreNumber(fields.genre);
    return block;
}

void CSong::ProcessFromTagLib(const SongFileFacts& facts) {
    const TagLibFacts& t = facts.tagLib;
    if (t.result != TagLibFacts::kRead || t.durationMs <= 0) {
        SetInfo(0, 0, 0, 0);
    } else {
        // The record knows a duration only as size / (bit rate / 8): the size is made
        // the audio bytes that bit rate gives over the playing time.
        std::int64_t bitsPerSecond = static_cast<std::int64_t>(t.bitrateKbps) * 1000;
        if (bitsPerSecond < 8) {
            bitsPerSecond = facts.fileSize * 8000 / t.durationMs;
        }
        bitsPerSecond = std::clamp<std::int64_t>(bitsPerSecond, 8, 0x7FFFFFFF) / 8 * 8;
        const std::int64_t size =
            std::clamp<std::int64_t>(t.durationMs * (bitsPerSecond / 8) / 1000, 0, 0xFFFFFFFF);
        SetInfo(static_cast<std::uint32_t>(size), static_cast<std::int32_t>(bitsPerSecond),
                t.sampleRate, t.channels == 1 ? 3 : 0);
    }
    SetTag(nullptr);
    CSongTagCache::Shared().Store(m_strPath, t.hasTag ? TagBlockFromFields(t.fields) : TagBlock{});
}

void CSong::ProcessFromFacts(const SongFileFacts& facts, std::string_view titleTemplate) {
    if (facts.fromTagLib) {
        ProcessFromTagLib(facts);
    } else if (facts.mpegResult == MpegFileInfo::kRead) {
        const std::int64_t audio = std::clamp<std::int64_t>(facts.info.AudioSize(), 0, 0xFFFFFFFF);
        SetInfo(static_cast<std::uint32_t>(audio), facts.info.BitRate() * 1000,
                facts.info.SamplingRate(), facts.info.ChannelMode());
        if (!facts.info.CopyRawTag(m_tag)) {
            SetTag(nullptr);
        }
    } else {
        SetInfo(0, 0, 0, 0);
    }
    m_bInfo = 1;
    const std::string path = m_strPath;
    // The file was just read: its size and creation time came with it.
    CFileFacts fileFacts;
    if (facts.hasFileFacts) {
        fileFacts.Set(static_cast<std::uint64_t>(facts.fileSize), facts.createdSeconds);
    }
    const Id3v2Fields* fields = nullptr;
    if (facts.fromTagLib) {
        fields = facts.tagLib.hasTag ? &facts.tagLib.fields : nullptr;
    } else if (facts.id3v2Result == Id3v2::kRead) {
        fields = &facts.fields;
    }
    UpdatePath(path, titleTemplate, false, fields, facts.hasFileFacts ? &fileFacts : nullptr);
    if (facts.fromTagLib) {
        SetTag(nullptr); // the title template filled it from the file's own tags
    }
}

std::uint32_t CSong::GetDuration() const {
    if (m_bInfo != 1 || m_nBitrate < 8) {
        return 0;
    }
    return m_nSize / static_cast<std::uint32_t>(m_nBitrate / 8);
}

std::string CSong::GetDurationText() const {
    if (m_bInfo != 1 || m_nBitrate == 0) {
        return {};
    }
    const std::uint32_t seconds = GetDuration();
    char buffer[32];
    std::snprintf(buffer, sizeof(buffer), "%u:%02u", seconds / 60, seconds % 60);
    return buffer;
}

std::string CSong::GetFormatText() const {
    if (m_bInfo != 1) {
        return {};
    }
    char buffer[32];
    if (const char* lossless = TagLibFile::LosslessName(m_strPath, m_nBitrate)) {
        std::snprintf(buffer, sizeof(buffer), "%s %d", lossless, m_nSampleRate / 1000);
        return buffer;
    }
    std::snprintf(buffer, sizeof(buffer), "%d - %d", m_nBitrate / 1000, m_nSampleRate / 1000);
    return buffer;
}

std::string CSong::GetTitleWithDate(bool withDate) const {
    if (!withDate || m_bRegion == 0 || m_dtStart.IsNull()) {
        return m_strTitle;
    }
    // A start time that has no calendar form (status invalid) adds nothing.
    const std::string date = m_dtStart.Format();
    return date.empty() ? m_strTitle : m_strTitle + " " + date;
}

std::string CSong::GetFileName(bool withoutExtension) const {
    if (m_bRegion != 0) {
        return m_strTitle;
    }
    std::string_view path = m_strPath;
    if (withoutExtension) {
        // The last "." of the whole path, even when it lies in a folder name.
        path = path.substr(0, path.rfind('.'));
    }
    return CTitleTemplate::FileName(path);
}

std::string CSong::MakeTitle(const std::string& path, std::string_view titleTemplate) {
    if (CTitleTemplate::Classify(titleTemplate) != CTitleTemplate::kTags) {
        return MakeTitleWith(path, titleTemplate, nullptr);
    }
    if (TagLibFile::OwnsExtension(path)) {
        const TagLibFacts facts = TagLibFile::Read(path);
        std::string title =
            MakeTitleWith(path, titleTemplate, facts.hasTag ? &facts.fields : nullptr);
        SetTag(nullptr);
        return title;
    }
    Id3v2Fields fields;
    const bool read = Id3v2::ReadTag(path, fields) == Id3v2::kRead;
    return MakeTitleWith(path, titleTemplate, read ? &fields : nullptr);
}

// The title of the file at path by the template:
//   "%1"  the file name            "%7"  folder/file name        "%6"  the record's path
//   else  the ID3v2 texts (which also rebuild the ID3v1 block) when one of those the
//         template uses is not empty, else the ID3v1 block's texts, else the file name
// then trimmed (empty: the file name) and title-cased.
std::string CSong::MakeTitleWith(const std::string& path, std::string_view titleTemplate,
                                 const Id3v2Fields* fields) {
    const std::string fileName = CTitleTemplate::FileName(path);
    const std::string_view working = CTitleTemplate::Trim(titleTemplate);
    std::string title;
    switch (CTitleTemplate::Classify(working)) {
    case CTitleTemplate::kFileName:
        title = fileName;
        break;
    case CTitleTemplate::kFolderAndFileName:
        title = CTitleTemplate::FolderAndFileName(path);
        break;
    case CTitleTemplate::kFullPath:
        title = m_strPath;
        break;
    case CTitleTemplate::kTags:
        // A tag holding none of the texts the template uses (only an encoder note, say)
        // counts as no tag, so the title does not come out as a bare " - ".
        if (fields != nullptr &&
            !CTitleTemplate::UsesOnlyEmpty(working, fields->artist, fields->title, fields->album,
                                           fields->comment)) {
            title = CTitleTemplate::ReplaceTags(working, fields->artist, fields->title,
                                                fields->album, fields->comment);
            SetTagFromFrames(*fields);
        } else if (Id3v1Tag::IsTag(m_tag)) {
            title = ReplaceFromBlock(std::string(working));
        } else {
            title = fileName;
        }
        break;
    }
    std::string_view trimmed = CTitleTemplate::Trim(title);
    if (trimmed.empty()) {
        trimmed = fileName;
    }
    return ToTitleCase(trimmed);
}

std::string CSong::ReplaceFromBlock(std::string text) const {
    Id3v1Tag tag;
    tag.Parse(m_tag);
    return CTitleTemplate::ReplaceTags(text, tag.Artist(), tag.Title(), tag.Album(), tag.Comment());
}

std::string CSong::ToTitleCase(std::string_view text) {
    return CTextCase::ToTitleCase(text);
}

// Stored record, in this order ("text", "32-bit", "date/time" as in CArchiveWriter.h):
//    1 "qmxv50"       text          9 m_nBitrate     32-bit
//    2 m_strPath      text         10 m_nSize        32-bit
//    3 m_strTitle     text         11 m_bInfo        32-bit
//    4 m_dtStart      date/time    12 m_bRegion      32-bit
//    5 m_nReserved1   32-bit       13 m_crBack       32-bit
//    6 m_nReserved2   32-bit       14 m_crText       32-bit
//    7 m_nSampleRate  32-bit       15 m_tag          128 bytes
//    8 m_nChannelMode 32-bit       16 m_dtFile       date/time
// The older form has no marker (its first text is the path) and ends after item 15.
void CSong::Serialize(CArchiveWriter& ar) const {
    ar.WriteText(kMarker);
    ar.WriteText(m_strPath);
    ar.WriteText(m_strTitle);
    ar.WriteDateTime(m_dtStart);
    ar.WriteInt32(m_nReserved1);
    ar.WriteInt32(m_nReserved2);
    ar.WriteInt32(m_nSampleRate);
    ar.WriteInt32(m_nChannelMode);
    ar.WriteInt32(m_nBitrate);
    ar.WriteUInt32(m_nSize);
    ar.WriteInt32(m_bInfo);
    ar.WriteInt32(m_bRegion);
    ar.WriteUInt32(m_crBack);
    ar.WriteUInt32(m_crText);
    ar.WriteBytes(m_tag);
    ar.WriteDateTime(m_dtFile);
}

bool CSong::Serialize(CArchiveReader& ar) {
    std::string first;
    if (!ar.ReadRawText(first)) {
        return false;
    }
    const bool current = first == kMarker;
    if (current) {
        ar.ReadText(m_strPath);
    } else {
        m_strPath = std::move(first);
        CArchiveReader::ToUtf8(m_strPath);
    }
    ar.ReadText(m_strTitle);
    ar.ReadDateTime(m_dtStart);
    ar.ReadInt32(m_nReserved1);
    ar.ReadInt32(m_nReserved2);
    ar.ReadInt32(m_nSampleRate);
    ar.ReadInt32(m_nChannelMode);
    ar.ReadInt32(m_nBitrate);
    ar.ReadUInt32(m_nSize);
    ar.ReadInt32(m_bInfo);
    ar.ReadInt32(m_bRegion);
    ar.ReadUInt32(m_crBack);
    ar.ReadUInt32(m_crText);
    ar.ReadBytes(m_tag);
    if (current) {
        ar.ReadDateTime(m_dtFile);
    }
    return ar.Ok();
}

std::size_t CSong::StoredSize() const {
    return CArchiveWriter::TextSize(kMarker.size()) + CArchiveWriter::TextSize(m_strPath.size()) +
           CArchiveWriter::TextSize(m_strTitle.size()) + 2 * 12 + 10 * 4 + kTagSize;
}
