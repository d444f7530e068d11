#include "sim/FactoryState.h"

#include <cstdio>
#include <string>

namespace velmar::sim {
namespace {

using C = CommandCode;

constexpr int kMainInputs = 14;
constexpr std::size_t kSoftwareNameOffset = 18;
constexpr std::size_t kSoftwareVersionOffset = 86;
constexpr std::size_t kSoftwareTextSize = 17;

// Writes fields of one record by byte position, keeping the key the store gave it.
class Filler {
  public:
    Filler(RecordStore& store, C code, std::array<std::int32_t, kMaxKeys> keys = {})
        : record_(store.Write(RecordStore::Key(code, keys))) {}
    Filler& Int(std::size_t pos, std::int32_t value) {
        record_.SetInt(pos, value);
        return *this;
    }
    Filler& Text(std::size_t pos, std::size_t size, std::string_view text) {
        record_.SetText(pos, size, text);
        return *this;
    }
    Filler& Raw(std::size_t pos, std::string_view text) {
        for (std::size_t i = 0; i < text.size(); ++i)
            record_.Bytes()[pos + i] = static_cast<std::uint8_t>(text[i]);
        return *this;
    }
    Filler& Fixed(std::size_t pos, FixedValue value) {
        record_.SetFixed(pos, value);
        return *this;
    }

