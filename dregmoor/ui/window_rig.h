// A scanner window on a private folder tree: its settings file, one drive, Temp and cache folders,
// a trash and a move folder, a clock the test sets, and hooks that record what the window asks of
// the desktop.
#pragma once

#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <QTemporaryDir>
#include <fstream>
#include <memory>

#include "dregmoor/ui/t_form1.h"
#include "dregmoor/ui/ui_fakes.h"
#include "platform/fake/fakes.h"
#include "widgets/qt_pump.h"

namespace ostrevin::dregmoor {

struct WindowRig {
    QTemporaryDir dir;
    std::string root = dir.path().toStdString() + "/";
    platform::FakeClock clock;
    FakeDrives drives;
    CountingTree tree;
    RefusingDisposal disposal;
    widgets::QtMessagePump pump;
    std::unique_ptr<SettingsFile> settings;
    std::unique_ptr<ScanSchedule> schedule;
    std::unique_ptr<Scanner> scanner;
    std::unique_ptr<Cleaner> cleaner;
    std::unique_ptr<TForm1> form;
    QStringList help, errors, notes;
    std::vector<std::string> viewed, described;
    QString chosenFolder;

    WindowRig() {
        ::setenv("XDG_DATA_HOME", (root + "data").c_str(), 1);
        for (const char* folder : {"disk/sub", "tmp", "cache/app", "data", "moved"})
            mkdirs(root + folder);
        drives.drives = {{"/dev/fake1", root + "disk", "ext4", "Data"}};
        clock.current = {2026, 12, 8, 10, 5, 0, 2};
    }

    // Creates the window, optionally over a settings file with the given text.
    TForm1& open(const std::string& ini = {}, bool written = false) {
        if (written) write("DREGMOOR.INI", ini);
        settings = std::make_unique<SettingsFile>(root + "DREGMOOR.INI");
        schedule = std::make_unique<ScanSchedule>(settings->store(), clock);
        SpecialFolders special;
        special.temp = root + "tmp/";
        special.cache = root + "cache/";
        special.user = ::getuid();
        // Temp lists files nobody has changed for a day; the change time cannot be set back, so
        // the scan's "now" lies two days ahead.
        special.nowSeconds = ::time(nullptr) + 2 * 86400;
        scanner = std::make_unique<Scanner>(tree, drives, special);
        cleaner = std::make_unique<Cleaner>(disposal);
        DesktopHooks hooks;
        hooks.showHelp = [this](const QString& topic) { help << topic; };
        hooks.viewFile = [this](const std::string& path) { viewed.push_back(path); };
        hooks.showProperties = [this](const std::string& path) { described.push_back(path); };
        hooks.chooseFolder = [this](const QString&, const QString&) { return chosenFolder; };
        hooks.showError = [this](const QString& text) { errors << text; };
        hooks.notify = [this](const QString& text) { notes << text; };
        form = std::make_unique<TForm1>(
            ScannerServices{
                *settings,
                [this](bool timed, const ScannerSettings& s, const std::vector<DriveRow>& rows,
                       const ScanCallback& callback) {
                    return scanner->ScanDrives(timed, s, rows, callback);
                },
                *cleaner, *schedule, clock, drives, pump},
            hooks);
        form->FormCreate();
        return *form;
    }

    std::string ini() const { return read(root + "DREGMOOR.INI"); }

    void write(const std::string& name, const std::string& text, int daysOld = 0) {
        std::ofstream(root + name, std::ios::binary) << text;
        if (daysOld) {
            struct utimbuf times {};
            times.actime = times.modtime = ::time(nullptr) - daysOld * 86400;
            ::utime((root + name).c_str(), &times);
        }
    }
    bool exists(const std::string& name) const {
        return ::access((root + name).c_str(), F_OK) == 0;
    }

    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static void mkdirs(const std::string& path) {
        for (std::size_t at = 1; at != std::string::npos; at = path.find('/', at + 1))
            ::mkdir(path.substr(0, at).c_str(), 0700);
        ::mkdir(path.c_str(), 0700);
    }
};

}  // namespace ostrevin::dregmoor
