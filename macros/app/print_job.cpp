#include "macros/app/print_job.h"

#include "common/text.h"

namespace keyloom {

std::vector<std::string> macroListPrintLines(const std::vector<PrintRow>& rows) {
    std::vector<std::string> lines{"HOTKEY      \t\tMACRO NAME", std::string(33, '_')};
    for (const PrintRow& row : rows) {
        if (row.shortcut.empty()) continue;
        const std::size_t length = ostrevin::decodeUtf8(row.shortcut).size();
        lines.push_back(row.shortcut + (length <= 8 ? "\t\t\t" : "\t\t") + row.name);
    }
    return lines;
}

}  // namespace keyloom
