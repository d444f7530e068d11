#pragma once

#include <QString>
#include <QTreeWidget>
#include <string>
#include <vector>

#include "features/show/view/ShowFrames.h"

namespace velmar {

class ConsoleCore;

// Where each frame of a show answers now: the device list's row of its serial number, else the
// address in the file (a rack may have been given other addresses since the show was saved).
std::vector<ShowFrames::Target> ShowTargets(ConsoleCore& core, const ShowFile& show);

// "K5A0011703042 Studio A (127.0.0.2)"
QString ShowFrameTitle(const ShowFrame& frame, const std::string& address);

// One frame's comparison as rows under `item`: per section what differs, what the file names that
// the frame lacks, what the frame keeps; the item's own text says how it stands.
void FillShowDifferences(QTreeWidgetItem& item, const ShowFrame& show, ShowFrameRun& run,
                         const std::string& address);

}  // namespace velmar
