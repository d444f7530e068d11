#pragma once

#include <string>
#include <vector>

#include "protocol/MessageCodec.h"

namespace velmar::test {

// Records filled with values that exercise every field of a layout: signed and large numbers,
// texts of nearly full length and raw fields without a terminator.
inline void FillFields(CommandMessage& message, std::span<const ArgField> fields, std::uint16_t seed) {
    for (std::size_t j = 0; j < fields.size(); ++j) {
        const ArgField& f = fields[j];
        const auto n = static_cast<std::int32_t>(seed * 37 + j * 1013);
        switch (f.type) {
            case ArgType::Int:
                message.SetInt(f.offset, n % 199999 - 99999);
                break;
            case ArgType::Uint:
                message.SetUint(f.offset, 4000000000u + static_cast<std::uint32_t>(n));
                break;
            case ArgType::Fixed:
                message.SetFixed(f.offset, {j % 2 == 1, static_cast<std::uint16_t>(n % 32768),
                                            static_cast<std::uint16_t>(n % 100)});
                break;
            case ArgType::Text: {
                std::string text =
                    "T" + std::to_string(seed) + " x" + std::to_string(j) + std::string(40, 'z');
                message.SetText(f.offset, f.size, std::string_view(text).substr(0, f.size - 1u));
                break;
            }
            case ArgType::Raw:
                for (std::size_t i = 0; i < f.size; ++i)
                    message.Bytes()[f.offset + i] = static_cast<std::uint8_t>('a' + (i + j) % 26);
                break;
            case ArgType::Skip:
                break;
        }
    }
}

// A reply of `code` as a frame would build it; list counts are zero because their runs of values
// travel outside the record.
inline CommandMessage SampleReply(std::uint16_t code, std::int32_t status = 0) {
    const CommandInfo& info = Command(code);
    CommandMessage m;
    m.code = code;
    m.flags = MessageFlags::kReply;
    m.status = status;
    FillFields(m, info.reply.All(), code);
    if (info.list != ListKind::None && info.reply.count > 0)
        m.SetInt(info.reply.All().back().offset, 0);
    if (info.special == Special::BoardConfig)
        m.SetInt(14, 9);
    if (info.special == Special::SoftwareVersions) {
        for (std::uint16_t k = 0; k < 4; ++k) {
            m.SetText(static_cast<std::size_t>(18 + 17 * k), 17, "board" + std::to_string(k));
            m.SetText(static_cast<std::size_t>(86 + 17 * k), 17, "1.2.3." + std::to_string(k));
        }
    }
    if (info.special == Special::KeepAlive)
        m.flags |= MessageFlags::kKeepAlive;
    return m;
}

inline CommandMessage SampleRequest(std::uint16_t code) {
    const CommandInfo& info = Command(code);
    CommandMessage m;
    m.code = code;
    m.flags = MessageFlags::kRequest;
    FillFields(m, info.request.All(), code);
    if (info.special == Special::FirmwareLine) {
        m.SetInt(14, 1);
        const std::string text = "S1137AF00A0A0D0000000000000000000000000061";
        std::memcpy(m.Bytes() + 18, text.data(), text.size());
    }
    return m;
}

// What a frame sends while a console reads its state: crosspoint runs, versions, labels, gains.
inline std::vector<std::string> TypicalReplyLines() {
    std::vector<std::string> lines;
    std::string lcross = ":lcross,0,1,128";
    for (int i = 1; i <= 128; ++i)
        lcross += "," + std::to_string((i * 7) % 1537);
    for (int run = 0; run < 4; ++run) {
        lines.push_back(lcross + "\r");
        for (int i = 1; i <= 6; ++i) {
            lines.push_back(":gcross,0," + std::to_string(run * 100 + i) + "," + std::to_string(i * 3) +
                            "\r");
        }
        lines.push_back(":gswver,0,2,'app','2.0.1.4','boot','1.3.0.0','fpga','4.1.0.2'\r");
        lines.push_back(":glabel,0,1," + std::to_string(run + 1) + ",'Mic " + std::to_string(run + 1) +
                        "'\r");
        lines.push_back(":ggain,0,0," + std::to_string(run + 1) + ",-12.50,0,1\r");
        lines.push_back("%scross,17,33,0,0\r");
        lines.push_back(":gactrate,0,48000\r");
        lines.push_back(":gsyncstat,0,3,1\r");
    }
    return lines;
}

}  // namespace velmar::test
