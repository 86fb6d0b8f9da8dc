#include "dregmoor/engine/scanner.h"

#include <array>
#include <optional>

#include "common/text.h"
#include "dregmoor/engine/wildcard.h"

namespace ostrevin::dregmoor {

namespace {

struct Ticked {
    int position;  // in the pattern list
    Wildcard wildcard;
};

// Collects one root's rows: by pattern in buckets, so that a single walk still gives the rows
// pattern by pattern; for the special folders, every file in one bucket.
class RowCollector : public platform::TreeVisitor {
  public:
    RowCollector(const std::string& root, const std::vector<Ticked>* patterns, int source,
                 ScanProgress& progress, std::size_t rowsBefore, const ScanCallback& callback)
        : root_(root),
          patterns_(patterns),
          source_(source),
          progress_(progress),
          base_(progress),
          rowsBefore_(rowsBefore),
          callback_(callback),
          buckets_(patterns ? patterns->size() : 1) {
        // The last bytes the ticked patterns allow, both letter cases; any byte when one of them
        // leaves it open.
        if (!patterns_) return;
        for (const auto& t : *patterns_) {
            const auto last = static_cast<unsigned char>(t.wildcard.lastByte());
            if (last == 0) {
                anyLastByte_ = true;
                return;
            }
            lastBytes_[last] = true;
            if (last >= 'a' && last <= 'z') lastBytes_[last - 32] = true;
        }
    }

    void skip(std::optional<platform::FolderId> folder) { skipped_ = folder; }
    std::optional<platform::FolderId> skippedFolder() const override { return skipped_; }

    // Temp lists only what the user owns and nobody has touched for a day.
    void keepOnly(std::uint32_t owner, std::int64_t now) {
        owner_ = owner;
        now_ = now;
        filtered_ = true;
    }

    int match(std::string_view name) override {
        if (!patterns_) return 0;
        if (!anyLastByte_ && (name.empty() || !lastBytes_[static_cast<unsigned char>(name.back())]))
            return -1;
        for (std::size_t i = 0; i < patterns_->size(); ++i)
            if ((*patterns_)[i].wildcard.matches(name)) return static_cast<int>(i);
        return -1;
    }

    void found(const std::string& folder, std::string_view name, int tag,
               const platform::FileFacts& facts) override {
        AddFoundFile(folder, name, tag, facts);
    }

    // Appends the row of one found file (to its pattern's bucket) and lets the walk go on.
    void AddFoundFile(const std::string& folder, std::string_view name, int tag,
                      const platform::FileFacts& facts) {
        if (filtered_ && !oldEnoughTemp(facts, owner_, now_)) return;
        ResultRow row;
        row.folder = folder;
        row.name = name;
        row.bytes = facts.size;
        row.pattern = patterns_ ? (*patterns_)[static_cast<std::size_t>(tag)].position : source_;
        row.rootLength = root_.size();
        row.device = facts.device;
        row.inode = facts.inode;
        buckets_[static_cast<std::size_t>(tag)].push_back(std::move(row));
        ++found_;
    }

    bool progress(const platform::WalkProgress& walk) override {
        progress_.folders = base_.folders + walk.folders;
        progress_.files = base_.files + walk.files;
        progress_.folder = walk.folder;
        progress_.rows = rowsBefore_ + found_;
        return !callback_ || callback_(progress_);
    }

    void appendTo(std::vector<ResultRow>& rows) {
        rows.reserve(rows.size() + found_);
        for (auto& bucket : buckets_)
            for (auto& row : bucket) rows.push_back(std::move(row));
    }

