#include "features/watch/core/SqliteHealthHistory.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace velmar {

namespace {

using Clock = std::chrono::system_clock;

constexpr int kBusyWaitMs = 5000;

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS health_changes ("
    " id INTEGER PRIMARY KEY,"
    " time_ms INTEGER NOT NULL,"
    " frame TEXT NOT NULL,"
    " what TEXT NOT NULL,"
    " from_value TEXT NOT NULL,"
    " to_value TEXT NOT NULL);"
    "CREATE INDEX IF NOT EXISTS health_changes_by_frame ON health_changes (frame, time_ms);"
    // The timeline's carry-in: the last change of each kind before a time.
    "CREATE INDEX IF NOT EXISTS health_changes_by_kind ON health_changes (frame, what, time_ms);";

std::int64_t Millis(Clock::time_point time) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
}

// Creates `folder` and the folders above it that are missing, private to the user.
bool MakeFolders(const std::string& folder) {
    if (folder.empty())
        return true;
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0)
        return S_ISDIR(info.st_mode);
    const std::size_t slash = folder.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(folder.substr(0, slash)))
        return false;
    return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

std::string Text(sqlite3_stmt* statement, int column) {
    const unsigned char* text = sqlite3_column_text(statement, column);
    const int bytes = sqlite3_column_bytes(statement, column);
    return text == nullptr
               ? std::string()
               : std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(bytes));
}

bool Bind(sqlite3_stmt* statement, int at, std::string_view text) {
    return sqlite3_bind_text(statement, at, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) ==
           SQLITE_OK;
}

// Appends the rows of `statement` (time, what, from, to first); the last step's result.
int Collect(sqlite3_stmt* statement, std::string_view frame, std::vector<HealthChanged>& into) {
    int step = SQLITE_DONE;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        into.push_back({std::string(frame), Text(statement, 1), Text(statement, 2), Text(statement, 3),
                        Clock::time_point(std::chrono::milliseconds(sqlite3_column_int64(statement, 0)))});
    }
    return step;
}

}  // namespace

std::string SqliteHealthHistory::DefaultPath() {
    if (const char* path = std::getenv("VELMAR_HISTORY"); path != nullptr && *path != '\0')
        return path;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/')
        return std::string(data) + "/velmar/history.sqlite";
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.local/share/velmar/history.sqlite";
}

SqliteHealthHistory::~SqliteHealthHistory() {
    Close();
}

void SqliteHealthHistory::Close() {
    sqlite3_finalize(insert_);
    insert_ = nullptr;
    sqlite3_close(db_);
    db_ = nullptr;
}

std::string SqliteHealthHistory::Failure(std::string_view doing) const {
    return std::string(doing) + " " + path_ + ": " + (db_ != nullptr ? sqlite3_errmsg(db_) : "no database");
}

std::string SqliteHealthHistory::Open(const std::string& path, Access access) {
    Close();
    path_ = path;
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
        // A device or a pipe handed to us as the history would be read or written blindly.
        if (!S_ISREG(info.st_mode))
            return path + " is not a regular file";
    } else if (errno != ENOENT) {
        return "cannot open " + path + ": " + std::strerror(errno);
    } else if (access == Access::ReadOnly) {
        return "no history kept at " + path;
    } else if (const std::size_t slash = path.find_last_of('/');
               slash != std::string::npos && !MakeFolders(path.substr(0, slash))) {
        return "cannot create the folder of " + path;
    }
    const int flags =
        access == Access::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    if (sqlite3_open_v2(path.c_str(), &db_, flags | SQLITE_OPEN_NOFOLLOW, nullptr) != SQLITE_OK) {
        const std::string failure = Failure("cannot open");
        Close();
        return failure;
    }
    sqlite3_busy_timeout(db_, kBusyWaitMs);
    if (access == Access::ReadWrite) {
        // Readers (velmar-cli history, the timeline) never wait for a writer, nor it for them.
        sqlite3_exec(db_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        if (sqlite3_exec(db_, kSchema, nullptr, nullptr, nullptr) != SQLITE_OK ||
            sqlite3_prepare_v2(db_,
                               "INSERT INTO health_changes (time_ms, frame, what, from_value, to_value)"
                               " VALUES (?, ?, ?, ?, ?)",
                               -1, &insert_, nullptr) != SQLITE_OK) {
            const std::string failure = Failure("cannot prepare");
            Close();
            return failure;
        }
    }
    return {};
}

