#include "macros/authoring/frm_wait_for_window.h"

#include <QGridLayout>
#include <QLabel>

#include "macros/authoring/advanced_commands.h"
#include "macros/authoring/step_dialog_controls.h"
#include "widgets/qt_text.h"

namespace keyloom {

namespace {

QLabel* wrapped(const char* text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

}  // namespace

TfrmWaitforWindow::TfrmWaitforWindow(AuthoringDialogs& dialogs,
                                     std::function<std::string()> separator, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), separator_(std::move(separator)) {
    setObjectName("frmWaitforWindow");
    setWindowTitle("Wait for a Window");
    auto* intro = wrapped(
        "Use this function to wait for a particular window to become visible before continuing "
        "with your macro.  You can look for both application windows and dialog boxes.  This "
        "function is not case sensitive, but the window title to look for must be typed exactly "
        "as it will appear on the actual window.",
        this);
    auto* titleLabel = new QLabel("Window Title to Wait For", this);
    edtWinTitle = new QLineEdit(this);
    edtWinTitle->setObjectName("edtWinTitle");
    titleLabel->setBuddy(edtWinTitle);
    auto* example = new QLabel("Example: This window's title is Wait for a Window.", this);
    auto* howLong = wrapped(
        "How long do you want to wait for this window before timing out and continuing the "
        "macro?",
        this);
    edtTime = new DigitField("edtTime", this);
    edtTime->setText("5");
    howLong->setBuddy(edtTime);
    makeTimeUnits(this, optSeconds, optMinutes);
    makeOkCancel(this, cmdOK, cmdCancel);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOKClick(); });

    auto* grid = new QGridLayout(this);
    grid->addWidget(intro, 0, 0, 1, 3);
    grid->addWidget(titleLabel, 1, 0, 1, 3);
    grid->addWidget(edtWinTitle, 2, 0, 1, 3);
    grid->addWidget(example, 3, 0, 1, 3);
    grid->addWidget(howLong, 4, 0, 1, 3);
    grid->addWidget(edtTime, 5, 0);
    grid->addWidget(optSeconds, 5, 1);
    grid->addWidget(optMinutes, 6, 1);
    grid->addWidget(cmdOK, 7, 1);
    grid->addWidget(cmdCancel, 7, 2);
}

void TfrmWaitforWindow::cmdOKClick() {
    if (edtWinTitle->text().isEmpty()) {
        dialogs_.message(this,
                         "Please specify the title of the window that you would like to "
                         "look for.");
        edtWinTitle->setFocus();
        return;
    }
    if (edtTime->isBlank()) {
        dialogs_.message(this, "Please specify a length of time to wait before timing out.");
        edtTime->setFocus();
        return;
    }
    std::string separator = "~~";
    guarded(this, [&] { separator = separator_ ? separator_() : "~~"; });
    const std::string token =
        lookForToken(ostrevin::widgets::toUtf8(edtWinTitle->text()), separator,
                     optMinutes->isChecked(), edtTime->positions());
    accept();
    if (InsertAtCaret) InsertAtCaret(token);
}

}  // namespace keyloom
