#include "app/OptionWord.h"

namespace velmar {

ConsoleOptions OptionsFromWord(std::string_view word) {
    ConsoleOptions options;
    if (word == "telnet") {
        options = {true, true, true};
    } else if (word == "xy") {
        options.xy = true;
    } else if (word == "zel") {
        options.zel = true;
    }
    return options;
}

ConsoleOptions OptionsFromArguments(std::span<const std::string_view> arguments) {
    return arguments.size() == 1 ? OptionsFromWord(arguments.front()) : ConsoleOptions{};
}

}  // namespace velmar
