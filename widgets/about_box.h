// The about box both programs show: the program's icon, a product line with the version, and a
// short note, with OK.
#pragma once

#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QString>

namespace ostrevin::widgets {

class AboutBox : public QDialog {
  public:
    AboutBox(const QString& caption, const QString& productLine, const QString& note,
             const QIcon& icon, QWidget* parent = nullptr)
        : QDialog(parent) {
        setObjectName("AboutBox");
        setWindowTitle(caption);
        auto* image = new QLabel(this);
        image->setObjectName("ProgramIcon");
        image->setPixmap(icon.pixmap(64, 64));
        auto* product = new QLabel(productLine, this);
        product->setObjectName("ProductName");
        QFont bold = product->font();
        bold.setBold(true);
        product->setFont(bold);
        auto* comments = new QLabel(note, this);
        comments->setObjectName("Comments");
        comments->setWordWrap(true);
        comments->setTextInteractionFlags(Qt::TextBrowserInteraction);
        comments->setOpenExternalLinks(true);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
        buttons->setObjectName("OKButton");
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        auto* layout = new QGridLayout(this);
        layout->addWidget(image, 0, 0, 2, 1, Qt::AlignTop);
        layout->addWidget(product, 0, 1);
        layout->addWidget(comments, 1, 1);
        layout->addWidget(buttons, 2, 0, 1, 2);
        setMinimumWidth(340);
    }
};

}  // namespace ostrevin::widgets
