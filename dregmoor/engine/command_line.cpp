#include "dregmoor/engine/command_line.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "common/ini_store.h"
#include "common/text.h"
#include "dregmoor/engine/cleaning.h"
#include "dregmoor/engine/drive_list.h"
#include "dregmoor/engine/scanner.h"
#include "dregmoor/engine/scanner_settings.h"

namespace ostrevin::dregmoor {

namespace {

// Appends text with the bytes that would break a line-per-file listing escaped, so that a path
// with a tab or newline in it still reads back as one row.
void appendPrintable(std::string& out, std::string_view text) {
    const auto plain = [](unsigned char c) { return c >= 32 && c != 127 && c != '\\'; };
    if (std::all_of(text.begin(), text.end(), plain)) {
        out.append(text);
        return;
    }
    for (unsigned char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else if (c < 32 || c == 127) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02x", c);
            out += buf;
        } else
            out += static_cast<char>(c);
    }
}

// One listing row: the full path, a tab, the size ("12k"), without a temporary string per part.
void appendRow(std::string& out, const ResultRow& row) {
    appendPrintable(out, row.folder);
    appendPrintable(out, row.name);
    out += '\t';
    out += kilobyteText(row.kilobytes());
    out += '\n';
}

struct Options {
    bool drives = false, scan = false, clean = false, help = false, dryRun = false, timed = false;
    std::optional<std::string> moveTo;
    std::vector<std::string> folders;
};

// Parses the switches; an error text when they make no sense.
std::optional<std::string> parse(const std::vector<std::string>& args, Options& o) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&](std::string& into) -> bool {
            if (i + 1 >= args.size() || args[i + 1].empty()) return false;
            into = args[++i];
            return true;
        };
        std::string v;
        if (a == "--drives")
            o.drives = true;
        else if (a == "--scan")
            o.scan = true;
        else if (a == "--clean")
            o.clean = true;
        else if (a == "--help" || a == "-h")
            o.help = true;
        else if (a == "--dry-run")
            o.dryRun = true;
        else if (a == "--timed")
            o.timed = true;
        else if (a == "--move-to") {
            if (!value(v)) return "--move-to needs a folder";
            o.moveTo = v;
        } else if (a == "--folder") {
            if (!value(v)) return "--folder needs a folder";
            o.folders.push_back(v);
        } else {
            return "unknown argument \"" + a + "\"";
        }
    }
    if (o.help) return std::nullopt;
    if (o.drives + o.scan + o.clean > 1) return "give one of --drives, --scan and --clean";
    if ((o.moveTo || o.dryRun) && !o.clean) return "--move-to and --dry-run go with --clean";
    if ((!o.folders.empty() || o.timed) && !o.scan && !o.clean)
        return "--folder and --timed go with --scan or --clean";
    return std::nullopt;
}

int listDrives(CommandLineContext& c, std::ostream& out) {
    const auto rows = driveRows(c.drives);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::int64_t bytes = c.drives.freeBytes(rows[i].mountPoint);
        out << i << '\t' << rows[i].caption << '\t' << rows[i].mountPoint << '\t'
            << (bytes < 0 ? std::string("unknown") : toDecimal(bytes / (1024 * 1024)) + " MB free")
            << '\n';
    }
    return kExitOk;
}

const char* verb(CleanMode mode, bool dryRun) {
    switch (mode) {
        case CleanMode::Delete: return dryRun ? "would delete" : "deleted";
        case CleanMode::MoveToFolder: return dryRun ? "would move" : "moved";
        case CleanMode::Recycle: break;
    }
    return dryRun ? "would trash" : "trashed";
}

int clean(CommandLineContext& c, std::vector<ResultRow>& rows, CleanMode mode,
          const std::string& folder, bool dryRun, std::ostream& out, std::ostream& err) {
    if (dryRun) {
        for (const auto& row : rows)
            out << verb(mode, true) << '\t' << printablePath(row.fullPath()) << '\t'
                << row.sizeText() << '\n';
        out << "Space Cleaned: " << kilobyteText(0) << " (dry run; "
            << kilobyteText(totalKilobytes(rows)) << " would be cleaned)\n";
        return kExitOk;
    }
    Cleaner cleaner(c.disposal);
    cleaner.setLastLook(tempAgeCheck(c.tree, c.folders.user,
                                     [] { return static_cast<std::int64_t>(std::time(nullptr)); }));
    CleanReport report;
    std::string line;  // one buffer for all the lines, so a line costs no allocation
    for (auto& row : rows) {
        const auto outcome = cleaner.dispose(row, mode, folder);
        if (outcome.ok) {
            report.kilobytes += row.kilobytes();
            ++report.cleaned;
            line.assign(verb(mode, false));
            line += '\t';
            appendPrintable(line, row.folder);
            appendPrintable(line, row.name);
            line += '\t';
            line += kilobyteText(row.kilobytes());
            if (mode == CleanMode::MoveToFolder) {
                line += '\t';
                appendPrintable(line, outcome.destination);
            }
            line += '\n';
            out.write(line.data(), static_cast<std::streamsize>(line.size()));
        } else {
            report.failures.push_back({row.fullPath(), outcome.error});
            err << "not cleaned\t" << printablePath(row.fullPath()) << '\t' << outcome.error
                << '\n';
        }
    }
    cleaner.endRun();
    out << report.status() << '\n';
    if (!report.failures.empty()) err << report.failureMessage() << '\n';
    return report.failures.empty() ? kExitOk : kExitSomeFailed;
}

