// The macro list window: every macro of the catalogue with its shortcut keys and window trigger.
#pragma once

#include <QStatusBar>
#include <QTreeWidget>
#include <QWidget>

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

    ostrevin::widgets::QtTimer tmr1{this, "tmr1"};      // the pause of advanced macros
    ostrevin::widgets::QtTimer Timer1{this, "Timer1"};  // the window-trigger poll

  private:
    static QIcon typeIcon(int icon);

    MacroCatalogue& catalogue_;
    KeyLabelFn keyLabel_;
    QTreeWidget* lvMacro_;
    QStatusBar* stat1_;
};

}  // namespace keyloom
