// Seams for the window tests: one drive at a folder of the test, a real tree walk that counts its
// walks (and can act while one runs), and real disposal that refuses chosen names.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/drives.h"
#include "platform/file_disposal.h"
#include "platform/file_tree.h"
#include "platform/posix/posix_file_disposal.h"
#include "platform/posix/posix_file_tree.h"

namespace ostrevin::dregmoor {

class FakeDrives : public platform::DriveSource {
  public:
    std::vector<platform::MountedDrive> drives;
    std::int64_t free = 1 << 30;
    std::vector<platform::MountedDrive> mountedDrives() override { return drives; }
    std::int64_t freeBytes(const std::string&) override { return free; }
};

class CountingTree : public platform::FileTree {
  public:
    int walks = 0;
    std::function<void()> whileWalking;  // runs inside every progress call of a walk
    platform::WalkEnd walk(const std::string& root, platform::TreeVisitor& visitor) override {
        ++walks;
        Hook hook(visitor, whileWalking);
        return real_.walk(root, hook);
    }
    std::optional<platform::FileFacts> regularFile(const std::string& root,
                                                   const std::string& relative) override {
        return real_.regularFile(root, relative);
    }

  private:
    struct Hook : platform::TreeVisitor {
        Hook(platform::TreeVisitor& inner, std::function<void()>& action)
            : inner_(inner), action_(action) {}
        int match(std::string_view name) override { return inner_.match(name); }
        void found(const std::string& folder, std::string_view name, int tag,
                   const platform::FileFacts& facts) override {
            inner_.found(folder, name, tag, facts);
        }
        bool progress(const platform::WalkProgress& progress) override {
            if (action_) action_();
            return inner_.progress(progress);
        }
        platform::TreeVisitor& inner_;
        std::function<void()>& action_;
    };
    platform::PosixFileTree real_;
};

class RefusingDisposal : public platform::FileDisposal {
  public:
    std::string refusedName;  // a file of this name fails to go
    platform::Disposal trash(const platform::FileRef& f) override {
        return refused(f) ? no() : real_.trash(f);
    }
    platform::Disposal remove(const platform::FileRef& f) override {
        return refused(f) ? no() : real_.remove(f);
    }
    platform::Disposal moveTo(const platform::FileRef& f, const std::string& folder) override {
        return refused(f) ? no() : real_.moveTo(f, folder);
    }

  private:
    bool refused(const platform::FileRef& f) const {
        return !refusedName.empty() && f.relative.size() >= refusedName.size() &&
               f.relative.compare(f.relative.size() - refusedName.size(), refusedName.size(),
                                  refusedName) == 0;
    }
    static platform::Disposal no() { return {false, "Device or resource busy", {}}; }
    platform::PosixFileDisposal real_;
};

}  // namespace ostrevin::dregmoor
