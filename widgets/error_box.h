// The application's standard error box: the application title as caption, an error icon and OK.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QString>

namespace ostrevin::widgets {

inline void showErrorBox(QWidget* parent, const QString& message) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), message,
                    QMessageBox::Ok, parent);
    box.setObjectName("errorBox");
    box.exec();
}

}  // namespace ostrevin::widgets
