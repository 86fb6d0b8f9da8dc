// The properties of a found file in a dialog of our own, since X11 desktops share no property
// sheet: name, folder, size, type, modified and accessed times, owner, group and permissions.
#pragma once

#include <QDialog>
#include <QString>

namespace ostrevin::dregmoor {

class FileProperties : public QDialog {
    Q_OBJECT
  public:
    explicit FileProperties(QWidget* parent = nullptr);
    // Fills the dialog from the file.
    // False, with the fields cleared, when the file is gone.
    bool describe(const QString& path);
    QString field(const char* name) const;

    // "rw-r--r-- (644)"
    static QString permissionText(unsigned mode);
    // "1.5 KiB (1,536 bytes)"
    static QString sizeText(qint64 bytes);
};

}  // namespace ostrevin::dregmoor
