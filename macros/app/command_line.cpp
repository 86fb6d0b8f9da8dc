#include "macros/app/command_line.h"

#include "common/text.h"

namespace keyloom {

std::vector<CommandLineAction> parseCommandLine(const std::vector<std::string>& arguments) {
    std::vector<CommandLineAction> actions;
    for (const std::string& argument : arguments) {
        const std::string head = ostrevin::upperAscii(argument.substr(0, 6));
        if (head == "/OPEN:") {
            const std::string name = ostrevin::cutToChars(argument.substr(6), 150);
            actions.push_back({CommandLineAction::Kind::RunByName, ostrevin::trimControl(name)});
        } else if (head == "/CLOSE") {
            actions.push_back({CommandLineAction::Kind::Close, {}});
        } else {
            actions.push_back({CommandLineAction::Kind::RunByName, argument});
        }
    }
    return actions;
}

}  // namespace keyloom
