#include "macros/authoring/macro_writer.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>
#include <cerrno>
#include <stdexcept>

#include "common/text.h"
#include "macros/catalogue/macro_name.h"

namespace keyloom {

namespace {

constexpr const char* kMain = "Main";

std::runtime_error unableToWrite(const std::string& path) {
    return std::runtime_error("Unable to write to " + path);
}

}  // namespace

bool renameFile(const std::string& from, const std::string& to, bool replace) {
    if (replace) return ::rename(from.c_str(), to.c_str()) == 0;
    // A side file never silently takes the place of another one.
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    // Filesystems without RENAME_NOREPLACE: a hard link fails on an existing target as well.
    if (::link(from.c_str(), to.c_str()) != 0) return false;
    return ::unlink(from.c_str()) == 0;
}

MacroWriter::MacroWriter(MacroCatalogue& catalogue, ostrevin::platform::FileSystem& files,
                         RenameFileFn rename)
    : catalogue_(catalogue), files_(files), rename_(std::move(rename)) {}

std::optional<std::string> MacroWriter::nameProblem(std::string_view typed, int self) const {
    const std::string wanted = ostrevin::upperAscii(cleanMacroName(typed));
    const auto rows = catalogue_.listRows(nullptr);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (static_cast<int>(i) + 1 == self) continue;
        if (ostrevin::upperAscii(rows[i].caption) == wanted) return std::string(kNameTakenMessage);
    }
    if (typed.empty()) return std::nullopt;  // the callers have their own message for this
    return macroNameProblem(cleanMacroName(typed));
}

std::optional<std::string> MacroWriter::sideFileProblem(std::string_view typed, int type,
                                                        const std::string& currentFileName) const {
    if (type < 2 || type > 4) return std::nullopt;
    const std::string fileName = sideFileName(typed, type == 4 ? ".key" : ".dat");
    const auto target = catalogue_.sideFilePath(fileName);
    if (!target || target == catalogue_.sideFilePath(currentFileName) || !files_.exists(*target))
        return std::nullopt;
    return "The macro cannot be named \"" + cleanMacroName(typed) + "\": the file \"" + fileName +
           "\" of an earlier macro is still in the program folder. Choose another name, or "
           "remove or rename that file first.";
}

std::string MacroWriter::folderPath(std::string_view fileName) const {
    auto path = catalogue_.sideFilePath(fileName);
    if (!path)
        throw MacroNameError("The file name \"" + std::string(fileName) + "\" cannot be used.");
    return *path;
}

std::string MacroWriter::keyFileText(std::string_view text) {
    std::string out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        out.append(line).append("\r\n");
        start = end + 1;
    }
    return out;
}

void MacroWriter::writeKeyText(const std::string& name, std::string_view text) {
    const std::string path = folderPath(sideFileName(name, ".key"));
    if (!files_.writeFile(path, keyFileText(text))) throw unableToWrite(path);
}

int MacroWriter::append(const NewMacro& m) {
    const std::string name = cleanMacroName(m.name);
    if (auto problem = macroNameProblem(name)) throw MacroNameError(*problem);
    if (m.kind == WizardKind::Advanced) writeKeyText(name, m.advancedText);
    const bool recording = m.kind == WizardKind::MouseAndKeyboard;
    if (recording && !m.recordedFile.empty()) {
        const std::string target = folderPath(sideFileName(name, ".dat"));
        if (m.recordedFile != target && files_.exists(m.recordedFile))
            rename_(m.recordedFile, target, true);
    }

    ostrevin::IniStore& ini = catalogue_.store();
    // A hand-edited negative count reads as none, as everywhere else; counted on from it, the
    // new entry would land in a section no list shows.
    const int n = catalogue_.entries() + 1;
    ini.writeInteger(kMain, "Entries", n);
    const std::string sec = MacroCatalogue::section(n);
    switch (m.kind) {
        case WizardKind::Launch:
            ini.writeString(sec, "Name", name);
            ini.writeInteger(sec, "Type", 1);
            ini.writeInteger(sec, "HotKey", m.hotKey);
            ini.writeString(sec, "FileName",
                            m.commandLine + "~~" + m.parameters + "~~" + m.startIn);
            ini.writeString(sec, "Trigger", m.trigger);
            break;
        case WizardKind::Advanced:
            ini.writeString(sec, "Name", name);
            ini.writeInteger(sec, "Type", 4);
            ini.writeInteger(sec, "HotKey", m.hotKey);
            ini.writeString(sec, "Trigger", m.trigger);
            ini.writeString(sec, "FileName", sideFileName(name, ".key"));
            break;
        case WizardKind::MouseAndKeyboard:
            if (m.keystrokesOnly) {
                ini.writeString(sec, "Trigger", m.trigger);
                ini.writeString(sec, "Name", name);
                ini.writeInteger(sec, "Type", 2);
                ini.writeInteger(sec, "HotKey", m.hotKey);
                ini.writeString(sec, "FileName", sideFileName(name, ".dat"));
            } else {
                ini.writeString(sec, "Name", name);
                ini.writeInteger(sec, "Type", 3);
                ini.writeInteger(sec, "HotKey", m.hotKey);
                ini.writeString(sec, "Trigger", m.trigger);
                ini.writeString(sec, "FileName", sideFileName(name, ".dat"));
                ini.writeInteger(sec, "Speed", m.highSpeed ? 2 : 1);
            }
            break;
    }
    return n;
}

