// The program's own icon, built into the program so that the tray never lacks one.
#pragma once

#include <QIcon>

namespace keyloom {

inline QIcon keyloomIcon() {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QString(":/icons/keyloom-%1.png").arg(size), QSize(size, size));
    return icon;
}

}  // namespace keyloom
