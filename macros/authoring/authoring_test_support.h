// Test support: the authoring windows over a real catalogue file in a private folder, with a
// recorder and message boxes that record what they were asked.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "common/test_folder.h"
#include "macros/authoring/frm_properties.h"
#include "macros/authoring/frm_wizard.h"
#include "platform/posix/posix_file_system.h"

namespace keyloom::test {

class FakeRecorder : public TOlejrnl {
  public:
    std::vector<std::string> calls;
    void StartRecording() override {
        calls.push_back("record " + RecordFileName + (KeyStrokesOnly ? " keys" : " all"));
        recordingInto_ = RecordFileName;
    }
    // A recording that fails stores nothing and says so, as the real one does (it tells later).
    std::string failure;
    bool StopRecording() override {
        calls.push_back("stop");
        const bool wasRecording = !recordingInto_.empty();
        const bool made = wasRecording && failure.empty();
        if (made) std::ofstream(recordingInto_) << "recorded " << ++takes_;
        if (wasRecording && !failure.empty() && OnRecordFailed) OnRecordFailed(failure);
        recordingInto_.clear();
        return made;
    }
    void StartPlayBack() override {
        calls.push_back("play " + PlayBackFileName + (HiSpeedPlayBack ? " fast" : " slow"));
    }
    void finish() {
        if (OnFinished) OnFinished(false);
    }

  private:
    std::string recordingInto_;
    int takes_ = 0;
};

class ScriptedDialogs : public AuthoringDialogs {
  public:
    std::vector<std::string> shown;  // "error: text", "message: text", "confirm: text", ...
    bool answerYes = true;
    std::vector<QString> answers;  // for input boxes, in order
    QString file, folder;

    void error(QWidget*, const QString& text) override { note("error", text); }
    void message(QWidget*, const QString& text) override { note("message", text); }
    bool confirm(QWidget*, const QString& text) override {
        note("confirm", text);
        return answerYes;
    }
    QString input(QWidget*, const QString& caption, const QString& prompt) override {
        note("input", caption + " / " + prompt);
        if (answers.empty()) return {};
        QString a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
    QString chooseFile(QWidget*) override {
        note("file", "");
        return file;
    }
    QString chooseFolder(QWidget*, const QString& title) override {
        note("folder", title);
        return folder;
    }
    std::string last() const { return shown.empty() ? "" : shown.back(); }

  private:
    void note(const char* kind, const QString& text) {
        shown.push_back(std::string(kind) + ": " + text.toStdString());
    }
};

struct Authoring {
    ostrevin::TestFolder folder;
    std::string dir = folder.path() + "/";
    ostrevin::IniStore store{dir + "macros.ini"};
    ostrevin::platform::PosixFileSystem files;
    MacroCatalogue catalogue{store, dir, files};
    FakeRecorder recorder;
    ScriptedDialogs dialogs;
    bool editing = false;
    bool stopKey = false;
    bool listVisible = true;
    bool hintsMenuChecked = true;
    int loadHotKeys = 0;
    int loadMacroList = 0;
    int playbackDone = 0;
    std::vector<std::string> statuses;
    std::vector<std::pair<int, int>> shortcuts;
    std::vector<std::string> help;
    std::unique_ptr<TfrmWizard> wizard;
    std::unique_ptr<TfrmProperties> properties;

    std::string recordingRefusal;

    explicit Authoring(bool hints = false, std::string refusal = "")
        : recordingRefusal(std::move(refusal)) {
        store.writeBool("Main", "Show Hints", hints);
        wizard = std::make_unique<TfrmWizard>(services());
        properties = std::make_unique<TfrmProperties>(services(), *wizard);
    }

    AuthoringServices services() {
        AuthoringServices s(catalogue, files, recorder, dialogs, usKeyLabel);
        s.LoadHotKeys = [this] { ++loadHotKeys; };
        s.LoadMacroList = [this] { ++loadMacroList; };
        s.Shortcut_Create = [this](int place, int n) { shortcuts.push_back({place, n}); };
        s.setStopHotKeyEnabled = [this](bool on) { stopKey = on; };
        s.setEditingMacro = [this](bool on) { editing = on; };
        s.showMacroList = [this](bool on) { listVisible = on; };
        s.recordFinished = [this](const std::string& st) { statuses.push_back(st); };
        s.setPlaybackDone = [this] { ++playbackDone; };
        s.showHelp = [this](const std::string& topic) { help.push_back(topic); };
        s.showHintsChecked = [this](bool on) { hintsMenuChecked = on; };
        s.processMessages = [] { QApplication::processEvents(); };
        s.recordingRefusal = recordingRefusal;
        return s;
    }

    std::string read(const std::string& name) const {
        std::ifstream in(dir + name, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return in ? s.str() : "<missing>";
    }
    void put(const std::string& name, const std::string& text) const {
        std::ofstream(dir + name, std::ios::binary) << text;
    }
    std::vector<std::string> keys(int n) const {
        std::vector<std::string> out;
        for (const auto& [key, value] : store.readSectionRaw(MacroCatalogue::section(n)))
            out.push_back(key + "=" + value);
        return out;
    }
    void addMacro(int n, const std::string& name, int type, const std::string& fileName,
                  int hotKey = 0, const std::string& trigger = "", int speed = 0) {
        if (store.readInteger("Main", "Entries", 0) < n) store.writeInteger("Main", "Entries", n);
        const std::string sec = MacroCatalogue::section(n);
        store.writeString(sec, "Name", name);
        store.writeInteger(sec, "Type", type);
        store.writeInteger(sec, "HotKey", hotKey);
        store.writeString(sec, "FileName", fileName);
        store.writeString(sec, "Trigger", trigger);
        if (speed) store.writeInteger(sec, "Speed", speed);
    }
};

// Runs `act` on the next modal window to come up (a hint, a step dialog), from inside its loop.
inline void whenModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] {
        QWidget* w = QApplication::activeModalWidget();
        if (w) act(w);
    });
}

}  // namespace keyloom::test
