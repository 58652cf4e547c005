#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <sys/stat.h>
#include <vector>

// A file descriptor that closes itself, with whole reads and writes at an offset.
// Used by every reader and writer of music files: no stream objects, no exceptions.
class PosixFile {
public:
    PosixFile() = default;
    ~PosixFile();
    PosixFile(const PosixFile&) = delete;
    PosixFile& operator=(const PosixFile&) = delete;
    PosixFile(PosixFile&& other) noexcept;
    PosixFile& operator=(PosixFile&& other) noexcept;

    // Opens for reading only; never creates the file. Opening never blocks (a FIFO or a
    // device answers at once; reading a FIFO at an offset then fails).
    bool OpenRead(const std::string& path);
    // The same for a name within the folder open as folderFd (AT_FDCWD: the current
    // folder); spares the kernel the walk along the folder's whole path.
    bool OpenReadIn(int folderFd, const char* name);
    // Opens for reading and writing; never creates or truncates the file.
    bool OpenReadWrite(const std::string& path);
    // Adopts a descriptor (for instance one made by mkstemp).
    void Adopt(int fd);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }
    int Descriptor() const { return m_fd; }

    // File facts from fstat; false when the descriptor cannot be asked.
    bool Stat(struct stat& info) const;
    // The file length, or -1.
    std::int64_t Size() const;
    // The length and the creation time (birth time where the file system keeps it, else
    // the modification time) in seconds since 1970, from one call; false on an error.
    // isFolder, when given, tells whether the descriptor is a folder's.
    bool SizeAndCreated(std::int64_t& size, std::int64_t& createdSeconds,
                        bool* isFolder = nullptr) const;

    // Reads up to buffer.size() bytes at offset; answers the count read (short only at
    // the end of the file) or -1 on an error.
    std::int64_t ReadAt(std::int64_t offset, std::span<std::uint8_t> buffer) const;
    enum ReadAllResult : int { kReadAll = 0, kReadAllFailed = 1, kReadAllTooLarge = 2 };
    // The whole file from its start, when it holds at most maxSize bytes. May throw
    // std::bad_alloc for a large file.
    int ReadAll(std::int64_t maxSize, std::vector<std::uint8_t>& bytes) const;
    // Opens path for reading and reads it whole as ReadAll does.
    static int ReadWholeFile(const std::string& path, std::int64_t maxSize,
                             std::vector<std::uint8_t>& bytes);
    // Writes all bytes at offset; false on an error or a short write.
    bool WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes) const;
    bool Truncate(std::int64_t length) const;
    bool Sync() const;

private:
    int m_fd = -1;
};
