#include "macros/catalogue/macro_catalogue.h"

#include <algorithm>

#include "common/text.h"
#include "macros/catalogue/macro_name.h"

namespace keyloom {

using ostrevin::IniDocument;

namespace {

constexpr const char* kMain = "Main";

int intValue(const IniDocument& doc, std::string_view section, std::string_view key, int fallback) {
    auto text = doc.value(section, key);
    return text ? ostrevin::parseInteger(*text).value_or(fallback) : fallback;
}

std::string stringValue(const IniDocument& doc, std::string_view section, std::string_view key) {
    return doc.value(section, key).value_or("");
}

int clampEntries(int entries) {
    return std::clamp(entries, 0, MacroCatalogue::kMaxEntries);
}

void requireUsableName(const std::string& name) {
    if (auto problem = macroNameProblem(name)) throw MacroNameError(*problem);
}

}  // namespace

MacroCatalogue::MacroCatalogue(ostrevin::IniStore& store, std::string programFolder,
                               ostrevin::platform::FileSystem& files)
    : store_(store), programFolder_(std::move(programFolder)), files_(files) {}

std::string MacroCatalogue::section(int number) {
    return "Macro" + std::to_string(number);
}

int MacroCatalogue::entries() const {
    return clampEntries(store_.readInteger(kMain, "Entries", 0));
}

MacroEntry MacroCatalogue::entry(int number) const {
    const IniDocument doc = store_.load();
    const std::string sec = section(number);
    MacroEntry e;
    e.name = stringValue(doc, sec, "Name");
    e.type = intValue(doc, sec, "Type", 0);
    e.hotKey = intValue(doc, sec, "HotKey", 0);
    e.fileName = stringValue(doc, sec, "Filename");
    e.trigger = stringValue(doc, sec, "Trigger");
    e.speed = intValue(doc, sec, "Speed", 1);
    e.foundHandle = stringValue(doc, sec, "FoundHandle");
    return e;
}

std::string MacroCatalogue::displayName(int number) const {
    return store_.readString(section(number), "Name", "Macro" + std::to_string(number));
}

std::vector<MacroListRow> MacroCatalogue::listRows(const KeyLabelFn& keyLabel) const {
    // One snapshot of the file for the whole list: the same result as key-by-key reads, without
    // parsing the file again for every key.
    const IniDocument doc = store_.load();
    const int count = clampEntries(intValue(doc, kMain, "Entries", 0));
    std::vector<MacroListRow> rows;
    rows.reserve(static_cast<std::size_t>(count));
    for (int n = 1; n <= count; ++n) {
        const std::string sec = section(n);
        MacroListRow row;
        row.icon = listIconFor(intValue(doc, sec, "Type", 1));
        row.caption = doc.value(sec, "Name").value_or("Macro" + std::to_string(n));
        row.shortcut = shortcutText(intValue(doc, sec, "HotKey", 0), keyLabel);
        row.trigger = stringValue(doc, sec, "Trigger");
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string MacroCatalogue::storedFileName(const MacroEntry& entry, int type) const {
    switch (type) {
        case 2:
        case 3: return sideFileName(entry.name, ".dat");
        case 4: return sideFileName(entry.name, ".key");
        default: return entry.fileName;
    }
}

int MacroCatalogue::append(const MacroEntry& entry) {
    const std::string name = cleanMacroName(entry.name);
    requireUsableName(name);
    const int number = entries() + 1;
    store_.writeInteger(kMain, "Entries", number);
    const std::string sec = section(number);
    store_.writeString(sec, "Name", name);
    store_.writeInteger(sec, "Type", entry.type);
    store_.writeInteger(sec, "HotKey", entry.hotKey);
    store_.writeString(sec, "FileName", storedFileName(entry, entry.type));
    store_.writeString(sec, "Trigger", entry.trigger);
    if (entry.type == 3) store_.writeInteger(sec, "Speed", entry.speed);
    return number;
}

void MacroCatalogue::rewrite(int number, const MacroEntry& entry) {
    const std::string name = cleanMacroName(entry.name);
    requireUsableName(name);
    const std::string sec = section(number);
    const int type = store_.readInteger(sec, "Type", 0);
    store_.writeInteger(sec, "HotKey", entry.hotKey);
    store_.writeString(sec, "Name", name);
    store_.writeString(sec, "FileName", storedFileName(entry, type));
    if (type == 3) store_.writeInteger(sec, "Speed", entry.speed);
    store_.writeString(sec, "Trigger", entry.trigger);
}

void MacroCatalogue::remove(int number, const std::string& caption) {
    bool removed = false;
    store_.update([&](IniDocument& doc) {
        const int last = clampEntries(intValue(doc, kMain, "Entries", 0));
        // A number the file no longer has (another copy changed it) must not delete a
        // different macro.
        if (number < 1 || number > last) return;
        for (int j = number; j < last; ++j)
            doc.replaceSection(section(j), doc.rawEntries(section(j + 1)));
        doc.removeSection(section(last));
        doc.set(kMain, "Entries", std::to_string(last - 1));
        removed = true;
    });
    // Only once the entry is gone: the side files of a macro that stays would leave it broken.
    if (!removed) return;
    for (const char* extension : {".key", ".dat"})
        if (auto path = sideFilePath(caption + extension)) files_.removeFile(*path);
}

std::vector<int> MacroCatalogue::findByName(std::string_view name) const {
    const IniDocument doc = store_.load();
    const int count = clampEntries(intValue(doc, kMain, "Entries", 0));
    const std::string wanted = ostrevin::upperAscii(name);
    std::vector<int> found;
    for (int n = 1; n <= count; ++n)
        if (ostrevin::upperAscii(stringValue(doc, section(n), "Name")) == wanted)
            found.push_back(n);
    return found;
}

void MacroCatalogue::resetFoundHandles() {
    // Only sections that exist: a hand-edited Entries far above the real count must not grow the
    // file by an empty section for every number. Nothing is written when nothing would change.
    const IniDocument current = store_.load();
    const int count = clampEntries(intValue(current, kMain, "Entries", 0));
    bool stale = false;
    for (int n = 1; n <= count && !stale; ++n)
        stale = current.hasSection(section(n)) && current.value(section(n), "FoundHandle") != "";
    if (!stale) return;
    store_.update([&](IniDocument& doc) {
        for (int n = 1; n <= count; ++n)
            if (doc.hasSection(section(n))) doc.set(section(n), "FoundHandle", "");
    });
}

std::optional<std::string> MacroCatalogue::sideFilePath(std::string_view fileName) const {
    if (!isSafeFileName(fileName)) return std::nullopt;
    return programFolder_ + std::string(fileName);
}

int MacroCatalogue::searchInterval() const {
    return store_.readInteger(kMain, "SearchInterval", 250);
}
bool MacroCatalogue::firstRun() const {
    return store_.readBool(kMain, "FirstRun", true);
}
void MacroCatalogue::setFirstRun(bool value) {
    store_.writeBool(kMain, "FirstRun", value);
}
bool MacroCatalogue::showHints() const {
    return store_.readBool(kMain, "Show Hints", true);
}
void MacroCatalogue::setShowHints(bool value) {
    store_.writeBool(kMain, "Show Hints", value);
}
std::string MacroCatalogue::waitForSeparator() const {
    return store_.readString(kMain, "WaitForSeparator", "~~");
}

}  // namespace keyloom
