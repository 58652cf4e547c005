#include "CAlbumFile.h"

#include "CArchiveReader.h"
#include "CArchiveWriter.h"
#include "media/AtomicFileWriter.h"
#include "media/PosixFile.h"
#include "settings/ProgramFolder.h"

#include <exception>
#include <new>

int CAlbumFile::Parse(std::span<const std::uint8_t> bytes, std::vector<std::string>& paths) {
    paths.clear();
    try {
        CArchiveReader ar(bytes);
        std::string signature;
        if (!ar.ReadRawText(signature) || signature != kSignature) {
            return kWrongSignature;
        }
        std::uint32_t count = 0;
        if (!ar.ReadUInt32(count)) {
            return kTruncated;
        }
        // Every path takes at least its one-byte length: a count the data cannot hold
        // is found before anything is allocated for it.
        if (count > ar.Remaining()) {
            return kTruncated;
        }
        paths.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            std::string path;
            if (!ar.ReadText(path)) {
                return ar.GetResult() == CArchiveReader::kTruncated ? kTruncated : kDamaged;
            }
            paths.push_back(std::move(path));
        }
        return kOk;
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    } catch (const std::exception&) {
        return kDamaged;
    }
}

int CAlbumFile::Read(const std::string& path, std::vector<std::string>& paths) {
    paths.clear();
    try {
        std::vector<std::uint8_t> bytes;
        if (const int read = PosixFile::ReadWholeFile(path, kMaxFileSize, bytes);
            read != PosixFile::kReadAll) {
            return read == PosixFile::kReadAllTooLarge ? kTooLarge : kCannotOpen;
        }
        return Parse(bytes, paths);
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    } catch (const std::exception&) {
        return kCannotOpen;
    }
}

std::vector<std::uint8_t> CAlbumFile::Build(const std::vector<std::string>& paths) {
    CArchiveWriter ar;
    ar.WriteText(kSignature);
    ar.WriteUInt32(static_cast<std::uint32_t>(paths.size()));
    for (const std::string& path : paths) {
        ar.WriteText(path);
    }
    return ar.Failed() ? std::vector<std::uint8_t>() : ar.TakeBytes();
}

int CAlbumFile::Write(const std::string& path, const std::vector<std::string>& paths) {
    try {
        if (paths.size() > 0xFFFFFFFFu) {
            return kCannotWrite;
        }
        const std::vector<std::uint8_t> bytes = Build(paths);
        AtomicFileWriter writer;
        if (bytes.empty() || !writer.Create(path) || !writer.Write(bytes) || !writer.Commit()) {
            return kCannotWrite;
        }
        return kOk;
    } catch (const std::bad_alloc&) {
        return kOutOfMemory;
    } catch (const std::exception&) {
        return kCannotWrite;
    }
}

std::string CAlbumFile::DefaultPath() {
    return GetProgramFolder() + "/" + std::string(kDefaultFileName);
}

const char* CAlbumFile::ResultText(int result) {
    switch (result) {
    case kOk:
        return "Done.";
    case kCannotOpen:
        return "The album file cannot be opened or read.";
    case kWrongSignature:
        return "The file is not a Mixorel album: it has an unexpected format.";
    case kTruncated:
        return "The album file is damaged: it ends too early.";
    case kDamaged:
        return "The album file is damaged: it holds data no album has.";
    case kTooLarge:
        return "The file is too large to be an album.";
    case kCannotWrite:
        return "The album cannot be written; the file on disk is unchanged.";
    case kOutOfMemory:
        return "There is not enough memory for the album.";
    default:
        return "Unknown error.";
    }
}
