// The scanner window's controls, each in its fixed place on a 357 x 393 client area.
#include <QFont>
#include <QHeaderView>
#include <QRegularExpressionValidator>

#include "dregmoor/ui/t_form1.h"

#ifndef DREGMOOR_VERSION
#define DREGMOOR_VERSION "0.1"
#endif

namespace ostrevin::dregmoor {

namespace {

template <typename W>
W* named(W* widget, const char* name, int x, int y, int w, int h) {
    widget->setObjectName(name);
    widget->setGeometry(x, y, w, h);
    return widget;
}

QLabel* boldLabel(const QString& text, QWidget* parent, int x, int y, int w) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setGeometry(x, y, w, 18);
    return label;
}

QLabel* plainLabel(const QString& text, QWidget* parent, int x, int y, int w) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(x, y, w, 22);
    return label;
}

// A list with check boxes and one column, no header.
QTreeWidget* checkList(const char* name, const QString& column, int width, QWidget* parent) {
    auto* list = new QTreeWidget(parent);
    list->setObjectName(name);
    list->setColumnCount(1);
    list->setHeaderLabels({column});
    list->setHeaderHidden(true);
    list->header()->setStretchLastSection(false);
    list->setColumnWidth(0, width);
    list->setRootIsDecorated(false);
    list->setAccessibleName(column);
    return list;
}

}  // namespace

QLineEdit* TForm1::maskedEdit(const char* name, int digits, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMaxLength(digits);
    edit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QString("[ 0-9]{0,%1}").arg(digits)), edit));
    return edit;
}

void TForm1::buildMainTab(QWidget* page) {
    lblTitle = named(new QLabel("Dregmoor " DREGMOOR_VERSION, page), "lblTitle", 8, 4, 325, 34);
    QFont font = lblTitle->font();
    font.setBold(true);
    font.setItalic(true);
    font.setPointSize(16);
    lblTitle->setFont(font);
    lv1 = named(new QTreeView(page), "lv1", 8, 40, 325, 240);
    model_ = new ResultModel(lv1);
    lv1->setModel(model_);
    lv1->setColumnWidth(0, 120);
    lv1->setColumnWidth(1, 140);
    lv1->setColumnWidth(2, 62);
    lv1->setRootIsDecorated(false);
    lv1->setUniformRowHeights(true);
    lv1->setAllColumnsShowFocus(true);
    lv1->header()->setStretchLastSection(false);
    lv1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lv1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lv1->setAccessibleName("Found files");
    PopupMenu2 = new QMenu(lv1);
    PopupMenu2->setObjectName("PopupMenu2");
    mnuViewFile = PopupMenu2->addAction("&View File");
    mnuViewFile->setObjectName("mnuViewFile");
    PopupMenu2->addSeparator()->setObjectName("N1");
    mnuProps = PopupMenu2->addAction("&Properties");
    mnuProps->setObjectName("mnuProps");
    mnuViewFile->setEnabled(false);
    mnuProps->setEnabled(false);
    lv1->setContextMenuPolicy(Qt::CustomContextMenu);
}

void TForm1::buildOptionsTab(QWidget* page) {
    QLabel* drives = boldLabel("&Drive(s) To Scan", page, 8, 4, 300);
    clbDrives = checkList("clbDrives", "Drives to Scan", 200, page);
    clbDrives->setGeometry(8, 24, 325, 118);
    drives->setBuddy(clbDrives);
    QLabel* what = boldLabel("&What do you want to do with found files?", page, 8, 150, 325);
    optNormDel =
        named(new QRadioButton("Permanently Delete Them", page), "optNormDel", 16, 170, 300, 20);
    optRecBin = named(new QRadioButton("Move Them To The Recycle Bin", page), "optRecBin", 16, 190,
                      300, 20);
    optFolder =
        named(new QRadioButton("Move Them To This Folder:", page), "optFolder", 16, 210, 300, 20);
    what->setBuddy(optNormDel);
    optRecBin->setChecked(true);
    edtFolder = named(new QLineEdit(page), "edtFolder", 32, 234, 262, 22);
    edtFolder->setReadOnly(true);
    edtFolder->setAccessibleName("Destination folder");
    QPalette grey = edtFolder->palette();
    grey.setColor(QPalette::Base, grey.color(QPalette::Window));
    edtFolder->setPalette(grey);
    cmdBrowse = named(new QPushButton(". .", page), "cmdBrowse", 298, 234, 32, 22);
    cmdBrowse->setAccessibleName("Browse for folder");
}

