#include <gtest/gtest.h>

#include <set>
#include <string>

#include "cli/CliRegistry.h"

namespace velmar {
namespace {

// A second feature registering a word would shadow the first one's command without a sound.
TEST(CliRegistry, EveryWordBelongsToOneCommandThatHelpNamesFirst) {
    std::set<std::string_view> words;
    for (const CliFeature& feature : CliFeatures()) {
        for (const CliCommand& command : feature.commands) {
            EXPECT_TRUE(words.insert(command.word).second) << command.word << " is registered twice";
            EXPECT_EQ(FindCliCommand(command.word), &command) << command.word;
            EXPECT_NE(command.run, nullptr) << command.word;
            if (command.usage.empty())
                continue;
            EXPECT_TRUE(command.usage.starts_with("  " + std::string(command.word) + " "))
                << command.word << "'s help lines begin with another word";
            EXPECT_TRUE(command.usage.ends_with("\n")) << command.word;
            EXPECT_NE(CliUsage().find(command.usage), std::string::npos) << command.word;
        }
    }
    EXPECT_TRUE(StartsTwoWordCommand("settings"));
    EXPECT_FALSE(StartsTwoWordCommand("setting"));
    EXPECT_FALSE(StartsTwoWordCommand("status"));
}

}  // namespace
}  // namespace velmar
