// The list window's buttons, list menu, status bar and their handlers.
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QShortcut>

#include "macros/app/frm_main.h"
#include "macros/app/macro_printer.h"
#include "macros/app/posix_shortcut_files.h"
#include "widgets/error_box.h"
#include "widgets/qt_text.h"

namespace keyloom {

using ostrevin::widgets::toQString;
using ostrevin::widgets::toUtf8;

namespace {

// The outer height less these gives the list's height and the buttons' top edge.
constexpr int kListMargin = 111;
constexpr int kButtonsMargin = 71;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;

const char* typeDescription(int type) {
    switch (type) {
        case 1: return " - Starts an Application or Document";
        case 2: return " - Plays back Keystrokes";
        case 3: return " - Plays back Mouse and Keyboard";
        case 4: return " - Advanced Macro";
        default: return "";
    }
}

}  // namespace

void TfrmMain::createControls() {
    struct ButtonSpec {
        QPushButton** button;
        const char* name;
        const char* caption;
        void (TfrmMain::*handler)();
    };
    const ButtonSpec specs[] = {
        {&cmdHelp, "cmdHelp", "Help", &TfrmMain::cmdHelpClick},
        {&cmdNew, "cmdNew", "New Macro", &TfrmMain::cmdNewClick},
        {&cmdProperties, "cmdProperties", "Edit Macro", &TfrmMain::cmdPropertiesClick},
        {&cmdDeleteMacro, "cmdDeleteMacro", "Delete Macro", &TfrmMain::cmdDeleteMacroClick},
        {&cmdClose, "cmdClose", "Hide", &TfrmMain::cmdCloseClick},
    };
    int left = 8;
    for (const ButtonSpec& spec : specs) {
        auto* button = new QPushButton(spec.caption, this);
        button->setObjectName(spec.name);
        // Captions must fit whatever font the desktop uses.
        const int width = std::max(kButtonWidth, button->sizeHint().width());
        button->setGeometry(left, 272, width, kButtonHeight);
        left += width + 4;
        connect(button, &QPushButton::clicked, this,
                [this, handler = spec.handler] { guarded([&] { (this->*handler)(); }); });
        *spec.button = button;
    }
    cmdProperties->setEnabled(false);
    cmdDeleteMacro->setEnabled(false);
    setMinimumWidth(left + 4);
    setTabOrder(lvMacro_, cmdHelp);
    for (int i = 0; i + 1 < 5; ++i) setTabOrder(*specs[i].button, *specs[i + 1].button);

    lvMacro_->viewport()->installEventFilter(this);
    lvMacro_->installEventFilter(this);
    connect(lvMacro_, &QTreeWidget::itemDoubleClicked, this,
            [this] { guarded([this] { lvMacroDblClick(); }); });
    createListMenu();
    // The window sees F1 before its controls do.
    auto* help = new QShortcut(Qt::Key_F1, this);
    help->setContext(Qt::WindowShortcut);
    connect(help, &QShortcut::activated, this, [this] { cmdHelpClick(); });
    FormResize();
}

void TfrmMain::createListMenu() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    auto action = [this](QMenu* menu, const char* name, const QString& caption, auto handler) {
        QAction* item = menu->addAction(caption);
        item->setObjectName(name);
        connect(item, &QAction::triggered, this, [this, handler] { guarded(handler); });
        return item;
    };
    mnuNew = action(PopupMenu1, "mnuNew", "&New Macro", [this] { cmdNewClick(); });
    mnuDelete = action(PopupMenu1, "mnuDelete", "&Delete Macro", [this] { cmdDeleteMacroClick(); });
    mnuCreateShortcut = PopupMenu1->addMenu("Create Shortcut...");
    mnuCreateShortcut->setObjectName("mnuCreateShortcut");
    const std::pair<const char*, const char*> places[] = {
        {"mnuDesktop", "On &Desktop"},
        {"mnuStartMenu", "On &Start Menu"},
        {"mnuProgramsMenu", "On &Programs Menu"},
        {"mnuStartUpFolder", "In Start&Up Folder"},
        {"mnuFavorites", "In &Favorites Folder"},
        {"mnuPersonal", "In P&ersonal Folder"}};
    const TShellFolder folders[] = {TShellFolder::sfDesktop,   TShellFolder::sfStartMenu,
                                    TShellFolder::sfPrograms,  TShellFolder::sfStartup,
                                    TShellFolder::sfFavorites, TShellFolder::sfPersonal};
    for (int i = 0; i < 6; ++i) {
        const TShellFolder folder = folders[i];
        action(mnuCreateShortcut, places[i].first, places[i].second, [this, folder] {
            if (const int number = selectedNumber()) Shortcut_Create(folder, number);
        });
    }
    mnuPrint = action(PopupMenu1, "mnuPrint", "Print Macro List", [this] { mnuPrintClick(); });
    PopupMenu1->addSeparator();
    mnuProperties =
        action(PopupMenu1, "mnuProperties", "&Properties", [this] { cmdPropertiesClick(); });
    mnuDelete->setEnabled(false);
    mnuCreateShortcut->setEnabled(false);
    mnuProperties->setEnabled(false);
    lvMacro_->setContextMenuPolicy(Qt::CustomContextMenu);
    // The menu comes up on the right button's press, before the release that applies the
    // enabling rules, so they are applied here for the row that press chose.
    connect(lvMacro_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        guarded([this] { lvMacroMouseUp(); });
        PopupMenu1->popup(lvMacro_->viewport()->mapToGlobal(at));
    });
}

