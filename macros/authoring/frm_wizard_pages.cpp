// The wizard's pages and the controls on them.
#include <QButtonGroup>
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QStyle>
#include <QVBoxLayout>

#include "macros/authoring/advanced_commands.h"
#include "macros/authoring/frm_wizard.h"

namespace keyloom {

using ostrevin::widgets::TEPMenuButton;

namespace {

QWidget* newPage(const char* name, const char* title, QVBoxLayout*& layout) {
    auto* page = new QWidget;
    page->setObjectName(name);
    page->setAccessibleName(title);
    layout = new QVBoxLayout(page);
    auto* heading = new QLabel(title, page);
    heading->setObjectName(QString(name) + "Title");
    QFont bold = heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    heading->setFont(bold);
    layout->addWidget(heading);
    return page;
}

QLabel* text(const QString& value, QWidget* parent) {
    auto* label = new QLabel(value, parent);
    label->setWordWrap(true);
    return label;
}

QPushButton* button(const char* name, const char* caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QRadioButton* choice(const char* name, const char* caption, QWidget* parent) {
    auto* b = new QRadioButton(caption, parent);
    b->setObjectName(name);
    return b;
}

QLineEdit* edit(const char* name, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    return e;
}

TEPMenuButton* menuButton(const char* name, const char* caption, MenuId menu, QWidget* parent) {
    QStringList items;
    for (const MenuCommand& c : menuCommands(menu)) items << c.item;
    auto* b = new TEPMenuButton(caption, items, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

QWidget* TfrmWizard::buildStartPage() {
    QVBoxLayout* l;
    QWidget* p = newPage("pnlStart", "What would you like this macro to do?", l);
    optRecKeys = choice("optRecKeys", "&Create a macro using advanced options.", p);
    optRecMouse = choice("optRecMouse", "&Playback mouse movements, clicks, and keystrokes.", p);
    optStartApp = choice("optStartApp", "&Start an Application or Launch a Document", p);
    optRecKeys->setChecked(true);
    const std::pair<QRadioButton*, const char*> kinds[] = {
        {optRecKeys,
         "This option will allow you to construct a macro that consists of various sophistacated "
         "options such as typing keys, repeating sequences, working with specific windows, "
         "pausing, gathering and typing user input, etc.."},
        {optRecMouse,
         "Use this option to playback all mouse movements, clicks and keystrokes that you "
         "record."},
        {optStartApp,
         "This option will allow you to launch any application or document on your system as "
         "well as instantly access web sites and send eMail with just one keystroke."}};
    for (const auto& [option, description] : kinds) {
        l->addWidget(option);
        QLabel* d = text(description, p);
        d->setContentsMargins(24, 0, 0, 6);
        option->setAccessibleDescription(description);
        l->addWidget(d);
    }
    l->addStretch();
    return p;
}

QWidget* TfrmWizard::buildNamePage() {
    QVBoxLayout* l;
    QWidget* p = newPage("pnlName", "Name Your Macro", l);
    QLabel* prompt =
        text("Type a unique name for this macro in the space below and select 'Next'.", p);
    edtMacroName = edit("edtMacroName", p);
    edtMacroName->setMaxLength(30);
    edtMacroName->setAccessibleName("Macro name");
    prompt->setBuddy(edtMacroName);
    l->addWidget(prompt);
    l->addWidget(edtMacroName);
    l->addStretch();
    return p;
}

QWidget* TfrmWizard::buildTriggersPage() {
    QVBoxLayout* l;
    QWidget* p = newPage("pnlHotKey", "Select Triggers", l);
    auto* grid = new QGridLayout;
    HotKey1 = new THotKey(services_.keyLabel, p);
    HotKey1->keyOfScanCode = services_.keyOfScanCode;
    HotKey1->setObjectName("HotKey1");
    HotKey1->setAccessibleName("Hot Key");
    cmdHotKeyHelp = button("cmdHotKeyHelp", "Help", p);
    cmdHotKeyHelp->setAccessibleDescription("Help on hot keys");
    edtTrigger = edit("edtTrigger", p);
    edtTrigger->setAccessibleName("Window Title");
    cmdWinTitleHelp = button("cmdWinTitleHelp", "Help", p);
    cmdWinTitleHelp->setAccessibleDescription("Help on window triggers");
    cbShortCuts = new QComboBox(p);
    cbShortCuts->setObjectName("cbShortCuts");
    cbShortCuts->setAccessibleName("ShortCut Icon");
    cbShortCuts->addItems({"No Shortcut", "On Desktop", "On Start Menu", "On Programs Menu",
                           "In StartUp Folder", "In Favorites Folder", "In Personal Folder"});
    struct Row {
        const char* heading;
        const char* description;
        QWidget* field;
        QWidget* help;
    };
    const Row rows[] = {
        {"Hot Key", "Run when a certain set of keys is pressed.", HotKey1, cmdHotKeyHelp},
        {"Window Title", "Run when a certain window appears.", edtTrigger, cmdWinTitleHelp},
        {"ShortCut Icon", "Create a shortcut to launch this macro.", cbShortCuts, nullptr}};
    int r = 0;
    for (const Row& row : rows) {
        QLabel* heading = text(QString("<b>%1</b>").arg(row.heading), p);
        heading->setBuddy(row.field);
        grid->addWidget(heading, r, 0, 1, 2);
        grid->addWidget(text(row.description, p), r + 1, 0, 1, 2);
        grid->addWidget(row.field, r + 2, 0);
        if (row.help) grid->addWidget(row.help, r + 2, 1);
        r += 3;
    }
    l->addLayout(grid);
    l->addStretch();
    return p;
}

QWidget* TfrmWizard::buildRecordingTypePage() {
    QVBoxLayout* l;
    QWidget* p = newPage("pnlKeystype", "Record just keys or mouse and keys?", l);
    optCapture = choice("optCapture", "&Only capture keystrokes.", p);
    optManual = choice("optManual", "Capture all mouse and keyboard actions.", p);
    optCapture->setChecked(true);
    l->addWidget(optCapture);
    l->addWidget(
        text("With this option, Keyloom will record all keystrokes as you type them and "
             "will ignore any mouse movements and clicks.",
             p));
    l->addWidget(optManual);
    l->addWidget(
        text("This option will allow you to record and playback all actions performed "
             "with your mouse and your keyboard as you perform them.",
             p));
    l->addStretch();
    return p;
}

QWidget* TfrmWizard::buildRecordKeysPage() {
    QVBoxLayout* l;
    QWidget* p = newPage("pnlRecordKeys", "Record Keystrokes", l);
    l->addWidget(
        text("Select 'Start Recording' to begin recording each key that you type.  If "
             "you need a place to type you may use the space below.  When you are "
             "finshed, select 'Stop Recording'.",
             p));
    auto* row = new QHBoxLayout;
    cmdStartKeys = button("cmdStartKeys", "&Start Recording", p);
    cmdStopKeys = button("cmdStopKeys", "Stop &Recording", p);
    cmdPlayKeys = button("cmdPlayKeys", "&Playback", p);
    cmdStopKeys->setEnabled(false);
    cmdPlayKeys->setEnabled(false);
    for (QPushButton* b : {cmdStartKeys, cmdStopKeys, cmdPlayKeys}) row->addWidget(b);
    l->addLayout(row);
    mmoKeys = new QPlainTextEdit(p);
    mmoKeys->setObjectName("mmoKeys");
    mmoKeys->setAccessibleName("Typing area");
    l->addWidget(mmoKeys);
    l->addWidget(
        text("Note that you do not have to type in the above box for the keys to be "
             "recorded.  Special keys such as Ctrl and Alt will not show up, but are "
             "recorded nonetheless.",
             p));
    return p;
}

QWidget* TfrmWizard::buildRecordMousePage() {
    QVBoxLayout* l;
    QWidget* p = newPage("pnlRecordMouse", "Record Mouse and Keyboard", l);
    l->addWidget(
        text("Select 'Start Recording' to begin recording all mouse movements, clicks "
             "and keystrokes.  When you are finshed type Shift+Ctrl+F12 to end "
             "recording.  To cancel playback press 'Esc'.",
             p));
    l->addWidget(text("<b>Shift+Ctrl+F12</b>", p));
    auto* row = new QHBoxLayout;
    cmdRecordMouse = button("cmdRecordMouse", "&Start Recording", p);
    cmdStopMouse = button("cmdStopMouse", "Stop &Recording", p);
    cmdPlayMouse = button("cmdPlayMouse", "&Playback", p);
    cmdStopMouse->setEnabled(false);
    cmdPlayMouse->setEnabled(false);
    for (QPushButton* b : {cmdRecordMouse, cmdStopMouse, cmdPlayMouse}) row->addWidget(b);
    l->addLayout(row);
    l->addWidget(text("<b>Macro Playback Speed</b>", p));
    optNormalSpeed = choice("optNormalSpeed", "Play this macro back at its recorded speed.", p);
    optHighSpeed = choice("optHighSpeed", "Play this macro back at high speed.", p);
    optNormalSpeed->setChecked(true);
    l->addWidget(optNormalSpeed);
    l->addWidget(optHighSpeed);
    l->addStretch();
    return p;
}

QWidget* TfrmWizard::buildStartAppPage() {
    QVBoxLayout* l;
    QWidget* p = newPage("pnlStartApp", "Start an Application", l);
    l->addWidget(text("Select 'Browse' to choose the application that will be launched.", p));
    l->addWidget(
        text("Note that you may enter a document name to launch instead of an "
             "executable file. Leave the parameters and start in folder blank if they "
             "are not applicable.",
             p));
    l->addWidget(
        text("Example Command Lines:<br>&nbsp;&nbsp;C:\\Documents\\Fax Cover.doc<br>"
             "&nbsp;&nbsp;https://www.example.org<br>"
             "&nbsp;&nbsp;mailto:someone@example.org",
             p));
    auto* grid = new QGridLayout;
    edtCommandLine = edit("edtCommandLine", p);
    edtParameters = edit("edtParameters", p);
    edtStartIn = edit("edtStartIn", p);
    cmdBrowse = button("cmdBrowse", "&Browse", p);
    cmdBrowse->setAccessibleDescription("Choose the command line");
    cmdStartIn = button("cmdStartIn", "&Browse", p);
    cmdStartIn->setAccessibleDescription("Choose the start-in folder");
    const std::pair<const char*, QLineEdit*> fields[] = {{"Command Line:", edtCommandLine},
                                                         {"Parameters:", edtParameters},
                                                         {"Start In:", edtStartIn}};
    for (int r = 0; r < 3; ++r) {
        QLabel* label = text(fields[r].first, p);
        label->setBuddy(fields[r].second);
        grid->addWidget(label, r, 0);
        grid->addWidget(fields[r].second, r, 1);
    }
    grid->addWidget(cmdBrowse, 0, 2);
    grid->addWidget(cmdStartIn, 2, 2);
    setTabOrder(edtCommandLine, cmdBrowse);
    setTabOrder(cmdBrowse, edtParameters);
    setTabOrder(edtParameters, edtStartIn);
    setTabOrder(edtStartIn, cmdStartIn);
    l->addLayout(grid);
    l->addStretch();
    return p;
}

QWidget* TfrmWizard::buildAdvancedPage() {
    QVBoxLayout* l;
    QWidget* p = newPage("pnlManualKeys", "Create an advanced macro", l);
    l->addWidget(
        text("Type the keys to be played back below.  Use the extra options for "
             "additional features.",
             p));
    mmoManKeys = new QPlainTextEdit(p);
    mmoManKeys->setObjectName("mmoManKeys");
    mmoManKeys->setAccessibleName("Advanced macro");
    mmoManKeys->setTabChangesFocus(true);
    mmoManKeys->installEventFilter(this);
    l->addWidget(mmoManKeys);
    cmdSpecialKeys = menuButton("cmdSpecialKeys", "Special &Keys", MenuId::SpecialKeys, p);
    EPMenuButton3 = menuButton("EPMenuButton3", "&More Keys", MenuId::MoreKeys, p);
    EPMenuButton1 = menuButton("EPMenuButton1", "&Date / Time", MenuId::DateTime, p);
    EPMenuButton2 = menuButton("EPMenuButton2", "&Repeat", MenuId::Repeat, p);
    EPMenuButton4 = menuButton("EPMenuButton4", "&Misc.", MenuId::Misc, p);
    cmdDelay = button("cmdDelay", "&Start a Delay", p);
    auto* grid = new QGridLayout;
    grid->addWidget(cmdSpecialKeys, 0, 0);
    grid->addWidget(EPMenuButton3, 0, 1);
    grid->addWidget(EPMenuButton1, 0, 2);
    grid->addWidget(EPMenuButton2, 1, 0);
    grid->addWidget(cmdDelay, 1, 1);
    grid->addWidget(EPMenuButton4, 1, 2);
    l->addLayout(grid);
    const std::pair<TEPMenuButton*, void (TfrmWizard::*)(int)> menus[] = {
        {cmdSpecialKeys, &TfrmWizard::cmdSpecialKeysChange},
        {EPMenuButton1, &TfrmWizard::EPMenuButton1Change},
        {EPMenuButton2, &TfrmWizard::EPMenuButton2Change},
        {EPMenuButton3, &TfrmWizard::EPMenuButton3Change},
        {EPMenuButton4, &TfrmWizard::EPMenuButton4Change}};
    for (const auto& [b, handler] : menus)
        b->OnChange = [this, h = handler](int i) { guarded(this, [&] { (this->*h)(i); }); };
    connect(cmdDelay, &QPushButton::clicked, this,
            [this] { guarded(this, [&] { cmdDelayClick(); }); });
    return p;
}

QWidget* TfrmWizard::buildFinishedPage() {
    QVBoxLayout* l;
    QWidget* p = newPage("pnlFinished", "Finished", l);
    l->addWidget(
        text("To complete the creation this macro select 'Finish'.  To modify any "
             "previous settings select 'Back'.",
             p));
    auto* grid = new QGridLayout;
    lblSumName = new QLabel(p);
    lblSumType = new QLabel(p);
    lblSumKeys = new QLabel(p);
    lblSumTrigger = new QLabel(p);
    const std::tuple<const char*, const char*, QLabel*> rows[] = {
        {"Macro Name:", "lblSumName", lblSumName},
        {"Macro Type:", "lblSumType", lblSumType},
        {"Shortcut Keys:", "lblSumKeys", lblSumKeys},
        {"Window Trigger:", "lblSumTrigger", lblSumTrigger}};
    int r = 0;
    for (const auto& [caption, name, value] : rows) {
        value->setObjectName(name);
        value->setAccessibleName(caption);
        value->setTextFormat(Qt::PlainText);
        grid->addWidget(new QLabel(caption, p), r, 0);
        grid->addWidget(value, r++, 1);
    }
    l->addLayout(grid);
    l->addStretch();
    return p;
}

void TfrmWizard::buildPages() {
    pages = new QStackedWidget(this);
    pages->setObjectName("pages");
    for (QWidget* page :
         {pnlStart = buildStartPage(), pnlName = buildNamePage(), pnlHotKey = buildTriggersPage(),
         pnlKeystype = buildRecordingTypePage(), pnlRecordKeys = buildRecordKeysPage(),
         pnlRecordMouse = buildRecordMousePage(), pnlStartApp = buildStartAppPage(),
         pnlManualKeys = buildAdvancedPage(), pnlFinished = buildFinishedPage()})
        pages->addWidget(page);

    imgEdit = new QLabel(this);
    imgEdit->setObjectName("imgEdit");
    imgEdit->setPixmap(style()->standardIcon(QStyle::SP_FileDialogDetailedView).pixmap(32, 32));
    imgEdit->hide();
    cmdStepBack = button("cmdStepBack", "< &Back", this);
    cmdNext = button("cmdNext", "&Next >", this);
    cmdFinished = button("cmdFinished", "&Finished", this);
    cmdCancel = button("cmdCancel", "&Cancel", this);
    cmdSave = button("cmdSave", "&Save", this);
    cmdNext->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(imgEdit);
    buttons->addStretch();
    for (QPushButton* b : {cmdStepBack, cmdNext, cmdFinished, cmdSave, cmdCancel})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages);
    layout->addLayout(buttons);

    const std::pair<QPushButton*, void (TfrmWizard::*)()> handlers[] = {
        {cmdNext, &TfrmWizard::cmdNextClick},
        {cmdStepBack, &TfrmWizard::cmdStepBackClick},
        {cmdFinished, &TfrmWizard::cmdFinishedClick},
        {cmdCancel, &TfrmWizard::cmdCancelClick},
        {cmdSave, &TfrmWizard::cmdSaveClick},
        {cmdStartKeys, &TfrmWizard::cmdStartKeysClick},
        {cmdStopKeys, &TfrmWizard::cmdStopKeysClick},
        {cmdPlayKeys, &TfrmWizard::cmdPlayKeysClick},
        {cmdRecordMouse, &TfrmWizard::cmdRecordMouseClick},
        {cmdStopMouse, &TfrmWizard::cmdStopMouseClick},
        {cmdPlayMouse, &TfrmWizard::cmdPlayMouseClick},
        {cmdBrowse, &TfrmWizard::cmdBrowseClick},
        {cmdStartIn, &TfrmWizard::cmdStartInClick},
        {cmdHotKeyHelp, &TfrmWizard::cmdHotKeyHelpClick},
        {cmdWinTitleHelp, &TfrmWizard::cmdWinTitleHelpClick}};
    for (const auto& [b, handler] : handlers)
        connect(b, &QPushButton::clicked, this,
                [this, h = handler] { guarded(this, [&] { (this->*h)(); }); });
}

}  // namespace keyloom
