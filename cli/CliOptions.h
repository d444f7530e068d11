#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CliCommand.h"
#include "device/ConnectionState.h"

namespace velmar {

struct CliOptions {
    const CliCommand* command = nullptr;  // with --help or --version, the one that prints it
    bool help = false;
    bool version = false;
    std::string address;  // without a "*" or "#" mode prefix
    DeviceMode mode = DeviceMode::Application;
    ModelClass model = ModelClass::NoCards;  // as a device-list row without a known type gives
    std::int32_t output = 0;
    std::int32_t input = 0;
    std::vector<std::string> files;  // flash ADDR FILE...
    bool restart = false;            // flash --restart
    std::string serial;              // netset SERIAL
    std::optional<bool> dhcp;        // netset: --dhcp, or fixed with --ip
    std::string ip, mask, gateway;   // netset --ip --mask --gateway
    // routes --save FILE, load-routes ADDR FILE, settings save|apply ADDR FILE, labels --save FILE
    std::string file;
    std::vector<std::string> operands;     // after ADDR: label in|out CH TEXT, detector in|out CH[-CH]
    std::string load;                      // labels --load FILE
    std::optional<bool> enable;            // detector --enable / --disable
    std::string t1, t2;                    // detector --t1 MS:DB, --t2 MS:DB
    std::int32_t slot = 0;                 // card ADDR SLOT ...
    std::vector<std::string> assignments;  // card ... NAME=VALUE ...
    std::vector<std::string> words;        // what follows ADDR for the network-audio commands
    bool dryRun = false;
    bool network = false;  // settings apply: send the file's own addresses too
    bool json = false;
    bool trace = false;
    bool events = false;
    bool telnet = false;
    bool all = false;            // watch --all: every frame that answers the discovery
    std::string since;           // history --since TIME
    bool csv = false;            // history --csv
    std::int32_t keepDays = 30;  // watch --keep-days N
    std::chrono::milliseconds timeout{8000};
};

// The whole of `text` as a decimal number.
bool ParseDecimal(std::string_view text, std::int32_t& value);

// A command's reader for the FILE that follows ADDR.
std::string ReadFileOperand(std::span<const std::string> operands, CliOptions& options);
// A reader for a command that changes the frame only when words follow ADDR (or with --load):
// --dry-run would have nothing to show without them.
std::string ReadDryRunWhenChanging(std::span<const std::string> operands, CliOptions& options);

// The options several commands declare alike.
void AddJsonOption(CLI::App& command, CliOptions& options);
void AddDryRunOption(CLI::App& command, CliOptions& options);
void AddSaveOption(CLI::App& command, CliOptions& options);  // --save FILE

}  // namespace velmar