  private:
    CommandMessage& record_;
};

std::string_view CardCode(CardKind kind) {
    switch (kind) {
        case CardKind::Sdi:
            return "K5A021";
        case CardKind::Ad:
            return "K5A013";
        case CardKind::Da:
            return "K5A023";
        case CardKind::Aes:
            return "K5A024";
        case CardKind::Madi:
            return "K5A025";
        case CardKind::None:
            break;
    }
    return "";
}

void Board(RecordStore& store, int position, int type, std::string_view code, std::string_view info) {
    Filler(store, C::ghwconf, {position}).Int(18, type).Text(22, 17, code).Text(39, 14, info);
}

void Versions(RecordStore& store, int position,
              std::initializer_list<std::pair<std::string_view, std::string_view>> pairs) {
    Filler filler(store, C::gswver, {position});
    std::size_t k = 0;
    for (const auto& [name, version] : pairs) {
        filler.Text(kSoftwareNameOffset + kSoftwareTextSize * k, kSoftwareTextSize, name);
        filler.Text(kSoftwareVersionOffset + kSoftwareTextSize * k, kSoftwareTextSize, version);
        ++k;
    }
}

void Identity(const FrameDescription& description, RecordStore& store) {
    Filler(store, C::gdevinfo)
        .Text(14, 7, ModelName(description.model))
        .Int(22, static_cast<std::int32_t>(description.model) + 1)
        .Text(26, 17, description.serial);
    Filler(store, C::gdevid).Int(14, description.id).Text(18, 17, description.name);
    char mac[13];
    std::snprintf(mac, sizeof mac, "0050C2%06X", static_cast<unsigned>(description.id) & 0xFFFFFFu);
    Filler(store, C::gip)
        .Int(14, 0)
        .Text(18, 16, description.address)
        .Text(34, 16, "255.0.0.0")
        .Text(50, 16, "127.0.0.1")
        .Text(66, 13, mac);
}

void Boards(const FrameDescription& description, RecordStore& store) {
    const std::string model(ModelName(description.model));
    Board(store, 2, 1, model + "0010001", "Main board");
    Versions(store, 2, {{"APP", description.version}, {"BOOT", "1.0.2.0"}, {"FPGA", "3.1.0.0"}});
    Board(store, 3, 1, model + "0020001", "Controller");
    Versions(store, 3, {{"CPLD", "1.1.0.0"}});
    for (int slot = 0; slot < kCardSlots; ++slot) {
        const CardKind kind = description.cards[static_cast<std::size_t>(slot)];
        if (kind == CardKind::None)
            continue;
        Board(store, 9 + slot, 1, std::string(CardCode(kind)) + "0001",
              std::string(CardName(kind)) + " card");
        Versions(store, 9 + slot, {{"FPGA", "1.2.0.0"}});
    }
    if (description.sfp) {
        Board(store, 17, 1, "K5A0310001", "SFP module");
        Versions(store, 17, {{"FPGA", "1.0.3.0"}});
    }
    if (!description.danteName.empty()) {
        Board(store, 18, 1, "K5A0410001", "Brooklyn II");
        Versions(store, 18, {{"DANTE", "4.2.1.3"}});
    }
}

void Clocking(const FrameDescription& description, RecordStore& store) {
    Filler(store, C::gsystemdelay).Int(14, 0);
    Filler(store, C::galivetime).Int(14, 5);
    Filler(store, C::ggenrate).Int(14, 2);
    Filler(store, C::gactrate).Int(14, 2);
    Filler(store, C::grateadptsrc).Int(14, 0);
    Filler(store, C::gwclkout).Int(14, 0);
    Filler(store, C::gsyncstat).Int(14, 1).Int(18, 0);
    Filler(store, C::gsyncterm).Int(14, 1);
    Filler(store, C::gaeschstat).Int(14, 0);
    Filler(store, C::gtempstatus).Int(14, 41);
    Filler(store, C::gscr).Text(14, 9, "00000000");
    for (int source = 2; source <= 18; ++source)
        Filler(store, C::gsyncprio, {source}).Int(18, source == 2 ? 1 : 0);
    Filler(store, C::gpsuconf).Int(18, description.model == FrameModel::LW16 ? 1 : 3);
    Filler(store, C::gfanconf).Int(18, description.model == FrameModel::LW16 ? 1 : 7);
    Filler(store, C::gdevfeature, {1}).Int(18, 1);
    Filler(store, C::gdevfeature, {2}).Int(18, 1);
}

void Interfaces(const FrameDescription& description, RecordStore& store) {
    Filler(store, C::gphdmode).Int(14, 1).Int(18, 0).Int(22, 0);
    Filler(store, C::goptred).Int(14, 0).Int(18, 0);
    for (int module = 1; module <= 2; ++module)
        Filler(store, C::goptmode, {module}).Int(18, description.sfp ? 1 : 0);
    for (int port = 1; port <= 3; ++port)
        Filler(store, C::gmadioutmode, {port}).Int(22, 1).Int(26, 0).Int(30, 1);
    static constexpr const char* kInputStatus[kMainInputs] = {
        "--A", "--A", "--A", "--A", "--A", "--A", "--A", "--A", "--a", "--a", "--A", "--A", "--A", "--A"};
    for (int input = 1; input <= kMainInputs; ++input) {
        std::string_view status = kInputStatus[input - 1];
        if ((input == 12 || input == 13) && !description.sfp)
            status = "--a";
        if (input == 14 && description.danteName.empty())
            status = "--a";
        Filler(store, C::gmaininpstatus, {input}).Raw(18, status);
    }
}

// A Dante network interface: automatic addressing, its address, a /16 mask, no gateway or DNS.
void DanteInterface(RecordStore& store, CommandCode code, const std::string& address, const char* mac) {
    Filler(store, code)
        .Int(14, 1)
        .Text(18, 16, address)
        .Text(34, 16, "255.255.0.0")
        .Text(50, 16, "0.0.0.0")
        .Text(66, 16, "0.0.0.0")
        .Text(82, 13, mac);
}

void Dante(const FrameDescription& description, RecordStore& store) {
    if (description.danteName.empty())
        return;
    // Addresses the frame reports are loopback texts too, so nothing copied from them leaves the machine.
    const std::string own = "127.1.0." + std::to_string(description.id % 250 + 1);
    const std::string secondary = "127.2.0." + std::to_string(description.id % 250 + 1);
    DanteInterface(store, C::gbkip, own, "001DC1000001");
    DanteInterface(store, C::gbksecip, secondary, "001DC1000002");
    Filler(store, C::gbkname).Text(14, 32, description.danteName);
    Filler(store, C::gswmodeip).Int(14, 0);
    Filler(store, C::gsrenaip).Int(14, 1);
    Filler(store, C::guniclkip).Int(14, 0);
    Filler(store, C::guniclkstip).Int(14, 0).Raw(18, "Unicast clocking off");
    Filler(store, C::gautorouteip).Int(14, 0);
    Filler(store, C::gframeip).Int(46, 16);
    Filler(store, C::glatencyip).Int(46, 1000);
    Filler(store, C::gmaxlatencyip).Int(46, 5000);
    Filler(store, C::grxportrng).Int(14, 14528).Int(18, 14591);
    for (int flow = 1; flow <= 32; ++flow) {
        Filler(store, C::gcrtxflow, {flow});
        Filler(store, C::gcrrxflow, {flow});
    }
}

void Cards(const FrameDescription& description, RecordStore& store) {
    for (int card = 1; card <= kCardSlots; ++card) {
        switch (description.cards[static_cast<std::size_t>(card - 1)]) {
            case CardKind::Ad:
                Filler(store, C::gadbrdtype, {card}).Int(22, 1);
                for (int ch = 1; ch <= 8; ++ch) {
                    Filler(store, C::gadmiclevel, {card, ch}).Fixed(22, {false, 30, 0});
                    Filler(store, C::gadlinelevel, {card, ch}).Fixed(22, {false, 18, 0});
                    Filler(store, C::gadsigdet, {card, ch}).Int(22, ch <= 2 ? 1 : 0);
                }
                break;
            case CardKind::Da:
                for (int ch = 1; ch <= 8; ++ch)
                    Filler(store, C::gdaoutlevel, {card, ch}).Fixed(22, {false, 15, 0});
                break;
            case CardKind::Sdi:
                for (int port = 1; port <= 2; ++port) {
                    Filler(store, C::gembena, {card, port}).Int(26, 1);
                    for (int group = 1; group <= 4; ++group)
                        Filler(store, C::gembmode, {card, port, group}).Int(26, 1);
                    Filler(store, C::gsdirxstat, {card, port})
                        .Int(22, port == 1 ? 1 : 0)
                        .Int(26, 2)
                        .Int(30, 2);
                }
                break;
            case CardKind::Aes:
                for (int ch = 1; ch <= 8; ++ch)
                    Filler(store, C::gaesinpstatus, {card, ch}).Raw(22, ch <= 4 ? "--A" : "--a");
                break;
            case CardKind::Madi:
                Filler(store, C::gcifmode, {card}).Int(18, 1);
                for (int port = 1; port <= 2; ++port)
                    Filler(store, C::gcifstatus, {card, port}).Raw(22, "--A");
                break;
            case CardKind::None:
                break;
        }
    }
}

// A few routes so that a fresh console shows a populated matrix: AES inputs onto the first
// outputs of MADI.
void Routing(const FrameDescription& description, RecordStore& store) {
    if (ModelClass(description.model) == 2)
        return;
    for (int i = 0; i < 16; ++i)
        Filler(store, C::gcross, {593 + i}).Int(18, 513 + i);
}

}  // namespace

void FactoryState::Fill(const FrameDescription& description, RecordStore& store) {
    store.Clear();
    Identity(description, store);
    Boards(description, store);
    Clocking(description, store);
    Interfaces(description, store);
    Dante(description, store);
    Cards(description, store);
    Routing(description, store);
}

CommandMessage FactoryState::Record(const FrameDescription& description, const RecordKey& key) {
    RecordStore store;
    Fill(description, store);
    return store.Read(key);
}

}  // namespace velmar::sim
