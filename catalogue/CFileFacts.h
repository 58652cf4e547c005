#pragma once

#include "CDateTime.h"

#include <cstdint>
#include <string>

// What the file system tells of a path: its size and its creation time. The creation
// time is the birth time where the file system keeps one, else the modification time,
// taken as local calendar fields.
class CFileFacts {
public:
    // False when the file system does not answer for the path.
    bool Read(const std::string& path);
    // Facts already had from an open file (seconds since 1970 for the creation time).
    void Set(std::uint64_t size, std::int64_t createdSeconds);

    // The size in bytes; sizes beyond 32 bits read as 0xFFFFFFFF.
    std::uint32_t GetSize32() const;
    std::uint64_t GetSize() const { return m_nSize; }
    const CDateTime& GetCreated() const { return m_dtCreated; }

private:
    std::uint64_t m_nSize = 0;
    CDateTime m_dtCreated;
};
