#include "dregmoor/engine/scanner_settings.h"

#include <algorithm>
#include <map>

#include "common/text.h"
#include "dregmoor/engine/date_time.h"

namespace ostrevin::dregmoor {

namespace {

constexpr const char* kSettings = "Settings";
constexpr const char* kScan = "Scan";
constexpr const char* kSchedule = "Schedule";

SettingsError notInteger(const std::string& trimmed) {
    return SettingsError("'" + trimmed + "' is not a valid integer value");
}

int checkedNumber(const std::string& text) {
    const std::string trimmed = trimControl(text);
    auto value = parseInteger(trimmed);
    if (!value) throw notInteger(trimmed);
    return *value;
}

// Reads a text-number key: the text as read, once it has proved to be a number.
std::string textNumber(IniStore& store, const char* key, const char* fallback) {
    std::string text = store.readString(kSchedule, key, fallback);
    checkedNumber(text);
    return text;
}

}  // namespace

std::string drivesValue(const std::vector<bool>& ticks) {
    std::string value;
    for (std::size_t i = 0; i < ticks.size(); ++i)
        if (ticks[i]) value += toDecimal(static_cast<long long>(i)) + ",";
    return value;
}

std::vector<bool> parseDrives(const std::string& stored, std::size_t driveCount) {
    std::vector<bool> ticks(driveCount, false);
    std::string_view rest = stored;
    while (!rest.empty()) {
        const auto comma = rest.find(',');
        const std::string item = trimControl(rest.substr(0, comma));
        auto position = parseInteger(item);
        if (!position) throw notInteger(item);
        if (*position >= 0 && static_cast<std::size_t>(*position) < driveCount)
            ticks[static_cast<std::size_t>(*position)] = true;
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
    return ticks;
}

std::string driveIdsValue(const std::vector<bool>& ticks, const std::vector<std::string>& ids) {
    std::string value;
    for (std::size_t i = 0; i < ticks.size() && i < ids.size(); ++i)
        if (ticks[i] && !ids[i].empty())
            value += toDecimal(static_cast<long long>(i)) + ":" + ids[i] + ",";
    return value;
}

std::vector<bool> placeDrives(const std::string& drives, const std::string& recorded,
                              const std::vector<std::string>& ids, std::string& unrecorded) {
    std::map<long long, std::string> meant;
    std::string_view rest = recorded;
    while (!rest.empty()) {  // a malformed entry records nothing
        const auto comma = rest.find(',');
        const std::string_view item = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        const auto colon = item.find(':');
        if (colon == std::string_view::npos) continue;
        if (auto position = parseInteger(trimControl(item.substr(0, colon))))
            meant[*position] = trimControl(item.substr(colon + 1));
    }
    // Read with room for positions past the rows, whose filesystem may stand elsewhere now.
    const std::vector<bool> stored = parseDrives(drives, std::max<std::size_t>(ids.size(), 1024));
    std::vector<bool> ticks(ids.size(), false);
    unrecorded.clear();
    for (std::size_t p = 0; p < stored.size(); ++p) {
        if (!stored[p]) continue;
        const auto it = meant.find(static_cast<long long>(p));
        if (it == meant.end() || it->second.empty() || (p < ids.size() && ids[p].empty())) {
            if (p >= ids.size()) continue;
            ticks[p] = true;
            if (!ids[p].empty())
                unrecorded += toDecimal(static_cast<long long>(p)) + ":" + ids[p] + ",";
            continue;
        }
        if (p < ids.size() && ids[p] == it->second) {
            ticks[p] = true;
            continue;
        }
        const auto now = std::find(ids.begin(), ids.end(), it->second);
        if (now != ids.end()) ticks[static_cast<std::size_t>(now - ids.begin())] = true;
    }
    return ticks;
}

std::string patternsValue(const std::vector<PatternRow>& rows) {
    std::string value;
    for (const auto& row : rows) value += row.text + "," + (row.ticked ? "1," : "0,");
    return value;
}

std::vector<PatternRow> parsePatterns(const std::string& stored) {
    std::vector<PatternRow> rows;
    std::string_view rest = stored;
    while (!rest.empty()) {
        auto comma = rest.find(',');
        PatternRow row{std::string(rest.substr(0, comma)), false};
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        row.ticked = !rest.empty() && rest.front() == '1';
        comma = rest.find(',');
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        rows.push_back(std::move(row));
    }
    return rows;
}

void addPattern(std::vector<PatternRow>& rows, const std::string& typed) {
    const std::string text = trimControl(typed);
    if (text.empty()) throw SettingsError("Type a pattern, for example *.tmp, first.");
    if (text.find(',') != std::string::npos)
        throw SettingsError("A pattern cannot contain a comma: \"" + text + "\" was not added.");
    std::vector<PatternRow> grown = rows;
    grown.push_back({text, true});
    if (patternsValue(grown).size() > IniDocument::kMaxValueChars)
        throw SettingsError("The list of patterns is full: \"" + text +
                            "\" was not added. Remove a pattern you no longer need first.");
    rows = std::move(grown);
}

std::optional<std::string> checkSpaceToCheck(const std::string& text) {
    auto value = parseInteger(trimControl(text));
    if (value && *value >= 1 && *value <= 9999) return std::nullopt;
    return std::string("Please enter a value between 1 and 9999");
}

SettingsFile::SettingsFile(const std::string& fileName) : store_(fileName) {}

LoadOutcome SettingsFile::load(ScannerSettings& s, std::size_t driveCount, platform::Clock& clock,
                               bool startsWindow) {
    return load(s, std::vector<std::string>(driveCount), clock, startsWindow);
}

LoadOutcome SettingsFile::load(ScannerSettings& s, const std::vector<std::string>& driveIds,
                               platform::Clock& clock, bool startsWindow) {
    LoadOutcome outcome;
    driveIds_ = driveIds;
    unread_.assign(kKeyCount, false);
    Key at = Key::AutoErase;
    try {
        if (startsWindow && store_.readInteger("Main", "FirstRun", 1) == 1) {
            outcome.firstRun = true;
            store_.writeInteger("Main", "FirstRun", 0);
        }
        s.autoErase = store_.readBool(kSettings, "AutoErase", false);
        at = Key::Drives;
        const std::string recorded = store_.readString(kSettings, "DriveIds", "");
        std::string unrecorded;
        s.drives =
            placeDrives(store_.readString(kSettings, "Drives", ""), recorded, driveIds, unrecorded);
        if (!unrecorded.empty()) recordDriveIds(recorded + unrecorded);
        at = Key::DeleteOption;
        const int option = store_.readInteger(kSettings, "DeleteOption", 1);
        if (option >= 1 && option <= 3) s.cleanMode = static_cast<CleanMode>(option);
        at = Key::ScanFor;
        s.patterns = parsePatterns(store_.readString(kScan, "ScanFor", ""));
        at = Key::Check1;
        s.tempFolder = store_.readBool(kScan, "Check1", true);
        at = Key::Check2;
        s.cacheFolder = store_.readBool(kScan, "Check2", true);
        at = Key::Check3;
        s.cookieFolder = store_.readBool(kScan, "Check3", true);
        at = Key::AutoScan;
        s.autoScan = store_.readBool(kSchedule, "AutoScan", true);
        at = Key::CheckHDSpace;
        s.checkSpace = store_.readBool(kSchedule, "CheckHDSpace", false);
        at = Key::SpaceToCheck;
        s.spaceToCheck = toDecimal(store_.readInteger(kSchedule, "SpaceToCheck", 100));
        at = Key::OptionChecked;
        const int kind = store_.readInteger(kSchedule, "OptionChecked", 1);
        s.kind = kind >= 1 && kind <= 5 ? static_cast<ScheduleKind>(kind) : ScheduleKind::None;
        at = Key::MinuteInterval;
        s.minuteInterval = textNumber(store_, "MinuteInterval", "30");
        at = Key::HourInterval;
        s.hourInterval = textNumber(store_, "HourInterval", "5");
        at = Key::DayInterval;
        s.dayInterval = textNumber(store_, "DayInterval", "5");
        at = Key::WeekInterval;
        s.weekInterval = textNumber(store_, "WeekInterval", "1");
        at = Key::MonthInterval;
        s.monthInterval = textNumber(store_, "MonthInterval", "1");
        at = Key::HourParameter;
        s.hourParameter = textNumber(store_, "HourParameter", "30");
        at = Key::DayParameter;
        const auto now = clock.now();
        const std::string day =
            store_.readString(kSchedule, "DayParameter", storedTime(now.hour, now.minute));
        auto time = parseStoredTime(day);
        if (!time) throw SettingsError("'" + trimControl(day) + "' is not a valid time");
        s.dayHour = static_cast<int>(*time / 3'600'000);
        s.dayMinute = static_cast<int>(*time / 60'000 % 60);
        at = Key::WeekParameter;
        const int weekday = store_.readInteger(kSchedule, "WeekParameter", 0);
        s.weekday = weekday >= 1 && weekday <= 7 ? weekday : 0;
        at = Key::MonthParameter;
        s.monthParameter = store_.readString(kSchedule, "MonthParameter", "1");
    } catch (const std::exception& e) {
        outcome.error = e.what();
        // The failing key's own value cannot be read, so the window's may replace it.
        for (auto k = static_cast<std::size_t>(at) + 1; k < kKeyCount; ++k) unread_[k] = true;
        shown_ = s;
    }
    return outcome;
}

void SettingsFile::noteShown(const ScannerSettings& shown) {
    shown_ = shown;
}

void SettingsFile::save(const ScannerSettings& s) {
    const std::string megs = trimControl(s.spaceToCheck);
    const int space = checkedNumber(megs);
    const ScannerSettings& was = shown_ ? *shown_ : s;
    std::vector<std::size_t> chosen;  // unread keys whose controls the user has changed
    store_.update([&](IniDocument& doc) {
        chosen.clear();
        // A key the loading never reached keeps its stored value until its control is changed:
        // the control shows a start value, not the user's choice.
        const auto kept = [&](Key key, bool unchanged) {
            const auto k = static_cast<std::size_t>(key);
            if (k >= unread_.size() || !unread_[k]) return false;
            if (unchanged) return true;
            chosen.push_back(k);
            return false;
        };
        const auto put = [&](Key key, bool unchanged, const char* section, const char* name,
                             const std::string& value) {
            if (!kept(key, unchanged)) doc.set(section, name, value);
        };
        const auto bit = [](bool on) { return std::string(on ? "1" : "0"); };
        const auto same = [](const std::string& a, const std::string& b) {
            return trimControl(a) == trimControl(b);
        };
        put(Key::AutoErase, s.autoErase == was.autoErase, kSettings, "AutoErase", bit(s.autoErase));
        if (!kept(Key::Drives, s.drives == was.drives)) {
            doc.removeKey(kSettings, "Drives");
            if (auto drives = drivesValue(s.drives); !drives.empty())
                doc.set(kSettings, "Drives", drives);
            doc.removeKey(kSettings, "DriveIds");
            if (auto ids = driveIdsValue(s.drives, driveIds_); !ids.empty())
                doc.set(kSettings, "DriveIds", ids);
        }
        put(Key::DeleteOption, s.cleanMode == was.cleanMode, kSettings, "DeleteOption",
            toDecimal(static_cast<int>(s.cleanMode)));
        if (!kept(Key::ScanFor, s.patterns == was.patterns)) {
            doc.removeKey(kScan, "ScanFor");
            if (auto patterns = patternsValue(s.patterns); !patterns.empty())
                doc.set(kScan, "ScanFor", patterns);
        }
        put(Key::Check1, s.tempFolder == was.tempFolder, kScan, "Check1", bit(s.tempFolder));
        put(Key::Check2, s.cacheFolder == was.cacheFolder, kScan, "Check2", bit(s.cacheFolder));
        put(Key::Check3, s.cookieFolder == was.cookieFolder, kScan, "Check3", bit(s.cookieFolder));
        put(Key::AutoScan, s.autoScan == was.autoScan, kSchedule, "AutoScan", bit(s.autoScan));
        put(Key::CheckHDSpace, s.checkSpace == was.checkSpace, kSchedule, "CheckHDSpace",
            bit(s.checkSpace));
        put(Key::SpaceToCheck, same(s.spaceToCheck, was.spaceToCheck), kSchedule, "SpaceToCheck",
            toDecimal(space));
        if (!kept(Key::OptionChecked, s.kind == was.kind) && s.kind != ScheduleKind::None)
            doc.set(kSchedule, "OptionChecked", toDecimal(static_cast<int>(s.kind)));
        const struct {
            Key key;
            const char* name;
            std::string ScannerSettings::*field;
        } texts[] = {{Key::MinuteInterval, "MinuteInterval", &ScannerSettings::minuteInterval},
                     {Key::HourInterval, "HourInterval", &ScannerSettings::hourInterval},
                     {Key::DayInterval, "DayInterval", &ScannerSettings::dayInterval},
                     {Key::WeekInterval, "WeekInterval", &ScannerSettings::weekInterval},
                     {Key::MonthInterval, "MonthInterval", &ScannerSettings::monthInterval},
                     {Key::HourParameter, "HourParameter", &ScannerSettings::hourParameter}};
        for (const auto& t : texts)
            put(t.key, same(s.*t.field, was.*t.field), kSchedule, t.name, trimControl(s.*t.field));
        put(Key::DayParameter, s.dayHour == was.dayHour && s.dayMinute == was.dayMinute, kSchedule,
            "DayParameter", storedTime(s.dayHour, s.dayMinute));
        put(Key::WeekParameter, s.weekday == was.weekday, kSchedule, "WeekParameter",
            toDecimal(s.weekday));
        put(Key::MonthParameter, same(s.monthParameter, was.monthParameter), kSchedule,
            "MonthParameter", trimControl(s.monthParameter));
    });
    for (std::size_t k : chosen) unread_[k] = false;
}

void SettingsFile::recordDriveIds(const std::string& ids) {
    // Ticks written by hand or by an older version mean from now on the filesystems they name
    // today. Where the file cannot be written they simply keep meaning their positions.
    try {
        store_.writeString(kSettings, "DriveIds", ids);
    } catch (const std::exception&) {
    }
}

void SettingsFile::saveDayParameter(int hour, int minute) {
    store_.writeString(kSchedule, "DayParameter", storedTime(hour, minute));
    if (unread_.size() == kKeyCount) unread_[static_cast<std::size_t>(Key::DayParameter)] = false;
}

}  // namespace ostrevin::dregmoor
