#include "dregmoor/ui/file_properties.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QMimeDatabase>
#include <QVBoxLayout>

namespace ostrevin::dregmoor {

namespace {

struct Field {
    const char* name;
    const char* caption;
};
constexpr Field kFields[] = {
    {"lblName", "Name:"},   {"lblFolder", "Folder:"},     {"lblSize", "Size:"},
    {"lblType", "Type:"},   {"lblModified", "Modified:"}, {"lblAccessed", "Accessed:"},
    {"lblOwner", "Owner:"}, {"lblGroup", "Group:"},       {"lblPermissions", "Permissions:"},
};

}  // namespace

FileProperties::FileProperties(QWidget* parent) : QDialog(parent) {
    setObjectName("FileProperties");
    setWindowTitle("Properties");
    auto* form = new QFormLayout;
    for (const Field& f : kFields) {
        auto* value = new QLabel(this);
        value->setObjectName(f.name);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        value->setWordWrap(true);
        form->addRow(f.caption, value);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(360);
}

QString FileProperties::field(const char* name) const {
    auto* label = findChild<QLabel*>(name);
    return label ? label->text() : QString();
}

QString FileProperties::permissionText(unsigned mode) {
    const char letters[] = "rwxrwxrwx";
    QString text;
    for (int bit = 0; bit < 9; ++bit) text += (mode >> (8 - bit)) & 1 ? letters[bit] : '-';
    return text + QString(" (%1)").arg(mode & 0777, 3, 8, QChar('0'));
}

QString FileProperties::sizeText(qint64 bytes) {
    const QLocale locale;
    return locale.formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat) + " (" +
           locale.toString(bytes) + " bytes)";
}

bool FileProperties::describe(const QString& path) {
    QFileInfo info(path);
    info.setCaching(false);
    const bool exists = info.exists() || info.isSymLink();
    auto set = [this](const char* name, const QString& text) {
        findChild<QLabel*>(name)->setText(text);
    };
    set("lblName", info.fileName());
    set("lblFolder", info.absolutePath());
    setWindowTitle(info.fileName() + " Properties");
    if (!exists) {
        for (const Field& f : kFields)
            if (QString(f.name) != "lblName" && QString(f.name) != "lblFolder") set(f.name, {});
        set("lblType", "The file is no longer there.");
        return false;
    }
    const QLocale locale;
    set("lblSize", sizeText(info.size()));
    set("lblType", info.isSymLink() ? QString("Symbolic link")
                                    : QMimeDatabase().mimeTypeForFile(info).comment());
    set("lblModified", locale.toString(info.lastModified(), QLocale::LongFormat));
    set("lblAccessed", locale.toString(info.lastRead(), QLocale::LongFormat));
    set("lblOwner", info.owner().isEmpty() ? QString::number(info.ownerId()) : info.owner());
    set("lblGroup", info.group().isEmpty() ? QString::number(info.groupId()) : info.group());
    const QFile::Permissions p = info.permissions();
    const unsigned mode = (p & QFile::ReadOwner ? 0400 : 0) | (p & QFile::WriteOwner ? 0200 : 0) |
                          (p & QFile::ExeOwner ? 0100 : 0) | (p & QFile::ReadGroup ? 040 : 0) |
                          (p & QFile::WriteGroup ? 020 : 0) | (p & QFile::ExeGroup ? 010 : 0) |
                          (p & QFile::ReadOther ? 04 : 0) | (p & QFile::WriteOther ? 02 : 0) |
                          (p & QFile::ExeOther ? 01 : 0);
    set("lblPermissions", permissionText(mode));
    return true;
}

}  // namespace ostrevin::dregmoor
