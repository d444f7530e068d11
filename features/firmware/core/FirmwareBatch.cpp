#include "features/firmware/core/FirmwareBatch.h"
#include "features/firmware/core/FirmwareEvents.h"

#include <algorithm>

namespace velmar {

FirmwareBatchRead ReadFirmwareImages(const std::vector<std::string>& paths) {
    FirmwareBatchRead result;
    for (const std::string& path : paths) {
        FirmwareImageRead read = ReadFirmwareImage(path);
        if (!read.image) {
            result.images.clear();
            result.problem = std::move(read.problem);
            return result;
        }
        result.images.push_back(std::move(*read.image));
    }
    return result;
}

bool FirmwareCounterShows(std::size_t acknowledged, std::size_t total) {
    return acknowledged % 64 == 0 || total < acknowledged + 64;
}

int FirmwarePercent(std::size_t acknowledged, std::size_t total) {
    if (total == 0)
        return 0;
    return static_cast<int>(std::min(acknowledged, total) * 100 / total);
}

std::string FirmwareFailureText(const FirmwareRunEnded& ended, const std::string& file) {
    const std::string status = " (status " + std::to_string(ended.status) + ")";
    const std::string record =
        "record " + std::to_string(ended.acknowledged + 1) + " of " + std::to_string(ended.total);
    std::string why;
    switch (ended.outcome) {
        case FirmwareOutcome::Programmed:
            why = "programmed";
            break;
        case FirmwareOutcome::BeginRefused:
            why = "the frame refused to begin programming" + status;
            break;
        case FirmwareOutcome::BeginUnanswered:
            why = "the frame did not answer the request to begin programming";
            break;
        case FirmwareOutcome::RecordRefused:
            why = record + " refused by the frame" + status;
            break;
        case FirmwareOutcome::Stalled:
            why = "no answer to " + record;
            break;
        case FirmwareOutcome::EndRefused:
            why = "all records sent, but the frame refused the end of the image" + status;
            break;
        case FirmwareOutcome::EndUnanswered:
            why = "all records sent, but the frame did not answer the end of the image";
            break;
        case FirmwareOutcome::LinkLost:
            why = "the connection was lost at " + record;
            break;
        case FirmwareOutcome::Stopped:
            why = "stopped by the operator after " + std::to_string(ended.acknowledged) + " of " +
                  std::to_string(ended.total) + " records";
            break;
    }
    return file + ": " + why;
}

}  // namespace velmar
