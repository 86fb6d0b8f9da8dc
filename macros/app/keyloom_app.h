// The whole program: the catalogue, the platform, the sender, the windows and the run-macro entry,
// created once at start in the order the windows need each other.
#pragma once

#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "common/ini_store.h"
#include "macros/app/display_session.h"
#include "macros/app/frm_get_var.h"
#include "macros/app/frm_main.h"
#include "macros/app/hot_key_feed.h"
#include "macros/app/t_keyloom.h"
#include "macros/app/x11_journal_recorder.h"
#include "macros/authoring/frm_properties.h"
#include "macros/authoring/frm_wizard.h"
#include "macros/catalogue/macro_catalogue.h"
#include "macros/playback/macro_player.h"
#include "macros/sendkey/send_key.h"
#include "macros/triggers/macro_triggers.h"
#include "platform/posix/dl_library_loader.h"
#include "platform/posix/posix_clock.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_launcher.h"
#include "platform/wayland/fake_input_keyboard.h"
#include "platform/wayland/portal_global_shortcuts.h"
#include "platform/wayland/portal_keyboard.h"
#include "platform/wayland/sway_hot_keys.h"
#include "platform/wayland/wayland_keyboard.h"
#include "platform/wayland/wayland_session.h"
#include "platform/wayland/wayland_windows.h"
#include "platform/x11/x11_keyboard.h"
#include "platform/x11/x11_window_list.h"
#include "platform/x11/x11_windows.h"
#include "widgets/qt_pump.h"

namespace keyloom {

class KeyloomApp {
  public:
    // One of the two backends: the X11 keyboard, or the compositor connection and its keyboard.
    struct Backend {
        std::unique_ptr<ostrevin::platform::WaylandSession> wayland;
        std::unique_ptr<ostrevin::platform::Keyboard> keyboard;
        ostrevin::platform::X11Keyboard* x11Keyboard = nullptr;
        std::unique_ptr<ostrevin::platform::WindowSystem> windows;
        std::unique_ptr<ostrevin::platform::SocketHotKeys> hotKeys;  // Wayland: the desktop's
        WaylandDesktop desktop = WaylandDesktop::wlroots;
    };
    // Nothing, with the reason in *error, when neither the compositor nor an X server can give
    // what typing needs.
    static std::unique_ptr<KeyloomApp> create(QString* error);
    int run(const std::vector<std::string>& arguments);
    // Why the program cannot work in this session when no X display is named at all (a Wayland
    // session without XWayland), before any toolkit is started; "" when it may try.
    static QString displaySessionError();
    // The compositor's own backend serves this session: the toolkit must run as a Wayland client.
    static bool waylandSession();
    // On a signal, from whatever the program was doing: lets go of every key it holds and gives
    // lent keycodes back, quickly, since the program ends right after.
    void cleanUpForExit();
    // How the session manager's quit request ends the program: at once, as a signal does.
    void setEndAtOnce(std::function<void()> end) { Keyloom.endAtOnce = std::move(end); }

  private:
    explicit KeyloomApp(Backend backend);
    void runMacro(int number);
    void startTriggers();
    // The wizard, the properties dialog and the stop-recording key, wired to the list window.
    void createAuthoring();
    std::string sessionWarning_;  // shown once the tray is up
    // Serves the selections restored after a paste, which live in this program on Wayland.
    std::unique_ptr<QSocketNotifier> pasterNotifier_;

    ostrevin::IniStore store_{kCatalogueFileName};
    ostrevin::platform::PosixFileSystem files_;
    MacroCatalogue catalogue_;
    std::unique_ptr<ostrevin::platform::WaylandSession> wayland_;  // outlives its keyboard
    std::unique_ptr<ostrevin::platform::Keyboard> keyboard_;
    ostrevin::platform::X11Keyboard* x11Keyboard_;  // nullptr on the Wayland backend
    std::unique_ptr<ostrevin::platform::WindowSystem> windows_;
    ostrevin::platform::PosixLauncher launcher_;
    ostrevin::platform::PosixClock clock_;
    ostrevin::widgets::QtMessagePump pump_;
    ostrevin::platform::DlLibraryLoader loader_;
    TSendKey SendKey1;
    X11JournalRecorder Recorder;
    TfrmMain frmMain;
    // Hot keys and window triggers start macros by themselves; the player switches the poll off
    // during a pause through triggers_.poll.pauseTimer().
    HotKeyFeed hotKeyFeed_;
    std::unique_ptr<ostrevin::platform::X11WindowList> windowList_{
        x11Keyboard_ ? ostrevin::platform::X11WindowList::open(*windows_) : nullptr};
    MacroTriggers triggers_{
        {hotKeyFeed_.keys(), catalogue_, files_,
         windowList_ ? static_cast<ostrevin::platform::WindowSystem&>(*windowList_) : *windows_,
         pump_, frmMain.Timer1, [this](int number) { runMacro(number); }}};
    TfrmGetVar frmGetVar;
    MacroPlayer player_;
    TKeyloom Keyloom;
    QtAuthoringDialogs authoringDialogs_;
    std::unique_ptr<TfrmWizard> frmWizard;
    std::unique_ptr<TfrmProperties> frmProperties;
};

}  // namespace keyloom
