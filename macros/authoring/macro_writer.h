// How the authoring windows store what the user made: a new catalogue entry with its side file,
// and the rewrite of an existing entry with the renaming or replacing of its side file.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "macros/catalogue/macro_catalogue.h"
#include "platform/file_system.h"

namespace keyloom {

// Renames a file; false when the source is missing or, unless replace is set, the target exists.
using RenameFileFn =
    std::function<bool(const std::string& from, const std::string& to, bool replace)>;
bool renameFile(const std::string& from, const std::string& to, bool replace);

inline constexpr const char* kNameTakenMessage =
    "You have selected a name of an existing macro, please select another.";
inline constexpr const char* kTempRecording = "~temp.dat";

enum class WizardKind { Advanced, MouseAndKeyboard, Launch };

struct NewMacro {
    WizardKind kind = WizardKind::Advanced;
    bool keystrokesOnly = true;  // recordings only
    bool highSpeed = false;      // mouse and keyboard recordings only
    std::string name;            // as typed
    int hotKey = 0;
    std::string trigger;
    std::string commandLine, parameters, startIn;
    std::string advancedText;  // lines separated by '\n'
    // The file the recorder wrote; renamed to the final name when the name changed since.
    std::string recordedFile;
};

struct EditedMacro {
    int number = 0;
    int type = 0;
    std::string storedName;      // Name as read when the dialog opened
    std::string storedFileName;  // FileName as read when the dialog opened
    std::string name;            // as typed now
    int hotKey = 0;
    std::string trigger;
    std::string file, parameters, startIn;  // launch macros
    bool highSpeed = false;
    bool rerecorded = false;  // a new recording lies in "~temp.dat"
};

class MacroWriter {
  public:
    MacroWriter(MacroCatalogue& catalogue, ostrevin::platform::FileSystem& files,
                RenameFileFn rename = renameFile);

    // The message that refuses a name, or nothing. `self` is the entry being renamed (0 for a new
    // macro), whose own name never clashes.
    std::optional<std::string> nameProblem(std::string_view typed, int self = 0) const;

    // Why an existing macro of this type, whose side file is now `currentFileName`, cannot take
    // the typed name: a side file of the new name left by an earlier macro would silently become
    // this macro's (or be overwritten). Nothing when the name is free.
    std::optional<std::string> sideFileProblem(std::string_view typed, int type,
                                               const std::string& currentFileName) const;

    // Writes the entry in the order the kinds have always written their keys and returns its
    // number. The ".key" text is written first, so a refused write leaves no half entry.
    int append(const NewMacro& macro);
    void rewrite(const EditedMacro& macro);

    // Each line ended by CR LF.
    static std::string keyFileText(std::string_view text);
    // The edit mode's Save: replaces the old ".key" with one named after the name field.
    void saveKeyFile(const std::string& oldBase, const std::string& newName, std::string_view text);
    // The text of program folder + base + ".key", trimmed at both ends; nothing when unreadable.
    std::optional<std::string> loadKeyFile(const std::string& base) const;
    // Puts a ".key" that the edit mode saved under a new name back under the stored FileName.
    void restoreKeyFile(const std::string& savedBase, const std::string& storedFileName);

    std::string folderPath(std::string_view fileName) const;

  private:
    void writeKeyText(const std::string& name, std::string_view text);

    MacroCatalogue& catalogue_;
    ostrevin::platform::FileSystem& files_;
    RenameFileFn rename_;
};

}  // namespace keyloom