void MacroWriter::rewrite(const EditedMacro& m) {
    const std::string name = cleanMacroName(m.name);
    if (auto problem = macroNameProblem(name)) throw MacroNameError(*problem);
    if (auto problem = sideFileProblem(name, m.type, m.storedFileName))
        throw MacroNameError(*problem);
    const char* extension = m.type == 4 ? ".key" : ".dat";
    const bool hasSideFile = m.type >= 2 && m.type <= 4;
    auto stored = catalogue_.sideFilePath(m.storedFileName);
    const std::string target = folderPath(sideFileName(name, extension));
    // The new recording first, and the old one goes only once it is in place: a recording that
    // never reached the disk leaves the macro its old one, renamed as without a new recording.
    const bool replaced = m.rerecorded && rename_(folderPath(kTempRecording), target, true);
    if (replaced && stored && *stored != target) files_.removeFile(*stored);
    if (hasSideFile && !replaced && m.name != m.storedName && stored)
        rename_(*stored, target, false);
    MacroEntry entry;
    entry.name = name;
    entry.hotKey = m.hotKey;
    entry.trigger = m.trigger;
    entry.speed = m.highSpeed ? 2 : 1;
    // Only a launch macro's FileName comes from the fields; an entry of a type this program does
    // not know keeps its own.
    entry.fileName =
        m.type == 1 ? ostrevin::trimRightControl(m.file) + "~~" + m.parameters + "~~" + m.startIn
                    : m.storedFileName;
    catalogue_.rewrite(m.number, entry);
}

void MacroWriter::saveKeyFile(const std::string& oldBase, const std::string& newName,
                              std::string_view text) {
    const std::string name = cleanMacroName(newName);
    if (auto problem = macroNameProblem(name)) throw MacroNameError(*problem);
    if (auto problem = sideFileProblem(name, 4, sideFileName(oldBase, ".key")))
        throw MacroNameError(*problem);
    // The new file first: a refused write must not have cost the old text already.
    writeKeyText(name, text);
    auto old = catalogue_.sideFilePath(sideFileName(oldBase, ".key"));
    if (old && *old != folderPath(sideFileName(name, ".key"))) files_.removeFile(*old);
}

std::optional<std::string> MacroWriter::loadKeyFile(const std::string& base) const {
    auto path = catalogue_.sideFilePath(sideFileName(base, ".key"));
    if (!path) return std::nullopt;
    auto text = files_.readFile(*path);
    if (!text) return std::nullopt;
    return ostrevin::trimControl(*text);
}

void MacroWriter::restoreKeyFile(const std::string& savedBase, const std::string& storedFileName) {
    auto saved = catalogue_.sideFilePath(sideFileName(savedBase, ".key"));
    auto stored = catalogue_.sideFilePath(storedFileName);
    if (saved && stored && *saved != *stored && files_.exists(*saved))
        rename_(*saved, *stored, true);
}

}  // namespace keyloom
