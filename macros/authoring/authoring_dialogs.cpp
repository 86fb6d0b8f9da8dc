#include "macros/authoring/authoring_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace keyloom {

namespace {

// "Name (*.x)|*.x|..." into the Qt form "Name (*.x);;...", where "*.*" also takes names
// without a dot.
QString qtFilter() {
    const QStringList parts = QString(kProgramFilter).split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString pattern = parts[i + 1] == "*.*" ? "*" : parts[i + 1];
        filters << parts[i].section('(', 0, 0) + "(" + pattern + ")";
    }
    return filters.join(";;");
}

}  // namespace

void QtAuthoringDialogs::error(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, parent);
    box.setObjectName("errorBox");
    box.exec();
}

void QtAuthoringDialogs::message(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, parent);
    box.setObjectName("messageBox");
    box.exec();
}

bool QtAuthoringDialogs::confirm(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(), text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setObjectName("confirmBox");
    return box.exec() == QMessageBox::Yes;
}

QString QtAuthoringDialogs::input(QWidget* parent, const QString& caption, const QString& prompt) {
    QInputDialog box(parent);
    box.setObjectName("inputBox");
    box.setWindowTitle(caption);
    box.setLabelText(prompt);
    box.setTextValue("");
    return box.exec() == QDialog::Accepted ? box.textValue() : QString();
}

QString QtAuthoringDialogs::chooseFile(QWidget* parent) {
    return QFileDialog::getOpenFileName(parent, "Open", QString(), qtFilter());
}

QString QtAuthoringDialogs::chooseFolder(QWidget* parent, const QString& title) {
    return QFileDialog::getExistingDirectory(parent, title);
}

}  // namespace keyloom
