#include "dregmoor/ui/dregmoor_app.h"

#include <unistd.h>
#include <QApplication>
#include <QProcess>
#include <QUrl>
#include <ctime>

#include "dregmoor/ui/program_icon.h"
#include "dregmoor/ui/text_editor.h"
#include "platform/posix/program_folder.h"
#include "widgets/error_box.h"
#include "widgets/qt_text.h"

namespace ostrevin::dregmoor {

namespace {

// Viewers and browsers start on their own, with an argument vector and no shell; a failed start
// is not reported, as a missing viewer is the desktop's matter.
void startDetached(const std::vector<std::string>& argv) {
    if (argv.empty()) return;
    QStringList arguments;
    for (std::size_t i = 1; i < argv.size(); ++i) arguments << widgets::toQString(argv[i]);
    QProcess::startDetached(widgets::toQString(argv[0]), arguments);
}

}  // namespace

DregmoorApp::DregmoorApp() {
    cleaner_.setLastLook(tempAgeCheck(tree_, static_cast<std::uint32_t>(::getuid()), [] {
        return static_cast<std::int64_t>(std::time(nullptr));
    }));
    help_ = std::make_unique<widgets::HelpViewer>("Dregmoor Help");
    help_->setWindowIcon(programIcon());
    properties_ = std::make_unique<FileProperties>();
    Form1 = std::make_unique<TForm1>(
        ScannerServices{settings_,
                        [this](bool timed, const ScannerSettings& settings,
                               const std::vector<DriveRow>& rows, const ScanCallback& callback) {
                            Scanner scanner(tree_, drives_, SpecialFolders::forCurrentUser());
                            return scanner.ScanDrives(timed, settings, rows, callback);
                        },
                        cleaner_, schedule_, clock_, drives_, pump_},
        hooks());
    Form1->setWindowIcon(programIcon());
    Form2 = std::make_unique<TForm2>(
        *Form1, [this](const QString& topic) { showHelp(topic); },
        [](const QString& url) {
            startDetached({"xdg-open", widgets::toUtf8(url)});
        },
        programIcon());
}

void DregmoorApp::showHelp(const QString& topic) {
    // The help document is looked up beside the program each time, as the help file is.
    const QString file = widgets::toQString(platform::programFolder()) + "dregmoor.html";
    help_->showTopic(file, topic);
}

DesktopHooks DregmoorApp::hooks() {
    DesktopHooks h;
    h.showHelp = [this](const QString& topic) { showHelp(topic); };
    h.viewFile = [](const std::string& path) {
        startDetached(textEditorCommand(path, realDesktopFiles()));
    };
    h.showProperties = [this](const std::string& path) {
        properties_->describe(widgets::toQString(path));
        properties_->show();
        properties_->raise();
        properties_->activateWindow();
    };
    h.chooseFolder = [this](const QString& prompt, const QString& start) {
        return QFileDialog::getExistingDirectory(Form1.get(), prompt, start);
    };
    h.showError = [this](const QString& text) {
        widgets::showErrorBox(Form1 && Form1->isVisible() ? Form1.get() : nullptr, text);
    };
    // The tray icon's own message: the desktop's notification service where it has one, and
    // nothing where the notification area cannot show messages (the status bar still tells).
    h.notify = [this](const QString& text) {
        if (Form2 && Form2->TrayIcon1->visible() && QSystemTrayIcon::supportsMessages())
            Form2->TrayIcon1->icon()->showMessage("Dregmoor", text, QSystemTrayIcon::Warning);
    };
    return h;
}

int DregmoorApp::run() {
    const bool firstRun = Form1->FormCreate();
    // Without a notification area the icon could never be clicked: the window stays open, and
    // closing it ends the program.
    if (!widgets::TrayIcon::hostAvailable()) {
        QApplication::setQuitOnLastWindowClosed(true);
        if (!firstRun) Form1->show();
    }
    return QApplication::exec();
}

}  // namespace ostrevin::dregmoor
