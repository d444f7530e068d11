#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace velmar::sim {

// Flips the health of random frames at a steady rate: PSU, fan, sync lock and source, sample
// rate. It only writes control commands, so a churned change reaches the clients exactly as an
// operator's would; the seed makes a run repeatable.
class HealthChurn {
  public:
    HealthChurn(std::vector<std::string> addresses, double perSecond, std::uint32_t seed);

    // The commands due from the last call up to `nowMs` (monotonic milliseconds).
    std::vector<std::string> Due(std::int64_t nowMs);
    // How long until the next change is due, at most `cap`.
    int WaitMs(std::int64_t nowMs, int cap) const;

  private:
    struct Health {
        bool psuFault[2] = {false, false};
        bool fanFault[3] = {false, false, false};
        bool unlocked = false;
        int source = 1;
        int rate = 2;
    };
    std::string Next();

    std::vector<std::string> addresses_;
    std::vector<Health> health_;
    double intervalMs_;
    double nextAt_ = 0;
    std::minstd_rand random_;
};

}  // namespace velmar::sim
