#pragma once

#include "CDateTime.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

class CArchiveReader;
class CArchiveWriter;
class CFileFacts;
struct Id3v2Fields;
struct SongFileFacts;

// One line of a playlist: a music file, or a region header line (a named, coloured
// divider that may carry a scheduler start time). Every record takes a fresh identity
// text when it is made ("1", "2", ... within the run); the identity is never stored.
// Records are not copied by the language: a copy is a new record filled by Assign.
// The record has no lock of its own; records of a playlist are used under its lock.
class CSong {
public:
    static constexpr std::size_t kTagSize = 128;
    using TagBlock = std::array<std::uint8_t, kTagSize>;
    // First text of a stored record of the current form.
    static constexpr std::string_view kMarker = "qmxv50";
    // Playing marks.
    enum Mark : std::int32_t {
        kNoMark = 0,
        kPlaying = 1,
        kNextToPlay = 2,
        kTemporary = 3,
        kScheduledPlaying = 4,
        kNextScheduled = 5
    };

    CSong();
    ~CSong() = default;
    CSong(const CSong&) = delete;
    CSong& operator=(const CSong&) = delete;
    CSong(CSong&&) noexcept = default;
    CSong& operator=(CSong&&) noexcept = default;

    // Takes the next value of the process-wide identity counter.
    bool NewId();
    // Copies every stored field of the source; the identity only with the flag; never
    // the mark.
    void Assign(const CSong& source, bool withId);

    // Import, manual addition and reprocessing: refreshes size and creation date from the
    // file system, builds the title from the template (or "%1" without the flag) when the
    // file answers, stores the path and clears the start time of a song line. A missing
    // file sets the size to 0 and leaves title and date. Once the audio facts are known
    // (info read, bit rate not 0) the size is the audio size and stays so.
    bool SetPath(const std::string& path, std::string_view titleTemplate, bool useTemplate);
    void SetInfo(std::uint32_t size, std::int32_t bitrate, std::int32_t sampleRate,
                 std::int32_t channelMode);
    // False when the record already has that mark.
    bool SetMark(std::int32_t mark);
    void SetTag(std::span<const std::uint8_t, kTagSize> block);
    // No block: 128 zero bytes.
    void SetTag(std::nullptr_t);
    // The ID3v1 block from ID3v2 texts (UTF-8, stored as Latin-1, '?' outside).
    void SetTagFromFrames(const Id3v2Fields& fields);
    static TagBlock TagBlockFromFields(const Id3v2Fields& fields);
    // The processing step for one read of the song's file, the one rule for every caller:
    // audio facts (the size is the audio data, the file less its tags) or, when no frame
    // was found, no audio facts and the file's size (0 for a missing file), the ID3v1
    // block, the info flag, then as SetPath with the template (using the ID3v2 texts
    // already read). The document still runs its own bookkeeping (queue, totals).
    // A file TagLib read (FLAC, Ogg, ...) keeps an empty ID3v1 block: its tags go to the
    // shared tag cache, and its size and bit rate are set so that the duration comes out
    // as the file's playing time.
    void ProcessFromFacts(const SongFileFacts& facts, std::string_view titleTemplate);

    // Seconds of audio: size / (bit rate / 8); 0 without info or with a bit rate below 8.
    std::uint32_t GetDuration() const;
    // "m:ss" (minutes not wrapped into hours); empty without info or bit rate.
    std::string GetDurationText() const;
    // "kbit/s - kHz", as "128 - 44"; for a lossless file (FLAC, WAV PCM, ...) its format
    // and kHz, as "FLAC 44"; empty without info.
    std::string GetFormatText() const;
    // The title; for a region with a start time and the flag, followed by that time.
    std::string GetTitleWithDate(bool withDate) const;
    // The region's title, or the path after its last "/"; with the flag the text from the
    // last "." of the path on is taken away first.
    std::string GetFileName(bool withoutExtension) const;
    // The region's title, or the path: the key by which a list finds duplicates.
    const std::string& GetLocation() const { return m_bRegion != 0 ? m_strTitle : m_strPath; }

