#include "protocol/TextLines.h"

namespace velmar {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LittleMark = "\xFF\xFE";
constexpr std::string_view kUtf16BigMark = "\xFE\xFF";
constexpr std::string_view kUtf16Refusal = "UTF-16 text; save it as plain (ASCII or UTF-8) text";

bool IsUtf16(std::string_view head) {
    return head.starts_with(kUtf16LittleMark) || head.starts_with(kUtf16BigMark);
}

std::uint32_t ControlsOf(std::string_view text) {
    std::uint32_t controls = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20)
            controls |= 1u << byte;
    }
    return controls;
}

}  // namespace

bool TextLines::Line::HasControlBesides(std::string_view allowed) const {
    std::uint32_t mask = controls;
    for (const char c : allowed) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20)
            mask &= ~(1u << byte);
    }
    return mask != 0;
}

TextLines::TextLines(std::string_view text, std::size_t longest) : text_(text), longest_(longest) {}

TextLines::TextLines(std::istream& in, std::size_t longest) : stream_(in.rdbuf()), longest_(longest) {}

int TextLines::Get() {
    if (headAt_ < head_.size())
        return static_cast<unsigned char>(head_[headAt_++]);
    const auto c = stream_->sbumpc();
    return c == std::char_traits<char>::eof() ? -1 : static_cast<unsigned char>(c);
}

void TextLines::Begin() {
    begun_ = true;
    if (stream_ == nullptr) {
        ended_ = IsUtf16(text_);
        if (text_.starts_with(kUtf8Mark))
            text_.remove_prefix(kUtf8Mark.size());
    } else {
        // Held back and given out again by Get() unless they are a byte-order mark.
        while (head_.size() < kUtf8Mark.size()) {
            const auto c = stream_->sbumpc();
            if (c == std::char_traits<char>::eof())
                break;
            head_.push_back(std::char_traits<char>::to_char_type(c));
        }
        ended_ = IsUtf16(head_);
        if (head_ == kUtf8Mark)
            head_.clear();
    }
    if (ended_)
        notText_ = kUtf16Refusal;
}

const std::string& TextLines::NotText() {
    if (!begun_)
        Begin();
    return notText_;
}

std::optional<TextLines::Line> TextLines::Next() {
    if (!begun_)
        Begin();
    if (ended_)
        return std::nullopt;
    return stream_ == nullptr ? NextInText() : NextInStream();
}

std::optional<TextLines::Line> TextLines::NextInText() {
    if (afterCr_ && text_.starts_with('\n'))
        text_.remove_prefix(1);
    afterCr_ = false;
    if (text_.empty()) {
        ended_ = true;
        return std::nullopt;
    }
    const std::size_t end = text_.find_first_of("\r\n");
    const std::string_view whole = text_.substr(0, end);
    if (end == std::string_view::npos) {
        text_ = {};
    } else {
        afterCr_ = text_[end] == '\r';
        text_.remove_prefix(end + 1);
    }
    Line line;
    line.number = ++number_;
    line.text = whole.substr(0, longest_);
    line.cut = whole.size() > longest_;
    line.controls = ControlsOf(whole);
    return line;
}

std::optional<TextLines::Line> TextLines::NextInStream() {
    int c = Get();
    if (c == '\n' && afterCr_)
        c = Get();
    afterCr_ = false;
    if (c < 0) {
        ended_ = true;
        return std::nullopt;
    }
    Line line;
    line.number = ++number_;
    held_.clear();
    for (; c >= 0 && c != '\r' && c != '\n'; c = Get()) {
        if (c < 0x20)
            line.controls |= 1u << c;
        if (held_.size() < longest_)
            held_.push_back(static_cast<char>(c));
        else
            line.cut = true;
    }
    afterCr_ = c == '\r';
    ended_ = c < 0;
    line.text = held_;
    return line;
}

}  // namespace velmar
