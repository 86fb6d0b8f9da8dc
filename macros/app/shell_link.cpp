#include "macros/app/shell_link.h"

#include <string_view>

#include "common/text.h"

namespace keyloom {

namespace {

std::string fromHome(ShortcutFiles& files, const char* variable, const char* fallback) {
    std::string value = files.environment(variable);
    if (!value.empty() && value[0] == '/') return value;
    return files.environment("HOME") + fallback;
}

// A folder from ~/.config/user-dirs.dirs: NAME="$HOME/Folder" or NAME="/absolute".
std::string userDir(ShortcutFiles& files, std::string_view name, const char* fallback) {
    const std::string home = files.environment("HOME");
    const auto text =
        files.readFile(fromHome(files, "XDG_CONFIG_HOME", "/.config") + "/user-dirs.dirs");
    std::string_view rest = text ? std::string_view(*text) : std::string_view();
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line.starts_with(name) || line.substr(name.size(), 2) != "=\"") continue;
        line.remove_prefix(name.size() + 2);
        std::string value;
        for (std::size_t i = 0; i < line.size() && line[i] != '"'; ++i) {
            if (line[i] == '\\' && i + 1 < line.size()) ++i;
            value += line[i];
        }
        if (value.starts_with("$HOME")) return home + value.substr(5);
        if (value.starts_with("/")) return value;
    }
    return home + fallback;
}

std::string withoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::string fileNamePart(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

constexpr std::string_view kExtension = ".desktop";

bool isMenuFolder(TShellFolder folder) {
    return folder == TShellFolder::sfStartMenu || folder == TShellFolder::sfPrograms ||
           folder == TShellFolder::sfFavorites || folder == TShellFolder::sfStartup;
}

}  // namespace

std::string shellFolderPath(TShellFolder folder, ShortcutFiles& files) {
    std::string path;
    switch (folder) {
        case TShellFolder::sfDesktop: path = userDir(files, "XDG_DESKTOP_DIR", "/Desktop"); break;
        case TShellFolder::sfPersonal:
            path = userDir(files, "XDG_DOCUMENTS_DIR", "/Documents");
            break;
        case TShellFolder::sfTemplates:
            path = userDir(files, "XDG_TEMPLATES_DIR", "/Templates");
            break;
        // The desktops build their application menus, and the favourites picked from them, out
        // of this one folder.
        case TShellFolder::sfStartMenu:
        case TShellFolder::sfPrograms:
        case TShellFolder::sfFavorites:
            path = fromHome(files, "XDG_DATA_HOME", "/.local/share") + "/applications";
            break;
        case TShellFolder::sfStartup:
            path = fromHome(files, "XDG_CONFIG_HOME", "/.config") + "/autostart";
            break;
        case TShellFolder::sfFonts:
            path = fromHome(files, "XDG_DATA_HOME", "/.local/share") + "/fonts";
            break;
        case TShellFolder::sfNone:
        case TShellFolder::sfRecent:
        case TShellFolder::sfSendTo: return {};
    }
    // Without a home folder every path above would land in the root folder.
    if (files.environment("HOME").empty() || path.empty() || path[0] != '/') return {};
    return withoutTrailingSlash(path);
}

const char* shellFolderTitle(TShellFolder folder) {
    switch (folder) {
        case TShellFolder::sfDesktop: return "desktop";
        case TShellFolder::sfStartMenu: return "start menu";
        case TShellFolder::sfPrograms: return "programs menu";
        case TShellFolder::sfStartup: return "start-up";
        case TShellFolder::sfFavorites: return "favorites";
        case TShellFolder::sfPersonal: return "documents";
        case TShellFolder::sfTemplates: return "templates";
        case TShellFolder::sfFonts: return "fonts";
        case TShellFolder::sfRecent: return "recent files";
        case TShellFolder::sfSendTo: return "send to";
        case TShellFolder::sfNone: break;
    }
    return "chosen";
}

std::string quoteExecArgument(const std::string& argument) {
    static constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string doubled;
    for (char c : argument) {
        doubled += c;
        if (c == '%') doubled += '%';
    }
    if (!argument.empty() && argument.find_first_of(kReserved) == std::string::npos) return doubled;
    std::string quoted = "\"";
    for (char c : doubled) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + '"';
}

std::string escapeDesktopValue(const std::string& value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            case '\r': out += "\\r"; break;
            case ' ': out += i == 0 ? "\\s" : " "; break;
            default: out += c;
        }
    }
    return out;
}

bool isOurDesktopEntry(const std::string& text) {
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (line.starts_with(kShortcutMarkKey) || line.starts_with("X-Ostrevin-HotKey="))
            return true;
    }
    return false;
}

std::uint16_t shellHotKey(std::uint16_t hotKey) {
    std::uint16_t value = hotKey & 0xFF;
    if (hotKey & 0x2000) value |= 0x100;
    if (hotKey & 0x4000) value |= 0x200;
    if (hotKey & 0x8000) value |= 0x400;
    return value;
}

