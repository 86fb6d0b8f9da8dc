// libFuzzer target for the INI reader and editor: any bytes must parse, read, edit and write back
// without a crash, and a value written must read back as written.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/ini_document.h"
#include "common/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    auto doc = ostrevin::IniDocument::parse(input);
    (void)doc.value("Main", "Entries");
    (void)doc.rawEntries("Macro1");
    // Use slices of the input itself as names and values, so the fuzzer reaches odd ones.
    const std::string_view third = input.substr(0, size / 3);
    const std::string value = ostrevin::trimControl(input.substr(size / 3, size / 3));
    doc.removeKey(third, third);
    doc.replaceSection("Macro1", doc.rawEntries("Macro2"));
    doc.removeSection(third);
    doc.set("Main", "Entries", "3");
    doc.set("Fuzz", "Value", value);

    const auto again = ostrevin::IniDocument::parse(doc.text());
    const auto entries = again.value("Main", "Entries");
    if (!entries || *entries != "3") __builtin_trap();
    auto stored = again.value("Fuzz", "Value");
    std::string expected = value;
    for (char& c : expected)
        if (c == '\n' || c == '\r') c = ' ';
    expected = ostrevin::cutToChars(expected, ostrevin::IniDocument::kMaxValueChars);
    const bool quoted =
        value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0];
    if (!stored || (!quoted && *stored != expected)) __builtin_trap();
    return 0;
}
