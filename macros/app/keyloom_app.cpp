#include "macros/app/keyloom_app.h"

#include <QApplication>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>

#include "common/paths.h"
#include "common/text.h"
#include "macros/app/side_folder.h"
#include "platform/posix/program_folder.h"
#include "platform/wayland/data_control_paster.h"
#include "platform/wayland/gnome_shell_bus.h"
#include "platform/wayland/gnome_shell_hot_keys.h"
#include "platform/wayland/gnome_shell_keyboard.h"
#include "platform/wayland/gnome_shell_names.h"
#include "platform/wayland/gnome_shell_paster.h"
#include "platform/wayland/gnome_shell_windows.h"
#include "platform/wayland/kwin_windows.h"
#include "widgets/error_box.h"
#include "widgets/qt_text.h"

namespace keyloom {

using ostrevin::widgets::toQString;

namespace {
std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}
}  // namespace

// A compositor that lists no windows: window triggers find nothing.
class NoWindows : public ostrevin::platform::WindowSystem {
  public:
    std::vector<ostrevin::platform::WindowInfo> enumerateWindows() override { return {}; }
    ostrevin::platform::WindowId findWindow(const std::string&) override { return 0; }
    ostrevin::platform::WindowId foregroundWindow() override { return 0; }
    bool setForegroundWindow(ostrevin::platform::WindowId) override { return false; }
};

// A desktop that took no keyboard from this program: macros run, their keys go nowhere.
class NoTyping : public ostrevin::platform::Keyboard {
  public:
    void prepareText(std::u32string_view) override {}
    void finishText() override {}
    std::int16_t vkKeyScan(char32_t) override { return -1; }
    std::uint32_t mapVirtualKey(std::uint8_t) override { return 0; }
    void keyEvent(std::uint8_t, std::uint8_t, std::uint32_t) override {}
    bool isKeyDown(std::uint8_t) override { return false; }
    std::string keyLabel(std::uint8_t) override { return {}; }
};

WaylandOffer offerOf(const KeyloomApp::Backend& backend) {
    WaylandOffer offer;
    const auto* session = backend.wayland.get();
    if (!session) return offer;
    offer.keyboard = backend.keyboard != nullptr;
    offer.hotKeys = backend.hotKeys != nullptr;
    offer.windows = session->offersToplevels();
    // KWin's fake input moves the pointer as well as typing.
    offer.pointer = session->pointerManager() != nullptr ||
                    dynamic_cast<ostrevin::platform::FakeInputKeyboard*>(backend.keyboard.get());
    offer.desktop = backend.desktop;
    const auto* keys = dynamic_cast<ostrevin::platform::KeymapKeyboard*>(backend.keyboard.get());
    offer.pastes = keys && keys->paster();
    return offer;
}

QString KeyloomApp::displaySessionError() {
    return toQString(checkDisplaySession(environment, true).error);
}

