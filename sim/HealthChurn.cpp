#include "sim/HealthChurn.h"

#include <algorithm>
#include <cmath>

namespace velmar::sim {

namespace {

// A burst after a long stall (a suspended process) is capped, so the rack is not flooded.
constexpr std::size_t kMostPerCall = 1000;

}  // namespace

HealthChurn::HealthChurn(std::vector<std::string> addresses, double perSecond, std::uint32_t seed)
    : addresses_(std::move(addresses)),
      health_(addresses_.size()),
      intervalMs_(perSecond > 0 ? 1000.0 / perSecond : 0),
      random_(seed == 0 ? 1u : seed) {
    nextAt_ = intervalMs_;
}

std::vector<std::string> HealthChurn::Due(std::int64_t nowMs) {
    std::vector<std::string> due;
    if (intervalMs_ <= 0 || addresses_.empty())
        return due;
    while (nextAt_ <= static_cast<double>(nowMs) && due.size() < kMostPerCall) {
        due.push_back(Next());
        nextAt_ += intervalMs_;
    }
    if (nextAt_ <= static_cast<double>(nowMs))
        nextAt_ = static_cast<double>(nowMs) + intervalMs_;
    return due;
}

int HealthChurn::WaitMs(std::int64_t nowMs, int cap) const {
    if (intervalMs_ <= 0 || addresses_.empty())
        return cap;
    const double wait = std::ceil(nextAt_ - static_cast<double>(nowMs));
    return static_cast<int>(std::clamp(wait, 0.0, static_cast<double>(cap)));
}

std::string HealthChurn::Next() {
    const auto pick = [this](int count) {
        return static_cast<int>(random_() % static_cast<std::uint32_t>(count));
    };
    const auto frame = static_cast<std::size_t>(pick(static_cast<int>(addresses_.size())));
    Health& health = health_[frame];
    const std::string prefix = "health " + addresses_[frame] + " ";
    switch (pick(4)) {
        case 0: {
            const int psu = pick(2);
            health.psuFault[psu] = !health.psuFault[psu];
            return prefix + "psu " + std::to_string(psu + 1) + (health.psuFault[psu] ? " fault" : " ok");
        }
        case 1: {
            const int fan = pick(3);
            health.fanFault[fan] = !health.fanFault[fan];
            return prefix + "fan " + std::to_string(fan + 1) + (health.fanFault[fan] ? " fault" : " ok");
        }
        case 2:
            // Half the sync changes move the source, half the lock.
            if (pick(2) == 0)
                health.source = health.source % 18 + 1;
            else
                health.unlocked = !health.unlocked;
            return prefix + "sync " + std::to_string(health.source) +
                   (health.unlocked ? " unlocked" : " locked");
        default:
            health.rate = health.rate % 10 + 1;
            return prefix + "rate " + std::to_string(health.rate);
    }
}

}  // namespace velmar::sim
