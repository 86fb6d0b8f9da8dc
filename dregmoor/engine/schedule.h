// The scan schedule: when the next timed scan is due, and the ten-second check that runs it.
// Everything reads the schedule from the settings file, never from the window, and takes the
// present time from the clock seam.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "common/ini_store.h"
#include "dregmoor/engine/date_time.h"
#include "platform/clock.h"

namespace ostrevin::dregmoor {

bool FBOOLIsLeapYear(int year);
int FINTDaysPerMonth(int year, int month);
// Moves date by count months in direction (+1 or -1), keeping the day of the month where the
// month has it and its last day where it does not; the time of day is kept.
DateTime FDTChangeMonth(int count, int direction, DateTime date);

// The next scan time from the stored schedule; writes LastScan when it is missing. Throws
// SettingsError for stored values that cannot be read.
DateTime NextScanTime(IniStore& store, platform::Clock& clock);

// "Next Scan: " followed by the time in the locale's short date and long time (the time left out
// at exactly midnight).
std::string nextScanText(DateTime when, platform::Clock& clock);

// The due check of the schedule timer (Timer1Timer), holding the next scan time as a value.
class ScanSchedule {
  public:
    ScanSchedule(IniStore& store, platform::Clock& clock) : store_(store), clock_(clock) {}

    // Computes and keeps the next scan time (loading, Reschedule, after a timed scan).
    DateTime reschedule();
    void clear() { due_.reset(); }
    const std::optional<DateTime>& due() const { return due_; }

    // One tick: when a due time is held and the present minute has reached it, writes LastScan,
    // calls runTimedScan (the scan and, when asked, the cleaning) and reschedules. True when a
    // scan ran.
    bool tick(bool scheduleOn, const std::function<void()>& runTimedScan);

  private:
    IniStore& store_;
    platform::Clock& clock_;
    std::optional<DateTime> due_;
};

}  // namespace ostrevin::dregmoor
