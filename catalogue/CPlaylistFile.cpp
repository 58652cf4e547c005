#include "CPlaylistFile.h"

#include "CArchiveReader.h"
#include "CArchiveWriter.h"
#include "CTextCase.h"
#include "media/AtomicFileWriter.h"
#include "media/PosixFile.h"

#include <exception>
#include <new>

int CPlaylistFile::ArchiveResult(const CArchiveReader& ar) {
    return ar.GetResult() == CArchiveReader::kTruncated ? kTruncated : kDamaged;
}

int CPlaylistFile::ReadRecords(CArchiveReader& ar, std::vector<CSong>& songs) {
    std::uint32_t count = 0;
    if (!ar.ReadUInt32(count)) {
        return ArchiveResult(ar);
    }
    // Every record takes at least kMinRecordSize bytes: a count the data cannot hold
    // fails before anything is allocated for it.
    if (count > ar.Remaining() / kMinRecordSize) {
        return kTruncated;
    }
    songs.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        CSong song;
        if (!song.Serialize(ar)) {
            return ArchiveResult(ar);
        }
        songs.push_back(std::move(song));
    }
    return kOk;
}

int CPlaylistFile::Parse(std::span<const std::uint8_t> bytes, CPlaylistContent& content) {
    try {
        CArchiveReader ar(bytes);
        CPlaylistContent loaded;
        if (!ar.ReadRawText(loaded.m_strSignature) ||
            !CTextCase::StartsWithNoCase(loaded.m_strSignature, kSignaturePrefix)) {
            return kWrongSignature;
        }
        const std::string signature = loaded.m_strSignature;
        CArchiveReader::ToUtf8(loaded.m_strSignature);
        if (const int result = ReadRecords(ar, loaded.m_songs); result != kOk) {
            return result;
        }
        ar.ReadDateTime(loaded.m_dtAlarm);
        std::int32_t flag = 0;
        if ((signature == kSignature || signature == kSignatureLockOnly) && ar.ReadInt32(flag)) {
            loaded.m_bLocked = flag == 1;
        }
        if (signature == kSignature && ar.ReadInt32(flag)) {
            loaded.m_bPlayerCommandsDisabled = flag == 1 && loaded.m_bLocked;
        }
        if (!ar.Ok()) {
            return ArchiveResult(ar);
        }
        content = std::move(loaded);
        return kOk;
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    } catch (const std::exception&) {
        return kDamaged;
    }
}

int CPlaylistFile::Read(const std::string& path, CPlaylistContent& content) {
    try {
        std::vector<std::uint8_t> bytes;
        if (const int read = PosixFile::ReadWholeFile(path, kMaxFileSize, bytes);
            read != PosixFile::kReadAll) {
            return read == PosixFile::kReadAllTooLarge ? kTooLarge : kCannotOpen;
        }
        return Parse(bytes, content);
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    } catch (const std::exception&) {
        return kCannotOpen;
    }
}

void CPlaylistFile::WriteHead(CArchiveWriter& ar, std::uint32_t count) {
    ar.WriteText(kSignature);
    ar.WriteUInt32(count);
}

void CPlaylistFile::WriteTail(CArchiveWriter& ar, const CDateTime& alarm, bool locked,
                              bool playerCommandsDisabled) {
    ar.WriteDateTime(alarm);
    ar.WriteInt32(locked ? 1 : 0);
    ar.WriteInt32(playerCommandsDisabled ? 1 : 0);
}

std::vector<std::uint8_t> CPlaylistFile::Build(const CPlaylistContent& content) {
    std::size_t total = CArchiveWriter::TextSize(kSignature.size()) + 4 + 12 + 4 + 4;
    for (const CSong& song : content.m_songs) {
        total += song.StoredSize();
    }
    CArchiveWriter ar;
    ar.Reserve(total);
    WriteHead(ar, static_cast<std::uint32_t>(content.m_songs.size()));
    for (const CSong& song : content.m_songs) {
        song.Serialize(ar);
    }
    WriteTail(ar, content.m_dtAlarm, content.m_bLocked, content.m_bPlayerCommandsDisabled);
    return ar.Failed() ? std::vector<std::uint8_t>() : ar.TakeBytes();
}

int CPlaylistFile::SaveBytes(const std::string& path, std::span<const std::uint8_t> bytes) {
    AtomicFileWriter writer;
    if (!writer.Create(path) || !writer.Write(bytes) || !writer.Commit()) {
        return kCannotWrite;
    }
    return kOk;
}

int CPlaylistFile::Save(const std::string& path, const CArchiveWriter& ar) {
    if (ar.Failed()) {
        return kCannotWrite;
    }
    return SaveBytes(path, ar.Bytes());
}

int CPlaylistFile::Write(const std::string& path, const CPlaylistContent& content) {
    try {
        if (content.m_songs.size() > 0xFFFFFFFFu) {
            return kCannotWrite;
        }
        const std::vector<std::uint8_t> bytes = Build(content);
        if (bytes.empty()) {
            return kCannotWrite;
        }
        return SaveBytes(path, bytes);
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    } catch (const std::exception&) {
        return kCannotWrite;
    }
}

const char* CPlaylistFile::ResultText(int result) {
    switch (result) {
    case kOk:
        return "Done.";
    case kCannotOpen:
        return "The file cannot be opened or read.";
    case kWrongSignature:
        return "The file is not a Mixorel playlist: it has an unexpected format.";
    case kTruncated:
        return "The playlist file is damaged: it ends too early.";
    case kDamaged:
        return "The playlist file is damaged: it holds data no playlist has.";
    case kTooLarge:
        return "The file is too large to be a playlist.";
    case kCannotWrite:
        return "The playlist cannot be written; the file on disk is unchanged.";
    case kOutOfMemory:
        return "There is not enough memory for the playlist.";
    default:
        return "Unknown error.";
    }
}
