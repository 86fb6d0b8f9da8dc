#include "macros/authoring/advanced_commands.h"

#include "common/text.h"

namespace keyloom {

namespace {

constexpr const char* kModifierHint =
    "You have selected a key modifyer.  To mate this key with another, simply type the key or "
    "select it from the list of special keys directly *after* the modifyer ( eg. <<ALT>>f ).  For "
    "more information review the pre-installed examples.";

std::vector<MenuCommand> specialKeys() {
    std::vector<MenuCommand> menu = {
        {"Ctrl", kModifierHint, "<<CTRL>>"},
        {"Alt", kModifierHint, "<<ALT>>"},
        {"Shift", kModifierHint, "<<SHIFT>>"},
        {"Ctrl+Alt", kModifierHint, "<<CTRL+ALT>>"},
        {"Ctrl+Shift", kModifierHint, "<<CTRL+SHIFT>>"},
        {"Shift+Alt", kModifierHint, "<<SHIFT+ALT>>"},
        {"Enter", nullptr, "<<ENTER>>"},
    };
    static const char* const kFunctionKeys[][2] = {
        {"F1", "<<F1>>"}, {"F2", "<<F2>>"},   {"F3", "<<F3>>"},   {"F4", "<<F4>>"},
        {"F5", "<<F5>>"}, {"F6", "<<F6>>"},   {"F7", "<<F7>>"},   {"F8", "<<F8>>"},
        {"F9", "<<F9>>"}, {"F10", "<<F10>>"}, {"F11", "<<F11>>"}, {"F12", "<<F12>>"}};
    for (const auto& key : kFunctionKeys) menu.push_back({key[0], nullptr, key[1]});
    menu.insert(menu.end(), {{"Esc", nullptr, "<<ESC>>"},
                             {"Tab", nullptr, "<<TAB>>"},
                             {"Backspace", nullptr, "<<BACKSPACE>>"},
                             {"Insert", nullptr, "<<INSERT>>"},
                             {"Delete", nullptr, "<<DELETE>>"}});
    return menu;
}

std::vector<MenuCommand> moreKeys() {
    return {{"Home", nullptr, "<<HOME>>"},
            {"End", nullptr, "<<END>>"},
            {"Page Up", nullptr, "<<PAGEUP>>"},
            {"Page Down", nullptr, "<<PAGEDOWN>>"},
            {"Print Screen", nullptr, "<<PRINTSCREEN>>"},
            {"Up Arrow", nullptr, "<<UP>>"},
            {"Down Arrow", nullptr, "<<DOWN>>"},
            {"Left Arrow", nullptr, "<<LEFT>>"},
            {"Right Arrow", nullptr, "<<RIGHT>>"}};
}

std::vector<MenuCommand> dateTime() {
    return {{"Current Date in Short Format",
             "The way your system defines a short date is explained in Regional Settings, under "
             "your Control Panel.",
             "<<SHORTDATE>>"},
            {"Current Date in Long Format",
             "The way your system defines a long date is explained in Regional Settings, under "
             "your Control Panel.",
             "<<LONGDATE>>"},
            {"Current Time in Short Format",
             "A short time is written in with no AM/PM description, eg. 15:30.", "<<SHORTTIME>>"},
            {"Current Time in Long Format",
             "A long time is written with the AM/PM description that your Regional Settings "
             "provides for, if any, eg. 3:30 PM.",
             "<<LONGTIME>>"}};
}

std::vector<MenuCommand> repeat() {
    return {{"Start Repeat Sequence",
             "Use this option to repeat either the entire macro, or a segment of the macro a "
             "given amount of times.  Note that for this function to work properly you will need "
             "an End Repetition statement for each repetition within the macro.",
             nullptr},
            {"End Repeat Sequence", "Use this option to complete a segment of repetition.",
             "<<ENDREP>>"}};
}

std::vector<MenuCommand> misc() {
    return {
        {"Display an input box and get a value",
         "Use this option to display a dialog box with a title that you specify.  This dialog "
         "box will allow you to type in information that can be later utilized by Keyloom.",
         nullptr},
        {"Write stored value",
         "This option will type the value that was previously obtained by the \"Get a Value\" "
         "option.",
         "<<WRITEVALUE>>"},
        {"Run another macro",
         "Use this option to run any pre-existing macros from within this one.", nullptr},
        {"Wait for a window to be present",
         "Use this option to have Keyloom wait for a window with a specified title to appear.",
         nullptr},
        {"Bring a window into the foreground",
         "Use this option to bring a window to the foreground so that it may accept keystrokes "
         "and other input.",
         nullptr},
        {"Start an Application or Document",
         "Note that you may use this option to not only start regular programs, but also launch "
         "any windows documents with valid associations.  For example, \"example.txt\" would "
         "launch Notepad with that document loaded, \"https://example.org\" would bring up your "
         "default browser at that site, and \"mailto:someone@example.org\" would load your "
         "default e-mail program with that address typed into the \"To\" field.",
         nullptr}};
}

}  // namespace

const char* const kDelayHint =
    "This option is especially useful when you are performing extensive operations within an "
    "application and would like to wait for them to finish, or when you need to wait a few "
    "seconds for a program to load before sending keystrokes to it.";

const std::vector<MenuCommand>& menuCommands(MenuId menu) {
    static const std::vector<MenuCommand> menus[] = {specialKeys(), moreKeys(), dateTime(),
                                                     repeat(), misc()};
    return menus[static_cast<int>(menu)];
}

std::string waitToken(bool minutes, std::string_view digits) {
    return std::string(minutes ? "<<MINS" : "<<SECS") + ostrevin::trimControl(digits) + ">>";
}

std::string repeatToken(std::string_view digits) {
    return "<<REP" + ostrevin::trimControl(digits) + ">>";
}

std::string inputToken(std::string_view title) {
    return "<<INPUT:" + ostrevin::trimControl(title) + ">>";
}

std::string lookForToken(std::string_view title, std::string_view separator, bool minutes,
                         std::string_view digits) {
    return "<<LOOKFOR:" + ostrevin::trimControl(title) + std::string(separator) +
           (minutes ? "MINS:" : "SECS:") + ostrevin::trimControl(digits) + ">>";
}

std::string executeToken(std::string_view command, std::string_view parameters,
                         std::string_view folder) {
    return "<<EXECUTE:" + std::string(command) + "~~" + std::string(parameters) + "~~" +
           std::string(folder) + ">>";
}

std::string runToken(std::string_view macroName) {
    return macroName.empty() ? std::string() : "<<RUN:" + std::string(macroName) + ">>";
}

std::string focusToken(std::string_view title) {
    return title.empty() ? std::string() : "<<FOCUS:" + std::string(title) + ">>";
}

}  // namespace keyloom
