#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace velmar::sim {

enum class FrameModel : std::uint8_t { K5A, K5B, K5E, LV16, LW16 };

// What the frame is running; the console reads it from the discovery answer.
enum class FrameMode : std::uint8_t { Recovery = 0, Application = 1, Mode2 = 2 };

// The plug-in card kinds, numbered as the console decodes them from the board code.
enum class CardKind : std::uint8_t { None = 0, Sdi = 1, Ad = 2, Da = 3, Aes = 4, Madi = 5 };

inline constexpr int kCardSlots = 8;

// Everything that tells one simulated frame from another: the rack file and the command line
// fill it, and the frame builds its factory state from it.
struct FrameDescription {
    std::string address;  // dotted loopback address the frame lives on
    FrameModel model = FrameModel::K5A;
    FrameMode mode = FrameMode::Application;
    std::string name = "Frame";
    std::int32_t id = 1;
    std::string serial = "K5A0000000001";
    std::string version = "2.1.0.3";  // application version of board position 2
    std::array<CardKind, kCardSlots> cards{};
    bool sfp = false;
    std::string danteName;  // empty: no Dante module fitted
};

std::string_view ModelName(FrameModel model);
std::string_view ModeName(FrameMode mode);
std::string_view CardName(CardKind kind);

// 0, 1 or 2 as the console derives it from the type text: class 2 has no matrix, class 1 no cards.
int ModelClass(FrameModel model);

// ((a*100 + b)*100 + c)*100 + d of a dotted version, 0 when it does not start with a number.
std::uint32_t VersionNumber(std::string_view version);

// 1536 for a class 0 frame whose application is newer than 2.0.0.0, else 1024.
int ChannelCount(const FrameDescription& description);

}  // namespace velmar::sim
