// typetext: types a UTF-8 file into the focused window through the program's own sender and X11
// keyboard, one character per key string as advanced macros do, then presses a sentinel key.
//
//   typetext --file PATH [--wait-file PATH] [--sentinel F12]   type a file
//   typetext --keys KEYSTRING                                   send one key string as it stands
//       --stamp PATH  with --keys: once the compositor has handled the keys, writes the
//       monotonic clock (seconds) to PATH, for latency measurements
//   typetext --hold-file PATH      keep a keyboard until ended, creating PATH once it is there
//       (a Wayland seat offers its clients a keyboard only while some keyboard exists, as a
//       real desktop's always does)
//       --hold-key VK  with --hold-file: press that virtual key (decimal) first and keep it down,
//       for tests of what the desktop does with a key a program that vanished held
//   ... --start-file GO   wait for GO before typing PATH (a desktop that asked the user whether
//       the program may type gives the focus back to the window a moment after the answer)
//   ... --keep-file PATH   after typing, go on serving the clipboard (restored after a paste,
//       and held by this process on Wayland) until PATH exists
//   ... --then-file PATH2 --go-file GO --wait-file2 DONE2        then, in the same process, wait
//       for GO and type PATH2 too (for a keymap changed in between)
//
// With --wait-file it waits (up to 60 s) for that file, which keylog creates when the sentinel
// arrives, and prints "typed N characters in T ms" measured from the first key to that moment.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include <unistd.h>

#include "common/text.h"
#include "macros/sendkey/send_key.h"
#include "platform/message_pump.h"
#include "platform/posix/dl_library_loader.h"
#include "platform/wayland/data_control_paster.h"
#include "platform/wayland/fake_input_keyboard.h"
#include "platform/wayland/gnome_shell_keyboard.h"
#include "platform/wayland/gnome_shell_paster.h"
#include "platform/wayland/portal_keyboard.h"
#include "platform/wayland/wayland_keyboard.h"
#include "platform/wayland/wayland_session.h"
#include "platform/x11/x11_keyboard.h"

namespace {

class NoPump : public ostrevin::platform::MessagePump {
  public:
    void processMessages() override {}
};

int typeFile(keyloom::TSendKey& sender, ostrevin::platform::Keyboard& keyboard,
             const std::string& path, const std::string& waitFile, const std::string& sentinel) {
    std::ifstream in(path, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    const std::u32string chars = ostrevin::decodeUtf8(text);
    const auto start = std::chrono::steady_clock::now();
    // As a macro run does: the whole text is announced before its first key.
    keyboard.prepareText(chars);
    for (char32_t ch : chars) {
        const std::string one = ostrevin::encodeUtf8(std::u32string(1, ch));
        const bool prefix = ch == U'@' || ch == U'~' || ch == U'^';
        if (prefix) sender.setTokensOnly(true);
        sender.Send(one);
        if (prefix) sender.setTokensOnly(false);
    }
    sender.Send("{" + sentinel + "}");
    keyboard.finishText();
    if (waitFile.empty()) return 0;
    const auto deadline = start + std::chrono::seconds(60);
    while (!std::filesystem::exists(waitFile)) {
        if (std::chrono::steady_clock::now() > deadline) {
            std::fprintf(stderr, "typetext: the sentinel never arrived\n");
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    const auto ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start);
    std::printf("typed %zu characters in %.1f ms\n", chars.size(), ms.count());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string file, waitFile, keys, holdFile, stampFile, sentinel = "F12", thenFile, goFile,
                                                           waitFile2, startFile, holdKey,
                                                           keepFile;
    bool haveKeys = false;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i];
        if (flag == "--file")
            file = argv[i + 1];
        else if (flag == "--wait-file")
            waitFile = argv[i + 1];
        else if (flag == "--sentinel")
            sentinel = argv[i + 1];
        else if (flag == "--keys")
            keys = argv[i + 1], haveKeys = true;
        else if (flag == "--stamp")
            stampFile = argv[i + 1];
        else if (flag == "--hold-file")
            holdFile = argv[i + 1];
        else if (flag == "--then-file")
            thenFile = argv[i + 1];
        else if (flag == "--go-file")
            goFile = argv[i + 1];
        else if (flag == "--wait-file2")
            waitFile2 = argv[i + 1];
        else if (flag == "--start-file")
            startFile = argv[i + 1];
        else if (flag == "--hold-key")
            holdKey = argv[i + 1];
        else if (flag == "--keep-file")
            keepFile = argv[i + 1];
    }
    // A Wayland session without an X display types through the compositor's virtual keyboard, or
    // the desktop portal where the compositor has none.
    std::unique_ptr<ostrevin::platform::WaylandSession> session;
    std::unique_ptr<ostrevin::platform::Keyboard> keyboard;
    const char* display = std::getenv("DISPLAY");
    if (std::getenv("WAYLAND_DISPLAY") && !(display && display[0])) {
        session = ostrevin::platform::WaylandSession::connect();
        if (session) keyboard = ostrevin::platform::WaylandKeyboard::open(*session);
        // KWin types through its fake input, GNOME through the extension where it runs, other
        // desktops through their portal.
        if (session && !keyboard) keyboard = ostrevin::platform::FakeInputKeyboard::open(*session);
        if (session && !keyboard)
            keyboard = ostrevin::platform::GnomeShellKeyboard::open(session->seatKeymap(), "");
        // As the program does: what the layout lacks is pasted.
        if (auto* keys = dynamic_cast<ostrevin::platform::KeymapKeyboard*>(keyboard.get())) {
            std::unique_ptr<ostrevin::platform::TextPaster> paster =
                ostrevin::platform::DataControlPaster::open();
            if (!paster) paster = ostrevin::platform::GnomeShellPaster::open();
            keys->setPaster(std::move(paster));
        }
    } else {
        keyboard = ostrevin::platform::X11Keyboard::open();
    }
    if (!keyboard) {
        std::fprintf(stderr, "typetext: cannot reach a keyboard to type with\n");
        return 3;
    }
    if (!holdFile.empty()) {
        if (!holdKey.empty()) {
            keyboard->keyEvent(static_cast<std::uint8_t>(std::stoi(holdKey)), 0, 0);
            keyboard->finishText();
        }
        std::ofstream{holdFile};
        for (;;) pause();
    }
    NoPump pump;
    ostrevin::platform::DlLibraryLoader loader;
    keyloom::TSendKey sender(*keyboard, pump, loader);
    try {
        if (haveKeys) {
            const int rc = sender.Send(keys) == 0 ? 0 : 1;
            if (!stampFile.empty()) {
                if (session) session->roundtrip();
                timespec now{};
                clock_gettime(CLOCK_MONOTONIC, &now);
                std::ofstream(stampFile)
                    << now.tv_sec << "." << std::to_string(now.tv_nsec + 1000000000L).substr(1);
            }
            return rc;
        }
        while (!startFile.empty() && !std::filesystem::exists(startFile))
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const int rc = typeFile(sender, *keyboard, file, waitFile, sentinel);
        auto* keys = dynamic_cast<ostrevin::platform::KeymapKeyboard*>(keyboard.get());
        while (rc == 0 && !keepFile.empty() && !std::filesystem::exists(keepFile)) {
            if (keys && keys->paster()) keys->paster()->dispatch();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        if (rc != 0 || thenFile.empty()) return rc;
        while (!std::filesystem::exists(goFile))
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return typeFile(sender, *keyboard, thenFile, waitFile2, sentinel);
    } catch (const keyloom::KeyStringError& e) {
        std::printf("error: %s\n", e.what());
        return 4;
    }
}