// Handlers raise errors; the standard error box shows them and the program goes on.
void TfrmMain::guarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        ostrevin::widgets::showErrorBox(this, toQString(e.what()));
    }
}

int TfrmMain::selectedNumber() const {
    const QList<QTreeWidgetItem*> selected = lvMacro_->selectedItems();
    if (selected.isEmpty()) return 0;
    return lvMacro_->indexOfTopLevelItem(selected.first()) + 1;
}

void TfrmMain::setRowCommandsEnabled(bool enabled) {
    cmdDeleteMacro->setEnabled(enabled);
    mnuDelete->setEnabled(enabled);
    mnuProperties->setEnabled(enabled);
    mnuCreateShortcut->setEnabled(enabled);
}

void TfrmMain::showSelectedInStatus() {
    const int number = selectedNumber();
    const int type = catalogue_.store().readInteger(MacroCatalogue::section(number), "Type", 1);
    stat1_->showMessage(lvMacro_->topLevelItem(number - 1)->text(0) + typeDescription(type));
}

void TfrmMain::lvMacroClick() {
    const bool selected = lvMacro_->topLevelItemCount() > 0 && selectedNumber() > 0;
    setRowCommandsEnabled(selected);
    if (selected)
        showSelectedInStatus();
    else
        stat1_->clearMessage();
}

void TfrmMain::lvMacroMouseUp() {
    const bool enabled = lvMacro_->topLevelItemCount() > 0 && selectedNumber() > 0 &&
                         lvMacro_->currentItem() != nullptr;
    setRowCommandsEnabled(enabled);
    cmdProperties->setEnabled(enabled);
}

void TfrmMain::lvMacroKeyUp() {
    if (!isActiveWindow() || selectedNumber() == 0) return;
    showSelectedInStatus();
    // A row chosen with the arrow keys may be edited and deleted as one chosen with the mouse.
    lvMacroMouseUp();
}

void TfrmMain::lvMacroDblClick() {
    cmdPropertiesClick();
}

void TfrmMain::cmdNewClick() {
    if (newMacro) {
        newMacro();
        return;
    }
    QMessageBox::information(this, QApplication::applicationDisplayName(),
                             "The macro wizard is not part of this version yet.\n\n"
                             "New Macro will open it once it is; until then, macros can be "
                             "added to macros.ini by hand.");
}

void TfrmMain::cmdPropertiesClick() {
    const int number = selectedNumber();
    if (number == 0) return;
    if (editMacro) {
        editMacro(number);
        return;
    }
    QMessageBox::information(this, QApplication::applicationDisplayName(),
                             "The macro properties dialog is not part of this version yet.\n\n"
                             "Edit Macro will open it once it is.");
}

