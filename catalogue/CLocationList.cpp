#include "CLocationList.h"

#include "CArchiveReader.h"
#include "CArchiveWriter.h"
#include "media/AtomicFileWriter.h"
#include "media/PosixFile.h"
#include "settings/ProgramFolder.h"

#include <cerrno>
#include <exception>
#include <fcntl.h>
#include <new>
#include <unistd.h>

void CLocationList::Add(const std::string& folder) {
    std::erase(m_astrFolders, folder);
    m_astrFolders.insert(m_astrFolders.begin(), folder);
}

std::string CLocationList::GetAt(int index) const {
    if (index < 0 || index >= GetCount()) {
        return std::string();
    }
    return m_astrFolders[static_cast<std::size_t>(index)];
}

void CLocationList::RemoveAt(int index) {
    if (index >= 0 && index < GetCount()) {
        m_astrFolders.erase(m_astrFolders.begin() + index);
    }
}

void CLocationList::Serialize(CArchiveWriter& ar) const {
    ar.WriteUInt32(static_cast<std::uint32_t>(m_astrFolders.size()));
    for (const std::string& folder : m_astrFolders) {
        ar.WriteText(folder);
    }
}

bool CLocationList::Parse(std::span<const std::uint8_t> bytes) {
    m_astrFolders.clear();
    try {
        CArchiveReader ar(bytes);
        std::uint32_t count = 0;
        // Every text takes at least its one-byte length.
        if (!ar.ReadUInt32(count) || count > ar.Remaining()) {
            return false;
        }
        std::vector<std::string> folders;
        folders.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            std::string folder;
            if (!ar.ReadText(folder)) {
                return false;
            }
            folders.push_back(std::move(folder));
        }
        m_astrFolders = std::move(folders);
        return true;
    } catch (const std::exception&) {
        m_astrFolders.clear();
        return false;
    }
}

bool CLocationList::Load(const std::string& path) {
    m_astrFolders.clear();
    // Created when missing, never truncated: a later save has a file to replace, and an
    // old list is never lost by opening it. Opening does not wait on a FIFO.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0644);
    if (fd < 0) {
        return false;
    }
    PosixFile file;
    file.Adopt(fd);
    try {
        std::vector<std::uint8_t> bytes;
        if (file.ReadAll(kMaxFileSize, bytes) != PosixFile::kReadAll || bytes.empty()) {
            return false;
        }
        return Parse(bytes);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool CLocationList::Save(const std::string& path) const {
    try {
        CArchiveWriter ar;
        Serialize(ar);
        if (ar.Failed()) {
            return false;
        }
        AtomicFileWriter writer;
        return writer.Create(path) && writer.Write(ar.Bytes()) && writer.Commit();
    } catch (const std::exception&) {
        return false;
    }
}

std::string CLocationList::DefaultPath() {
    return GetProgramFolder() + "/" + kFileName;
}
