// Which program views a found file: the text editor the desktop's MIME associations name, with
// the path as exactly one argument whatever characters it holds.
#include "dregmoor/ui/text_editor.h"

#include <gtest/gtest.h>

#include <map>

using namespace ostrevin::dregmoor;

namespace {

struct Staged {
    std::map<std::string, std::string> env{{"HOME", "/home/u"}};
    std::map<std::string, std::string> files;
    DesktopFiles view() {
        return {[this](const char* name) { return env.count(name) ? env[name] : std::string(); },
                [this](const std::string& path) -> std::optional<std::string> {
                    auto it = files.find(path);
                    if (it == files.end()) return std::nullopt;
                    return it->second;
                }};
    }
};

std::string entry(const std::string& exec, bool terminal = false) {
    return "[Desktop Entry]\nName=Editor\nExec=" + exec +
           "\nTerminal=" + (terminal ? "true" : "false") + "\n[Desktop Action new]\nExec=other\n";
}

using Args = std::vector<std::string>;

}  // namespace

TEST(ExecArguments, FieldCodesAndQuoting) {
    const std::string path = "/tmp/a b;$(rm -rf x)'\".tmp";
    const struct {
        std::string exec;
        Args expected;
    } cases[] = {
        {"gedit %U", {"gedit", path}},
        {"mousepad %F", {"mousepad", path}},
        {"kate -b %u", {"kate", "-b", path}},
        {"featherpad", {"featherpad", path}},  // no field code: appended
        {"\"/opt/my editor/bin/ed\" --new %f", {"/opt/my editor/bin/ed", "--new", path}},
        {"xed %i %c %k %f", {"xed", path}},  // other codes dropped
        {"ed --title=100%% %f", {"ed", "--title=100%", path}},
        {"\"quoted \\\"inner\\\"\" %f", {"quoted \"inner\"", path}},
        {"\"unterminated %f", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(execArguments(c.exec, path), c.expected) << c.exec;
}

TEST(TextEditorCommand, LookupOrder) {
    const std::string apps = "/usr/share/applications/";
    const struct {
        const char* name;
        std::map<std::string, std::string> files;
        Args expected;
    } cases[] = {
        {"nothing set", {}, {"xdg-open", "/f"}},
        {"user default",
         {{"/home/u/.config/mimeapps.list",
           "[Added Associations]\ntext/plain=vim.desktop;\n[Default Applications]\n"
           "text/plain=mousepad.desktop;\n"},
          {apps + "mousepad.desktop", entry("mousepad %F")},
          {apps + "vim.desktop", entry("vim %F", true)}},
         {"mousepad", "/f"}},
        {"user list wins over system list",
         {{"/home/u/.config/mimeapps.list", "[Default Applications]\ntext/plain=kate.desktop\n"},
          {"/etc/xdg/mimeapps.list", "[Default Applications]\ntext/plain=gedit.desktop\n"},
          {apps + "gedit.desktop", entry("gedit %U")},
          {apps + "kate.desktop", entry("kate %U")}},
         {"kate", "/f"}},
        {"uninstalled default passed over",
         {{"/home/u/.config/mimeapps.list",
           "[Default Applications]\ntext/plain=gone.desktop;gedit.desktop;\n"},
          {apps + "gedit.desktop", entry("gedit %U")}},
         {"gedit", "/f"}},
        {"terminal editor passed over for the cache",
         {{"/home/u/.config/mimeapps.list", "[Default Applications]\ntext/plain=vim.desktop\n"},
          {apps + "vim.desktop", entry("vim %F", true)},
          {apps + "mimeinfo.cache", "[MIME Cache]\ntext/plain=vim.desktop;xed.desktop;\n"},
          {apps + "xed.desktop", entry("xed %U")}},
         {"xed", "/f"}},
        {"user applications folder first",
         {{apps + "mimeinfo.cache", "[MIME Cache]\ntext/plain=ed.desktop;\n"},
          {"/home/u/.local/share/applications/ed.desktop", entry("myed %f")},
          {apps + "ed.desktop", entry("ed %f")}},
         {"myed", "/f"}},
    };
    for (const auto& c : cases) {
        Staged staged;
        staged.files = c.files;
        EXPECT_EQ(textEditorCommand("/f", staged.view()), c.expected) << c.name;
    }
}

TEST(TextEditorCommand, XdgFoldersFromTheEnvironment) {
    Staged staged;
    staged.env["XDG_CONFIG_HOME"] = "/cfg";
    staged.env["XDG_DATA_DIRS"] = "relative/ignored:/data";
    staged.files["/cfg/mimeapps.list"] = "[Default Applications]\ntext/plain=e.desktop\n";
    staged.files["relative/ignored/applications/e.desktop"] = entry("wrong %f");
    staged.files["/data/applications/e.desktop"] = entry("right %f");
    EXPECT_EQ(textEditorCommand("/f", staged.view()), (Args{"right", "/f"}));
}
