#include "cli/TerminalStream.h"

#include "protocol/TextEncoding.h"

namespace velmar {

TerminalStream::TerminalStream(std::ostream& target) : std::ostream(nullptr), buffer_(target) {
    rdbuf(&buffer_);
}

TerminalStream::~TerminalStream() {
    buffer_.Flush();
}

void TerminalStream::LineBuffer::Flush() {
    // A flush between two characters of one text never cuts a UTF-8 sequence: texts are
    // inserted whole.
    target_ << TerminalSafe(line_);
    line_.clear();
    target_.flush();
}

void TerminalStream::LineBuffer::Put(char c) {
    if (c != '\n' && c != '\r') {
        line_ += c;
        return;
    }
    target_ << TerminalSafe(line_) << c;
    line_.clear();
}

TerminalStream::LineBuffer::int_type TerminalStream::LineBuffer::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    Put(traits_type::to_char_type(c));
    return c;
}

std::streamsize TerminalStream::LineBuffer::xsputn(const char* text, std::streamsize count) {
    for (std::streamsize i = 0; i < count; ++i)
        Put(text[i]);
    return count;
}

int TerminalStream::LineBuffer::sync() {
    Flush();
    return target_ ? 0 : -1;
}

}  // namespace velmar