namespace {

using ostrevin::platform::KeymapKeyboard;

// wlroots: its virtual keyboard and key bindings over its IPC. Elsewhere KWin's fake input where
// KWin grants it (fast, and ordered without waiting), else the portal's remote desktop; hot keys
// through the portal's global shortcuts.
void openWaylandBackend(KeyloomApp::Backend& b) {
    namespace p = ostrevin::platform;
    const auto bus = p::DbusConnection::openSession();
    b.desktop = waylandDesktopOf(b.wayland->keyboardManager() != nullptr,
                                 bus && bus->hasName("org.kde.KWin"),
                                 bus && bus->hasName("org.gnome.Shell"));
    if (b.desktop == WaylandDesktop::wlroots) {
        b.keyboard = p::WaylandKeyboard::open(*b.wayland);
        if (auto* keyboard = dynamic_cast<p::WaylandKeyboard*>(b.keyboard.get()))
            b.hotKeys = p::SwayHotKeys::open(
                [keyboard](std::uint8_t vk) { return keyboard->keysymName(vk); });
        return;
    }
    b.keyboard = p::FakeInputKeyboard::open(*b.wayland);
    // On GNOME the package's extension types far faster than the portal, once the portal's
    // session holds the user's consent.
    const std::string token = ostrevin::configFolder() + "remote-desktop.token";
    if (!b.keyboard && b.desktop == WaylandDesktop::gnome)
        b.keyboard = p::GnomeShellKeyboard::open(b.wayland->seatKeymap(), token);
    if (!b.keyboard) b.keyboard = p::PortalKeyboard::open(b.wayland->seatKeymap(), token);
    auto* keyboard = dynamic_cast<KeymapKeyboard*>(b.keyboard.get());
    // What the layout lacks is pasted: KWin lets a program set the selections through its data
    // control, GNOME Shell through the extension and its remote-desktop clipboard.
    if (keyboard) {
        std::unique_ptr<p::TextPaster> paster = p::DataControlPaster::open();
        if (!paster && b.desktop == WaylandDesktop::gnome) paster = p::GnomeShellPaster::open();
        keyboard->setPaster(std::move(paster));
    }
    // GNOME Shell from 48 on takes global shortcuts through the portal, as KDE does; older ones
    // grab keys for programs only through the package's extension.
    if (b.desktop == WaylandDesktop::gnome && keyboard && bus &&
        gnomeShellGivesShortcuts(bus->stringProperty("org.gnome.Shell", "/org/gnome/Shell",
                                                     "org.gnome.Shell", "ShellVersion")))
        b.hotKeys = p::PortalGlobalShortcuts::open(
            [keyboard](std::uint8_t vk) { return keyboard->keysymName(vk); });
    if (b.desktop == WaylandDesktop::gnome && !b.hotKeys)
        b.hotKeys = p::GnomeShellHotKeys::open(
            keyboard ? p::GnomeShellHotKeys::KeyName(
                           [keyboard](std::uint8_t vk) { return keyboard->keysymName(vk); })
                     : p::GnomeShellHotKeys::keyNamesOf(b.wayland->seatKeymap()));
    if (!b.hotKeys && keyboard)
        b.hotKeys = p::PortalGlobalShortcuts::open(
            [keyboard](std::uint8_t vk) { return keyboard->keysymName(vk); });
}

// GNOME Shell without XWayland: without a keyboard from the portal the X11 backend cannot start
// at all, so the program still starts with the extension's windows and hot keys, and says so.
bool gnomeWithoutX(const KeyloomApp::Backend& b) {
    return b.wayland && b.desktop == WaylandDesktop::gnome && environment("DISPLAY").empty();
}

// Connected once, before the toolkit starts, and handed to the program if it is chosen.
KeyloomApp::Backend& probedWayland() {
    static KeyloomApp::Backend probe = [] {
        KeyloomApp::Backend b;
        if (environment("WAYLAND_DISPLAY").empty()) return b;
        b.wayland = ostrevin::platform::WaylandSession::connect();
        if (b.wayland) openWaylandBackend(b);
        return b;
    }();
    return probe;
}
}  // namespace

bool KeyloomApp::waylandSession() {
    Backend& probe = probedWayland();
    return useWaylandBackend(environment, offerOf(probe)) || gnomeWithoutX(probe);
}

std::unique_ptr<KeyloomApp> KeyloomApp::create(QString* error) {
    if (waylandSession()) {
        Backend backend = std::move(probedWayland());
        backend.windows = ostrevin::platform::WaylandWindows::open(*backend.wayland);
        // KWin lists its windows to no client, but runs a script of ours that does.
        if (!backend.windows && backend.desktop == WaylandDesktop::kde)
            backend.windows = ostrevin::platform::KWinWindows::open();
        if (!backend.windows && backend.desktop == WaylandDesktop::gnome)
            backend.windows = ostrevin::platform::GnomeShellWindows::open();
        WaylandOffer offer = offerOf(backend);
        offer.windows = backend.windows != nullptr;
        const DisplaySession session = checkWaylandSession(offer);
        const bool extensionMissing = backend.desktop == WaylandDesktop::gnome && !offer.windows;
        if (!backend.windows) backend.windows = std::make_unique<NoWindows>();
        if (!backend.keyboard) backend.keyboard = std::make_unique<NoTyping>();
        std::unique_ptr<KeyloomApp> app(new KeyloomApp(std::move(backend)));
        app->sessionWarning_ = session.warning;
        if (extensionMissing)
            app->sessionWarning_ += "\n\n" + ostrevin::platform::gnomeshell::enableHint();
        return app;
    }
    probedWayland() = Backend{};
    Backend backend;
    auto keyboard = ostrevin::platform::X11Keyboard::open();
    backend.x11Keyboard = keyboard.get();
    backend.keyboard = std::move(keyboard);
    backend.windows = ostrevin::platform::X11WindowSystem::open();
    const DisplaySession session =
        checkDisplaySession(environment, backend.keyboard && backend.windows);
    if (!session.error.empty()) {
        *error = toQString(session.error);
        return nullptr;
    }
    std::unique_ptr<KeyloomApp> app(new KeyloomApp(std::move(backend)));
    app->sessionWarning_ = session.warning;
    return app;
}

