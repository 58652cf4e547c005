#include "loudness/CLoudnessCache.h"

#include "loudness/ContentFingerprint.h"

#include <sqlite3.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>

namespace {

// "MXLD": marks the database as ours, so a foreign SQLite file is not taken for it.
constexpr int kApplicationId = 0x4D584C44;
constexpr int kSchemaVersion = 1;

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS analysis("
    " fingerprint TEXT PRIMARY KEY, status INTEGER NOT NULL, lufs REAL, lra REAL,"
    " sample_peak REAL, true_peak REAL, duration REAL, cue_in REAL, start_next REAL,"
    " cue_out REAL) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS files("
    " path TEXT PRIMARY KEY, size INTEGER NOT NULL, mtime_ns INTEGER NOT NULL,"
    " fingerprint TEXT NOT NULL) WITHOUT ROWID;";

constexpr const char* kColumns =
    "status, lufs, lra, sample_peak, true_peak, duration, cue_in, start_next, cue_out";

// Minus infinity (a silent song) is stored as NULL.
void BindLevel(sqlite3_stmt* statement, int index, double value) {
    if (std::isfinite(value)) {
        sqlite3_bind_double(statement, index, value);
    } else {
        sqlite3_bind_null(statement, index);
    }
}

double ColumnLevel(sqlite3_stmt* statement, int index) {
    return sqlite3_column_type(statement, index) == SQLITE_NULL
               ? -std::numeric_limits<double>::infinity()
               : sqlite3_column_double(statement, index);
}

// Reads the nine result columns starting at column first.
std::optional<SongAnalysis> ReadRow(sqlite3_stmt* statement, int first) {
    const int status = sqlite3_column_int(statement, first);
    if (status != static_cast<int>(SongAnalysis::Status::kAnalysed) &&
        status != static_cast<int>(SongAnalysis::Status::kUnreadable)) {
        return std::nullopt;
    }
    SongAnalysis a;
    a.eStatus = static_cast<SongAnalysis::Status>(status);
    a.dIntegratedLufs = ColumnLevel(statement, first + 1);
    a.dLoudnessRangeLu = sqlite3_column_double(statement, first + 2);
    a.dSamplePeakDbfs = ColumnLevel(statement, first + 3);
    if (sqlite3_column_type(statement, first + 4) != SQLITE_NULL) {
        a.truePeakDbtp = sqlite3_column_double(statement, first + 4);
    }
    a.dDurationSeconds = sqlite3_column_double(statement, first + 5);
    a.cues.dCueInSeconds = sqlite3_column_double(statement, first + 6);
    a.cues.dStartNextSeconds = sqlite3_column_double(statement, first + 7);
    a.cues.dCueOutSeconds = sqlite3_column_double(statement, first + 8);
    return a;
}

void MoveAside(const std::string& path) {
    std::error_code error;
    std::filesystem::rename(path, path + ".damaged", error);
    for (const char* suffix : {"-wal", "-shm"}) {
        std::filesystem::remove(path + suffix, error);
    }
}

} // namespace

CLoudnessCache::~CLoudnessCache() {
    std::lock_guard lock(m_mutex);
    CloseLocked();
}

std::string CLoudnessCache::DefaultPath() {
    std::string base;
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && *cache == '/') {
        base = cache;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        base = std::string(home) + "/.cache";
    } else {
        base = "/tmp";
    }
    return base + "/mixorel/loudness.sqlite";
}

bool CLoudnessCache::Open(const std::string& path) {
    std::lock_guard lock(m_mutex);
    CloseLocked();
    m_bRebuilt = false;
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    if (OpenAt(path)) {
        return true;
    }
    CloseLocked();
    MoveAside(path);
    m_bRebuilt = true;
    if (OpenAt(path)) {
        return true;
    }
    CloseLocked();
    return OpenAt(":memory:");
}

