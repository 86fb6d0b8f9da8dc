// The whole scanner program: the platform, the engine, the help viewer and the two forms, created
// once at start in the order the forms need each other.
#pragma once

#include <QFileDialog>
#include <memory>

#include "dregmoor/engine/cleaning.h"
#include "dregmoor/engine/scanner.h"
#include "dregmoor/engine/scanner_settings.h"
#include "dregmoor/engine/schedule.h"
#include "dregmoor/ui/file_properties.h"
#include "dregmoor/ui/t_form1.h"
#include "dregmoor/ui/t_form2.h"
#include "platform/posix/posix_clock.h"
#include "platform/posix/posix_drives.h"
#include "platform/posix/posix_file_disposal.h"
#include "platform/posix/posix_file_tree.h"
#include "widgets/help_viewer.h"
#include "widgets/qt_pump.h"

namespace ostrevin::dregmoor {

class DregmoorApp {
  public:
    DregmoorApp();
    // Loads the settings (showing the window on the first start) and runs the event loop.
    int run();

  private:
    DesktopHooks hooks();
    void showHelp(const QString& topic);

    platform::PosixClock clock_;
    platform::PosixDrives drives_;
    platform::PosixFileTree tree_;
    platform::PosixFileDisposal disposal_;
    widgets::QtMessagePump pump_;
    SettingsFile settings_;
    ScanSchedule schedule_{settings_.store(), clock_};
    Cleaner cleaner_{disposal_};
    std::unique_ptr<widgets::HelpViewer> help_;
    std::unique_ptr<FileProperties> properties_;
    std::unique_ptr<TForm1> Form1;
    std::unique_ptr<TForm2> Form2;
};

}  // namespace ostrevin::dregmoor