int scanAndMaybeClean(const Options& o, CommandLineContext& c, std::ostream& out,
                      std::ostream& err) {
    SettingsFile file(c.settingsFile);
    const auto rows = driveRows(c.drives);
    ScannerSettings settings;
    const LoadOutcome loaded = file.load(settings, driveIds(rows), c.clock, false);
    if (loaded.error) {
        err << "dregmoor: the settings in " << file.store().path()
            << " cannot be used: " << *loaded.error << '\n';
        return kExitUnusable;
    }
    std::vector<DriveRow> scanned = rows;
    SpecialFolders folders = c.folders;
    if (!o.folders.empty()) {  // only the named folders, instead of the drives and special folders
        scanned.clear();
        for (const auto& given : o.folders) {
            // Absolute, so that trashed files record where they came from.
            const std::string f = std::filesystem::absolute(given).lexically_normal().string();
            scanned.push_back({'a', f, f.ends_with('/') ? f : f + "/"});
        }
        settings.drives.assign(scanned.size(), true);
        settings.tempFolder = settings.cacheFolder = settings.cookieFolder = false;
    }
    const std::string folder = o.moveTo ? *o.moveTo : Cleaner::defaultMoveFolder();
    settings.moveFolder = folder;
    Scanner scanner(c.tree, c.drives, folders);
    ScanReport report;
    try {
        report = scanner.ScanDrives(o.timed, settings, scanned, {});
    } catch (const std::exception& e) {
        err << "dregmoor: " << e.what() << '\n';
        return kExitUnusable;
    }
    for (const auto& skipped : report.skipped) err << "dregmoor: " << skipped << '\n';
    if (o.scan) {
        std::string text;
        text.reserve(report.rows.size() * 64);
        for (const auto& row : report.rows) appendRow(text, row);
        out << text << report.status() << '\n';
        return kExitOk;
    }
    return clean(c, report.rows, settings.cleanMode, folder, o.dryRun, out, err);
}

}  // namespace

std::string commandLineHelp() {
    return "Usage: dregmoor [--drives | --scan | --clean [--move-to FOLDER] [--dry-run]]\n"
           "                [--folder FOLDER]... [--timed]\n"
           "\n"
           "Without these switches the scanner starts in the notification area.\n"
           "\n"
           "  --drives           list the drives: position, caption, mount point, free space;\n"
           "                     tick drives by their positions in Drives= of DREGMOOR.INI\n"
           "  --scan             scan as the window would and print each found file (path, a tab,\n"
           "                     the size in kilobytes), then the total line\n"
           "  --clean            scan, then clean the found files the stored way (trash, delete,\n"
           "                     or move) and print what was done\n"
           "  --move-to FOLDER   the folder for the move choice (default: " +
           Cleaner::defaultMoveFolder() +
           ")\n"
           "  --dry-run          with --clean: print what would be cleaned, touch nothing\n"
           "  --folder FOLDER    scan only this folder (repeatable) with the ticked patterns,\n"
           "                     instead of the ticked drives and the special folders\n"
           "  --timed            apply the free-space condition of timed scans\n"
           "  --help             show this text\n"
           "\n"
           "Exit status: 0 all went well, 1 some files could not be cleaned, 2 unusable settings\n"
           "or arguments.\n";
}

std::string printablePath(const std::string& path) {
    std::string out;
    out.reserve(path.size());
    appendPrintable(out, path);
    return out;
}

std::optional<int> runCommandLine(const std::vector<std::string>& args, CommandLineContext& c,
                                  std::ostream& out, std::ostream& err) {
    // The session manager restarts the tray program with "-session ID" and the toolkit takes
    // "-platform NAME": only a switch of ours asks for a script run. Once one is given, every
    // argument must be ours, so that a mistyped "--dry-run" never cleans for real.
    static const std::string_view kOwn[] = {"--drives",  "--scan",  "--clean",   "--help",  "-h",
                                            "--dry-run", "--timed", "--move-to", "--folder"};
    const bool ours = std::any_of(args.begin(), args.end(), [](const std::string& a) {
        return std::find(std::begin(kOwn), std::end(kOwn), a) != std::end(kOwn);
    });
    if (!ours) return std::nullopt;
    Options o;
    if (auto problem = parse(args, o)) {
        err << "dregmoor: " << *problem << "\n\n" << commandLineHelp();
        return kExitUnusable;
    }
    if (o.help) {
        out << commandLineHelp();
        return kExitOk;
    }
    if (o.drives) return listDrives(c, out);
    if (o.scan || o.clean) return scanAndMaybeClean(o, c, out, err);
    return std::nullopt;
}

}  // namespace ostrevin::dregmoor
