// The tray form: never shown. It takes the command line, keeps the completion status of the last
// macro run, and ends the program after a run when "/Close" asked for it.
#pragma once

#include <QAction>
#include <QMenu>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "macros/catalogue/macro_catalogue.h"
#include "platform/launcher.h"
#include "platform/message_pump.h"
#include "widgets/help_viewer.h"
#include "widgets/tray_icon.h"

namespace keyloom {

class TfrmMain;

// The maker's web site, opened by the web items of the tray menu.
inline constexpr const char* kWebSite = "https://ostrevin.example.org";

class TKeyloom : public QObject {
    Q_OBJECT
  public:
    TKeyloom(MacroCatalogue& catalogue, ostrevin::platform::MessagePump& pump,
             std::function<void(int)> runMacro, std::function<void()> housekeeping);

    // Runs the macros that the arguments name, in order, then starts PlaybackTimer.
    void DoCommandLine(const std::vector<std::string>& arguments);
    void RecordFinished(const std::string& status) { PlaybackStatus = status; }
    void PlaybackTimerTimer();

    bool CloseRequested = false;
    std::string PlaybackStatus;
    QTimer* PlaybackTimer;

    // Start-up, step 4: the tray icon and menu, the Show Hints mark; Open is enabled at its end.
    // hostAvailable tells whether the desktop has a notification area (tests pass their own).
    void FormCreate(TfrmMain& main, ostrevin::platform::Launcher& launcher, bool hostAvailable);
    // Start-up, step 7: the list centred on the first start, else hidden in the tray; shown
    // anyway when there is no tray to come back from.
    void ShowAtStart();

    // A limit of this session, in the tray's balloon or, without a tray, a message box.
    void ShowWarning(const QString& text);
    // Runs show now, or once the playback that the command line started has ended: a window
    // that opens takes the keyboard focus from the one the playback's keys are meant for.
    void ShowWhenIdle(std::function<void()> show);
    // Whether a playback runs; unset, none ever does.
    std::function<bool()> playbackBusy;
    void SavePosition();
    void SetPosition();
    void ShowHelp(const QString& topic);

    void Open1Click();
    void TrayIcon1DblClick();
    void mnuPrintMacrosClick();
    void mnuOperationClick() { ShowHelp("Operation"); }
    void mnuShowHintsClick();
    void N6Click();
    void N5Click() { openPage("/support/"); }
    void N3Click();
    void M1Click() { openPage("/"); }
    void U1Click() { openPage("/upgrade/"); }
    void O2Click() { openPage("/products/"); }
    void T1Click() { openPage("/support/"); }
    void mnuCloseClick();
    // The session manager's quit request: consent, and end at once without saving anything.
    void EndSession();

    QMenu* PopupMenu1 = nullptr;
    QAction *Open1 = nullptr, *mnuPrintMacros = nullptr, *mnuOperation = nullptr,
            *mnuShowHints = nullptr, *N6 = nullptr, *N5 = nullptr, *N3 = nullptr, *M1 = nullptr,
            *U1 = nullptr, *O2 = nullptr, *T1 = nullptr, *mnuClose = nullptr;
    std::unique_ptr<ostrevin::widgets::TrayIcon> TrayIcon1;
    bool trayHostAvailable() const { return hostAvailable_; }
    ostrevin::widgets::HelpViewer* helpViewer() const { return help_.get(); }
    // Ends the program; tests replace it.
    std::function<void()> endProgram;
    // Ends the program at once from whatever it is doing, as a signal does (keys released, lent
    // keycodes given back): the end of the main loop would wait for a running macro.
    std::function<void()> endAtOnce;

  private:
    void runMacrosNamed(const std::string& name);
    void createMenu();
    void openPage(const char* path);
    QString helpFolder() const;
    void guarded(const std::function<void()>& handler);

    TfrmMain* frmMain_ = nullptr;
    ostrevin::platform::Launcher* launcher_ = nullptr;
    bool hostAvailable_ = false;
    std::unique_ptr<ostrevin::widgets::HelpViewer> help_;

    MacroCatalogue& catalogue_;
    ostrevin::platform::MessagePump& pump_;
    std::function<void(int)> runMacro_;
    std::function<void()> housekeeping_;
    std::function<void()> pendingShow_;
};

}  // namespace keyloom
