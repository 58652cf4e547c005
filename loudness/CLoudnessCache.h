#pragma once

#include "loudness/SongAnalysis.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

// The analysis results of every song ever analysed, in one SQLite database (WAL mode, so
// the desktop program and mixorel-cli can share it). Results are keyed by the content
// fingerprint; a second table remembers each path with its size and modification time,
// the quick first check, so a lookup of a known, unchanged file costs one stat and one
// indexed query, and a moved file is found again by its fingerprint.
//
// A file that is not a database of ours, or a damaged one, is moved aside (its name plus
// ".damaged") and a fresh database is made; when even that fails the cache lives in
// memory for the run.
//
// Threads: every member may be called from any thread; one mutex guards the connection.
class CLoudnessCache {
public:
    CLoudnessCache() = default;
    ~CLoudnessCache();
    CLoudnessCache(const CLoudnessCache&) = delete;
    CLoudnessCache& operator=(const CLoudnessCache&) = delete;

    // $XDG_CACHE_HOME/mixorel/loudness.sqlite (XDG_CACHE_HOME defaults to ~/.cache).
    static std::string DefaultPath();

    // Opens (or makes) the database at path, creating its folder. False only when the
    // cache had to fall back to memory.
    bool Open(const std::string& path);
    // True when Open found a damaged or foreign file and moved it aside.
    bool WasRebuilt() const { return m_bRebuilt; }

    // The result for the file at path: by path, size and modification time; when those
    // do not match and mayHash is set, by the file's content fingerprint (and the path is
    // remembered again). Nothing when the file is unknown or gone.
    std::optional<SongAnalysis> Lookup(const std::string& path, bool mayHash = true);

    // Stores the result of the file at path, whose size, modification time and
    // fingerprint were taken before it was analysed.
    void Store(const std::string& path, std::int64_t size, std::int64_t mtimeNs,
               const std::string& fingerprint, const SongAnalysis& analysis);

    // The number of analyses stored.
    std::int64_t Count();

private:
    bool OpenAt(const std::string& path);
    bool Prepare();
    void CloseLocked();
    bool Exec(const char* sql);
    std::optional<SongAnalysis> ByFingerprint(const std::string& fingerprint);
    void RememberPath(const std::string& path, std::int64_t size, std::int64_t mtimeNs,
                      const std::string& fingerprint);

    std::mutex m_mutex;
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_byPath = nullptr;
    sqlite3_stmt* m_byFingerprint = nullptr;
    sqlite3_stmt* m_storeAnalysis = nullptr;
    sqlite3_stmt* m_storePath = nullptr;
    bool m_bRebuilt = false;
};
