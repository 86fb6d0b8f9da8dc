#include "dregmoor/engine/cleaning.h"

#include <algorithm>
#include <cstdlib>
#include <map>

#include "common/text.h"

namespace ostrevin::dregmoor {

std::string CleanReport::status() const {
    return "Space Cleaned: " + kilobyteText(kilobytes);
}

std::string CleanReport::failureMessage() const {
    if (failures.empty()) return "";
    // The reasons, most frequent first, so a long run reads as one sentence.
    std::map<std::string, std::size_t> reasons;
    for (const auto& f : failures) ++reasons[f.error];
    std::vector<std::pair<std::size_t, std::string>> ordered;
    for (const auto& [reason, count] : reasons) ordered.push_back({count, reason});
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    std::string text = failures.size() == 1
                           ? "1 file could not be cleaned: " + failures.front().path + ": " +
                                 failures.front().error + "."
                           : toDecimal(static_cast<long long>(failures.size())) +
                                 " files could not be cleaned and stay in the list:";
    if (failures.size() > 1)
        for (const auto& [count, reason] : ordered)
            text += "\n" + reason + ": " + toDecimal(static_cast<long long>(count)) +
                    (count == 1 ? " file" : " files") + " (for example " +
                    [&] {
                        for (const auto& f : failures)
                            if (f.error == reason) return f.path;
                        return std::string();
                    }() +
                    ")";
    return text;
}

std::string Cleaner::defaultMoveFolder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    std::string base;
    if (data && *data == '/') {
        base = data;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home ? home : "") + "/.local/share";
    }
    return base + "/Ostrevin/Dregmoor/Cleaned";
}

platform::Disposal Cleaner::dispose(const ResultRow& row, CleanMode mode,
                                    const std::string& folder) {
    if (lastLook_)
        if (std::string why = lastLook_(row); !why.empty()) return {false, std::move(why), {}};
    switch (mode) {
        case CleanMode::Delete: return disposal_.remove(row.fileRef());
        case CleanMode::MoveToFolder: return disposal_.moveTo(row.fileRef(), folder);
        case CleanMode::Recycle: break;
    }
    return disposal_.trash(row.fileRef());
}

CleanReport Cleaner::cleanAll(std::vector<ResultRow>& rows, CleanMode mode,
                              const std::string& folder, const CleanCallback& callback) {
    return cleanSelected(rows, std::vector<bool>(rows.size(), true), mode, folder, callback);
}

CleanReport Cleaner::cleanSelected(std::vector<ResultRow>& rows, const std::vector<bool>& selected,
                                   CleanMode mode, const std::string& folder,
                                   const CleanCallback& callback) {
    // Also when the callback throws: a window that shows an error must not keep the drive busy.
    struct EndsRun {
        platform::FileDisposal& disposal;
        ~EndsRun() { disposal.endRun(); }
    } endsRun{disposal_};
    CleanReport report;
    std::size_t count = 0;
    for (std::size_t i = 0; i < rows.size() && i < selected.size(); ++i) count += selected[i];
    std::vector<ResultRow> kept;
    kept.reserve(rows.size());
    std::size_t done = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const bool chosen = i < selected.size() && selected[i] && !report.cancelled;
        if (chosen && callback && !callback(done, count)) report.cancelled = true;
        if (!chosen || report.cancelled) {
            kept.push_back(std::move(rows[i]));
            continue;
        }
        ++done;
        const auto outcome = dispose(rows[i], mode, folder);
        if (outcome.ok) {
            report.kilobytes += rows[i].kilobytes();
            ++report.cleaned;
        } else {
            report.failures.push_back({rows[i].fullPath(), outcome.error});
            kept.push_back(std::move(rows[i]));
        }
    }
    rows = std::move(kept);
    return report;
}

}  // namespace ostrevin::dregmoor
