#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace velmar {
namespace {

// The files of cli/ by unit (a header and its source are one), each with the units it includes.
using IncludeGraph = std::map<std::string, std::set<std::string>>;

IncludeGraph ReadIncludeGraph(const std::filesystem::path& folder) {
    static const std::regex kInclude(R"(^\s*#\s*include\s*"cli/([A-Za-z0-9_]+)\.h")");
    IncludeGraph graph;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string extension = entry.path().extension().string();
        if (extension != ".h" && extension != ".cpp")
            continue;
        const std::string unit = entry.path().stem().string();
        std::set<std::string>& includes = graph[unit];
        std::ifstream in(entry.path());
        std::smatch match;
        for (std::string line; std::getline(in, line);) {
            if (std::regex_search(line, match, kInclude) && match[1] != unit)
                includes.insert(match[1]);
        }
    }
    return graph;
}

// A path of includes that comes back to where it started, or empty.
std::vector<std::string> FindCycle(const IncludeGraph& graph) {
    std::map<std::string, int> state;  // 1 on the path being walked, 2 done
    std::vector<std::string> path;
    const auto walk = [&](const auto& self, const std::string& unit) -> bool {
        state[unit] = 1;
        path.push_back(unit);
        if (const auto found = graph.find(unit); found != graph.end()) {
            for (const std::string& next : found->second) {
                if (state[next] == 1) {
                    path.erase(path.begin(), std::find(path.begin(), path.end(), next));
                    path.push_back(next);
                    return true;
                }
                if (state[next] == 0 && self(self, next))
                    return true;
            }
        }
        state[unit] = 2;
        path.pop_back();
        return false;
    };
    for (const auto& [unit, includes] : graph) {
        if (state[unit] == 0 && walk(walk, unit))
            return path;
    }
    return {};
}

// Units that include each other build, read and test only together; the command registry and the
// parser sit above the feature files, which sit above the options they fill.
TEST(CliIncludeGraph, NoFileIncludesOneThatIncludesItBack) {
    const IncludeGraph graph = ReadIncludeGraph(std::filesystem::path(VELMAR_SOURCE_DIR) / "cli");
    ASSERT_TRUE(graph.contains("CliOptions") && graph.contains("CliRegistry"));
    std::string cycle;
    for (const std::string& unit : FindCycle(graph))
        cycle += (cycle.empty() ? "" : " -> ") + unit;
    EXPECT_TRUE(cycle.empty()) << cycle;

    const IncludeGraph looped{{"A", {"B"}}, {"B", {"C"}}, {"C", {"B"}}};
    EXPECT_EQ(FindCycle(looped), (std::vector<std::string>{"B", "C", "B"}));
    EXPECT_TRUE(FindCycle({{"A", {"B", "C"}}, {"B", {"C"}}, {"C", {}}}).empty());
}

}  // namespace
}  // namespace velmar
