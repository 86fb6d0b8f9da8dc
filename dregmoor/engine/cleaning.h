// Cleaning found files: "Clean All" and "Clean Selected" on the result list.
//
// A file that could not be cleaned keeps its row and is not counted in "Space Cleaned: "; the
// failures come back so that one message after the run can name how many failed and why.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "dregmoor/engine/scan_result.h"
#include "dregmoor/engine/scanner_settings.h"
#include "platform/file_disposal.h"

namespace ostrevin::dregmoor {

struct CleanFailure {
    std::string path;
    std::string error;
};

struct CleanReport {
    std::int64_t kilobytes = 0;  // of the files cleaned
    std::size_t cleaned = 0;
    std::vector<CleanFailure> failures;
    bool cancelled = false;
    std::string status() const;          // "Space Cleaned: 12k"
    std::string failureMessage() const;  // empty when nothing failed
};

// Called before each file with its position among the files to treat and their count; false
// stops the cleaning (files not yet treated keep their rows).
using CleanCallback = std::function<bool(std::size_t done, std::size_t count)>;

class Cleaner {
  public:
    explicit Cleaner(platform::FileDisposal& disposal) : disposal_(disposal) {}

    // The default destination of the move: "$XDG_DATA_HOME/Ostrevin/Dregmoor/Cleaned"
    // (default "~/.local/share/...").
    static std::string defaultMoveFolder();

    // Treats every row; rows cleaned leave the list, rows that failed stay in their order. Both
    // leave nothing open when they return.
    CleanReport cleanAll(std::vector<ResultRow>& rows, CleanMode mode, const std::string& folder,
                         const CleanCallback& callback = {});
    // Treats the rows whose positions are marked in selected (same length as rows).
    CleanReport cleanSelected(std::vector<ResultRow>& rows, const std::vector<bool>& selected,
                              CleanMode mode, const std::string& folder,
                              const CleanCallback& callback = {});

    // Asked just before each file goes; an error text keeps the file and its row (a Temp file
    // that a program took up again since the scan).
    void setLastLook(std::function<std::string(const ResultRow&)> lastLook) {
        lastLook_ = std::move(lastLook);
    }

    // One file, as the three choices dispose of it. A caller that treats files one by one calls
    // endRun() after the last, so that no folder stays open.
    platform::Disposal dispose(const ResultRow& row, CleanMode mode, const std::string& folder);
    void endRun() { disposal_.endRun(); }

  private:
    platform::FileDisposal& disposal_;
    std::function<std::string(const ResultRow&)> lastLook_;
};

}  // namespace ostrevin::dregmoor
