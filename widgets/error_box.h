// The application's standard error box: the application title as caption, an error icon and OK.
// The message also goes to standard error, where a session log keeps it.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <cstdio>

namespace ostrevin::widgets {

inline void showErrorBox(QWidget* parent, const QString& message) {
    std::fprintf(stderr, "%s: %s\n", qUtf8Printable(QApplication::applicationDisplayName()),
                 qUtf8Printable(message));
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), message,
                    QMessageBox::Ok, parent);
    box.setObjectName("errorBox");
    box.exec();
}

}  // namespace ostrevin::widgets
