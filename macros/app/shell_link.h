// TPBShellLink: writes a launcher for a macro as a freedesktop Desktop Entry file into one of the
// user's folders. Failures raise EPBShellLink with a text the error box shows.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "macros/app/shortcut_files.h"

namespace keyloom {

enum class TShellFolder {
    sfNone,
    sfDesktop,
    sfFavorites,
    sfFonts,
    sfPersonal,
    sfPrograms,
    sfRecent,
    sfSendTo,
    sfStartMenu,
    sfStartup,
    sfTemplates
};

enum class TWindowState { wsNormal, wsMinimized, wsMaximized };

class EPBShellLink : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct FileIcon {
    std::string file;
    int index = 0;
};

// The folder a special folder stands for, with no trailing "/"; "" when it has none here.
std::string shellFolderPath(TShellFolder folder, ShortcutFiles& files);
// What the user calls it, for messages.
const char* shellFolderTitle(TShellFolder folder);

// One argument of an Exec line: quoted when it holds a reserved character, "%" doubled.
std::string quoteExecArgument(const std::string& argument);
// A value of type string in a desktop entry: "\" doubled, line breaks and tabs escaped.
std::string escapeDesktopValue(const std::string& value);
// Our entries carry this key, so that an entry of ours is replaced and any other file is not.
inline constexpr const char* kShortcutMarkKey = "X-Ostrevin-Shortcut";
// In the menu and start-up folders the file name is the entry's desktop ID, shared with every
// other program's entries: ours begin with this.
inline constexpr const char* kMenuEntryPrefix = "keyloom-";
// Whether a desktop entry's text was written by us (also before the mark key, by our hot key).
bool isOurDesktopEntry(const std::string& text);

// The hot key in the shell's format: modifiers 1 Shift, 2 Ctrl, 4 Alt in the high byte.
std::uint16_t shellHotKey(std::uint16_t hotKey);
// The hot key text in the KDE form ("Ctrl+Shift+D"), "" for none.
std::string kdeShortcut(const std::string& shortcutText);

class TPBShellLink {
  public:
    explicit TPBShellLink(ShortcutFiles& files) : files_(files) {}

    std::vector<std::string> Arguments;
    std::string Description;
    FileIcon Icon;
    std::uint16_t HotKey = 0;
    std::string HotKeyText;  // the list's shortcut text of HotKey, for desktops that bind it
    std::string Target;
    TWindowState WindowState = TWindowState::wsNormal;
    std::string WorkingDir;

    TShellFolder ShellFolder() const { return shellFolder_; }
    void setShellFolder(TShellFolder folder);
    const std::string& FileName() const { return fileName_; }
    void setFileName(const std::string& value);

    std::string desktopEntry() const;
    // Replaces an earlier entry of ours of that name. Raises EPBShellLink when the folder is
    // missing, when another program's file has that name, or when the file cannot be written.
    void Save();

  private:
    std::string placedName(const std::string& fileName) const;

    ShortcutFiles& files_;
    TShellFolder shellFolder_ = TShellFolder::sfNone;
    std::string folderPath_;
    std::string fileName_;
};

}  // namespace keyloom