KeyloomApp::KeyloomApp(Backend backend)
    : catalogue_(store_, sideFileFolder(ostrevin::platform::programFolder()), files_),
      wayland_(std::move(backend.wayland)),
      keyboard_(std::move(backend.keyboard)),
      x11Keyboard_(backend.x11Keyboard),
      windows_(std::move(backend.windows)),
      SendKey1(*keyboard_, pump_, loader_, ostrevin::platform::programFolder()),
      Recorder(x11Keyboard_ == nullptr),
      frmMain(catalogue_, [this](std::uint8_t vk) { return keyboard_->keyLabel(vk); }),
      hotKeyFeed_(x11Keyboard_ != nullptr, std::move(backend.hotKeys)),
      player_(
          PlayerServices{catalogue_, SendKey1, Recorder, *windows_, launcher_, clock_, pump_,
                         files_, frmMain.tmr1, triggers_.poll.pauseTimer(),
                         [this](const std::string& prompt) { return frmGetVar.Ask(prompt); },
                         [this](const std::string& status) { Keyloom.RecordFinished(status); }}),
      Keyloom(
          catalogue_, pump_, [this](int number) { runMacro(number); },
          [this] {
              if (x11Keyboard_) x11Keyboard_->restoreIfIdle();
              launcher_.reapChildren();
          }) {}

// Errors end the run that raised them and are shown; the program goes on. Characters that the
// desktop could not type were left out, and are named.
void KeyloomApp::runMacro(int number) {
    try {
        player_.ProcessHotKey(number);
    } catch (const std::exception& e) {
        ostrevin::widgets::showErrorBox(nullptr, toQString(e.what()));
    }
    auto* keyboard = dynamic_cast<ostrevin::platform::KeymapKeyboard*>(keyboard_.get());
    const std::u32string untyped = keyboard ? keyboard->takeUntyped() : std::u32string();
    if (!untyped.empty())
        ostrevin::widgets::showErrorBox(
            nullptr,
            toQString("Keyloom left these characters out: " + ostrevin::encodeUtf8(untyped) +
                      "\n\nThe keyboard layout has no key for them, and this desktop "
                      "lets programs type only the keys of the layout." +
                      (keyboard->paster() ? " Pasting them failed: the clipboard could not be "
                                            "saved or set, so it was left as it was."
                                          : "")));
}

void KeyloomApp::cleanUpForExit() {
    Recorder.shutdown();  // a playback lets go of what it holds, a recording is saved
    hotKeyFeed_.removeBindings();
    if (x11Keyboard_) {
        x11Keyboard_->releaseAll();
        x11Keyboard_->restoreLoansAfterGrace(ostrevin::platform::X11Keyboard::kExitGraceMs);
    } else if (auto* wayland =
                   dynamic_cast<ostrevin::platform::WaylandKeyboard*>(keyboard_.get())) {
        wayland->releaseAll();
    } else if (auto* portal = dynamic_cast<ostrevin::platform::PortalKeyboard*>(keyboard_.get())) {
        portal->close();  // the desktop's session, which would otherwise outlive the program
    } else if (auto* keys = dynamic_cast<ostrevin::platform::KeymapKeyboard*>(keyboard_.get())) {
        keys->releaseAll();
        if (wayland_) wayland_->roundtrip();  // handled before the connection goes
    }
    if (auto* kwin = dynamic_cast<ostrevin::platform::KWinWindows*>(windows_.get())) kwin->unload();
}

void KeyloomApp::startTriggers() {
    triggers_.router.applicationActive = [] { return QApplication::activeWindow() != nullptr; };
    triggers_.router.showError = [](const std::string& message) {
        ostrevin::widgets::showErrorBox(nullptr, toQString(message));
    };
    frmMain.hotKeys = &triggers_.pool;
    // No macro is being edited at start, whatever the dialogs' construction set.
    triggers_.pool.EditingMacro = false;
    frmMain.LoadHotKeys();
    triggers_.poll.Start();
}