bool CLoudnessCache::OpenAt(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        return false;
    }
    sqlite3_busy_timeout(m_db, 2000);
    // A file that is not a database fails here, at its first read.
    sqlite3_stmt* check = nullptr;
    int applicationId = -1;
    int tables = -1;
    if (sqlite3_prepare_v2(m_db,
                           "SELECT (SELECT application_id FROM pragma_application_id),"
                           " (SELECT count(*) FROM sqlite_master)",
                           -1, &check, nullptr) == SQLITE_OK &&
        sqlite3_step(check) == SQLITE_ROW) {
        applicationId = sqlite3_column_int(check, 0);
        tables = sqlite3_column_int(check, 1);
    }
    sqlite3_finalize(check);
    if (tables < 0 || (tables > 0 && applicationId != kApplicationId)) {
        return false;
    }
    bool healthy = false;
    if (sqlite3_prepare_v2(m_db, "PRAGMA quick_check", -1, &check, nullptr) == SQLITE_OK &&
        sqlite3_step(check) == SQLITE_ROW) {
        const auto* text = sqlite3_column_text(check, 0);
        healthy = text != nullptr && std::string(reinterpret_cast<const char*>(text)) == "ok";
    }
    sqlite3_finalize(check);
    if (!healthy) {
        return false;
    }
    const std::string header = "PRAGMA application_id=" + std::to_string(kApplicationId) +
                               ";PRAGMA user_version=" + std::to_string(kSchemaVersion) + ";";
    return Exec("PRAGMA journal_mode=WAL") && Exec("PRAGMA synchronous=NORMAL") &&
           Exec(header.c_str()) && Exec(kSchema) && Prepare();
}

