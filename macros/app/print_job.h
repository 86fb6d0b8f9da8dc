// The text of the printed macro list: a heading, a rule, and one line for each macro that has a
// hot key, its key text and its name separated by tabs.
#pragma once

#include <string>
#include <vector>

namespace keyloom {

struct PrintRow {
    std::string name;
    std::string shortcut;  // the list's "Shortcut Keys" text
};

std::vector<std::string> macroListPrintLines(const std::vector<PrintRow>& rows);

}  // namespace keyloom