void KeyloomApp::createAuthoring() {
    AuthoringServices s(catalogue_, files_, Recorder, authoringDialogs_,
                        [this](std::uint8_t vk) { return keyboard_->keyLabel(vk); });
    s.keyOfScanCode = [this](std::uint32_t code) { return keyboard_->virtualKeyOfScanCode(code); };
    s.LoadHotKeys = [this] { frmMain.LoadHotKeys(); };
    s.LoadMacroList = [this] { frmMain.LoadMacroList(); };
    s.Shortcut_Create = [this](int place, int number) {
        static const TShellFolder folders[] = {TShellFolder::sfNone,      TShellFolder::sfDesktop,
                                               TShellFolder::sfStartMenu, TShellFolder::sfPrograms,
                                               TShellFolder::sfStartup,   TShellFolder::sfFavorites,
                                               TShellFolder::sfPersonal};
        if (place >= 1 && place <= 6) frmMain.Shortcut_Create(folders[place], number);
    };
    s.setStopHotKeyEnabled = [this](bool on) { triggers_.StopRecordingHotKey.setEnabled(on); };
    s.setEditingMacro = [this](bool on) { triggers_.pool.EditingMacro = on; };
    s.showMacroList = [this](bool visible) { frmMain.setVisible(visible); };
    s.recordFinished = [this](const std::string& status) { Keyloom.RecordFinished(status); };
    s.setPlaybackDone = [this] { player_.PlaybackDone = true; };
    s.showHelp = [this](const std::string& topic) { Keyloom.ShowHelp(toQString(topic)); };
    s.showHintsChecked = [this](bool on) {
        if (Keyloom.mnuShowHints) Keyloom.mnuShowHints->setChecked(on);
    };
    s.processMessages = [this] { pump_.processMessages(); };
    if (!x11Keyboard_)
        s.recordingRefusal =
            "Keyloom cannot record on this Wayland desktop: a Wayland program cannot capture the "
            "keys and mouse actions meant for other programs.\n\nRecordings made on an X11 "
            "desktop still play back here, and advanced macros type as everywhere.";
    frmWizard = std::make_unique<TfrmWizard>(s);
    frmProperties = std::make_unique<TfrmProperties>(s, *frmWizard);
    triggers_.StopRecordingHotKey.OnHotKey = [this](TEPHotKey&, std::uint8_t, std::uint16_t) {
        frmWizard->EPHotkeyStopRecordHotKey();
    };
    frmMain.newMacro = [this] { frmWizard->ShowModal(); };
    frmMain.editMacro = [this](int number) { frmProperties->ShowModal(number); };
}

int KeyloomApp::run(const std::vector<std::string>& arguments) {
    createAuthoring();
    auto* keys = dynamic_cast<ostrevin::platform::KeymapKeyboard*>(keyboard_.get());
    if (keys && keys->paster() && keys->paster()->eventFd() >= 0) {
        pasterNotifier_ =
            std::make_unique<QSocketNotifier>(keys->paster()->eventFd(), QSocketNotifier::Read);
        // A desktop that went away leaves the descriptor readable for good.
        QObject::connect(pasterNotifier_.get(), &QSocketNotifier::activated, [this, keys] {
            keys->paster()->dispatch();
            if (keys->paster()->eventFd() < 0) pasterNotifier_->setEnabled(false);
        });
    }
    try {
        startTriggers();  // registering the pool fills the list
        catalogue_.resetFoundHandles();
    } catch (const std::exception& e) {
        ostrevin::widgets::showErrorBox(nullptr, toQString(e.what()));
    }
    frmMain.programFolder = ostrevin::platform::programFolder();
    Keyloom.FormCreate(frmMain, launcher_, ostrevin::widgets::TrayIcon::hostAvailable());
    Keyloom.playbackBusy = [this] { return Recorder.busy(); };
    Keyloom.DoCommandLine(arguments);
    Keyloom.ShowWhenIdle([this] {
        try {
            Keyloom.ShowAtStart();
            if (!sessionWarning_.empty())
                Keyloom.ShowWarning(toQString(sessionWarning_));
            else if (wayland_)
                // Where a Wayland desktop offers every part (KWin with its fake input and the
                // clipboard) there is nothing to show; a terminal still learns that it started.
                std::fprintf(stderr, "Keyloom: every part works on this desktop\n");
        } catch (const std::exception& e) {
            ostrevin::widgets::showErrorBox(nullptr, toQString(e.what()));
        }
    });
    return QApplication::exec();
}

}  // namespace keyloom