  private:
    const std::string& root_;
    const std::vector<Ticked>* patterns_;
    int source_;
    ScanProgress& progress_;
    const ScanProgress base_;
    std::size_t rowsBefore_;
    const ScanCallback& callback_;
    std::vector<std::vector<ResultRow>> buckets_;
    std::array<bool, 256> lastBytes_{};
    bool anyLastByte_ = false;
    std::size_t found_ = 0;
    bool filtered_ = false;
    std::optional<platform::FolderId> skipped_;
    std::uint32_t owner_ = 0;
    std::int64_t now_ = 0;
};

}  // namespace

bool WalkDirectory(platform::FileTree& tree, const std::string& directory,
                   const std::string& pattern, const WalkVisitor& visitor) {
    class OnePattern : public platform::TreeVisitor {
      public:
        OnePattern(const std::string& pattern, const WalkVisitor& visitor)
            : wildcard_(pattern.empty() ? "*.*" : pattern), visitor_(visitor) {}
        int match(std::string_view name) override { return wildcard_.matches(name) ? 0 : -1; }
        void found(const std::string& folder, std::string_view name, int,
                   const platform::FileFacts& facts) override {
            if (going_) going_ = visitor_(folder, name, facts);
        }
        bool progress(const platform::WalkProgress&) override { return going_; }
        bool going_ = true;

      private:
        Wildcard wildcard_;
        const WalkVisitor& visitor_;
    } walk(pattern, visitor);
    const std::string start = directory.empty() ? "./" : directory;
    return tree.walk(start, walk) != platform::WalkEnd::Cancelled && walk.going_;
}

std::string ScanReport::status() const {
    return "Total Files: " + kilobyteText(totalKilobytes(rows));
}

Scanner::Scanner(platform::FileTree& tree, platform::DriveSource& drives, SpecialFolders folders)
    : tree_(tree), drives_(drives), folders_(std::move(folders)) {}

ScanReport Scanner::ScanDrives(bool timed, const ScannerSettings& settings,
                               const std::vector<DriveRow>& driveRows,
                               const ScanCallback& callback) {
    ScanReport report;
    ScanProgress progress;
    std::vector<Ticked> ticked;
    std::string patternStatus = "Scanning: ";
    for (std::size_t i = 0; i < settings.patterns.size(); ++i)
        if (settings.patterns[i].ticked) {
            ticked.push_back({static_cast<int>(i), Wildcard(settings.patterns[i].text)});
            patternStatus += (ticked.size() > 1 ? ", " : "") + settings.patterns[i].text;
        }

    // A timed scan with the free-space condition takes a folder only when its filesystem has at
    // most the threshold free; a failed query counts as nothing free.
    const auto wanted = [&](const std::string& folder) {
        if (!timed || !settings.checkSpace) return true;
        const std::string megs = trimControl(settings.spaceToCheck);
        auto threshold = parseInteger(megs);
        if (!threshold) throw SettingsError("'" + megs + "' is not a valid integer value");
        const std::int64_t freeKb = drives_.freeBytes(folder) / 1024;
        return freeKb <= static_cast<std::int64_t>(*threshold) * 1024;
    };
    const auto moveFolder = tree_.folderId(settings.moveFolder);
    // Walks one root; false when the caller cancelled.
    const auto walk = [&](const std::string& root, const std::vector<Ticked>* patterns, int source,
                          std::string_view status, bool temp) {
        progress.status = status;
        RowCollector collector(root, patterns, source, progress, report.rows.size(), callback);
        if (temp) collector.keepOnly(folders_.user, folders_.nowSeconds);
        collector.skip(moveFolder);
        const bool whole = tree_.walk(root, collector) != platform::WalkEnd::Cancelled;
        progress.folder = root;  // the walk's own path is gone
        collector.appendTo(report.rows);
        progress.rows = report.rows.size();
        return whole;
    };

    // The rows may be older than the mounts (a window open for days): a mount point that shows
    // another filesystem now, or none, is not the drive that was ticked.
    std::optional<std::vector<DriveRow>> now;
    const auto stillThere = [&](const DriveRow& row) {
        if (row.id.empty()) return true;
        if (!now) now = dregmoor::driveRows(drives_);
        for (const auto& r : *now)
            if (r.mountPoint == row.mountPoint) return r.id == row.id;
        return false;
    };
    for (std::size_t d = 0; d < driveRows.size() && !ticked.empty(); ++d) {
        if (d >= settings.drives.size() || !settings.drives[d]) continue;
        if (!stillThere(driveRows[d]) || !wanted(driveRows[d].mountPoint)) continue;
        if (!walk(driveRows[d].mountPoint, &ticked, 0, patternStatus, false)) {
            report.cancelled = true;
            return report;
        }
    }
    struct Special {
        bool on;
        const std::string& folder;
        const std::string& skipped;
        int source;
        const char* status;
    };
    for (const Special& s : {Special{settings.tempFolder, folders_.temp, folders_.tempSkipped,
                                     kTempFolder, "Scanning: Temp"},
                             Special{settings.cacheFolder, folders_.cache, folders_.cacheSkipped,
                                     kCacheFolder, "Scanning: Cache"}}) {
        if (s.on && s.folder.empty() && !s.skipped.empty()) report.skipped.push_back(s.skipped);
        if (!s.on || s.folder.empty() || !wanted(s.folder)) continue;
        if (!walk(s.folder, nullptr, s.source, s.status, s.source == kTempFolder)) {
            report.cancelled = true;
            return report;
        }
    }
    if (settings.cookieFolder) {
        progress.status = "Scanning: Cookies";
        for (const auto& store : folders_.cookies) {
            if (!wanted(store.folder)) continue;
            progress.folder = store.folder;
            auto facts = tree_.regularFile(store.folder, store.name);
            if (!facts) continue;
            ResultRow row;
            const auto slash = store.name.rfind('/');
            row.folder =
                store.folder + (slash == std::string::npos ? "" : store.name.substr(0, slash + 1));
            row.name = slash == std::string::npos ? store.name : store.name.substr(slash + 1);
            row.bytes = facts->size;
            row.pattern = kCookieFolder;
            row.rootLength = store.folder.size();
            row.device = facts->device;
            row.inode = facts->inode;
            report.rows.push_back(std::move(row));
            progress.rows = report.rows.size();
            if (callback && !callback(progress)) {
                report.cancelled = true;
                return report;
            }
        }
    }
    return report;
}

}  // namespace ostrevin::dregmoor
