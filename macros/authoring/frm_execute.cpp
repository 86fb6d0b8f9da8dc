#include "macros/authoring/frm_execute.h"

#include <QGridLayout>
#include <QLabel>

#include "macros/authoring/advanced_commands.h"
#include "macros/authoring/step_dialog_controls.h"
#include "widgets/qt_text.h"

namespace keyloom {

TfrmExecute::TfrmExecute(AuthoringDialogs& dialogs, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs) {
    setObjectName("frmExecute");
    setWindowTitle("Execute an Application");
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Enter the command information below", this), 0, 0, 1, 3);
    edtCommandLine = labelledEdit("edtCommandLine", "Command Line:", grid, 1, this);
    edtParameters = labelledEdit("edtParameters", "Parameters:", grid, 2, this);
    edtStartIn = labelledEdit("edtStartIn", "Start In:", grid, 3, this);
    cmdBrowse = new QPushButton("&Browse", this);
    cmdBrowse->setObjectName("cmdBrowse");
    cmdBrowse->setAccessibleDescription("Choose the command line");
    grid->addWidget(cmdBrowse, 1, 2);
    cmdStartIn = new QPushButton("&Browse", this);
    cmdStartIn->setObjectName("cmdStartIn");
    cmdStartIn->setAccessibleDescription("Choose the start-in folder");
    grid->addWidget(cmdStartIn, 3, 2);
    makeOkCancel(this, cmdOK, cmdCancel);
    grid->addWidget(cmdOK, 4, 1, Qt::AlignRight);
    grid->addWidget(cmdCancel, 4, 2);

    connect(cmdBrowse, &QPushButton::clicked, this, [this] {
        const QString file = dialogs_.chooseFile(this);
        if (!file.isEmpty()) edtCommandLine->setText(file);
    });
    connect(cmdStartIn, &QPushButton::clicked, this, [this] {
        const QString folder = dialogs_.chooseFolder(this, "Choose a folder below:");
        if (!folder.isEmpty()) edtStartIn->setText(folder);
    });
    connect(cmdOK, &QPushButton::clicked, this, [this] {
        using ostrevin::widgets::toUtf8;
        const std::string token =
            executeToken(toUtf8(edtCommandLine->text()), toUtf8(edtParameters->text()),
                         toUtf8(edtStartIn->text()));
        accept();
        if (InsertAtCaret) InsertAtCaret(token);
    });
}

}  // namespace keyloom
