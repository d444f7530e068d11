#include "features/show/view/ShowDifferences.h"

#include "console/ConsoleCore.h"
#include "protocol/Ipv4Address.h"

namespace velmar {

namespace {

void Rows(QTreeWidgetItem& parent, const QString& heading, const std::vector<std::string>& lines) {
    for (const std::string& line : lines)
        new QTreeWidgetItem(&parent, {heading, QString::fromStdString(line)});
}

}  // namespace

std::vector<ShowFrames::Target> ShowTargets(ConsoleCore& core, const ShowFile& show) {
    std::vector<ShowFrames::Target> targets;
    for (const ShowFrame& frame : show.frames) {
        std::string address = frame.address;
        for (const DeviceRow& row : core.Finder().List().Rows()) {
            const std::string& shown = row.Column(DeviceColumn::Address);
            if (row.Column(DeviceColumn::Serial) == frame.serial && ParseIpv4(shown))
                address = shown;
        }
        targets.push_back({address, &frame});
    }
    return targets;
}

QString ShowFrameTitle(const ShowFrame& frame, const std::string& address) {
    return QString::fromStdString(frame.serial + (frame.name.empty() ? "" : " " + frame.name) + " (" +
                                  address + ")");
}

void FillShowDifferences(QTreeWidgetItem& item, const ShowFrame& show, ShowFrameRun& run,
                         const std::string& address) {
    while (item.childCount() > 0)
        delete item.takeChild(0);
    item.setText(0, ShowFrameTitle(show, address));
    switch (run.GetStage()) {
        case ShowFrameRun::Stage::Starting:
        case ShowFrameRun::Stage::Reading:
            item.setText(1, QStringLiteral("reading the frame…"));
            return;
        case ShowFrameRun::Stage::Failed:
            item.setText(1, QStringLiteral("not compared: ") + QString::fromStdString(run.Problem()));
            return;
        default:
            break;
    }
    const ShowComparison& c = run.Comparison();
    if (!c.problem.empty()) {
        item.setText(1, QStringLiteral("refused: ") + QString::fromStdString(c.problem));
        return;
    }
    const std::size_t count = c.settings.size() + c.cards.size() + c.routes.size() + c.labels.size() +
                              c.gains.size() + c.detectors.size() + c.ppm.size() + c.flows.size();
    item.setText(1, count == 0 ? QStringLiteral("as the show") : QStringLiteral("%1 differences").arg(count));
    Rows(item, QStringLiteral("settings"), c.settings);
    Rows(item, QStringLiteral("cards"), c.cards);
    Rows(item, QStringLiteral("routes"), c.routes);
    Rows(item, QStringLiteral("labels"), c.labels);
    Rows(item, QStringLiteral("gains"), c.gains);
    Rows(item, QStringLiteral("detectors"), c.detectors);
    Rows(item, QStringLiteral("ppm"), c.ppm);
    Rows(item, QStringLiteral("flows"), c.flows);
    Rows(item, QStringLiteral("cannot be sent"), c.unsent);
    Rows(item, QStringLiteral("not on the frame"), c.absent);
    Rows(item, QStringLiteral("kept"), c.kept);
    item.setExpanded(true);
}

}  // namespace velmar
