// The macro list window: every macro of the catalogue with its shortcut keys and window trigger.
#pragma once

#include <QAction>
#include <QMenu>
#include <QPrinter>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidget>
#include <QWidget>
#include <functional>
#include <memory>

#include "macros/app/shell_link.h"
#include "macros/catalogue/macro_catalogue.h"
#include "macros/triggers/hot_key_pool.h"
#include "widgets/qt_timer.h"

namespace keyloom {

class TfrmMain : public QWidget {
    Q_OBJECT
  public:
    TfrmMain(MacroCatalogue& catalogue, KeyLabelFn keyLabel, QWidget* parent = nullptr);

    // Rebuilds every row from the catalogue; the selection is not kept.
    void LoadMacroList();
    // Gives the hot key pool the catalogue's keys under the current numbering, then refills the
    // list; after every change of the catalogue.
    void LoadHotKeys();
    // The pool EPHotKey0 to EPHotKey100 with its flags EditingMacro and HotKeyBusy (set at start).
    HotKeyPool* hotKeys = nullptr;

    QTreeWidget* list() const { return lvMacro_; }

    // The window's controls, handlers and services (frm_main_ui.cpp).
    void lvMacroClick();
    void lvMacroMouseUp();
    void lvMacroKeyUp();
    void lvMacroDblClick();
    void cmdNewClick();
    void cmdPropertiesClick();
    void cmdDeleteMacroClick();
    void cmdCloseClick();
    void cmdHelpClick();
    void mnuPrintClick();
    void FormResize();
    // Saves the place while the window is shown, then ends the program.
    void FormCloseQuery();
    // Writes the launcher for macro n into the folder.
    void Shortcut_Create(TShellFolder folder, int number);
    // The selected macro's number (row index plus one), 0 when none is selected.
    int selectedNumber() const;

    QPushButton *cmdHelp, *cmdNew, *cmdProperties, *cmdDeleteMacro, *cmdClose;
    QMenu *PopupMenu1, *mnuCreateShortcut;
    QAction *mnuNew, *mnuDelete, *mnuPrint, *mnuProperties;
    QStatusBar* Stat1() const { return stat1_; }

    // Set by the tray form and the authoring windows; each has a safe default.
    std::function<void(const QString& topic)> showHelp;
    std::function<void()> savePosition;
    std::function<void()> endProgram;
    std::function<void()> newMacro;
    std::function<void(int number)> editMacro;
    ShortcutFiles* shortcutFiles = nullptr;
    // The folder of the program, its help and icon ("" in tests: the catalogue's side folder).
    std::string programFolder;
    // Without a notification area a hidden window could not be brought back: Hide minimizes.
    bool minimizeOnHide = false;

    ostrevin::widgets::QtTimer tmr1{this, "tmr1"};      // the pause of advanced macros
    ostrevin::widgets::QtTimer Timer1{this, "Timer1"};  // the window-trigger poll

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    static QIcon typeIcon(int icon);
    void createControls();
    void createListMenu();
    void setRowCommandsEnabled(bool enabled);
    void showSelectedInStatus();
    void guarded(const std::function<void()>& handler);

    MacroCatalogue& catalogue_;
    KeyLabelFn keyLabel_;
    std::unique_ptr<QPrinter> printer_;  // made at the first print, kept for the next
    QTreeWidget* lvMacro_;
    QStatusBar* stat1_;
};

}  // namespace keyloom
