#include <gtest/gtest.h>

#include <CLI/CLI.hpp>
#include <map>
#include <set>
#include <sstream>

#include "cli/CliApp.h"
#include "cli/CliParser.h"
#include "cli/CliRegistry.h"

namespace velmar {
namespace {

// Every option a command declares, with the words of the commands that declare it.
std::map<std::string, std::set<std::string>> DeclaredOptions() {
    std::map<std::string, std::set<std::string>> takers;
    for (const CliFeature& feature : CliFeatures()) {
        for (const CliCommand& command : feature.commands) {
            if (command.options == nullptr)
                continue;
            CLI::App app;
            app.set_help_flag();
            CliOptions unused;
            command.options(app, unused);
            for (const CLI::Option* option : app.get_options()) {
                for (const std::string& name : option->get_lnames())
                    takers["--" + name].insert(std::string(command.word));
            }
        }
    }
    return takers;
}

TEST(CliOptions, SettingsCommandsTakeTwoWords) {
    const CliParse apply =
        ParseCliOptions({"settings", "apply", "10.0.0.8", "a.cfg", "--dry-run", "--network"});
    ASSERT_TRUE(apply.options) << apply.error;
    EXPECT_EQ(apply.options->command->word, "settings apply");
    EXPECT_EQ(apply.options->address, "10.0.0.8");
    EXPECT_EQ(apply.options->file, "a.cfg");
    EXPECT_TRUE(apply.options->dryRun && apply.options->network);
    EXPECT_EQ(ParseCliOptions({"settings", "save", "10.0.0.8", "a.cfg"}).options->command->word,
              "settings save");
    EXPECT_EQ(ParseCliOptions({"settings", "save", "10.0.0.8", "a.cfg", "--network"}).error,
              "--network goes with settings apply, show diff or show apply");
    EXPECT_EQ(ParseCliOptions({"settings", "save", "10.0.0.8"}).error, "settings save takes 2 operand(s)");
    EXPECT_EQ(ParseCliOptions({"settings"}).error, "unknown command settings");
}

TEST(CliOptions, ModePrefixesOptionsAndOperands) {
    const CliParse recovery = ParseCliOptions({"status", "*10.0.0.5", "--json"});
    ASSERT_TRUE(recovery.options);
    EXPECT_EQ(recovery.options->mode, DeviceMode::Recovery);
    EXPECT_EQ(recovery.options->address, "10.0.0.5");
    EXPECT_TRUE(recovery.options->json);

    const CliParse mode2 = ParseCliOptions({"--mode2", "--telnet", "--type", "K5A", "routes", "10.0.0.6"});
    ASSERT_TRUE(mode2.options);
    EXPECT_EQ(mode2.options->mode, DeviceMode::Mode2);
    EXPECT_TRUE(mode2.options->telnet);
    EXPECT_EQ(mode2.options->model, ModelClass::Full);

    const CliParse route = ParseCliOptions({"route", "#10.0.0.7", "12", "0", "--timeout", "500"});
    ASSERT_TRUE(route.options);
    EXPECT_EQ(route.options->mode, DeviceMode::Mode2);
    EXPECT_EQ(route.options->output, 12);
    EXPECT_EQ(route.options->input, 0);
    EXPECT_EQ(route.options->timeout.count(), 500);

    const CliParse load = ParseCliOptions({"load-routes", "10.0.0.8", "routes.xpt", "--dry-run"});
    ASSERT_TRUE(load.options);
    EXPECT_EQ(load.options->command->word, "load-routes");
    EXPECT_EQ(load.options->file, "routes.xpt");
    EXPECT_TRUE(load.options->dryRun);
    EXPECT_EQ(ParseCliOptions({"routes", "10.0.0.8", "--save", "a.xpt"}).options->file, "a.xpt");

    const CliParse discover = ParseCliOptions({"discover", "--json"});
    ASSERT_TRUE(discover.options);
    EXPECT_EQ(discover.options->command->word, "discover");
    EXPECT_TRUE(discover.options->json);

    EXPECT_TRUE(ParseCliOptions({"--version", "status"}).options->version);
    EXPECT_TRUE(ParseCliOptions({"status", "1.2.3.4", "--help"}).options->help);
    // Asked for help, one gets it whatever else is wrong on the line.
    const CliParse help = ParseCliOptions({"bogus", "--timeout", "0", "-h"});
    ASSERT_TRUE(help.options) << help.error;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(CliApp(out, err).Run(*help.options), kExitOk);
    EXPECT_EQ(out.str(), CliUsage());
}

TEST(CliOptions, OptionsStandAnywhereAndOperandsAreTakenAsTyped) {
    const CliParse before = ParseCliOptions({"--save", "a.xpt", "--json", "routes", "10.0.0.8"});
    ASSERT_TRUE(before.options) << before.error;
    EXPECT_EQ(before.options->command->word, "routes");
    EXPECT_EQ(before.options->file, "a.xpt");
    EXPECT_TRUE(before.options->json);

    const CliParse between = ParseCliOptions({"settings", "--dry-run", "apply", "10.0.0.8", "a.cfg"});
    ASSERT_TRUE(between.options) << between.error;
    EXPECT_EQ(between.options->command->word, "settings apply");
    EXPECT_TRUE(between.options->dryRun);

    // A label that is another command's word, or that begins with '-' after the end of the options.
    for (const std::vector<std::string>& text : {std::vector<std::string>{"status"}, {"--", "-Mic"}}) {
        std::vector<std::string> args{"label", "10.0.0.8", "in", "3"};
        args.insert(args.end(), text.begin(), text.end());
        const CliParse label = ParseCliOptions(args);
        ASSERT_TRUE(label.options) << label.error;
        EXPECT_EQ(label.options->operands, (std::vector<std::string>{"in", "3", text.back()}));
    }
    EXPECT_EQ(ParseCliOptions({"label", "10.0.0.8", "in", "3", "-Mic"}).error,
              "unknown option -Mic (an operand that begins with '-' goes after --)");
}

// An option is refused on a command that does not declare it, naming every command that does.
TEST(CliOptions, EachCommandRefusesTheOptionsOfTheOthers) {
    const std::map<std::string, std::set<std::string>> takers = DeclaredOptions();
    ASSERT_EQ(takers.at("--network"), (std::set<std::string>{"settings apply", "show diff", "show apply"}));
    for (const CliFeature& feature : CliFeatures()) {
        for (const CliCommand& command : feature.commands) {
            std::vector<std::string> line;
            std::istringstream spelled{std::string(command.word)};
            for (std::string word; spelled >> word;)
                line.push_back(word);
            line.resize(line.size() + command.operands, "10.0.0.8");
            for (const auto& [name, words] : takers) {
                if (words.contains(std::string(command.word)))
                    continue;
                std::vector<std::string> args = line;
                args.insert(args.end(), {name, "v"});
                const CliParse parsed = ParseCliOptions(args);
                ASSERT_FALSE(parsed.options) << command.word << " " << name;
                const std::string head = name + " goes with ";
                ASSERT_TRUE(parsed.error.starts_with(head)) << parsed.error;
                std::string list = parsed.error.substr(head.size());
                for (std::size_t at; (at = list.find(" or ")) != std::string::npos;)
                    list.replace(at, 4, ", ");
                std::set<std::string> named;
                for (std::size_t from = 0, to = 0; to != std::string::npos; from = to + 2) {
                    to = list.find(", ", from);
                    named.insert(list.substr(from, to - from));
                }
                EXPECT_EQ(named, words) << parsed.error;
            }
        }
    }
}

// Bash completion and the manual pages know only the options --help names.
TEST(CliOptions, HelpNamesEveryOption) {
    for (const auto& [name, words] : DeclaredOptions())
        EXPECT_NE(CliUsage().find(name), std::string::npos) << name;
}

TEST(CliOptions, RefusesWhatItCannotRun) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {},
             {"connect", "1.2.3.4"},
             {"status"},
             {"status", "1.2.3.4", "extra"},
             {"route", "1.2.3.4", "0", "1"},
             {"route", "1.2.3.4", "5", "-1"},
             {"route", "1.2.3.4", "5x", "1"},
             {"load-routes", "1.2.3.4"},
             {"discover", "1.2.3.4"},
             {"status", "1.2.3.4", "--save", "a.xpt"},
             {"routes", "1.2.3.4", "--save"},
             {"routes", "1.2.3.4", "--dry-run"},
             {"status", "--recovery", "#1.2.3.4"},
             {"status", "1.2.3.4", "--timeout"},
             {"status", "1.2.3.4", "--timeout", "0"},
             {"status", "1.2.3.4", "--frobnicate"},
             {"route", "1.2.3.4", "5", "1", "--json"},
             {"flash", "1.2.3.4", "a.flash", "--json"},
             {"discover", "--dry-run"},
         }) {
        const CliParse parsed = ParseCliOptions(args);
        EXPECT_FALSE(parsed.options) << (args.empty() ? "(none)" : args[0]);
        EXPECT_FALSE(parsed.error.empty());
    }
    // A script asking for JSON is refused rather than handed text where no JSON form exists.
    EXPECT_EQ(
        ParseCliOptions({"route", "1.2.3.4", "5", "1", "--json"}).error,
        "--json goes with discover, status, routes, inputs, labels, gains, detectors, cards, show diff, ppm, "
        "flows, autoroute, watch or history");
    for (const auto& [args, error] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{}, "no command given"},
             {{"connect", "1.2.3.4", "--json"}, "unknown command connect"},
             {{"status", "1.2.3.4", "--timeout"}, "--timeout needs a value"},
             {{"status", "1.2.3.4", "--timeout", "0"}, "bad --timeout: 0"},
             {{"status", "1.2.3.4", "--frobnicate"}, "unknown option --frobnicate"},
             {{"status", "1.2.3.4", "--json=maybe"}, "--json takes no value"},
             {{"detector", "1.2.3.4", "in", "1", "--enable", "--disable"},
              "--enable and --disable exclude each other"},
             {{"labels", "1.2.3.4", "--dry-run"},
              "--dry-run goes with labels only when it changes the frame"},
         }) {
        EXPECT_EQ(ParseCliOptions(args).error, error);
    }
    for (const char* reads : {"discover", "status", "routes", "inputs", "labels", "gains", "detectors",
                              "cards", "ppm", "flows", "autoroute"}) {
        std::vector<std::string> args{reads, "1.2.3.4", "--json"};
        if (std::string_view(reads) == "discover")
            args.erase(args.begin() + 1);
        EXPECT_TRUE(ParseCliOptions(args).options) << reads;
    }
}

}  // namespace
}  // namespace velmar
