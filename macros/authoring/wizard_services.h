// What the authoring windows need from the rest of the program, handed in so that they can be
// made and tested without it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "macros/authoring/authoring_dialogs.h"
#include "macros/authoring/macro_writer.h"
#include "macros/catalogue/macro_catalogue.h"
#include "macros/playback/journal_recorder.h"
#include "platform/file_system.h"

namespace keyloom {

struct AuthoringServices {
    AuthoringServices(MacroCatalogue& catalogue, ostrevin::platform::FileSystem& files,
                      TOlejrnl& recorder, AuthoringDialogs& dialogs, KeyLabelFn keyLabel)
        : catalogue(catalogue),
          files(files),
          recorder(recorder),
          dialogs(dialogs),
          keyLabel(std::move(keyLabel)) {}

    MacroCatalogue& catalogue;
    ostrevin::platform::FileSystem& files;
    TOlejrnl& recorder;
    AuthoringDialogs& dialogs;
    KeyLabelFn keyLabel;
    // The virtual key of a native key code, for the hot key fields; may be empty.
    std::function<std::uint8_t(std::uint32_t nativeScanCode)> keyOfScanCode;
    // Re-registers every hot key and rebuilds the macro list.
    std::function<void()> LoadHotKeys;
    std::function<void()> LoadMacroList;
    // The shortcut of a place 1-6 (desktop ... personal folder) for macro n.
    std::function<void(int place, int number)> Shortcut_Create;
    // Shift+Ctrl+F12, which ends a mouse-and-keyboard recording.
    std::function<void(bool enabled)> setStopHotKeyEnabled;
    // Macro hot keys are ignored while it is set.
    std::function<void(bool editing)> setEditingMacro;
    // Shows or hides the macro list window around a recording.
    std::function<void(bool visible)> showMacroList;
    // The tray form's RecordFinished and the run-macro entry's PlaybackDone.
    std::function<void(const std::string& status)> recordFinished;
    std::function<void()> setPlaybackDone;
    // Opens the help at a topic ("Operation").
    std::function<void(const std::string& topic)> showHelp;
    // Sets the tray menu's "&Show Hints" check mark.
    std::function<void(bool checked)> showHintsChecked;
    std::function<void()> processMessages;
    RenameFileFn rename = renameFile;
    // Why recording cannot start on this desktop, shown instead of starting; "" where it can.
    std::string recordingRefusal;
};

}  // namespace keyloom
