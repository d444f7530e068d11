#include "console/FeatureViews.h"

namespace velmar {

// Shows are saved, compared and applied from velmar-cli for now; the window has no entries yet.
void ShowInstallViews(MainWindow& /*window*/, ConsoleCore& /*core*/) {}

}  // namespace velmar