void TfrmMain::cmdDeleteMacroClick() {
    const int number = selectedNumber();
    if (number == 0) return;
    if (QMessageBox::warning(this, QApplication::applicationDisplayName(),
                             "Are you sure you want to delete this macro?",
                             QMessageBox::Yes | QMessageBox::No,
                             QMessageBox::No) != QMessageBox::Yes)
        return;
    const std::string caption = toUtf8(lvMacro_->topLevelItem(number - 1)->text(0));
    delete lvMacro_->takeTopLevelItem(number - 1);
    try {
        catalogue_.remove(number, caption);
    } catch (...) {
        LoadMacroList();  // the rows must show what the file still holds
        throw;
    }
    cmdDeleteMacro->setEnabled(false);
    mnuDelete->setEnabled(false);
    mnuCreateShortcut->setEnabled(false);
    stat1_->clearMessage();
    LoadHotKeys();
}

void TfrmMain::cmdCloseClick() {
    if (minimizeOnHide)
        showMinimized();
    else
        hide();
    if (savePosition) savePosition();
}

void TfrmMain::cmdHelpClick() {
    if (showHelp) showHelp("Operation");
}

void TfrmMain::mnuPrintClick() {
    std::vector<PrintRow> rows;
    for (int i = 0; i < lvMacro_->topLevelItemCount(); ++i)
        rows.push_back({toUtf8(lvMacro_->topLevelItem(i)->text(0)),
                        toUtf8(lvMacro_->topLevelItem(i)->text(1))});
    if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printMacroList(this, *printer_, rows);
}

void TfrmMain::Shortcut_Create(TShellFolder folder, int number) {
    static PosixShortcutFiles systemFiles;
    TPBShellLink link(shortcutFiles ? *shortcutFiles : systemFiles);
    const std::string section = MacroCatalogue::section(number);
    const std::string name = catalogue_.store().readString(section, "Name", "Error");
    const auto hotKey =
        static_cast<std::uint16_t>(catalogue_.store().readInteger(section, "HotKey", 0));
    const std::string& folderPath =
        programFolder.empty() ? catalogue_.programFolder() : programFolder;
    link.setShellFolder(folder);
    link.setFileName(name + ".desktop");
    link.Description = name;
    link.WorkingDir = folderPath;
    link.Target = folderPath + "macros";
    link.Arguments = {"/Open:" + name, "/Close"};
    link.WindowState = TWindowState::wsNormal;
    link.HotKey = hotKey;
    link.HotKeyText = keyLabel_ ? shortcutText(hotKey, keyLabel_) : "";
    link.Icon = {folderPath + "keyloom.png", 0};
    link.Save();
}

void TfrmMain::FormResize() {
    const int outer = frameGeometry().height() > height() ? frameGeometry().height() : height();
    lvMacro_->setGeometry(0, 0, width(), std::max(0, outer - kListMargin));
    for (QPushButton* button : {cmdHelp, cmdNew, cmdProperties, cmdDeleteMacro, cmdClose})
        button->move(button->x(), outer - kButtonsMargin);
    const int barHeight = stat1_->sizeHint().height();
    stat1_->setGeometry(0, height() - barHeight, width(), barHeight);
}

void TfrmMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    FormResize();
}

void TfrmMain::FormCloseQuery() {
    if (isVisible() && savePosition) savePosition();
    if (endProgram) endProgram();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    // Only the user closes the window this way; the close events of an ending program (session
    // quit, signal) must save nothing.
    if (event->spontaneous()) guarded([this] { FormCloseQuery(); });
    event->accept();
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lvMacro_->viewport() && event->type() == QEvent::MouseButtonRelease) {
        guarded([this] {
            lvMacroClick();
            lvMacroMouseUp();
        });
    } else if (watched == lvMacro_ && event->type() == QEvent::KeyRelease) {
        guarded([this] { lvMacroKeyUp(); });
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace keyloom
