#include <gtest/gtest.h>

#include "cli/CliOptions.h"

namespace velmar {
namespace {

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
              "--network goes with settings apply");
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
        "--json goes with discover, status, routes, inputs, labels, gains, detectors, cards, ppm, flows or "
        "autoroute");
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
