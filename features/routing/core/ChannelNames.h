#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace velmar {

// The one naming of channels that every list, selector, preview, question, log entry and CLI
// line uses: "AES 05", "SFP1 12", "CARD3 65", "CHN 1000". Whatever else a view shows beside a
// channel (a label) is added to this text, never instead of it.
std::string ChannelText(std::int32_t channel);

// A stereo pair by its left channel: "AES 05+06" (the right number alone when both channels
// belong to the same interface, the right channel's whole name when they do not).
std::string PairText(std::int32_t left);

// What feeds an output: a channel, or "nothing" for 0.
std::string SourceText(std::int32_t input);

// Channels for a question or a log entry, a run of one interface named once:
// "MADI 20, 23, 24, AES 01". After `most` channels: "… and 12 more".
std::string ChannelListText(std::span<const std::int32_t> channels, std::size_t most = 12);

// A find box's query against a channel: its number, or its name ignoring case and the space
// ("madi5", "MADI 05", "madi 5" and "597" all find MADI 05).
bool ChannelMatches(std::int32_t channel, std::string_view query);

}  // namespace velmar
