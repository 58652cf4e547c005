#pragma once

#include "PosixFile.h"

#include <cstdint>
#include <span>
#include <string>

// Writes a file through a unique temporary file in the target's folder that is flushed
// and renamed over the target, so a crash or a full disk never leaves a half-written
// file. A symbolic link is followed: its target is replaced and the link stays. The
// replaced file's mode (and owner, where allowed) is kept. Without Commit the temporary
// file is removed again and the target is untouched.
class AtomicFileWriter {
public:
    AtomicFileWriter() = default;
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Creates the temporary file "<target>.tempXXXXXX" beside the (resolved) target.
    bool Create(const std::string& targetPath);
    // Appends bytes to the temporary file.
    bool Write(std::span<const std::uint8_t> bytes);
    // Appends the bytes of source from offset to its end; false on any read or write error.
    bool CopyFrom(const PosixFile& source, std::int64_t offset);
    // Flushes the temporary file and renames it over the target.
    bool Commit();
    // Removes the temporary file; the target stays as it was.
    void Discard();

    const std::string& TargetPath() const { return m_strTarget; }
    const std::string& TempPath() const { return m_strTemp; }

private:
    PosixFile m_file;
    std::string m_strTarget;
    std::string m_strTemp;
    std::int64_t m_nWritten = 0;
};
