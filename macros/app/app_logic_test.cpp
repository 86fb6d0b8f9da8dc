// The list window's stored place, the printed list and the launcher files, on fakes.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>

#include "common/test_folder.h"
#include "macros/app/display_session.h"
#include "macros/app/list_position.h"
#include "macros/app/print_job.h"
#include "macros/app/shell_link.h"
#include "macros/app/side_folder.h"

using namespace keyloom;

namespace {

class FakeShortcutFiles : public ShortcutFiles {
  public:
    std::map<std::string, std::string> env{{"HOME", "/home/ann"}};
    std::map<std::string, std::string> files;
    std::map<std::string, bool> executable;
    std::vector<std::string> folders{"/home/ann/Desktop", "/home/ann/Documents"};
    std::vector<std::string> made;
    std::vector<std::string> trusted;
    std::set<std::string> unreadable;
    bool refuseWrites = false;

    std::string environment(const char* name) override {
        auto it = env.find(name);
        return it == env.end() ? "" : it->second;
    }
    std::optional<std::string> readFile(const std::string& path) override {
        auto it = files.find(path);
        if (it == files.end() || unreadable.count(path)) return std::nullopt;
        return it->second;
    }
    bool exists(const std::string& path) override { return files.count(path) > 0; }
    bool isFolder(const std::string& path) override {
        return std::find(folders.begin(), folders.end(), path) != folders.end();
    }
    bool makeFolders(const std::string& path) override {
        made.push_back(path);
        folders.push_back(path);
        return true;
    }
    bool replaceFile(const std::string& path, const std::string& content, bool exec) override {
        if (refuseWrites) return false;
        files[path] = content;
        executable[path] = exec;
        return true;
    }
    void markTrusted(const std::string& path) override { trusted.push_back(path); }
};

}  // namespace

TEST(ListPosition, DefaultsAndMissingWidth) {
    struct Case {
        const char* stored;
        std::optional<WindowPlace> expected;
    };
    const Case cases[] = {
        {"", std::nullopt},
        {"[Position]\nHeight=500\nTop=3\nLeft=4\n", std::nullopt},
        {"[Position]\nWidth=10000\n", std::nullopt},
        {"[Position]\nWidth=600\n", WindowPlace{600, 343, 384, 174}},
        {"[Position]\nWidth=600\nHeight=300\nTop=10\nLeft=20\n", WindowPlace{600, 300, 10, 20}},
        {"[Position]\nWidth=0x20\nHeight=junk\n", WindowPlace{32, 343, 384, 174}},
    };
    for (const Case& c : cases) {
        ostrevin::TestFolder folder;
        const std::string path = folder.path() + "/macros.ini";
        std::ofstream(path) << c.stored;
        ostrevin::IniStore store(path);
        EXPECT_EQ(readListPosition(store, 768), c.expected) << c.stored;
    }
}

TEST(ListPosition, OddScreenHeightRoundsHalves) {
    ostrevin::TestFolder folder;
    ostrevin::IniStore store(folder.path() + "/macros.ini");
    store.writeInteger("Position", "Width", 421);
    const auto place = readListPosition(store, 1025);
    ASSERT_TRUE(place);
    EXPECT_EQ(place->top, 513);
    EXPECT_EQ(place->left, 303);
}

TEST(ListPosition, WrittenInOrderAndReadBack) {
    ostrevin::TestFolder folder;
    const std::string path = folder.path() + "/macros.ini";
    ostrevin::IniStore store(path);
    store.writeInteger("Main", "Entries", 0);
    writeListPosition(store, {500, 420, 33, 44});
    EXPECT_EQ(readListPosition(store, 768), (WindowPlace{500, 420, 33, 44}));
    std::ifstream in(path);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    EXPECT_NE(text.find("[Position]\nWidth=500\nHeight=420\nTop=33\nLeft=44\n"), std::string::npos)
        << text;
}

TEST(ListPosition, FitOnScreen) {
    struct Case {
        WindowPlace in, out;
    };
    const Case cases[] = {
        {{421, 343, 100, 100}, {421, 343, 100, 100}},
        {{421, 343, 5000, -3000}, {421, 343, 1024 - 343, 0}},
        {{3000, 2000, 10, 10}, {1280, 1024, 0, 0}},
        {{421, 343, -2000, -2000}, {421, 343, 0, 0}},
    };
    for (const Case& c : cases) EXPECT_EQ(fitOnScreen(c.in, 0, 0, 1280, 1024), c.out);
}

