#include "features/watch/view/RackModel.h"

#include <QDateTime>
#include <algorithm>

#include "device/AddressText.h"
#include "device/DeviceModeName.h"
#include "tools/AlarmMarks.h"

namespace velmar {

namespace {

QString FromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::int64_t Millis(std::chrono::system_clock::time_point time) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
}

}  // namespace

RackModel::RackModel(const RackWatch& watch, const AlarmBook& alarms, QObject* parent)
    : QAbstractTableModel(parent), watch_(watch), alarms_(alarms) {}

void RackModel::AddFrames(const std::vector<Listing>& frames) {
    std::vector<Row> added;
    for (const Listing& frame : frames) {
        const int at = RowOf(frame.address);
        if (at < 0) {
            const bool twice = std::any_of(added.begin(), added.end(),
                                           [&](const Row& row) { return row.address == frame.address; });
            if (!twice)
                added.push_back(Row{frame.address, frame.mode, frame.name, false, std::nullopt});
            continue;
        }
        Row& row = rows_[static_cast<std::size_t>(at)];
        if (row.mode != frame.mode || (!frame.name.empty() && row.listedName != frame.name)) {
            row.mode = frame.mode;
            if (!frame.name.empty())
                row.listedName = frame.name;
            emit dataChanged(index(at, 0), index(at, kColumns - 1));
        }
    }
    if (added.empty())
        return;
    const int first = static_cast<int>(rows_.size());
    beginInsertRows({}, first, first + static_cast<int>(added.size()) - 1);
    rows_.insert(rows_.end(), std::make_move_iterator(added.begin()), std::make_move_iterator(added.end()));
    endInsertRows();
}

void RackModel::Changed(const std::string& address, std::optional<std::chrono::system_clock::time_point> at) {
    const int row = RowOf(address);
    if (row < 0)
        return;
    if (at)
        rows_[static_cast<std::size_t>(row)].lastChange = at;
    emit dataChanged(index(row, 0), index(row, kColumns - 1));
}

void RackModel::SetTicked(const std::string& address, bool ticked) {
    const int row = RowOf(address);
    if (row < 0 || rows_[static_cast<std::size_t>(row)].ticked == ticked)
        return;
    rows_[static_cast<std::size_t>(row)].ticked = ticked;
    emit dataChanged(index(row, Ticked), index(row, Ticked));
}

int RackModel::RowOf(std::string_view address) const {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].address == address)
            return static_cast<int>(i);
    }
    return -1;
}

std::string RackModel::AddressAt(int row) const {
    return row >= 0 && row < rowCount() ? rows_[static_cast<std::size_t>(row)].address : std::string();
}

std::string RackModel::AddressTextAt(int row) const {
    if (row < 0 || row >= rowCount())
        return {};
    const Row& at = rows_[static_cast<std::size_t>(row)];
    return AddressTextOf(at.address, at.mode);
}

int RackModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int RackModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

std::string RackModel::Text(const Row& row, int column) const {
    const FrameWatch* watch = watch_.Find(row.address);
    const auto value = [&](std::string_view what) {
        return watch != nullptr ? watch->Value(what) : std::string();
    };
    switch (column) {
        case Name: {
            const std::string name = value("name");
            return name.empty() ? row.listedName : name;
        }
        case Model:
            return value("model");
        case Address:
            return row.address;
        case Mode:
            return std::string(ModeName(row.mode));
        case Link:
            if (watch == nullptr)
                return "not watched";
            return value("link").empty() ? "connecting" : value("link");
        case SampleRate:
            return value("sample-rate");
        case SyncSource:
            return value("sync-source");
        case Sync:
            return value("sync");
        case Psu1:
            return value("psu1");
        case Psu2:
            return value("psu2");
        case Fans: {
            std::string faulty;
            bool known = false;
            for (const char* fan : {"fan1", "fan2", "fan3"}) {
                const std::string status = value(fan);
                known = known || !status.empty();
                if (status == "fault")
                    faulty += std::string(faulty.empty() ? "fault: " : ", ") + (fan + 3);
            }
            return !faulty.empty() ? faulty : known ? "ok" : "";
        }
        case Alarms: {
            const std::vector<Alarm> open = alarms_.Open(row.address);
            std::string text;
            for (const Alarm& alarm : open)
                text += (text.empty() ? "" : "; ") + alarm.text +
                        (alarm.times > 1 ? " (" + std::to_string(alarm.times) + " times)" : "");
            return text;
        }
        case LastChange:
            if (!row.lastChange)
                return {};
            return QDateTime::fromMSecsSinceEpoch(Millis(*row.lastChange))
                .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                .toStdString();
        default:
            return {};
    }
}

bool RackModel::Troubled(const Row& row, int column) const {
    const std::string text = Text(row, column);
    switch (column) {
        case Link:
            return text == "lost" || text == "unreachable";
        case Sync:
            return text == "unlocked";
        case Psu1:
        case Psu2:
            return text == "fault";
        case Fans:
            return text.starts_with("fault");
        case Alarms:
            return !text.empty();
        default:
            return false;
    }
}

QVariant RackModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Row& row = rows_[static_cast<std::size_t>(index.row())];
    const int column = index.column();
    switch (role) {
        case Qt::DisplayRole:
            if (column == Ticked)
                return {};
            if (column == Alarms) {
                const std::size_t open = alarms_.OpenCount(row.address);
                return open == 0 ? QString()
                                 : QString::number(open) + QStringLiteral(": ") + FromUtf8(Text(row, column));
            }
            return FromUtf8(Text(row, column));
        case Qt::CheckStateRole:
            return column == Ticked ? QVariant(row.ticked ? Qt::Checked : Qt::Unchecked) : QVariant();
        case kSortRole:
            if (column == Ticked)
                return row.ticked ? 1 : 0;
            if (column == LastChange)
                return row.lastChange ? QVariant(qint64(Millis(*row.lastChange))) : QVariant(qint64(0));
            if (column == Alarms)
                return qulonglong(alarms_.OpenCount(row.address));
            return FromUtf8(Text(row, column));
        case kAddressTextRole:
            return FromUtf8(AddressTextOf(row.address, row.mode));
        case Qt::BackgroundRole:
            return Troubled(row, column) ? QVariant(AlarmBackground()) : QVariant();
        case Qt::ForegroundRole:
            return Troubled(row, column) ? QVariant(AlarmText()) : QVariant();
        default:
            return {};
    }
}

bool RackModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != Ticked || role != Qt::CheckStateRole)
        return false;
    Row& row = rows_[static_cast<std::size_t>(index.row())];
    const bool ticked = value.toInt() == Qt::Checked;
    if (row.ticked == ticked)
        return true;
    row.ticked = ticked;
    emit dataChanged(index, index);
    if (ticked_)
        ticked_(AddressTextOf(row.address, row.mode), ticked);
    return true;
}

Qt::ItemFlags RackModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == Ticked)
        flags |= Qt::ItemIsUserCheckable;
    return flags;
}

QVariant RackModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const titles[kColumns] = {"Watch", "Name",        "Model",       "Address",    "Mode",
                                                 "Link",  "Sample rate", "Sync source", "Sync",       "PSU 1",
                                                 "PSU 2", "Fans",        "Open alarms", "Last change"};
    return section >= 0 && section < kColumns ? QString::fromLatin1(titles[section]) : QVariant();
}

}  // namespace velmar
