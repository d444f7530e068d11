#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace velmar {

// A file's text cut into lines, by one rule for every file people hand the console (snapshots,
// settings files, label files, flash files), however their editor saved them: CR, LF and CR LF
// each end a line, in any mix; a UTF-8 byte-order mark at the very start is dropped; a last line
// without its end is a line all the same. Text in UTF-16 (a byte-order mark of its own) is not
// cut at all, and NotText() says why. What a line may hold is left to each file's reader.
class TextLines {
  public:
    static constexpr std::size_t kAnyLength = std::numeric_limits<std::size_t>::max();

    struct Line {
        std::size_t number = 0;  // from 1, as an editor counts them
        // The line without its end, valid until the next call of Next(). A line longer than the
        // longest one asked for is not held whole (a file without line ends cannot exhaust
        // memory): `text` is its beginning and `cut` is set.
        std::string_view text;
        bool cut = false;
        // Bit n is set when the byte n (below 0x20) occurs in the line, in its cut part too.
        std::uint32_t controls = 0;

        // True when the line holds a control byte other than those of `allowed` ("\t").
        bool HasControlBesides(std::string_view allowed = {}) const;
    };

    explicit TextLines(std::string_view text, std::size_t longest = kAnyLength);
    explicit TextLines(std::istream& in, std::size_t longest = kAnyLength);

    // The next line, or nothing at the end of the text (or for text that is not cut at all).
    std::optional<Line> Next();
    // Why the text is not read as lines; empty for a text that is.
    const std::string& NotText();

  private:
    void Begin();
    std::optional<Line> NextInText();
    std::optional<Line> NextInStream();
    int Get();  // the next byte of the stream, or -1 at its end

    std::string_view text_;
    std::streambuf* stream_ = nullptr;
    std::size_t longest_;
    std::string head_;  // the stream's first bytes, read to tell a byte-order mark
    std::size_t headAt_ = 0;
    bool begun_ = false;
    bool ended_ = false;
    bool afterCr_ = false;  // a LF right after the CR that ended a line ends no second one
    std::size_t number_ = 0;
    std::string held_;
    std::string notText_;
};

}  // namespace velmar