TEST(PrintJob, HeadingTabsAndSkippedRows) {
    struct Case {
        std::vector<PrintRow> rows;
        std::vector<std::string> lines;
    };
    const std::string heading = "HOTKEY      \t\tMACRO NAME";
    const std::string rule(33, '_');
    const Case cases[] = {
        {{}, {heading, rule}},
        {{{"No key", ""}, {"Also none", ""}}, {heading, rule}},
        {{{"Ten", "Ctrl+F10"}, {"Nine", "Shift+F10"}, {"Skip", ""}, {"A", "F1"}},
         {heading, rule, "Ctrl+F10\t\t\tTen", "Shift+F10\t\tNine", "F1\t\t\tA"}},
        {{{"Daily Report", "Shift+Ctrl+D"}}, {heading, rule, "Shift+Ctrl+D\t\tDaily Report"}},
    };
    for (const Case& c : cases) EXPECT_EQ(macroListPrintLines(c.rows), c.lines);
}

TEST(ShellLink, ExecArgumentQuoting) {
    struct Case {
        const char* argument;
        const char* quoted;
    };
    const Case cases[] = {
        {"/Close", "/Close"},
        {"/Open:Daily Report", "\"/Open:Daily Report\""},
        {"/Open:a \"b\" $HOME %f \\x", "\"/Open:a \\\"b\\\" \\$HOME %%f \\\\x\""},
        {"/Open:back`tick`", "\"/Open:back\\`tick\\`\""},
        {"/Open:50%", "/Open:50%%"},
        {"/Open:it's", "\"/Open:it's\""},
        {"/Open:Grüße", "/Open:Grüße"},
        {"", "\"\""},
        {"/opt/my tools/macros", "\"/opt/my tools/macros\""},
    };
    for (const Case& c : cases) EXPECT_EQ(quoteExecArgument(c.argument), c.quoted) << c.argument;
}

TEST(ShellLink, DesktopValueEscapes) {
    EXPECT_EQ(escapeDesktopValue("\"a \\\"b\\\" \\$HOME %%f \\\\x\""),
              "\"a \\\\\"b\\\\\" \\\\$HOME %%f \\\\\\\\x\"");
    EXPECT_EQ(escapeDesktopValue(" lead\tand\nbreak"), "\\slead\\tand\\nbreak");
}

