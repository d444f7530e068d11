#pragma once

#include <string>

#include "protocol/MessageCodec.h"

namespace velmar::sim {

// Appends the lines a frame sends to an output string: whole records through the codec, and
// list replies as the codec's leading words followed by one value per entry.
class LineBuilder {
  public:
    explicit LineBuilder(const MessageCodec& codec) : codec_(codec) {}

    void Line(std::string& out, const CommandMessage& message) const;
    // The record's line without its carriage return; follow with Value() and End().
    void Begin(std::string& out, const CommandMessage& message) const;
    static void Value(std::string& out, const CommandMessage& record, const ArgField& field);
    static void End(std::string& out) { out += '\r'; }

  private:
    const MessageCodec& codec_;
};

}  // namespace velmar::sim
