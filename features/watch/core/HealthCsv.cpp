#include "features/watch/core/HealthCsv.h"

#include "device/files/AtomicFileSaver.h"
#include "features/watch/core/HealthText.h"
#include "protocol/TextEncoding.h"

namespace velmar {

namespace {

void AppendField(std::string& csv, std::string_view raw) {
    std::string field = TerminalSafe(raw);
    if (!field.empty() && (field[0] == '=' || field[0] == '+' || field[0] == '-' || field[0] == '@'))
        field.insert(0, 1, '\'');
    if (field.find_first_of(",\"") == std::string::npos) {
        csv += field;
        return;
    }
    csv += '"';
    for (const char c : field) {
        if (c == '"')
            csv += '"';
        csv += c;
    }
    csv += '"';
}

}  // namespace

std::string HealthChangesCsv(std::span<const HealthChanged> changes) {
    std::string csv = "time,frame,what,from,to\r\n";
    for (const HealthChanged& change : changes) {
        csv += HealthTimeText(change.time);
        for (const std::string* field : {&change.frame, &change.what, &change.from, &change.to}) {
            csv += ',';
            AppendField(csv, *field);
        }
        csv += "\r\n";
    }
    return csv;
}

std::string SaveHealthChangesCsv(const std::string& path, std::span<const HealthChanged> changes) {
    return AtomicFileSaver("health history").Save(path, HealthChangesCsv(changes));
}

}  // namespace velmar
