#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "protocol/CommandMessage.h"

namespace velmar {

inline constexpr std::size_t kChannelTableSize = 2048;
inline constexpr std::size_t kBoardPositions = 20;
inline constexpr std::size_t kCardSlots = 8;
inline constexpr std::size_t kCardChannels = 8;
inline constexpr std::size_t kCardPorts = 2;
inline constexpr std::size_t kMadiPorts = 3;
inline constexpr std::size_t kOptionalModules = 2;
inline constexpr std::size_t kFlowCount = 32;
inline constexpr std::size_t kFlowSlots = 8;
inline constexpr std::size_t kSyncPriorityCount = 17;
inline constexpr std::size_t kMainInputs = 14;
inline constexpr std::size_t kInactiveEntries = 18;

// A zero-terminated text field of N bytes, as wide as the protocol argument it mirrors.
template <std::size_t N>
struct TextField {
    std::array<char, N> bytes{};

    std::string_view View() const {
        std::size_t n = 0;
        while (n < N && bytes[n] != '\0')
            ++n;
        return {bytes.data(), n};
    }
    void Assign(std::string_view text) {
        bytes.fill('\0');
        const std::size_t n = text.size() < N ? text.size() : N - 1;
        for (std::size_t i = 0; i < n; ++i)
            bytes[i] = text[i];
    }
    bool Empty() const { return bytes[0] == '\0'; }
    friend bool operator==(const TextField&, const TextField&) = default;
};

enum class CardType : std::uint16_t { None = 0, Sdi = 1, Ad = 2, Da = 3, Aes = 4, MadiHotlink = 5 };

struct DevInfo {
    TextField<7> type;
    std::int32_t model = 0;
    TextField<17> serial;
};

struct LanSettings {
    std::int32_t dhcp = 0;
    TextField<16> ip, subnet, gateway;
    TextField<13> mac;
};

struct DanteLanSettings {
    std::int32_t dhcp = 0;
    TextField<16> ip, subnet, gateway, dns;
    TextField<13> mac;
};

struct BoardConfig {
    std::int32_t position = 0;
    std::int32_t boardType = 0;  // 0: no board in this position
    TextField<17> boardCode;
    TextField<14> boardInfo;
};

struct SoftwareVersions {
    std::int32_t position = 0;
    std::array<TextField<17>, 4> names{};
    std::array<TextField<17>, 4> versions{};
};

struct MadiInConfig {
    std::int32_t port = 0;
    std::int32_t mode = 0;
};

struct MadiOutConfig {
    std::int32_t port = 0;
    std::int32_t chnSt = 0;
    std::int32_t legFr = 0;
    std::int32_t mode = 0;
    std::int32_t dsdMode = 0;
};

struct IndexedMode {
    std::int32_t index = 0;
    std::int32_t mode = 0;
};

struct PhdConfig {
    std::int32_t portCfg = 0;
    std::int32_t emuMode1 = 0;
    std::int32_t emuMode2 = 0;
};

struct AdChannel {
    std::uint8_t inputMode = 0, mute = 0, phantomPower = 0, phase = 0;
    FixedValue micLevel, lineLevel;
    friend bool operator==(const AdChannel&, const AdChannel&) = default;
};

struct DaChannel {
    std::uint8_t mute = 0, dsdFilter = 0;
    FixedValue outLevel;
    friend bool operator==(const DaChannel&, const DaChannel&) = default;
};

struct SdiPort {
    std::uint16_t embEnable = 0, txSrcRate = 0;
    std::array<std::uint8_t, 4> embMode{}, rxSrcEnable{};
    friend bool operator==(const SdiPort&, const SdiPort&) = default;
};

struct MadiCardPort {
    std::uint8_t inMode = 0, outChnSt = 0, outLegFr = 0, outMode = 0, dsdMode = 0;
    friend bool operator==(const MadiCardPort&, const MadiCardPort&) = default;
};

struct MadiCardArea {
    std::uint8_t redundancyEnable = 0, redundancyMode = 0;
    std::array<MadiCardPort, kCardPorts> ports{};
    // In Hotlink mode the card's two modes sit where port 1 keeps its first two MADI bytes.
    std::uint8_t& HotlinkIn() { return ports[0].inMode; }
    std::uint8_t& HotlinkOut() { return ports[0].outChnSt; }
    const std::uint8_t& HotlinkIn() const { return ports[0].inMode; }
    const std::uint8_t& HotlinkOut() const { return ports[0].outChnSt; }
    friend bool operator==(const MadiCardArea&, const MadiCardArea&) = default;
};

// The per-kind areas are kept side by side rather than overlaid: a reply for the wrong kind
// (a frame whose card was swapped mid-session) then cannot corrupt the settings of the right one.
struct CardRecord {
    CardType kind = CardType::None;
    std::uint16_t mode = 0;  // AD: board type (1 once recognised); MADI/Hotlink: 1 MADI, 2 Hotlink
    std::array<AdChannel, kCardChannels> ad{};
    std::array<DaChannel, kCardChannels> da{};
    std::array<SdiPort, kCardPorts> sdi{};
    std::array<std::int32_t, kCardChannels> aesRxSrcEnable{};
    MadiCardArea madi;
    friend bool operator==(const CardRecord&, const CardRecord&) = default;
};

// What the settings editor edits and the settings file stores; copied as one piece.
struct ConfigBlock {
    std::int32_t systemDelay = 0;
    std::int32_t aliveTime = 0;
    std::int32_t sampleRate = 0;
    std::int32_t sampleRateAdaptSrc = 0;
    std::int32_t wordClkOutMode = 0;
    std::int32_t aesChnStMode = 0;
    std::uint32_t psuConf = 0;
    std::uint32_t fanConf = 0;
    std::uint32_t features = 0;
    std::array<std::uint8_t, kSyncPriorityCount> syncPrio{};  // index: sync source - 2
    std::int32_t deviceId = 0;
    TextField<17> deviceName;
    DevInfo devInfo;
    LanSettings lan;
    std::array<BoardConfig, kBoardPositions> hwConf{};      // position p at [p - 1]
    std::array<SoftwareVersions, kBoardPositions> swVer{};  // position p at [p - 1]
    std::array<MadiInConfig, kMadiPorts> madiIn{};          // port p at [p - 1]
    std::array<MadiOutConfig, kMadiPorts> madiOut{};
    std::int32_t redundancyEnable = 0;
    std::int32_t redundancyMode = 0;
    std::array<IndexedMode, kOptionalModules> optMode{};  // module m at [m - 1]
    std::array<IndexedMode, kOptionalModules> hlinkInMode{};
    std::array<IndexedMode, kOptionalModules> hlinkOutMode{};
    PhdConfig phd;
    std::int32_t syncTermEnable = 0;
    DanteLanSettings danteLan;
    TextField<32> danteName;
    DanteLanSettings danteSecLan;
    std::int32_t danteAutoRoute = 0;
    std::int32_t danteFrame = 0;
    std::int32_t danteLatency = 0;
    std::int32_t danteSwMode = 0;
    std::int32_t danteSRate = 0;
    std::int32_t danteUniClk = 0;
    std::array<CardRecord, kCardSlots> cards{};  // card n at [n - 1]
    std::array<TextField<17>, kChannelTableSize> inputLabels{};
    std::array<TextField<17>, kChannelTableSize> outputLabels{};
};

// Inputs [0] and outputs [1], channel c at [c - 1].
template <typename Entry>
using DirectionTables = std::array<std::array<Entry, kChannelTableSize>, 2>;

// Values that change while the frame runs; the settings editor never sees these.
struct LiveBlock {
    std::int32_t actualRate = 0;
    std::int32_t syncSource = 0;
    std::int32_t syncState = 0;
    std::array<std::int32_t, 3> fanStatus{};                // fan n at [n - 1]
    std::array<std::int32_t, 2> psuStatus{};                // PSU n at [n - 1]
    std::array<std::int32_t, kInactiveEntries> inactive{};  // index n (1..18) at [n - 1]
    TextField<9> scr;
};

// The console's image of the connected frame. Only the dispatcher and the settings apply step
// write it; everything else reads.
struct DeviceState {
    ConfigBlock config;
    LiveBlock live;

    // Zeroes both blocks, then presets the port and module numbers so that a request built
    // from an untouched group still names the right port.
    void ResetState();
};

}  // namespace velmar