void TForm1::buildScanForTab(QWidget* page) {
    QLabel* files = boldLabel("&Files To Scan For", page, 8, 4, 300);
    lvScan = checkList("lvScan", "Extensions", 185, page);
    lvScan->setGeometry(8, 24, 190, 180);
    files->setBuddy(lvScan);
    cmdAdd = named(new QPushButton("Add New Extension", page), "cmdAdd", 206, 24, 128, 26);
    edtNewScan = named(new QLineEdit(page), "edtNewScan", 206, 54, 128, 22);
    edtNewScan->setAccessibleName("New extension");
    cmdRemove = named(new QPushButton("Remove Selected", page), "cmdRemove", 206, 86, 128, 26);
    cbTempFolder =
        named(new QCheckBox("Empty the &Temp folder", page), "cbTempFolder", 8, 212, 320, 20);
    cbCacheFolder =
        named(new QCheckBox("Empty the &cache folder", page), "cbCacheFolder", 8, 232, 320, 20);
    cbCookieFolder =
        named(new QCheckBox("Empty the c&ookies folder", page), "cbCookieFolder", 8, 252, 320, 20);
    for (QCheckBox* box : {cbTempFolder, cbCacheFolder, cbCookieFolder}) box->setChecked(true);
}

void TForm1::buildScheduleTab(QWidget* page) {
    cbSchedule = named(new QCheckBox("&Have Dregmoor scan your drives automatically...", page),
                       "cbSchedule", 8, 2, 330, 20);
    chkClean =
        named(new QCheckBox("&Automatically clean all found files after each timed scan", page),
              "chkClean", 8, 22, 330, 20);
    cbOnlyScan = named(new QCheckBox("&Only scan if drive space is less than", page), "cbOnlyScan",
                       8, 42, 214, 20);
    meMegs = maskedEdit("meMegs", 4, page);
    meMegs->setGeometry(224, 41, 40, 22);
    meMegs->setAccessibleName("Megabytes");
    UpDown2 = new UpDown("UpDown2", meMegs, 1, 999, 10, 100, page);
    UpDown2->setGeometry(264, 41, 14, 22);
    plainLabel("megabytes", page, 282, 41, 56);
    grpSchedule = named(new QGroupBox("Select a schedule", page), "grpSchedule", 4, 64, 335, 222);
    buildScheduleKinds(grpSchedule);
}

