#pragma once

#include <memory>
#include <string>

#include "features/watch/core/HealthHistory.h"

struct sqlite3;
struct sqlite3_stmt;

namespace velmar {

// The history in an SQLite file: one row per change, indexed by frame and time. Several
// watches may write one file at once (each write waits its turn for a while).
class SqliteHealthHistory final : public HealthHistory {
  public:
    enum class Access { ReadOnly, ReadWrite };

    // The file the user's history lives in: VELMAR_HISTORY, else
    // $XDG_DATA_HOME/velmar/history.sqlite, else ~/.local/share/velmar/history.sqlite.
    static std::string DefaultPath();

    // Opens (for writing: creates, with its folder) the file; empty on success, else why not.
    // Only a regular file (or none yet, for writing) is taken.
    std::string Open(const std::string& path, Access access);
    ~SqliteHealthHistory() override;

    std::string Record(const HealthChanged& change) override;
    std::string RecordAll(std::span<const HealthChanged> changes) override;
    std::string Prune(std::chrono::system_clock::time_point before) override;
    std::string Read(std::string_view frame, std::chrono::system_clock::time_point since,
                     std::vector<HealthChanged>& into) override;
    // The changes of `frame` in [from, to), oldest first, after the last change of each kind
    // before `from`: what the frame's values were when the range begins.
    std::string ReadRange(std::string_view frame, std::chrono::system_clock::time_point from,
                          std::chrono::system_clock::time_point to, std::vector<HealthChanged>& into);

  private:
    std::string Failure(std::string_view doing) const;
    void Close();

    sqlite3* db_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
    std::string path_;
};

}  // namespace velmar
