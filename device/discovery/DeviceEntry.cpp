#include "device/discovery/DeviceEntry.h"

#include <charconv>

#include "protocol/Ipv4Address.h"
#include "protocol/TextEncoding.h"

namespace velmar {

namespace {

// Cuts the next field off `rest`; false when it is not followed by a comma.
bool NextField(std::string_view& rest, std::string_view& field) {
    // A quoted field may hold commas of its own: it ends at the quote that precedes a comma.
    std::size_t searchFrom = 0;
    if (!rest.empty() && rest.front() == '\'') {
        const std::size_t closing = rest.find("',", 1);
        if (closing != std::string_view::npos)
            searchFrom = closing + 1;
    }
    const std::size_t comma = rest.find(',', searchFrom);
    if (comma == std::string_view::npos)
        return false;
    field = rest.substr(0, comma);
    rest.remove_prefix(comma + 1);
    return true;
}

// Names arrive in single quotes, in the frame's 8-bit text; a field without quotes is shown as it
// came rather than cut short.
std::string Unquoted(std::string_view text) {
    if (!text.empty() && text.front() == '\'')
        text.remove_prefix(1);
    if (!text.empty() && text.back() == '\'')
        text.remove_suffix(1);
    return DecodeFrameText(text);
}

std::string_view ModeMark(std::string_view mode) {
    int value = 0;
    const auto [end, error] = std::from_chars(mode.data(), mode.data() + mode.size(), value);
    if (error != std::errc{} || end != mode.data() + mode.size())
        return {};
    if (value == 0)
        return "*";
    if (value == 2)
        return "#";
    return {};
}

}  // namespace

DeviceEntry DeviceEntry::Parse(std::string_view entry) {
    DeviceEntry result;
    std::string_view rest = entry;
    std::string_view field;
    if (!NextField(rest, field))
        return result;
    const std::string addressText{field};
    const auto address = ParseIpv4(addressText);
    if (!address)
        return result;
    result.row.address = *address;
    result.valid = true;
    result.row.Column(DeviceColumn::Address) = addressText;

    if (!NextField(rest, field))
        return result;
    result.row.Column(DeviceColumn::Address).insert(0, ModeMark(field));
    if (!NextField(rest, field))
        return result;
    result.row.Column(DeviceColumn::Id) = DecodeFrameText(field);
    if (!NextField(rest, field))
        return result;
    result.row.Column(DeviceColumn::Name) = Unquoted(field);
    if (!NextField(rest, field))
        return result;
    result.row.Column(DeviceColumn::Type) = Unquoted(field);
    if (rest.empty())
        return result;
    if (rest.back() == ',') {
        result.goingAway = true;
        rest.remove_suffix(1);
    }
    result.row.Column(DeviceColumn::Serial) = Unquoted(rest);
    return result;
}

}  // namespace velmar
