#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "features/firmware/core/FirmwareEvents.h"
#include "features/firmware/core/FirmwareImage.h"

namespace velmar {

// The images of one programming order, in the order they are programmed, and which one is on.
// A failed image ends the order: the rest are dropped, never programmed after a failure.
class FirmwareBatch {
  public:
    FirmwareBatch() = default;
    explicit FirmwareBatch(std::vector<FirmwareImage> images) : images_(std::move(images)) {}

    bool Empty() const { return current_ >= images_.size(); }
    const FirmwareImage& Current() const { return images_[current_]; }
    std::size_t FileNumber() const { return current_ + 1; }
    std::size_t FileCount() const { return images_.size(); }
    bool IsLast() const { return current_ + 1 >= images_.size(); }
    // On to the next image; false when there is none.
    bool Advance() { return ++current_ < images_.size(); }
    void Clear() { *this = FirmwareBatch(); }

  private:
    std::vector<FirmwareImage> images_;
    std::size_t current_ = 0;
};

// Checks every file before anything is sent, so a bad last file cannot stop an order halfway.
// Files come out in the order given; `problem` names the first file that cannot be programmed.
struct FirmwareBatchRead {
    std::vector<FirmwareImage> images;
    std::string problem;
};
FirmwareBatchRead ReadFirmwareImages(const std::vector<std::string>& paths);

// The record counter is redrawn every 64 records and for each of the last 63.
bool FirmwareCounterShows(std::size_t acknowledged, std::size_t total);
// The progress bar's value, 0..100.
int FirmwarePercent(std::size_t acknowledged, std::size_t total);
// Why an image was not programmed, for the operator: "<file>: record 17 of 100 refused by the frame (status
// -5)".
std::string FirmwareFailureText(const FirmwareRunEnded& ended, const std::string& file);

}  // namespace velmar
