#pragma once

#include <QAbstractTableModel>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "device/ConnectionState.h"
#include "features/watch/core/AlarmBook.h"
#include "features/watch/core/RackWatch.h"

namespace velmar {

// One row per frame of the rack: every discovered frame, watched or not, with what its watch
// last said. A change reaches its row alone (dataChanged for one row); rows are only added.
class RackModel final : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column {
        Ticked,
        Name,
        Model,
        Address,
        Mode,
        Link,
        SampleRate,
        SyncSource,
        Sync,
        Psu1,
        Psu2,
        Fans,
        Alarms,
        LastChange,
        kColumns
    };
    // What the proxy sorts by: the text, but the last change by its time.
    static constexpr int kSortRole = Qt::UserRole;
    // The row's address text as the device list writes it.
    static constexpr int kAddressTextRole = Qt::UserRole + 1;

    RackModel(const RackWatch& watch, const AlarmBook& alarms, QObject* parent = nullptr);

    // A frame the rack knows of (listed, ticked or watched); its name until the watch says one.
    struct Listing {
        std::string address;
        DeviceMode mode = DeviceMode::Application;
        std::string name;
    };
    // New frames are inserted in one go: a rack of 250 is sorted once, not 250 times.
    void AddFrames(const std::vector<Listing>& frames);
    // Something of the frame moved: its row is shown again.
    void Changed(const std::string& address, std::optional<std::chrono::system_clock::time_point> at = {});
    void SetTicked(const std::string& address, bool ticked);
    // Called when the operator ticks or unticks a row.
    void OnTicked(std::function<void(const std::string& addressText, bool ticked)> ticked) {
        ticked_ = std::move(ticked);
    }

    int RowOf(std::string_view address) const;
    std::string AddressAt(int row) const;
    std::string AddressTextAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    struct Row {
        std::string address;
        DeviceMode mode = DeviceMode::Application;
        std::string listedName;
        bool ticked = false;
        std::optional<std::chrono::system_clock::time_point> lastChange;
    };

    std::string Text(const Row& row, int column) const;
    bool Troubled(const Row& row, int column) const;

    const RackWatch& watch_;
    const AlarmBook& alarms_;
    std::vector<Row> rows_;
    std::function<void(const std::string&, bool)> ticked_;
};

}  // namespace velmar