std::string SqliteHealthHistory::Record(const HealthChanged& change) {
    if (insert_ == nullptr)
        return "the history " + path_ + " is not open for writing";
    sqlite3_reset(insert_);
    const bool bound = sqlite3_bind_int64(insert_, 1, Millis(change.time)) == SQLITE_OK &&
                       Bind(insert_, 2, change.frame) && Bind(insert_, 3, change.what) &&
                       Bind(insert_, 4, change.from) && Bind(insert_, 5, change.to);
    if (!bound || sqlite3_step(insert_) != SQLITE_DONE)
        return Failure("cannot write to");
    return {};
}

std::string SqliteHealthHistory::RecordAll(std::span<const HealthChanged> changes) {
    if (insert_ == nullptr)
        return "the history " + path_ + " is not open for writing";
    // One transaction: one sync of the file for the lot, not one per change.
    if (sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        return Failure("cannot write to");
    for (const HealthChanged& change : changes) {
        if (std::string failure = Record(change); !failure.empty()) {
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            return failure;
        }
    }
    if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        std::string failure = Failure("cannot write to");
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        return failure;
    }
    return {};
}

std::string SqliteHealthHistory::Prune(Clock::time_point before) {
    if (insert_ == nullptr)
        return "the history " + path_ + " is not open for writing";
    sqlite3_stmt* statement = nullptr;
    std::string failure;
    if (sqlite3_prepare_v2(db_, "DELETE FROM health_changes WHERE time_ms < ?", -1, &statement, nullptr) !=
            SQLITE_OK ||
        sqlite3_bind_int64(statement, 1, Millis(before)) != SQLITE_OK ||
        sqlite3_step(statement) != SQLITE_DONE)
        failure = Failure("cannot prune");
    sqlite3_finalize(statement);
    return failure;
}

std::string SqliteHealthHistory::Read(std::string_view frame, Clock::time_point since,
                                      std::vector<HealthChanged>& into) {
    if (db_ == nullptr)
        return "the history " + path_ + " is not open";
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_,
                           "SELECT time_ms, what, from_value, to_value FROM health_changes"
                           " WHERE frame = ? AND time_ms >= ? ORDER BY time_ms, id",
                           -1, &statement, nullptr) != SQLITE_OK) {
        // A file that holds no history yet has no table: it has nothing to say about the frame.
        std::string failure = Failure("cannot read");
        sqlite3_finalize(statement);
        return failure;
    }
    std::string failure;
    if (!Bind(statement, 1, frame) || sqlite3_bind_int64(statement, 2, Millis(since)) != SQLITE_OK)
        failure = Failure("cannot read");
    if (failure.empty() && Collect(statement, frame, into) != SQLITE_DONE)
        failure = Failure("cannot read");
    sqlite3_finalize(statement);
    return failure;
}

std::string SqliteHealthHistory::ReadRange(std::string_view frame, Clock::time_point from,
                                           Clock::time_point to, std::vector<HealthChanged>& into) {
    if (db_ == nullptr)
        return "the history " + path_ + " is not open";
    sqlite3_stmt* statement = nullptr;
    std::string failure;
    if (sqlite3_prepare_v2(db_,
                           "SELECT time_ms, what, from_value, to_value, id FROM health_changes WHERE id IN ("
                           " SELECT (SELECT id FROM health_changes WHERE frame = ?1 AND what = kinds.what"
                           "  AND time_ms < ?2 ORDER BY time_ms DESC, id DESC LIMIT 1)"
                           " FROM (SELECT DISTINCT what FROM health_changes WHERE frame = ?1) AS kinds)"
                           " UNION ALL"
                           " SELECT time_ms, what, from_value, to_value, id FROM health_changes"
                           " WHERE frame = ?1 AND time_ms >= ?2 AND time_ms < ?3"
                           " ORDER BY 1, 5",
                           -1, &statement, nullptr) != SQLITE_OK ||
        !Bind(statement, 1, frame) || sqlite3_bind_int64(statement, 2, Millis(from)) != SQLITE_OK ||
        sqlite3_bind_int64(statement, 3, Millis(to)) != SQLITE_OK ||
        Collect(statement, frame, into) != SQLITE_DONE)
        failure = Failure("cannot read");
    sqlite3_finalize(statement);
    return failure;
}

}  // namespace velmar
