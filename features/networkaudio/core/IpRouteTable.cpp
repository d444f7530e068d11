#include "features/networkaudio/core/IpRouteTable.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace velmar {

namespace {

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
    return lower;
}

std::string Resolved(std::string_view name, std::string_view host) {
    const std::string lower = Lower(name);
    return lower == "localhost" ? Lower(host) : lower;
}

}  // namespace

bool IpRouteTable::Apply(const CrossIpReported& report) {
    if (report.channel < 1 || report.channel > kIpRouteChannels)
        return false;
    std::optional<IpRoute>& entry = routes_[static_cast<std::size_t>(report.channel - 1)];
    if (IpRouteSourceChannel(report.sourceChannel))
        entry = IpRoute{report.destination, report.sourceChannel, report.source};
    else
        entry.reset();
    return true;
}

const IpRoute* IpRouteTable::Find(std::int32_t channel) const {
    if (channel < 1 || channel > kIpRouteChannels)
        return nullptr;
    const std::optional<IpRoute>& entry = routes_[static_cast<std::size_t>(channel - 1)];
    return entry ? &*entry : nullptr;
}

std::optional<std::int32_t> IpRouteSourceChannel(std::string_view text) {
    std::int32_t value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc{} || result.ptr != text.data() + text.size() || value < 1 ||
        value > kIpRouteChannels) {
        return std::nullopt;
    }
    return value;
}

std::string IpRouteChannelText(std::int32_t channel) {
    if (channel == 0)
        return {};
    return (channel > 0 && channel < 10 ? "0" : "") + std::to_string(channel);
}

IpRouteEnds FillIpRouteEnds(std::string_view destination, std::string_view source, std::string_view host) {
    return {destination.empty() ? std::string("localhost") : std::string(destination),
            source.empty() ? std::string(host) : std::string(source)};
}

bool SameIpRouteHost(const IpRouteEnds& ends, std::string_view host) {
    return Resolved(ends.destination, host) == Resolved(ends.source, host);
}

}  // namespace velmar
