#pragma once

#include <QWidget>
#include <array>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "features/watch/core/HealthLanes.h"

class QLabel;
class QPushButton;

namespace velmar {

class ConsoleCore;
class FilePicker;
class Prompter;
class TimelineLanesView;

// A frame's health over the last hour, day or week, read from the history the watches keep:
// one lane per health value, zoomable, and the changes on show exported as CSV. The history is
// read once per range chosen, only that range (and the values it begins with).
class TimelineWindow final : public QWidget {
    Q_OBJECT

  public:
    using Now = std::function<std::chrono::system_clock::time_point()>;
    enum class Span { Hour, Day, Week };

    TimelineWindow(std::string address, const QString& title, std::string historyPath, FilePicker& files,
                   Prompter& prompter, QWidget* parent = nullptr, Now now = std::chrono::system_clock::now);

    // Reads the history for the last `span` up to now and shows it whole.
    void Show(Span span);
    // Asks for a file and writes the changes on show to it.
    void ExportCsv();

    TimelineLanesView* Lanes() const { return lanes_; }
    QPushButton* SpanButton(Span span) const { return spanButtons_[static_cast<std::size_t>(span)]; }
    QPushButton* ResetButton() const { return reset_; }
    QPushButton* ExportButton() const { return export_; }
    QLabel* Note() const { return note_; }
    // What the last reading brought: the changes in the range, after the values it begins with.
    const std::vector<HealthChanged>& Changes() const { return changes_; }

  private:
    std::string address_;
    std::string historyPath_;
    FilePicker& files_;
    Prompter& prompter_;
    Now now_;
    std::vector<HealthChanged> changes_;
    TimelineLanesView* lanes_ = nullptr;
    std::array<QPushButton*, 3> spanButtons_{};
    QPushButton* reset_ = nullptr;
    QPushButton* export_ = nullptr;
    QLabel* note_ = nullptr;
};

// Opens (modeless, deleted on close) the timeline of the frame at `address` over the user's
// history; `title` names the frame in the window's title.
TimelineWindow* OpenHealthTimeline(QWidget* parent, ConsoleCore& core, const std::string& address,
                                   QString title);

}  // namespace velmar
