// The standard boxes the authoring windows ask and tell through. Tests put a scripted double in
// their place; the program uses the Qt boxes with the application title as caption.
#pragma once

#include <QString>
#include <QWidget>
#include <exception>

#include "widgets/error_box.h"

namespace keyloom {

inline constexpr const char* kProgramFilter =
    "All Files (*.*)|*.*|Executables (*.exe)|*.exe|Batch Files (*.bat)|*.bat|PIF Files "
    "(*.pif)|*.pif|Com Files (*.com)|*.com";

class AuthoringDialogs {
  public:
    virtual ~AuthoringDialogs() = default;
    // Error icon and OK.
    virtual void error(QWidget* parent, const QString& text) = 0;
    // A plain message box with OK.
    virtual void message(QWidget* parent, const QString& text) = 0;
    // Warning icon with Yes and No; true for Yes.
    virtual bool confirm(QWidget* parent, const QString& text) = 0;
    // A one-line input box with an empty default; Cancel gives "".
    virtual QString input(QWidget* parent, const QString& caption, const QString& prompt) = 0;
    // A file to open; "" when none was chosen.
    virtual QString chooseFile(QWidget* parent) = 0;
    virtual QString chooseFolder(QWidget* parent, const QString& title) = 0;
};

class QtAuthoringDialogs : public AuthoringDialogs {
  public:
    void error(QWidget* parent, const QString& text) override;
    void message(QWidget* parent, const QString& text) override;
    bool confirm(QWidget* parent, const QString& text) override;
    QString input(QWidget* parent, const QString& caption, const QString& prompt) override;
    QString chooseFile(QWidget* parent) override;
    QString chooseFolder(QWidget* parent, const QString& title) override;
};

// Runs a handler; an error it raises ends it and is shown in the standard error box.
template <typename Fn>
void guarded(QWidget* parent, Fn&& fn) {
    try {
        fn();
    } catch (const std::exception& e) {
        ostrevin::widgets::showErrorBox(parent, QString::fromUtf8(e.what()));
    }
}

}  // namespace keyloom
