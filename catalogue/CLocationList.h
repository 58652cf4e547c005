#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

class CArchiveWriter;

// The remembered music folders, most recently used first, no two equal. Folders compare
// exactly: on Linux /m/Rock and /m/rock are two folders. Stored as "locations.dat" in the program
// folder, in the archive encodings of CArchiveWriter.h:
//
//   count     32-bit
//   folders   count texts, most recently used first
//
// An empty, missing or damaged file reads as an empty list; reading and writing never
// report an error to the user (the list is a convenience, not data).
class CLocationList {
public:
    static constexpr const char* kFileName = "locations.dat";
    // Larger files are not read (they are not a list of folders).
    static constexpr std::int64_t kMaxFileSize = std::int64_t{64} << 20;

    // Takes out an entry equal to the folder, then puts the folder at the front.
    void Add(const std::string& folder);
    int GetCount() const { return static_cast<int>(m_astrFolders.size()); }
    // Empty outside the range.
    std::string GetAt(int index) const;
    void RemoveAt(int index);
    void RemoveAll() { m_astrFolders.clear(); }
    const std::vector<std::string>& GetFolders() const { return m_astrFolders; }

    void Serialize(CArchiveWriter& ar) const;
    // Replaces the list with the one in bytes; false (and an empty list) when the bytes
    // are empty or damaged.
    bool Parse(std::span<const std::uint8_t> bytes);

    // Reads the file; a missing file is created empty (never truncated). False when the
    // list read is empty because the file was missing, empty or damaged.
    bool Load(const std::string& path);
    // Writes the file through a temporary file renamed into place.
    bool Save(const std::string& path) const;

    // Program folder + "/locations.dat".
    static std::string DefaultPath();

private:
    std::vector<std::string> m_astrFolders;
};