bool CLoudnessCache::Exec(const char* sql) {
    return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool CLoudnessCache::Prepare() {
    const std::string byPath =
        std::string("SELECT f.size, f.mtime_ns, f.fingerprint, ") + kColumns +
        " FROM files f LEFT JOIN analysis a ON a.fingerprint = f.fingerprint WHERE f.path = ?";
    const std::string byFingerprint =
        std::string("SELECT ") + kColumns + " FROM analysis WHERE fingerprint = ?";
    const std::string storeAnalysis = std::string("INSERT OR REPLACE INTO analysis(fingerprint, ") +
                                      kColumns + ") VALUES(?,?,?,?,?,?,?,?,?,?)";
    const char* storePath = "INSERT OR REPLACE INTO files(path, size, mtime_ns, fingerprint)"
                            " VALUES(?,?,?,?)";
    return sqlite3_prepare_v2(m_db, byPath.c_str(), -1, &m_byPath, nullptr) == SQLITE_OK &&
           sqlite3_prepare_v2(m_db, byFingerprint.c_str(), -1, &m_byFingerprint, nullptr) ==
               SQLITE_OK &&
           sqlite3_prepare_v2(m_db, storeAnalysis.c_str(), -1, &m_storeAnalysis, nullptr) ==
               SQLITE_OK &&
           sqlite3_prepare_v2(m_db, storePath, -1, &m_storePath, nullptr) == SQLITE_OK;
}

void CLoudnessCache::CloseLocked() {
    for (sqlite3_stmt** statement : {&m_byPath, &m_byFingerprint, &m_storeAnalysis, &m_storePath}) {
        sqlite3_finalize(*statement);
        *statement = nullptr;
    }
    if (m_db != nullptr) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

std::optional<SongAnalysis> CLoudnessCache::Lookup(const std::string& path, bool mayHash) {
    std::int64_t size = 0;
    std::int64_t mtimeNs = 0;
    if (!ContentFingerprint::StampOf(path, size, mtimeNs)) {
        return std::nullopt;
    }
    {
        std::lock_guard lock(m_mutex);
        if (m_byPath == nullptr) {
            return std::nullopt;
        }
        sqlite3_reset(m_byPath);
        sqlite3_bind_text(m_byPath, 1, path.data(), static_cast<int>(path.size()), SQLITE_STATIC);
        if (sqlite3_step(m_byPath) == SQLITE_ROW && sqlite3_column_int64(m_byPath, 0) == size &&
            sqlite3_column_int64(m_byPath, 1) == mtimeNs &&
            sqlite3_column_type(m_byPath, 3) != SQLITE_NULL) {
            auto found = ReadRow(m_byPath, 3);
            sqlite3_reset(m_byPath);
            return found;
        }
        sqlite3_reset(m_byPath);
    }
    if (!mayHash) {
        return std::nullopt;
    }
    const auto fingerprint = ContentFingerprint::OfFile(path);
    if (!fingerprint) {
        return std::nullopt;
    }
    std::lock_guard lock(m_mutex);
    auto found = ByFingerprint(*fingerprint);
    if (found) {
        RememberPath(path, size, mtimeNs, *fingerprint);
    }
    return found;
}

std::optional<SongAnalysis> CLoudnessCache::ByFingerprint(const std::string& fingerprint) {
    if (m_byFingerprint == nullptr) {
        return std::nullopt;
    }
    sqlite3_reset(m_byFingerprint);
    sqlite3_bind_text(m_byFingerprint, 1, fingerprint.data(), static_cast<int>(fingerprint.size()),
                      SQLITE_STATIC);
    std::optional<SongAnalysis> found;
    if (sqlite3_step(m_byFingerprint) == SQLITE_ROW) {
        found = ReadRow(m_byFingerprint, 0);
    }
    sqlite3_reset(m_byFingerprint);
    return found;
}

void CLoudnessCache::RememberPath(const std::string& path, std::int64_t size, std::int64_t mtimeNs,
                                  const std::string& fingerprint) {
    if (m_storePath == nullptr) {
        return;
    }
    sqlite3_reset(m_storePath);
    sqlite3_bind_text(m_storePath, 1, path.data(), static_cast<int>(path.size()), SQLITE_STATIC);
    sqlite3_bind_int64(m_storePath, 2, size);
    sqlite3_bind_int64(m_storePath, 3, mtimeNs);
    sqlite3_bind_text(m_storePath, 4, fingerprint.data(), static_cast<int>(fingerprint.size()),
                      SQLITE_STATIC);
    sqlite3_step(m_storePath);
    sqlite3_reset(m_storePath);
}

void CLoudnessCache::Store(const std::string& path, std::int64_t size, std::int64_t mtimeNs,
                           const std::string& fingerprint, const SongAnalysis& a) {
    std::lock_guard lock(m_mutex);
    if (m_storeAnalysis == nullptr) {
        return;
    }
    sqlite3_stmt* s = m_storeAnalysis;
    sqlite3_reset(s);
    sqlite3_bind_text(s, 1, fingerprint.data(), static_cast<int>(fingerprint.size()),
                      SQLITE_STATIC);
    sqlite3_bind_int(s, 2, static_cast<int>(a.eStatus));
    BindLevel(s, 3, a.dIntegratedLufs);
    sqlite3_bind_double(s, 4, a.dLoudnessRangeLu);
    BindLevel(s, 5, a.dSamplePeakDbfs);
    if (a.truePeakDbtp && std::isfinite(*a.truePeakDbtp)) {
        sqlite3_bind_double(s, 6, *a.truePeakDbtp);
    } else {
        sqlite3_bind_null(s, 6);
    }
    sqlite3_bind_double(s, 7, a.dDurationSeconds);
    sqlite3_bind_double(s, 8, a.cues.dCueInSeconds);
    sqlite3_bind_double(s, 9, a.cues.dStartNextSeconds);
    sqlite3_bind_double(s, 10, a.cues.dCueOutSeconds);
    Exec("BEGIN");
    sqlite3_step(s);
    sqlite3_reset(s);
    RememberPath(path, size, mtimeNs, fingerprint);
    Exec("COMMIT");
}

std::int64_t CLoudnessCache::Count() {
    std::lock_guard lock(m_mutex);
    sqlite3_stmt* count = nullptr;
    std::int64_t n = 0;
    if (m_db != nullptr &&
        sqlite3_prepare_v2(m_db, "SELECT count(*) FROM analysis", -1, &count, nullptr) ==
            SQLITE_OK &&
        sqlite3_step(count) == SQLITE_ROW) {
        n = sqlite3_column_int64(count, 0);
    }
    sqlite3_finalize(count);
    return n;
}
