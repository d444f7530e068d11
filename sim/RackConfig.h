#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "sim/FrameDescription.h"

namespace velmar::sim {

// Builds the list of frames a rack holds: the built-in default, a generated rack of N frames,
// or frames described one per line as `frame key=value ...` (the same words as --frame).
class RackConfig {
  public:
    // A 1536-channel K5A with every card kind, SFP and Dante module; an LW16; a K5E; a frame in
    // recovery mode.
    static std::vector<FrameDescription> DefaultRack();

    // The default rack followed by application-mode frames up to `count` in all.
    static std::vector<FrameDescription> GeneratedRack(int count);

    // Applies `key=value` words (values may be 'quoted text') to `description`; returns an error text,
    // empty on success.
    static std::string ApplyWords(std::string_view words, FrameDescription& description);

    // Reads a rack file: `frame ...` lines, blank lines and # comments. Returns an error text
    // naming the line, empty on success.
    static std::string ParseFile(std::string_view text, std::vector<FrameDescription>& frames);

    // Gives every frame without an address the next free one from 127.0.0.2 on, and checks that
    // all are distinct loopback addresses other than 127.0.0.1.
    static std::string AssignAddresses(std::vector<FrameDescription>& frames);
};

}  // namespace velmar::sim