std::string kdeShortcut(const std::string& shortcutText) {
    std::string_view rest = shortcutText;
    bool shift = false, ctrl = false, alt = false;
    for (;;) {
        if (rest.starts_with("Shift+") && rest.size() > 6) {
            shift = true;
            rest.remove_prefix(6);
        } else if (rest.starts_with("Ctrl+") && rest.size() > 5) {
            ctrl = true;
            rest.remove_prefix(5);
        } else if (rest.starts_with("Alt+") && rest.size() > 4) {
            alt = true;
            rest.remove_prefix(4);
        } else {
            break;
        }
    }
    if (rest.empty()) return {};
    std::string key(rest);
    if (key == "BkSp") key = "Backspace";
    if (key == "Enter") key = "Return";
    if (key == "Ins") key = "Insert";
    if (key == "Del") key = "Delete";
    return std::string(ctrl ? "Ctrl+" : "") + (alt ? "Alt+" : "") + (shift ? "Shift+" : "") + key;
}

void TPBShellLink::setShellFolder(TShellFolder folder) {
    if (folder == shellFolder_) return;
    shellFolder_ = folder;
    if (folder == TShellFolder::sfNone) return;
    folderPath_ = shellFolderPath(folder, files_);
    if (!fileName_.empty()) fileName_ = placedName(fileName_);
}

std::string TPBShellLink::placedName(const std::string& fileName) const {
    std::string part = fileNamePart(fileName);
    if (isMenuFolder(shellFolder_) && !part.starts_with(kMenuEntryPrefix))
        part = kMenuEntryPrefix + part;
    return folderPath_ + "/" + part;
}

void TPBShellLink::setFileName(const std::string& value) {
    // Checked before the menu folders' prefix, which would make a name of an empty one.
    const std::string given = fileNamePart(value);
    if (ostrevin::equalsIgnoreAsciiCase(given, kExtension) || given.empty()) {
        fileName_.clear();
        return;
    }
    const std::string name = shellFolder_ != TShellFolder::sfNone ? placedName(value) : value;
    const std::string part = fileNamePart(name);
    const bool hasExtension =
        part.size() > kExtension.size() &&
        ostrevin::equalsIgnoreAsciiCase(part.substr(part.size() - kExtension.size()), kExtension);
    fileName_ = hasExtension ? name : name + std::string(kExtension);
}

std::string TPBShellLink::desktopEntry() const {
    std::string exec = quoteExecArgument(Target);
    for (const std::string& argument : Arguments) exec += ' ' + quoteExecArgument(argument);
    std::string text = "[Desktop Entry]\nType=Application\nVersion=1.0\n";
    text += "Name=" + escapeDesktopValue(Description.empty() ? "Macro" : Description) + "\n";
    if (!Description.empty()) text += "Comment=" + escapeDesktopValue(Description) + "\n";
    text += "Exec=" + escapeDesktopValue(exec) + "\n";
    if (!WorkingDir.empty()) text += "Path=" + escapeDesktopValue(WorkingDir) + "\n";
    if (!Icon.file.empty()) text += "Icon=" + escapeDesktopValue(Icon.file) + "\n";
    text += "Terminal=false\nStartupNotify=false\nCategories=Utility;\n";
    text += std::string(kShortcutMarkKey) + "=Keyloom\n";
    if (HotKey != 0) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%04X", shellHotKey(HotKey));
        text += std::string("X-Ostrevin-HotKey=") + hex + "\n";
        const std::string kde = kdeShortcut(HotKeyText);
        if (!kde.empty()) text += "X-KDE-Shortcuts=" + escapeDesktopValue(kde) + "\n";
    }
    if (WindowState == TWindowState::wsMinimized) text += "X-Ostrevin-WindowState=Minimized\n";
    if (WindowState == TWindowState::wsMaximized) text += "X-Ostrevin-WindowState=Maximized\n";
    return text;
}

void TPBShellLink::Save() {
    if (shellFolder_ != TShellFolder::sfNone) {
        const std::string title = shellFolderTitle(shellFolder_);
        if (folderPath_.empty())
            throw EPBShellLink("There is no " + title + " folder for shortcuts on this system.");
        // The menu and start-up folders are the desktop's own and may simply not exist yet;
        // the user's named folders (desktop, documents) are never made up.
        if (isMenuFolder(shellFolder_) && !files_.isFolder(folderPath_))
            files_.makeFolders(folderPath_);
        if (!files_.isFolder(folderPath_))
            throw EPBShellLink("The " + title + " folder " + folderPath_ + " does not exist.");
    }
    if (fileName_.empty()) throw EPBShellLink("The shortcut has no file name.");
    if (files_.exists(fileName_)) {
        const auto existing = files_.readFile(fileName_);
        if (!existing || !isOurDesktopEntry(*existing))
            throw EPBShellLink("The file " + fileName_ +
                               " belongs to another program and was left as it is; the shortcut "
                               "was not written. Rename the macro to make a shortcut for it.");
    }
    if (!files_.replaceFile(fileName_, desktopEntry(), true))
        throw EPBShellLink("Erreur en écriture.\n\nThe shortcut " + fileName_ +
                           " could not be written.");
    if (shellFolder_ == TShellFolder::sfDesktop) files_.markTrusted(fileName_);
}

}  // namespace keyloom
