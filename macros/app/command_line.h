// The command line: "/Open:" followed by a macro name, "/Close", or a bare macro name, taken one
// by one in order.
#pragma once

#include <string>
#include <vector>

namespace keyloom {

struct CommandLineAction {
    enum class Kind { RunByName, Close } kind;
    std::string name;
    bool operator==(const CommandLineAction&) const = default;
};

std::vector<CommandLineAction> parseCommandLine(const std::vector<std::string>& arguments);

}  // namespace keyloom
