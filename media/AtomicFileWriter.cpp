#include "AtomicFileWriter.h"

#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The path a write must replace: the final target of a chain of symbolic links, or the
// path itself when it does not exist yet.
std::string ResolveTarget(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr) {
        return resolved;
    }
    return path;
}

} // namespace

AtomicFileWriter::~AtomicFileWriter() {
    Discard();
}

bool AtomicFileWriter::Create(const std::string& targetPath) {
    Discard();
    m_strTarget = ResolveTarget(targetPath);
    std::string pattern = m_strTarget + ".tempXXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = ::mkostemp(buffer.data(), O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    m_strTemp = buffer.data();
    m_file.Adopt(fd);
    m_nWritten = 0;
    return true;
}

bool AtomicFileWriter::Write(std::span<const std::uint8_t> bytes) {
    if (!m_file.WriteAt(m_nWritten, bytes)) {
        return false;
    }
    m_nWritten += static_cast<std::int64_t>(bytes.size());
    return true;
}

bool AtomicFileWriter::CopyFrom(const PosixFile& source, std::int64_t offset) {
    std::vector<std::uint8_t> block(256 * 1024);
    for (;;) {
        const std::int64_t n = source.ReadAt(offset, block);
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            return true;
        }
        if (!Write(std::span<const std::uint8_t>(block.data(), static_cast<std::size_t>(n)))) {
            return false;
        }
        offset += n;
    }
}

bool AtomicFileWriter::Commit() {
    if (!m_file.IsOpen()) {
        return false;
    }
    struct stat info {};
    if (::stat(m_strTarget.c_str(), &info) == 0) {
        // Keeping the owner needs privileges we usually lack; failing is fine. The owner
        // goes first because changing it clears set-id bits of the mode.
        [[maybe_unused]] const int ignored =
            ::fchown(m_file.Descriptor(), info.st_uid, info.st_gid);
        ::fchmod(m_file.Descriptor(), info.st_mode & 07777);
    } else {
        // A new file gets the usual mode for a file we create (0666 less the umask).
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(m_file.Descriptor(), 0666 & ~mask);
    }
    if (!m_file.Sync()) {
        Discard();
        return false;
    }
    m_file.Close();
    if (::rename(m_strTemp.c_str(), m_strTarget.c_str()) != 0) {
        Discard();
        return false;
    }
    m_strTemp.clear();
    // Make the rename itself durable.
    const std::string folder = m_strTarget.substr(0, m_strTarget.find_last_of('/') + 1);
    PosixFile dir;
    if (dir.OpenRead(folder.empty() ? std::string(".") : folder)) {
        dir.Sync();
    }
    return true;
}

void AtomicFileWriter::Discard() {
    m_file.Close();
    if (!m_strTemp.empty()) {
        ::unlink(m_strTemp.c_str());
        m_strTemp.clear();
    }
}
