#include "dregmoor/ui/text_editor.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace ostrevin::dregmoor {

namespace {

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator))
        if (!part.empty()) parts.push_back(part);
    return parts;
}

std::string trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The value of key in [section] of an INI-like desktop file, or "".
std::string iniValue(const std::string& text, const std::string& section, const std::string& key) {
    std::istringstream in(text);
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
        line = trim(line);
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            inSection = line == "[" + section + "]";
            continue;
        }
        const auto equals = line.find('=');
        if (inSection && equals != std::string::npos && trim(line.substr(0, equals)) == key)
            return trim(line.substr(equals + 1));
    }
    return {};
}

std::vector<std::string> dirs(const DesktopFiles& files, const char* name, const char* fallback) {
    const std::string value = files.env(name);
    std::vector<std::string> out;
    for (const std::string& dir : split(value.empty() ? fallback : value, ':'))
        if (dir[0] == '/') out.push_back(dir);  // relative entries are ignored by the rules
    return out;
}

std::string homeDir(const DesktopFiles& files, const char* name, const char* below) {
    const std::string value = files.env(name);
    if (!value.empty() && value[0] == '/') return value;
    return files.env("HOME") + below;
}

}  // namespace

std::vector<std::string> execArguments(const std::string& exec, const std::string& path) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, quoted = false, placed = false;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < exec.size()) {
                word += exec[++i];
            } else {
                word += c;
            }
        } else if (c == '"') {
            quoted = inWord = true;
        } else if (c == ' ' || c == '\t') {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else if (c == '%' && i + 1 < exec.size()) {
            const char code = exec[++i];
            inWord = true;
            if (code == '%') {
                word += '%';
            } else if (code == 'f' || code == 'F' || code == 'u' || code == 'U') {
                word += path;
                placed = true;
            } else if (word.empty()) {
                inWord = false;  // a field code on its own (%i, %c, %k) goes away
            }
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted) return {};
    if (inWord) words.push_back(word);
    if (!words.empty() && !placed) words.push_back(path);
    return words;
}

std::vector<std::string> textEditorCommand(const std::string& path, const DesktopFiles& files) {
    const std::string configHome = homeDir(files, "XDG_CONFIG_HOME", "/.config");
    const std::string dataHome = homeDir(files, "XDG_DATA_HOME", "/.local/share");
    std::vector<std::string> appDirs = {dataHome + "/applications"};
    for (const std::string& dir : dirs(files, "XDG_DATA_DIRS", "/usr/local/share:/usr/share"))
        appDirs.push_back(dir + "/applications");
    std::vector<std::string> lists = {configHome + "/mimeapps.list"};
    for (const std::string& dir : dirs(files, "XDG_CONFIG_DIRS", "/etc/xdg"))
        lists.push_back(dir + "/mimeapps.list");
    for (const std::string& dir : appDirs) lists.push_back(dir + "/mimeapps.list");

    std::vector<std::string> candidates;
    for (const std::string& list : lists)
        if (auto text = files.read(list))
            for (const std::string& id :
                 split(iniValue(*text, "Default Applications", "text/plain"), ';'))
                candidates.push_back(id);
    for (const std::string& dir : appDirs)
        if (auto text = files.read(dir + "/mimeinfo.cache"))
            for (const std::string& id : split(iniValue(*text, "MIME Cache", "text/plain"), ';'))
                candidates.push_back(id);
    for (const std::string& id : candidates) {
        for (const std::string& dir : appDirs) {
            const auto entry = files.read(dir + "/" + id);
            if (!entry) continue;
            const std::string exec = iniValue(*entry, "Desktop Entry", "Exec");
            if (iniValue(*entry, "Desktop Entry", "Terminal") == "true") break;
            std::vector<std::string> argv = execArguments(exec, path);
            if (!argv.empty()) return argv;
            break;
        }
    }
    return {"xdg-open", path};
}

DesktopFiles realDesktopFiles() {
    DesktopFiles files;
    files.env = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value ? value : "");
    };
    files.read = [](const std::string& path) -> std::optional<std::string> {
        std::ifstream in(path, std::ios::binary);
        if (!in) return std::nullopt;
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    };
    return files;
}

}  // namespace ostrevin::dregmoor
