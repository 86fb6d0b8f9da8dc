// One scan: every file on the ticked drives that matches a ticked pattern, then the files of the
// ticked special folders (Temp, cache, cookies).
//
// Each drive is walked once for all its patterns, yet the rows come in the order the list shows
// them: all rows of the first ticked pattern on a drive (in walk order), then those of the
// second, and so on; a file that matches several patterns is listed once, under the first.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "dregmoor/engine/drive_list.h"
#include "dregmoor/engine/scan_result.h"
#include "dregmoor/engine/scanner_settings.h"
#include "dregmoor/engine/special_folders.h"
#include "platform/drives.h"
#include "platform/file_tree.h"

namespace ostrevin::dregmoor {

struct ScanProgress {
    std::uint64_t folders = 0;  // folders entered so far, all roots together
    std::uint64_t files = 0;    // other names seen so far
    std::string_view folder;    // the folder being read
    std::string_view status;    // the third status panel: "Scanning: *.tmp", "Scanning: Temp"
    std::size_t rows = 0;       // rows found so far (appended to the result at each root's end)
};

// Called when each folder is entered and every few dozen names, so the window can let its events
// run; returning false cancels the scan (the rows found until then stay).
using ScanCallback = std::function<bool(const ScanProgress&)>;

struct ScanReport {
    std::vector<ResultRow> rows;
    bool cancelled = false;
    std::vector<std::string> skipped;  // ticked special folders not scanned, and why
    std::string status() const;        // "Total Files: 12k"
};

// The walk of one folder tree for one pattern: visitor(folder, name, facts) for each matching
// regular file, the matches of a folder before its subfolders; returning false ends the whole
// walk. An empty directory is the current folder, an empty pattern "*.*". True when the walk
// went to its end.
using WalkVisitor = std::function<bool(const std::string& folder, std::string_view name,
                                       const platform::FileFacts& facts)>;
bool WalkDirectory(platform::FileTree& tree, const std::string& directory,
                   const std::string& pattern, const WalkVisitor& visitor);

class Scanner {
  public:
    Scanner(platform::FileTree& tree, platform::DriveSource& drives, SpecialFolders folders);

    // timed: the schedule started it, so with checkSpace on a drive is scanned only when its
    // free space is at most spaceToCheck megabytes. Throws SettingsError when that threshold is
    // not a number (only then is it read).
    ScanReport ScanDrives(bool timed, const ScannerSettings& settings,
                          const std::vector<DriveRow>& driveRows, const ScanCallback& callback);

  private:
    platform::FileTree& tree_;
    platform::DriveSource& drives_;
    SpecialFolders folders_;
};

}  // namespace ostrevin::dregmoor
