#pragma once

#include <cstdint>
#include <string>

namespace velmar {

// The firmware programming run: the image file and the update window. The core paces the records
// from the frame's acknowledgements; this side owns the file and the progress display.
class FirmwareRun {
  public:
    enum class Line : std::uint8_t { Record, Empty, End };

    virtual bool IsActive() const = 0;
    // The frame accepted the begin: open the image; true when the run is now active.
    virtual bool Open() = 0;
    // Next image line into `record` (without its line end). End also covers a non-"S" line.
    virtual Line NextLine(std::string& record) = 0;
    virtual void RecordSent() = 0;
    // The frame closed the image: show the final count.
    virtual void ImageClosed() = 0;
    // Watchdog expiry: close the file, clear the run, ask whether to finish; true means restart.
    virtual bool FinishRun() = 0;

  protected:
    ~FirmwareRun() = default;
};

}  // namespace velmar
