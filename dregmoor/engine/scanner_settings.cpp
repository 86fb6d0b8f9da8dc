#include "dregmoor/engine/scanner_settings.h"

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
    LoadOutcome outcome;
    try {
        if (startsWindow && store_.readInteger("Main", "FirstRun", 1) == 1) {
            outcome.firstRun = true;
            store_.writeInteger("Main", "FirstRun", 0);
        }
        s.autoErase = store_.readBool(kSettings, "AutoErase", false);
        s.drives = parseDrives(store_.readString(kSettings, "Drives", ""), driveCount);
        const int option = store_.readInteger(kSettings, "DeleteOption", 1);
        if (option >= 1 && option <= 3) s.cleanMode = static_cast<CleanMode>(option);
        s.patterns = parsePatterns(store_.readString(kScan, "ScanFor", ""));
        s.tempFolder = store_.readBool(kScan, "Check1", true);
        s.cacheFolder = store_.readBool(kScan, "Check2", true);
        s.cookieFolder = store_.readBool(kScan, "Check3", true);
        s.autoScan = store_.readBool(kSchedule, "AutoScan", true);
        s.checkSpace = store_.readBool(kSchedule, "CheckHDSpace", false);
        s.spaceToCheck = toDecimal(store_.readInteger(kSchedule, "SpaceToCheck", 100));
        const int kind = store_.readInteger(kSchedule, "OptionChecked", 1);
        s.kind = kind >= 1 && kind <= 5 ? static_cast<ScheduleKind>(kind) : ScheduleKind::None;
        s.minuteInterval = textNumber(store_, "MinuteInterval", "30");
        s.hourInterval = textNumber(store_, "HourInterval", "5");
        s.dayInterval = textNumber(store_, "DayInterval", "5");
        s.weekInterval = textNumber(store_, "WeekInterval", "1");
        s.monthInterval = textNumber(store_, "MonthInterval", "1");
        s.hourParameter = textNumber(store_, "HourParameter", "30");
        const auto now = clock.now();
        const std::string day =
            store_.readString(kSchedule, "DayParameter", storedTime(now.hour, now.minute));
        auto time = parseStoredTime(day);
        if (!time) throw SettingsError("'" + trimControl(day) + "' is not a valid time");
        s.dayHour = static_cast<int>(*time / 3'600'000);
        s.dayMinute = static_cast<int>(*time / 60'000 % 60);
        const int weekday = store_.readInteger(kSchedule, "WeekParameter", 0);
        s.weekday = weekday >= 1 && weekday <= 7 ? weekday : 0;
        s.monthParameter = store_.readString(kSchedule, "MonthParameter", "1");
    } catch (const std::exception& e) {
        outcome.error = e.what();
    }
    return outcome;
}

void SettingsFile::save(const ScannerSettings& s) {
    const std::string megs = trimControl(s.spaceToCheck);
    const int space = checkedNumber(megs);
    store_.update([&](IniDocument& doc) {
        doc.set(kSettings, "AutoErase", s.autoErase ? "1" : "0");
        doc.removeKey(kSettings, "Drives");
        if (auto drives = drivesValue(s.drives); !drives.empty())
            doc.set(kSettings, "Drives", drives);
        doc.set(kSettings, "DeleteOption", toDecimal(static_cast<int>(s.cleanMode)));
        doc.removeKey(kScan, "ScanFor");
        if (auto patterns = patternsValue(s.patterns); !patterns.empty())
            doc.set(kScan, "ScanFor", patterns);
        doc.set(kScan, "Check1", s.tempFolder ? "1" : "0");
        doc.set(kScan, "Check2", s.cacheFolder ? "1" : "0");
        doc.set(kScan, "Check3", s.cookieFolder ? "1" : "0");
        doc.set(kSchedule, "AutoScan", s.autoScan ? "1" : "0");
        doc.set(kSchedule, "CheckHDSpace", s.checkSpace ? "1" : "0");
        doc.set(kSchedule, "SpaceToCheck", toDecimal(space));
        if (s.kind != ScheduleKind::None)
            doc.set(kSchedule, "OptionChecked", toDecimal(static_cast<int>(s.kind)));
        doc.set(kSchedule, "MinuteInterval", trimControl(s.minuteInterval));
        doc.set(kSchedule, "HourInterval", trimControl(s.hourInterval));
        doc.set(kSchedule, "DayInterval", trimControl(s.dayInterval));
        doc.set(kSchedule, "WeekInterval", trimControl(s.weekInterval));
        doc.set(kSchedule, "MonthInterval", trimControl(s.monthInterval));
        doc.set(kSchedule, "HourParameter", trimControl(s.hourParameter));
        doc.set(kSchedule, "DayParameter", storedTime(s.dayHour, s.dayMinute));
        doc.set(kSchedule, "WeekParameter", toDecimal(s.weekday));
        doc.set(kSchedule, "MonthParameter", trimControl(s.monthParameter));
    });
}

void SettingsFile::saveDayParameter(int hour, int minute) {
    store_.writeString(kSchedule, "DayParameter", storedTime(hour, minute));
}

}  // namespace ostrevin::dregmoor
