#include "CSongClipboardData.h"

#include "CArchiveReader.h"
#include "CArchiveWriter.h"
#include "CPlaylistFile.h"

#include <exception>
#include <new>

std::vector<std::uint8_t> CSongClipboardData::Build(const std::vector<const CSong*>& songs) {
    CArchiveWriter ar;
    ar.WriteUInt32(static_cast<std::uint32_t>(songs.size()));
    for (const CSong* song : songs) {
        song->Serialize(ar);
    }
    return ar.TakeBytes();
}

int CSongClipboardData::Parse(std::span<const std::uint8_t> bytes, std::vector<CSong>& songs) {
    try {
        CArchiveReader ar(bytes);
        std::vector<CSong> read;
        const int result = CPlaylistFile::ReadRecords(ar, read);
        if (result == CPlaylistFile::kOk) {
            songs = std::move(read);
        }
        return result;
    } catch (const std::bad_alloc&) {
        return CPlaylistFile::kOutOfMemory;
    } catch (const std::exception&) {
        return CPlaylistFile::kDamaged;
    }
}
