// A macro player wired to recording fakes and a real catalogue file, for the playback tests.
#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "common/test_folder.h"
#include "macros/playback/macro_player.h"
#include "platform/fake/fakes.h"

namespace keyloom {

// Records each key string; one sent with prefix characters as characters is marked with "!".
class RecordingSender : public KeyStringSender {
  public:
    std::vector<std::string> sent;
    bool tokensOnly = false;
    int openTexts = 0;
    int Send(std::string_view keys) override {
        sent.push_back((tokensOnly ? "!" : "") + std::string(keys));
        return keys.empty() ? -1 : 0;
    }
    void setTokensOnly(bool value) override { tokensOnly = value; }
    void beginText(std::string_view) override { ++openTexts; }
    void endText() override { --openTexts; }
    std::string joined() const {
        std::string out;
        for (const auto& s : sent) out += (out.empty() ? "" : "|") + s;
        return out;
    }
};

class FakeJournal : public TOlejrnl {
  public:
    int playbacks = 0;
    void StartRecording() override {}
    void StartPlayBack() override { ++playbacks; }
    bool StopRecording() override { return true; }
};

struct PlaybackFixture {
    ostrevin::TestFolder folder;
    ostrevin::IniStore store{folder.path() + "/macros.ini"};
    ostrevin::platform::FakeFileSystem files;
    MacroCatalogue catalogue{store, "/prog/", files};
    RecordingSender sender;
    FakeJournal journal;
    ostrevin::platform::FakeWindowSystem windows;
    ostrevin::platform::FakeLauncher launcher;
    ostrevin::platform::FakeClock clock;
    ostrevin::platform::FakeMessagePump pump;
    ostrevin::platform::FakeTimer tmr1, Timer1;
    std::vector<std::string> prompts;
    std::string answer = "typed answer";
    std::vector<std::string> statuses;
    MacroPlayer player{PlayerServices{
        catalogue, sender, journal, windows, launcher, clock, pump, files, tmr1, Timer1,
        [this](const std::string& prompt) {
            prompts.push_back(prompt);
            return answer;
        },
        [this](const std::string& status) { statuses.push_back(status); }}};

    void writeCatalogue(const std::string& text) {
        std::ofstream(folder.path() + "/macros.ini") << text;
    }
    void keyFile(const std::string& name, const std::string& text) {
        files.files["/prog/" + name] = text;
    }
    std::string run(const std::string& text) {
        sender.sent.clear();
        player.SendKeys(text);
        return sender.joined();
    }
};

}  // namespace keyloom
