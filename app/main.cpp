#include <cstdio>
#include <string_view>
#include <vector>

#include "app/Application.h"
#include "app/ConsoleArguments.h"

int main(int argc, char** argv) {
    // Answered before the application exists: --help needs no display.
    std::vector<std::string_view> words(argv + 1, argv + argc);
    const velmar::ConsoleArguments arguments = velmar::ParseConsoleArguments(words);
    if (!arguments.error.empty()) {
        std::fprintf(stderr, "velmar: %s\n%s", arguments.error.c_str(), velmar::kConsoleUsage);
        return 2;
    }
    if (arguments.help) {
        std::fputs(velmar::kConsoleUsage, stdout);
        return 0;
    }
    if (arguments.version) {
        std::printf("velmar %s\n", VELMAR_VERSION);
        return 0;
    }
    velmar::Application app(argc, argv);
    return app.Run();
}
