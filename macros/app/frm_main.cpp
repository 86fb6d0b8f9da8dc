#include "macros/app/frm_main.h"

#include <QApplication>
#include <QHeaderView>
#include <QStyle>

#include "widgets/qt_text.h"

namespace keyloom {

using ostrevin::widgets::toQString;

TfrmMain::TfrmMain(MacroCatalogue& catalogue, KeyLabelFn keyLabel, QWidget* parent)
    : QWidget(parent), catalogue_(catalogue), keyLabel_(std::move(keyLabel)) {
    setObjectName("frmMain");
    setWindowTitle("Ostrevin Keyloom");
    resize(421, 343);
    move(-2000, -2000);  // off the screen until it is first placed

    lvMacro_ = new QTreeWidget(this);
    lvMacro_->setObjectName("lvMacro");
    lvMacro_->setAccessibleName("Macros");
    lvMacro_->setColumnCount(3);
    lvMacro_->setHeaderLabels({"Macro Name", "Shortcut Keys", "Window Trigger"});
    lvMacro_->setColumnWidth(0, 200);
    lvMacro_->setColumnWidth(1, 90);
    lvMacro_->setColumnWidth(2, 105);
    lvMacro_->setRootIsDecorated(false);
    lvMacro_->setItemsExpandable(false);
    lvMacro_->setSelectionMode(QAbstractItemView::SingleSelection);
    lvMacro_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvMacro_->header()->setSectionsClickable(false);
    lvMacro_->header()->setSectionsMovable(false);

    stat1_ = new QStatusBar(this);
    stat1_->setObjectName("Stat1");
    stat1_->setSizeGripEnabled(false);

    createControls();
}

QIcon TfrmMain::typeIcon(int icon) {
    // 0 launch, 1 typed keystrokes, 2 mouse and keyboard.
    switch (icon) {
        case 0: return QApplication::style()->standardIcon(QStyle::SP_FileDialogStart);
        case 1: return QApplication::style()->standardIcon(QStyle::SP_FileIcon);
        case 2: return QApplication::style()->standardIcon(QStyle::SP_DesktopIcon);
        default: return {};
    }
}

void TfrmMain::LoadHotKeys() {
    if (hotKeys && hotKeys->LoadHotKeys()) LoadMacroList();
}

void TfrmMain::LoadMacroList() {
    lvMacro_->clear();
    QList<QTreeWidgetItem*> items;
    for (const MacroListRow& row : catalogue_.listRows(keyLabel_)) {
        auto* item = new QTreeWidgetItem(
            QStringList{toQString(row.caption), toQString(row.shortcut), toQString(row.trigger)});
        item->setIcon(0, typeIcon(row.icon));
        item->setData(0, Qt::UserRole, row.icon);
        items.append(item);
    }
    lvMacro_->addTopLevelItems(items);
}

}  // namespace keyloom