TEST(ShellLink, HotKeyFormats) {
    struct Case {
        std::uint16_t hotKey;
        std::uint16_t shell;
        const char* text;
        const char* kde;
    };
    const Case cases[] = {
        {24644, 0x0344, "Shift+Ctrl+D", "Ctrl+Shift+D"},
        {24699, 0x037B, "Shift+Ctrl+F12", "Ctrl+Shift+F12"},
        {0x8000 | 0x4000 | 0x2E, 0x062E, "Ctrl+Alt+Del", "Ctrl+Alt+Delete"},
        {0x0D, 0x000D, "Enter", "Return"},
        {0, 0, "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(shellHotKey(c.hotKey), c.shell) << c.text;
        EXPECT_EQ(kdeShortcut(c.text), c.kde);
    }
}

TEST(ShellLink, FolderLookup) {
    FakeShortcutFiles files;
    files.env["XDG_CONFIG_HOME"] = "/cfg";
    files.files["/cfg/user-dirs.dirs"] =
        "# comment\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
        "XDG_DOCUMENTS_DIR=\"/data/My \\\"Docs\\\"/\"\n";
    struct Case {
        TShellFolder folder;
        const char* path;
    };
    const Case cases[] = {
        {TShellFolder::sfDesktop, "/home/ann/Schreibtisch"},
        {TShellFolder::sfPersonal, "/data/My \"Docs\""},
        {TShellFolder::sfTemplates, "/home/ann/Templates"},
        {TShellFolder::sfStartMenu, "/home/ann/.local/share/applications"},
        {TShellFolder::sfPrograms, "/home/ann/.local/share/applications"},
        {TShellFolder::sfFavorites, "/home/ann/.local/share/applications"},
        {TShellFolder::sfStartup, "/cfg/autostart"},
        {TShellFolder::sfRecent, ""},
        {TShellFolder::sfNone, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(shellFolderPath(c.folder, files), c.path) << static_cast<int>(c.folder);
    files.env.erase("HOME");
    EXPECT_EQ(shellFolderPath(TShellFolder::sfDesktop, files), "");
}

TEST(ShellLink, FileNameRules) {
    FakeShortcutFiles files;
    struct Case {
        TShellFolder folder;
        const char* set;
        const char* fileName;
    };
    const Case cases[] = {
        {TShellFolder::sfNone, "/tmp/x", "/tmp/x.desktop"},
        {TShellFolder::sfNone, "/tmp/x.DESKTOP", "/tmp/x.DESKTOP"},
        {TShellFolder::sfDesktop, "Daily Report", "/home/ann/Desktop/Daily Report.desktop"},
        {TShellFolder::sfDesktop, "dir/sub/Last", "/home/ann/Desktop/Last.desktop"},
        {TShellFolder::sfDesktop, ".desktop", ""},
        {TShellFolder::sfDesktop, "dir/", ""},
        // Menu file names are desktop IDs: ours never take another program's.
        {TShellFolder::sfStartMenu, "firefox",
         "/home/ann/.local/share/applications/keyloom-firefox.desktop"},
        {TShellFolder::sfStartup, "a/keyloom-x.desktop",
         "/home/ann/.config/autostart/keyloom-x.desktop"},
        {TShellFolder::sfFavorites, ".desktop", ""},
    };
    for (const Case& c : cases) {
        TPBShellLink link(files);
        link.setShellFolder(c.folder);
        link.setFileName(c.set);
        EXPECT_EQ(link.FileName(), c.fileName) << c.set;
    }
    TPBShellLink moved(files);
    moved.setFileName("/elsewhere/Name");
    moved.setShellFolder(TShellFolder::sfPersonal);
    EXPECT_EQ(moved.FileName(), "/home/ann/Documents/Name.desktop");
}

TEST(ShellLink, SaveWritesTrustedEntryAndReplaces) {
    FakeShortcutFiles files;
    TPBShellLink link(files);
    link.setShellFolder(TShellFolder::sfDesktop);
    link.setFileName("Daily Report");
    link.Description = "Daily Report";
    link.Target = "/opt/key loom/macros";
    link.WorkingDir = "/opt/key loom/";
    link.Arguments = {"/Open:Daily Report", "/Close"};
    link.HotKey = 24644;
    link.HotKeyText = "Shift+Ctrl+D";
    link.Icon = {"/opt/key loom/keyloom.png", 0};
    link.Save();
    const std::string path = "/home/ann/Desktop/Daily Report.desktop";
    EXPECT_EQ(files.files[path],
              "[Desktop Entry]\nType=Application\nVersion=1.0\nName=Daily Report\n"
              "Comment=Daily Report\nExec=\"/opt/key loom/macros\" \"/Open:Daily Report\" "
              "/Close\nPath=/opt/key loom/\nIcon=/opt/key loom/keyloom.png\nTerminal=false\n"
              "StartupNotify=false\nCategories=Utility;\nX-Ostrevin-Shortcut=Keyloom\n"
              "X-Ostrevin-HotKey=0x0344\n"
              "X-KDE-Shortcuts=Ctrl+Shift+D\n");
    EXPECT_TRUE(files.executable[path]);
    EXPECT_EQ(files.trusted, std::vector<std::string>{path});
    link.Description = "Changed";
    link.Save();
    EXPECT_NE(files.files[path].find("Name=Changed\n"), std::string::npos);
    EXPECT_EQ(files.files.size(), 1u);
}

TEST(ShellLink, FailuresAreClearErrorsNeverTheRootFolder) {
    struct Case {
        TShellFolder folder;
        bool removeHome;
        bool refuse;
        const char* message;
    };
    const Case cases[] = {
        {TShellFolder::sfTemplates, false, false,
         "The templates folder /home/ann/Templates does not exist."},
        {TShellFolder::sfDesktop, true, false, "There is no desktop folder"},
        {TShellFolder::sfRecent, false, false, "There is no recent files folder"},
        {TShellFolder::sfDesktop, false, true, "Erreur en écriture."},
    };
    for (const Case& c : cases) {
        FakeShortcutFiles files;
        if (c.removeHome) files.env.erase("HOME");
        files.refuseWrites = c.refuse;
        TPBShellLink link(files);
        link.setShellFolder(c.folder);
        link.setFileName("Report");
        try {
            link.Save();
            ADD_FAILURE() << c.message;
        } catch (const EPBShellLink& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
        EXPECT_TRUE(files.files.empty());
    }
}

TEST(ShellLink, MenuFoldersAreMadeWhenMissing) {
    FakeShortcutFiles files;
    TPBShellLink link(files);
    link.setShellFolder(TShellFolder::sfStartup);
    link.setFileName("Report");
    link.Save();
    EXPECT_EQ(files.made, std::vector<std::string>{"/home/ann/.config/autostart"});
    EXPECT_TRUE(files.files.count("/home/ann/.config/autostart/keyloom-Report.desktop"));
    EXPECT_TRUE(files.trusted.empty());
}

TEST(ShellLink, ReplacesOnlyItsOwnEntries) {
    const std::string apps = "/home/ann/.local/share/applications/";
    const std::string foreign = "[Desktop Entry]\nType=Application\nName=Browser\nExec=browser\n";
    struct Case {
        TShellFolder folder;
        std::string existingPath;
        std::string existing;
        bool unreadable;
        bool written;  // else refused, and the existing file kept
    };
    const Case cases[] = {
        {TShellFolder::sfDesktop, "/home/ann/Desktop/firefox.desktop", foreign, false, false},
        {TShellFolder::sfDesktop, "/home/ann/Desktop/firefox.desktop",
         "[Desktop Entry]\nX-Ostrevin-Shortcut=Keyloom\n", false, true},
        {TShellFolder::sfDesktop, "/home/ann/Desktop/firefox.desktop",
         "[Desktop Entry]\nX-Ostrevin-HotKey=0x0344\n", false, true},  // made by an older version
        {TShellFolder::sfDesktop, "/home/ann/Desktop/firefox.desktop", "", true, false},
        {TShellFolder::sfPrograms, apps + "firefox.desktop", foreign, false, true},
        {TShellFolder::sfStartMenu, apps + "keyloom-firefox.desktop", foreign, false, false},
        {TShellFolder::sfPersonal, "/home/ann/Documents/firefox.desktop", "notes", false, false},
    };
    for (const Case& c : cases) {
        FakeShortcutFiles files;
        files.folders.push_back(apps.substr(0, apps.size() - 1));
        files.files[c.existingPath] = c.existing;
        if (c.unreadable) files.unreadable.insert(c.existingPath);
        TPBShellLink link(files);
        link.setShellFolder(c.folder);
        link.setFileName("firefox");
        link.Description = "firefox";
        bool refused = false;
        try {
            link.Save();
        } catch (const EPBShellLink& e) {
            refused = true;
            EXPECT_NE(std::string(e.what()).find("belongs to another program"), std::string::npos);
        }
        EXPECT_EQ(refused, !c.written) << c.existingPath;
        if (link.FileName() != c.existingPath) {
            EXPECT_EQ(files.files[c.existingPath], c.existing);
        }
        EXPECT_EQ(files.files[link.FileName()] == link.desktopEntry(), c.written) << c.existingPath;
    }
}

TEST(DisplaySession, ErrorsAndWarnings) {
    struct Case {
        const char* display;
        const char* waylandDisplay;
        const char* sessionType;
        bool reachable;
        const char* error;  // a part of it, "" for none
        const char* warning;
    };
    const Case cases[] = {
        {":0", "", "x11", true, "", ""},
        {":0", "", "", true, "", ""},
        {":0", "wayland-0", "wayland", true, "", "reach only programs that run under XWayland"},
        {":0", "", "Wayland", true, "", "Wayland session"},
        {"", "wayland-0", "wayland", false, "DISPLAY is not set, so XWayland is not running", ""},
        {":1", "wayland-0", "", false, "XTEST and XKEYBOARD", ""},
        {"", "", "tty", false, "DISPLAY is not set", ""},
        {":5", "", "x11", false, "the X server :5 cannot be reached", ""},
    };
    for (const Case& c : cases) {
        const std::map<std::string, std::string> env{{"DISPLAY", c.display},
                                                     {"WAYLAND_DISPLAY", c.waylandDisplay},
                                                     {"XDG_SESSION_TYPE", c.sessionType}};
        const DisplaySession s = checkDisplaySession(
            [&env](const char* name) {
                auto it = env.find(name);
                return it == env.end() ? std::string() : it->second;
            },
            c.reachable);
        EXPECT_EQ(s.error.empty(), std::string(c.error).empty()) << c.display << c.sessionType;
        EXPECT_NE(s.error.find(c.error), std::string::npos) << s.error;
        EXPECT_EQ(s.warning.empty(), std::string(c.warning).empty()) << c.display;
        EXPECT_NE(s.warning.find(c.warning), std::string::npos) << s.warning;
    }
}

TEST(SideFolder, ProgramFolderUnlessNotWritable) {
    struct Case {
        bool writable;
        const char* dataHome;
        const char* home;
        const char* folder;
    };
    const Case cases[] = {
        {true, "/data", "/home/ann", "/opt/keyloom/"},
        {false, "/data", "/home/ann", "/data/keyloom/"},
        {false, "", "/home/ann", "/home/ann/.local/share/keyloom/"},
        {false, "relative", "/home/ann", "/home/ann/.local/share/keyloom/"},
        {false, "", "", "/opt/keyloom/"},
    };
    for (const Case& c : cases) {
        auto env = [&c](const char* name) -> std::string {
            return std::string(name) == "HOME" ? c.home : c.dataHome;
        };
        EXPECT_EQ(
            sideFileFolder("/opt/keyloom/", env, [&c](const std::string&) { return c.writable; }),
            c.folder);
    }
}

TEST(DisplaySession, WaylandDesktopFromRegistryAndBus) {
    using keyloom::WaylandDesktop;
    struct Case {
        bool virtualKeyboard, kwin, gnomeShell;
        WaylandDesktop desktop;
    };
    // A wlroots compositor wins even where a KWin of another session shares the bus.
    const Case cases[] = {{true, true, false, WaylandDesktop::wlroots},
                          {false, true, false, WaylandDesktop::kde},
                          {false, true, true, WaylandDesktop::kde},
                          {false, false, true, WaylandDesktop::gnome},
                          {false, false, false, WaylandDesktop::other}};
    for (const Case& c : cases)
        EXPECT_EQ(keyloom::waylandDesktopOf(c.virtualKeyboard, c.kwin, c.gnomeShell), c.desktop)
            << c.virtualKeyboard << c.kwin << c.gnomeShell;
}

TEST(DisplaySession, GnomeShellVersionsWithPortalShortcuts) {
    const std::pair<const char*, bool> cases[] = {
        {"43.9", false}, {"47.4", false}, {"48.0", true}, {"48.rc", true},
        {"50.1", true},  {"4", false},    {"", false},    {"unknown", false}};
    for (const auto& [version, portal] : cases)
        EXPECT_EQ(keyloom::gnomeShellGivesShortcuts(version), portal) << version;
}

TEST(DisplaySession, WaylandBackendAndWhatItLacks) {
    struct Case {
        const char* waylandDisplay;
        keyloom::WaylandOffer offer;
        bool wayland;
        std::vector<const char*> named;  // parts of the warning
        std::vector<const char*> notNamed;
    };
    const Case cases[] = {
        {"wayland-1", {true, true, true, true}, true, {}, {"hot keys", "<<FOCUS:", "recording"}},
        {"wayland-1",
         {true, false, false, true},
         true,
         {"hot keys", "<<FOCUS:", "recording"},
         {"mouse"}},
        {"wayland-1",
         {true, true, true, false},
         true,
         {"mouse recordings", "recording ("},
         {"hot keys"}},
        // Without any way to type the X11 backend is tried as before.
        {"wayland-1", {false, true, true, true}, false, {}, {}},
        {"wayland-1",
         {true, true, false, false, keyloom::WaylandDesktop::kde},
         true,
         {"global shortcuts", "desktop entry", "no key for"},
         {"i3", "<<FOCUS:"}},
        {"wayland-1",
         {true, true, true, true, keyloom::WaylandDesktop::gnome},
         true,
         {"no key for"},
         {"hot keys", "mouse"}},
        // Where the desktop lets the program paste them, they are typed.
        {"wayland-1",
         {true, true, true, true, keyloom::WaylandDesktop::kde, true},
         true,
         {},
         {"no key for", "recording"}},
        {"", {true, true, true, true}, false, {}, {}},
    };
    for (const Case& c : cases) {
        auto env = [&c](const char* name) {
            return std::string(name) == "WAYLAND_DISPLAY" ? std::string(c.waylandDisplay) : "";
        };
        EXPECT_EQ(keyloom::useWaylandBackend(env, c.offer), c.wayland) << c.waylandDisplay;
        const DisplaySession s = keyloom::checkWaylandSession(c.offer);
        EXPECT_TRUE(s.error.empty());
        for (const char* part : c.named) EXPECT_NE(s.warning.find(part), std::string::npos) << part;
        for (const char* part : c.notNamed)
            EXPECT_EQ(s.warning.find(part), std::string::npos) << part;
    }
}
