#include "macros/playback/macro_player.h"

#include <algorithm>

#include "common/text.h"
#include "macros/catalogue/launch_command.h"
#include "macros/playback/macro_error.h"

namespace keyloom {

namespace {

// Lines as a text file holds them: CR LF, LF or CR end a line; a last line break adds no line.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

class TextScope {
  public:
    TextScope(KeyStringSender& sender, std::string_view text) : sender_(sender) {
        sender_.beginText(text);
    }
    ~TextScope() { sender_.endText(); }
    TextScope(const TextScope&) = delete;
    TextScope& operator=(const TextScope&) = delete;

  private:
    KeyStringSender& sender_;
};

}  // namespace

MacroPlayer::MacroPlayer(PlayerServices services)
    : services_(std::move(services)), interpreter_(*this) {
    services_.tmr1.setOnTick([this] { ++DelayTicks; });
    services_.recorder.OnFinished = [this](bool) {
        PlaybackDone = true;
        if (services_.recordFinished) services_.recordFinished("True");
    };
}

std::string MacroPlayer::sideFilePath(const std::string& fileName) const {
    auto path = services_.catalogue.sideFilePath(fileName);
    if (!path)
        throw MacroError("Cannot open file " + services_.catalogue.programFolder() + fileName);
    return *path;
}

void MacroPlayer::ProcessHotKey(int number) {
    const MacroEntry entry = services_.catalogue.entry(number);
    switch (entry.type) {
        case 1: {
            const LaunchCommand command = splitLaunchCommand(entry.fileName);
            services_.launcher.open(command.file, command.parameters, command.folder);
            if (command.separated && services_.recordFinished) services_.recordFinished("NoRecord");
            break;
        }
        case 2:
        case 3: {
            TOlejrnl& recorder = services_.recorder;
            recorder.PlayBackFileName = sideFilePath(entry.fileName);
            recorder.HiSpeedPlayBack = entry.type == 2 || entry.speed == 2;
            PlaybackDone = false;
            if (entry.type == 3) recorder.KeyStrokesOnly = false;
            recorder.StartPlayBack();
            break;
        }
        case 4: RunAdvancedMacro(sideFilePath(entry.fileName)); break;
        default: break;  // an unknown type or a missing section runs nothing
    }
}

void MacroPlayer::RunAdvancedMacro(const std::string& path) {
    PlaybackDone = true;
    const auto content = services_.files.readFile(path);
    if (!content) throw MacroError("Cannot open file " + path);
    InputValue.clear();
    std::string text;
    for (std::string_view line : splitLines(*content)) {
        text += line;
        text += "\r\n";
    }
    {
        TextScope scope(services_.sender, text);
        SendKeys(text);
    }
    // A journal macro started through "<<RUN:" is still playing: wait for its end.
    while (!PlaybackDone) services_.pump.waitAndProcess();
    if (services_.recordFinished) services_.recordFinished("NoRecord");
}

void MacroPlayer::RepMac(int count, const std::string& text) {
    // A body that types nothing lets no events through either: repeated a billion times it would
    // freeze the program for minutes.
    if (ostrevin::trimControl(text).empty()) return;
    for (int i = 0; i < count; ++i) SendKeys(text);
}

void MacroPlayer::Pause(int count, int unit) {
    if (unit != 1 && unit != 2) return;
    const int interval = unit == 1 ? 1000 : 60000;
    // A macro started by a hot key during another macro's pause may pause too. The outer pause
    // gets the timer back afterwards, with the inner pause's time counted and the trigger poll
    // still off, instead of waiting for ticks that never come.
    struct Restore {
        MacroPlayer& p;
        int outerInterval, outerTicks, interval;
        ~Restore() {
            PlayerServices& s = p.services_;
            if (outerInterval > 0) {
                p.DelayTicks = outerTicks + p.DelayTicks * interval / outerInterval;
                s.tmr1.setInterval(outerInterval);
                s.tmr1.setEnabled(true);
            } else {
                s.tmr1.setEnabled(false);
                s.Timer1.setEnabled(true);
            }
            p.pauseIntervalMs_ = outerInterval;
        }
    } restore{*this, pauseIntervalMs_, DelayTicks, interval};
    pauseIntervalMs_ = interval;
    services_.tmr1.setInterval(interval);
    services_.tmr1.setEnabled(true);
    DelayTicks = 0;
    services_.Timer1.setEnabled(false);
    services_.pump.processMessages();
    while (DelayTicks < count) services_.pump.waitAndProcess();
}

void MacroPlayer::WaitForWindow(const std::string& title, bool inSeconds, int count) {
    waitSearch.TargetTitle = title;
    waitSearch.WindowFound = false;
    const long long seconds = inSeconds ? count : static_cast<long long>(count) * 60;
    if (seconds <= 0) return;
    // Polls once a second from the start to the end of the given time, both included, so a
    // window that appears in the last second is still found.
    auto& clock = services_.clock;
    const std::int64_t start = clock.monotonicMs();
    const std::int64_t deadline = start + seconds * 1000;
    for (std::int64_t nextPoll = start;; nextPoll += 1000) {
        for (const auto& window : services_.windows.enumerateWindows())
            if (!MatchWindowTitle(window, waitSearch)) break;
        services_.pump.processMessages();
        if (waitSearch.WindowFound || nextPoll >= deadline) return;
        // Short sleeps with events in between: the program still answers (and ends on a signal)
        // while it waits.
        const std::int64_t wakeAt = std::min(nextPoll + 1000, deadline);
        for (std::int64_t now = clock.monotonicMs(); now < wakeAt; now = clock.monotonicMs()) {
            clock.sleepMs(static_cast<int>(std::min<std::int64_t>(kWaitSliceMs, wakeAt - now)));
            services_.pump.processMessages();
        }
    }
}

}  // namespace keyloom