void TForm1::buildScheduleKinds(QGroupBox* group) {
    auto row = [&](QRadioButton*& option, const char* name, const QString& caption, int y,
                   QLineEdit*& edit, const char* editName, UpDown*& ud, const char* udName,
                   int maximum, int start) {
        option = named(new QRadioButton(caption, group), name, 8, y, 70, 22);
        edit = maskedEdit(editName, 2, group);
        edit->setGeometry(78, y, 26, 22);
        edit->setAccessibleName(caption);
        ud = new UpDown(udName, edit, 1, maximum, 1, start, group);
        ud->setGeometry(104, y, 14, 22);
    };
    row(optMinutes, "optMinutes", "&Every...", 20, meMins, "meMins", udMinutes, "udMinutes", 59,
        30);
    plainLabel("Minutes", group, 122, 20, 200);
    row(optHours, "optHours", "Every...", 46, meHours, "meHours", udHours, "udHours", 99, 5);
    plainLabel("Hours at", group, 122, 46, 200);
    meMinsAfter = maskedEdit("meMinsAfter", 2, group);
    meMinsAfter->setGeometry(122, 68, 26, 22);
    meMinsAfter->setAccessibleName("Minutes after the hour");
    udMinsAfter = new UpDown("udMinsAfter", meMinsAfter, 1, 59, 5, 30, group);
    udMinsAfter->setGeometry(148, 68, 14, 22);
    plainLabel("minutes after the hour", group, 166, 68, 164);
    row(optDays, "optDays", "Every...", 96, meDays, "meDays", udDays, "udDays", 99, 5);
    plainLabel("Days at the following time:", group, 122, 96, 208);
    dt1 = named(new QTimeEdit(group), "dt1", 122, 118, 90, 22);
    dt1->setAccessibleName("Time of day");
    row(optWeeks, "optWeeks", "Every...", 146, meWeeks, "meWeeks", udWeeks, "udWeeks", 99, 1);
    plainLabel("Weeks starting on ", group, 122, 146, 104);
    cbDays = named(new QComboBox(group), "cbDays", 226, 146, 102, 22);
    cbDays->addItems(
        {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"});
    cbDays->setCurrentIndex(-1);
    cbDays->setAccessibleName("Weekday");
    row(optMonths, "optMonths", "Every...", 172, meMonths, "meMonths", udMonths, "udMonths", 99, 1);
    plainLabel("Months starting on day", group, 122, 172, 138);
    meDayOfTheMonth = maskedEdit("meDayOfTheMonth", 2, group);
    meDayOfTheMonth->setGeometry(262, 172, 26, 22);
    meDayOfTheMonth->setAccessibleName("Day of the month");
    udDayofthemonth = new UpDown("udDayofthemonth", meDayOfTheMonth, 1, 31, 1, 1, group);
    udDayofthemonth->setGeometry(288, 172, 14, 22);
    plainLabel("of the month", group, 122, 194, 120);
}

// The fixed pixel sizes suit a smaller system font than most desktops use: a caption wider than its
// place is set in a smaller size (down to 7 points) rather than cut.
bool TForm1::captionFits(const QWidget* widget) {
    // A push button's size hint has a floor of its own; only its text must fit.
    if (auto* button = qobject_cast<const QPushButton*>(widget))
        return button->fontMetrics().horizontalAdvance(QString(button->text()).remove('&')) + 8 <=
               button->width();
    return widget->sizeHint().width() <= widget->width();
}

void TForm1::fitCaptions() {
    for (QWidget* widget : findChildren<QWidget*>()) {
        if (!qobject_cast<QAbstractButton*>(widget) && !qobject_cast<QLabel*>(widget)) continue;
        if (widget->parentWidget() == stat1) continue;
        QFont font = widget->font();
        while (!captionFits(widget) && font.pointSizeF() > 7.0) {
            font.setPointSizeF(font.pointSizeF() - 0.5);
            widget->setFont(font);
        }
    }
}

void TForm1::buildBottom() {
    Button2 = named(new QPushButton("Clean All", this), "Button2", 4, 328, 84, 28);
    cmdClean = named(new QPushButton("Clean Selected", this), "cmdClean", 92, 328, 84, 28);
    Button1 = named(new QPushButton("Scan Now", this), "Button1", 180, 328, 84, 28);
    btnExit = named(new QPushButton("Hide", this), "btnExit", 268, 328, 84, 28);
    stat1 = named(new QStatusBar(this), "stat1", 0, 367, 357, 26);
    stat1->setSizeGripEnabled(false);
    // The first two panels grow to their text when the font needs more than their width.
    const int widths[3] = {59, 175, 50};
    for (int i = 0; i < 3; ++i) {
        panels_[i] = new QLabel(stat1);
        panels_[i]->setObjectName(QString("stat1Panel%1").arg(i + 1));
        panels_[i]->setMinimumWidth(widths[i]);
        panels_[i]->setFrameShape(QFrame::Panel);
        panels_[i]->setFrameShadow(QFrame::Sunken);
        // The last panel takes the rest of the bar, so a long total is never cut.
        stat1->addWidget(panels_[i], i == 2 ? 1 : 0);
    }
    panels_[0]->setText("F1 for Help");
}

}  // namespace ostrevin::dregmoor
