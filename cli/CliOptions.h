#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "device/ConnectionState.h"

namespace velmar {

enum class CliCommand : std::uint8_t { Help, Version, Probe, Status, Routes, Route, LoadRoutes, Discover };

struct CliOptions {
    CliCommand command = CliCommand::Help;
    std::string address;  // without a "*" or "#" mode prefix
    DeviceMode mode = DeviceMode::Application;
    ModelClass model = ModelClass::NoCards;  // as a device-list row without a known type gives
    std::int32_t output = 0;
    std::int32_t input = 0;
    std::string file;  // routes --save FILE, load-routes ADDR FILE
    bool dryRun = false;
    bool json = false;
    bool trace = false;
    bool events = false;
    bool telnet = false;
    std::chrono::milliseconds timeout{8000};
};

struct CliParse {
    std::optional<CliOptions> options;
    std::string error;  // why the command line was refused
};

// Reads the command line (without the program name).
CliParse ParseCliOptions(const std::vector<std::string>& args);

extern const char* const kCliUsage;

}  // namespace velmar
