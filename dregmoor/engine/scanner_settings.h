// The scanner's settings and their file "DREGMOOR.INI" (beside "macros.ini", sharing its atomic,
// locked writes). The scanner window binds its controls to a ScannerSettings: load() fills it from
// the file at start, the window edits the fields, and save() writes all of them back.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/ini_store.h"
#include "platform/clock.h"

namespace ostrevin::dregmoor {

inline constexpr const char* kSettingsFileName = "DREGMOOR.INI";

// A failure while loading ("'%s' is not a valid integer value", "'%s' is not a valid time") or a
// refused pattern; the text is for a message box as it stands.
class SettingsError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

enum class CleanMode { Delete = 1, Recycle = 2, MoveToFolder = 3 };
enum class ScheduleKind { None = 0, Minutes = 1, Hours = 2, Days = 3, Weeks = 4, Months = 5 };

struct PatternRow {
    std::string text;  // "*.tmp"
    bool ticked = true;
    bool operator==(const PatternRow&) const = default;
};

// One field per control. The initial values are the window's own, which stay wherever loading
// stops early; load() replaces them with the file's values or the file defaults.
struct ScannerSettings {
    bool autoErase = false;                    // Settings/AutoErase, chkClean
    std::vector<bool> drives;                  // Settings/Drives, one per row of the drive list
    CleanMode cleanMode = CleanMode::Recycle;  // Settings/DeleteOption
    std::vector<PatternRow> patterns;          // Scan/ScanFor
    bool tempFolder = true, cacheFolder = true, cookieFolder = true;  // Scan/Check1..3
    bool autoScan = true;              // Schedule/AutoScan, cbSchedule
    bool checkSpace = false;           // Schedule/CheckHDSpace, cbOnlyScan
    std::string spaceToCheck = "100";  // Schedule/SpaceToCheck, meMegs (megabytes, as typed)
    ScheduleKind kind = ScheduleKind::Minutes;  // Schedule/OptionChecked
    // The interval fields as typed (the window shows them exactly as read).
    std::string minuteInterval = "30", hourInterval = "5", hourParameter = "30";
    std::string dayInterval = "5", weekInterval = "1", monthInterval = "1";
    std::string monthParameter = "1";
    int dayHour = 12, dayMinute = 0;  // Schedule/DayParameter, dt1
    int weekday = 0;                  // Schedule/WeekParameter: 0 none, 1 Sunday .. 7 Saturday
    // The destination of the move (edtFolder), never stored: a scan passes over it, since what
    // lies there was cleaned already.
    std::string moveFolder;

    bool operator==(const ScannerSettings&) const = default;
};

// What start-up must do besides filling the controls.
struct LoadOutcome {
    bool firstRun = false;             // show the window and the "Getting_Started" help topic
    std::optional<std::string> error;  // the message of the step that failed; later steps skipped
};

class SettingsFile {
  public:
    // A bare name resolves beside "macros.ini"; tests pass a path.
    explicit SettingsFile(const std::string& fileName = kSettingsFileName);

    IniStore& store() { return store_; }

    // The loading steps in their order; driveCount is the number of rows of the drive list.
    // Writes FirstRun=0 on the first start of the window (startsWindow); the command line leaves
    // it for the window. The next scan time is the caller's (NextScanTime), so that a schedule
    // that cannot be read does not keep the other settings from loading.
    LoadOutcome load(ScannerSettings& settings, std::size_t driveCount, platform::Clock& clock,
                     bool startsWindow = true);
    // The same with the id of each drive row (driveIds): a tick stays with the filesystem it was
    // given to, ticking the row that shows that filesystem now, or none when it is not mounted.
    // Ticks without a recorded filesystem (written by hand) are given the one at their position.
    LoadOutcome load(ScannerSettings& settings, const std::vector<std::string>& driveIds,
                     platform::Clock& clock, bool startsWindow = true);
    // Every setting in one atomic replacement of the file; throws IniWriteError ("Unable to write
    // to %s") when refused, leaving the file as it was.
    void save(const ScannerSettings& settings);
    // Changing the time picker stores the time of day alone.
    void saveDayParameter(int hour, int minute);
    // What the window's controls show once load() has filled them. After a loading that stopped
    // early, save() leaves a key that was never read as it is stored until its control is changed
    // from this, so that a start value nobody chose does not replace the user's setting.
    void noteShown(const ScannerSettings& shown);

    // The keys of the settings, in the order load() reads them.
    enum class Key {
        AutoErase,
        Drives,
        DeleteOption,
        ScanFor,
        Check1,
        Check2,
        Check3,
        AutoScan,
        CheckHDSpace,
        SpaceToCheck,
        OptionChecked,
        MinuteInterval,
        HourInterval,
        DayInterval,
        WeekInterval,
        MonthInterval,
        HourParameter,
        DayParameter,
        WeekParameter,
        MonthParameter
    };
    static constexpr std::size_t kKeyCount = static_cast<std::size_t>(Key::MonthParameter) + 1;

  private:
    void recordDriveIds(const std::string& ids);

    IniStore store_;
    std::optional<ScannerSettings> shown_;
    std::vector<bool> unread_;           // by Key: not reached by a loading that stopped early
    std::vector<std::string> driveIds_;  // of the rows the ticks of save() refer to
};

// The "Drives" and "ScanFor" values and back.
std::string drivesValue(const std::vector<bool>& ticks);
std::vector<bool> parseDrives(const std::string& value, std::size_t driveCount);
// "DriveIds", beside "Drives": the filesystem each tick was given to, as position, ":", id, ",".
std::string driveIdsValue(const std::vector<bool>& ticks, const std::vector<std::string>& ids);
// The ticks of a "Drives" value for the rows with these ids, given what "DriveIds" recorded;
// unrecorded gets the "DriveIds" entries of the ticks that had no filesystem recorded.
std::vector<bool> placeDrives(const std::string& drives, const std::string& recorded,
                              const std::vector<std::string>& ids, std::string& unrecorded);
std::string patternsValue(const std::vector<PatternRow>& rows);
std::vector<PatternRow> parsePatterns(const std::string& value);

// Adds a ticked pattern, or throws SettingsError with the reason: empty, containing a comma
// (which the stored list cannot hold), or making the stored list longer than can be read back.
void addPattern(std::vector<PatternRow>& rows, const std::string& text);

// "Please enter a value between 1 and 9999" unless the trimmed text is a number in that range.
std::optional<std::string> checkSpaceToCheck(const std::string& text);

}  // namespace ostrevin::dregmoor
