// libFuzzer target for the advanced-macro interpreter on the recording fakes: any macro text runs
// or stops with a message, and every step of it lets events through, so that nothing it can be
// given freezes the program. A pause, wait or repeat longer than the step budget is cut short.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "common/test_folder.h"
#include "macros/playback/macro_error.h"
#include "macros/playback/macro_player.h"
#include "macros/sendkey/send_key.h"
#include "platform/fake/fake_keyboard.h"
#include "platform/fake/fakes.h"

namespace {

using namespace ostrevin::platform;

struct OutOfSteps {};
constexpr int kStepBudget = 20'000;

int stepsLeft = 0;
void step() {
    if (--stepsLeft < 0) throw OutOfSteps{};
}

class CountingPump : public MessagePump {
  public:
    std::function<void()> onPump;
    void processMessages() override {
        step();
        if (onPump) onPump();
    }
    void waitAndProcess() override { processMessages(); }
};

class CountingClock : public FakeClock {
  public:
    void sleepMs(int milliseconds) override {
        step();
        FakeClock::sleepMs(milliseconds);
    }
};

// A playback that ends at the next pump, as a short recording would.
class QuickJournal : public keyloom::TOlejrnl {
  public:
    bool playing = false;
    void StartRecording() override {}
    void StartPlayBack() override { playing = true; }
    bool StopRecording() override { return false; }
    void pump() {
        if (!playing) return;
        playing = false;
        if (OnFinished) OnFinished(true);
    }
};

class NoLibrary : public LibraryLoader {
  public:
    void* open(const std::string&) override { return nullptr; }
    void* symbol(void*, const std::string&) override { return nullptr; }
    void close(void*) override {}
};

// Macros that a fuzzed "<<RUN:" can reach: a launch, a recording and advanced macros, one of
// which runs itself.
const std::string& catalogueFile() {
    static ostrevin::TestFolder folder;
    static const std::string path = [] {
        const std::string file = folder.path() + "/macros.ini";
        std::ofstream(file) << "[Main]\nEntries=4\n"
                               "[Macro1]\nName=a\nType=4\nFileName=a.key\n"
                               "[Macro2]\nName=b\nType=2\nFileName=b.dat\n"
                               "[Macro3]\nName=c\nType=1\nFileName=/bin/true~~-x~~/tmp\n"
                               "[Macro4]\nName=self\nType=4\nFileName=self.key\n";
        return file;
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    keyloom::sendKeyShared() = {};
    ostrevin::IniStore store(catalogueFile());
    FakeFileSystem files;
    files.files["/prog/a.key"] = "x<<SECS1>><<ENTER>>";
    files.files["/prog/b.dat"] = "recorded";
    files.files["/prog/self.key"] = "<<RUN:self>>";
    keyloom::MacroCatalogue catalogue(store, "/prog/", files);
    FakeKeyboard keyboard;
    CountingPump pump;
    NoLibrary loader;
    keyloom::TSendKey sender(keyboard, pump, loader);
    QuickJournal journal;
    FakeWindowSystem windows;
    windows.windows = {{11, "Editor", true}, {12, "a", true}};
    FakeLauncher launcher;
    CountingClock clock;
    FakeTimer tmr1, Timer1;
    keyloom::MacroPlayer player{keyloom::PlayerServices{
        catalogue, sender, journal, windows, launcher, clock, pump, files, tmr1, Timer1,
        [](const std::string& prompt) { return prompt; }, [](const std::string&) {}}};
    pump.onPump = [&] {
        tmr1.fire();
        journal.pump();
    };
    stepsLeft = kStepBudget;
    try {
        player.SendKeys(input);
    } catch (const OutOfSteps&) {
    } catch (const keyloom::MacroError&) {
    } catch (const keyloom::KeyStringError&) {
    }
    keyloom::sendKeyShared() = {};
    return 0;
}
