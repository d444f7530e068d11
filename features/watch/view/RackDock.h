#pragma once

#include <QDockWidget>
#include <functional>
#include <string>
#include <utility>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;

namespace velmar {

class Rack;

// The rack view: a dock beside the device list with one row per frame, sortable and filtered by
// any column's text. Double-click focuses the frame in the main window; "Acknowledge" takes the
// selected frames' open alarms; "Watch all frames" or only the ticked ones.
class RackDock final : public QDockWidget {
    Q_OBJECT

  public:
    RackDock(Rack& rack, std::function<void(const std::string& addressText)> focus, QWidget* parent);

    QTableView* View() const { return view_; }
    QSortFilterProxyModel* Proxy() const { return proxy_; }
    QLineEdit* Filter() const { return filter_; }
    QCheckBox* WatchAll() const { return watchAll_; }
    QPushButton* AcknowledgeButton() const { return acknowledge_; }
    QPushButton* SettingsButton() const { return settings_; }
    // The row of the view (after sorting and filtering) that shows `address`, or -1.
    int ViewRowOf(const std::string& address) const;
    // What "Health timeline ..." in a row's context menu opens; the timeline lives with the tool
    // windows, which this dock cannot link.
    void SetTimelineOpener(std::function<void(const std::string& address, const QString& name)> open) {
        timeline_ = std::move(open);
    }

  private:
    void AcknowledgeSelected();
    void OpenSettings();

    Rack& rack_;
    std::function<void(const std::string&)> focus_;
    std::function<void(const std::string&, const QString&)> timeline_;
    QSortFilterProxyModel* proxy_;
    QTableView* view_;
    QLineEdit* filter_;
    QCheckBox* watchAll_;
    QPushButton* acknowledge_;
    QPushButton* settings_;
};

}  // namespace velmar