    // The display title of the file at path by the title template (see CSong.cpp).
    std::string MakeTitle(const std::string& path, std::string_view titleTemplate);
    static std::string ToTitleCase(std::string_view text);

    // Stores or loads the record in the archive encodings; a failed load leaves the
    // record partly filled.
    void Serialize(CArchiveWriter& ar) const;
    bool Serialize(CArchiveReader& ar);
    // Bytes the record takes when stored.
    std::size_t StoredSize() const;

    const std::string& GetId() const { return m_strId; }
    const std::string& GetTitle() const { return m_strTitle; }
    void SetTitle(std::string title) { m_strTitle = std::move(title); }
    const std::string& GetPath() const { return m_strPath; }
    // Stores a path (or stream address) without asking the file system.
    void SetPathText(std::string path) { m_strPath = std::move(path); }
    const CDateTime& GetStart() const { return m_dtStart; }
    void SetStart(const CDateTime& start) { m_dtStart = start; }
    const CDateTime& GetFileDate() const { return m_dtFile; }
    void SetFileDate(const CDateTime& date) { m_dtFile = date; }
    std::uint32_t GetSize() const { return m_nSize; }
    std::int32_t GetMark() const { return m_nMark; }
    bool HasInfo() const { return m_bInfo != 0; }
    // The two flags as stored, for tools that show a record exactly.
    std::int32_t GetInfoValue() const { return m_bInfo; }
    std::int32_t GetRegionValue() const { return m_bRegion; }
    void SetInfoFlag(bool info) { m_bInfo = info ? 1 : 0; }
    bool IsRegion() const { return m_bRegion != 0; }
    void SetRegion(bool region) { m_bRegion = region ? 1 : 0; }
    std::int32_t GetReserved1() const { return m_nReserved1; }
    std::int32_t GetReserved2() const { return m_nReserved2; }
    void SetReserved(std::int32_t first, std::int32_t second);
    std::int32_t GetSampleRate() const { return m_nSampleRate; }
    std::int32_t GetChannelMode() const { return m_nChannelMode; }
    std::int32_t GetBitrate() const { return m_nBitrate; }
    std::uint32_t GetBackColor() const { return m_crBack; }
    void SetBackColor(std::uint32_t color) { m_crBack = color; }
    std::uint32_t GetTextColor() const { return m_crText; }
    void SetTextColor(std::uint32_t color) { m_crText = color; }
    const TagBlock& GetTag() const { return m_tag; }

private:
    bool HasAudioFacts() const { return m_bInfo != 0 && m_nBitrate != 0; }
    // SetPath with the ID3v2 texts already known (nullptr: the file has none readable)
    // or, with readTag, read from the file when the template needs them.
    // known: the file's facts when the caller already has them (nullptr: asked here).
    void UpdatePath(const std::string& path, std::string_view titleTemplate, bool readTag,
                    const Id3v2Fields* fields, const CFileFacts* known = nullptr);
    std::string MakeTitleWith(const std::string& path, std::string_view titleTemplate,
                              const Id3v2Fields* fields);
    std::string ReplaceFromBlock(std::string text) const;
    void ProcessFromTagLib(const SongFileFacts& facts);

    std::string m_strId;
    std::string m_strTitle;
    std::string m_strPath;
    CDateTime m_dtStart = CDateTime::Null();
    CDateTime m_dtFile;
    std::uint32_t m_nSize = 0;
    std::int32_t m_nMark = kNoMark;
    std::int32_t m_bInfo = 0;
    std::int32_t m_bRegion = 0;
    std::int32_t m_nReserved1 = 0;
    std::int32_t m_nReserved2 = 0;
    std::int32_t m_nSampleRate = 0;
    std::int32_t m_nChannelMode = 0;
    std::int32_t m_nBitrate = 0;
    std::uint32_t m_crBack = 0;
    std::uint32_t m_crText = 0;
    TagBlock m_tag{};
};
