// The catalogue "macros.ini": [Main] settings, [Position] of the list window, and one
// [Macro<n>] section per macro, numbered from 1 without gaps. Nothing is cached: every call reads
// or writes the file, so changes made elsewhere are seen at once.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/ini_store.h"
#include "macros/catalogue/hot_key_text.h"
#include "macros/catalogue/macro_entry.h"
#include "platform/file_system.h"

namespace keyloom {

inline constexpr const char* kCatalogueFileName = "macros.ini";

struct MacroListRow {
    std::string caption;
    std::string shortcut;
    std::string trigger;
    int icon = -1;
};

class MacroCatalogue {
  public:
    // A garbled Entries value must not make the program list millions of rows.
    static constexpr int kMaxEntries = 65535;

    MacroCatalogue(ostrevin::IniStore& store, std::string programFolder,
                   ostrevin::platform::FileSystem& files);

    static std::string section(int number);

    int entries() const;
    // Read with the run-macro defaults (a missing Type is 0, which runs nothing).
    MacroEntry entry(int number) const;
    // Name, or "Macro" followed by the number for an entry without one.
    std::string displayName(int number) const;
    std::vector<MacroListRow> listRows(const KeyLabelFn& keyLabel) const;

    // Appends the entry as number Entries + 1 (Entries is written first) and returns that number.
    // FileName is derived from the name for recorded and advanced macros.
    int append(const MacroEntry& entry);
    // Writes HotKey, Name, FileName, Speed (type 3 only) and Trigger; the Type stays.
    void rewrite(int number, const MacroEntry& entry);
    // Moves every later section down by one and shrinks Entries, as one replacement of the file,
    // then deletes both possible side files named by the caption.
    void remove(int number, const std::string& caption);

    // Numbers of every entry whose Name equals the name without regard to ASCII case.
    std::vector<int> findByName(std::string_view name) const;
    void resetFoundHandles();

    // Program folder + file name, or nothing when the name would lead out of that folder.
    std::optional<std::string> sideFilePath(std::string_view fileName) const;
    const std::string& programFolder() const { return programFolder_; }

    int searchInterval() const;
    bool firstRun() const;
    void setFirstRun(bool value);
    bool showHints() const;
    void setShowHints(bool value);
    std::string waitForSeparator() const;

    ostrevin::IniStore& store() { return store_; }

  private:
    std::string storedFileName(const MacroEntry& entry, int type) const;

    ostrevin::IniStore& store_;
    std::string programFolder_;
    ostrevin::platform::FileSystem& files_;
};

}  // namespace keyloom
