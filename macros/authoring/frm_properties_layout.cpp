// The properties dialog's controls.
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "macros/authoring/frm_properties.h"
#include "macros/authoring/step_dialog_controls.h"

namespace keyloom {

namespace {

QPushButton* button(const char* name, const char* caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

QWidget* TfrmProperties::buildLaunchPanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName("pnlLaunch");
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 0, 0, 0);
    edtFileName = labelledEdit("edtFileName", "FileName:", grid, 0, panel);
    edtParameters = labelledEdit("edtParameters", "Parameters:", grid, 1, panel);
    edtStartIn = labelledEdit("edtStartIn", "Start In:", grid, 2, panel);
    cmdBrowse = button("cmdBrowse", "&Browse", panel);
    cmdBrowse->setAccessibleDescription("Choose the file name");
    cmdStartIn = button("cmdStartIn", "..", panel);
    cmdStartIn->setAccessibleName("Choose the start-in folder");
    grid->addWidget(cmdBrowse, 0, 2);
    grid->addWidget(cmdStartIn, 2, 2);
    return panel;
}

QWidget* TfrmProperties::buildRecordPanel() {
    auto* panel = new QWidget(this);
    panel->setObjectName("pnlRecord");
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* row = new QHBoxLayout;
    cmdRecord = button("cmdRecord", "&Start Recording", panel);
    cmdStop = button("cmdStop", "Stop &Recording", panel);
    cmdPlay = button("cmdPlay", "&Playback", panel);
    cmdStop->setEnabled(false);
    for (QPushButton* b : {cmdRecord, cmdStop, cmdPlay}) row->addWidget(b);
    layout->addLayout(row);
    layout->addWidget(new QLabel("Shift+Ctrl+F12", panel));
    mmoKeys = new QPlainTextEdit(panel);
    mmoKeys->setObjectName("mmoKeys");
    mmoKeys->setAccessibleName("Typing area");
    mmoKeys->setMaximumHeight(70);
    layout->addWidget(mmoKeys);

    pnlSpeed = new QWidget(panel);
    pnlSpeed->setObjectName("pnlSpeed");
    auto* speed = new QVBoxLayout(pnlSpeed);
    speed->setContentsMargins(0, 0, 0, 0);
    optNormalSpeed = new QRadioButton("Play this macro back at its recorded speed.", pnlSpeed);
    optNormalSpeed->setObjectName("optNormalSpeed");
    optHighSpeed = new QRadioButton("Play this macro back at high speed", pnlSpeed);
    optHighSpeed->setObjectName("optHighSpeed");
    optNormalSpeed->setChecked(true);
    speed->addWidget(optNormalSpeed);
    speed->addWidget(optHighSpeed);
    layout->addWidget(pnlSpeed);
    return panel;
}

void TfrmProperties::buildControls() {
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    imgType = new QLabel(this);
    imgType->setObjectName("imgType");
    lblMacroType = new QLabel(this);
    lblMacroType->setObjectName("lblMacroType");
    top->addWidget(imgType);
    top->addWidget(lblMacroType, 1);
    layout->addLayout(top);

    auto* grid = new QGridLayout;
    edtMacroName = labelledEdit("edtMacroName", "Name:", grid, 0, this);
    edtMacroName->setMaxLength(50);
    auto* hotKeyLabel = new QLabel("HotKey:", this);
    HotKey1 = new THotKey(services_.keyLabel, this);
    HotKey1->keyOfScanCode = services_.keyOfScanCode;
    HotKey1->setObjectName("HotKey1");
    HotKey1->setAccessibleName("HotKey");
    hotKeyLabel->setBuddy(HotKey1);
    grid->addWidget(hotKeyLabel, 1, 0);
    grid->addWidget(HotKey1, 1, 1);
    edtTrigger = labelledEdit("edtTrigger", "Window:", grid, 2, this);
    layout->addLayout(grid);
    lblTriggers = new QLabel("Triggers...", this);
    lblTriggers->setObjectName("lblTriggers");
    layout->addWidget(lblTriggers);

    pnlLaunch = buildLaunchPanel();
    pnlRecord = buildRecordPanel();
    layout->addWidget(pnlLaunch);
    layout->addWidget(pnlRecord);
    cmdEditManKeys = button("cmdEditManKeys", "&Edit Macro", this);
    layout->addWidget(cmdEditManKeys);
    layout->addStretch();

    auto* buttons = new QHBoxLayout;
    Button1 = button("Button1", "&OK", this);
    Button1->setDefault(true);
    cmdCancelProps = button("cmdCancelProps", "&Cancel", this);
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(cmdCancelProps);
    layout->addLayout(buttons);

    const std::pair<QPushButton*, void (TfrmProperties::*)()> handlers[] = {
        {Button1, &TfrmProperties::Button1Click},
        {cmdCancelProps, &TfrmProperties::cmdCancelPropsClick},
        {cmdRecord, &TfrmProperties::cmdRecordClick},
        {cmdStop, &TfrmProperties::cmdStopClick},
        {cmdPlay, &TfrmProperties::cmdPlayClick},
        {cmdBrowse, &TfrmProperties::cmdBrowseClick},
        {cmdStartIn, &TfrmProperties::cmdStartInClick},
        {cmdEditManKeys, &TfrmProperties::cmdEditManKeysClick}};
    for (const auto& [b, handler] : handlers)
        connect(b, &QPushButton::clicked, this,
                [this, h = handler] { guarded(this, [&] { (this->*h)(); }); });
}

}  // namespace keyloom
