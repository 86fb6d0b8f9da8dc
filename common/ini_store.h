// INI files read and written key by key, with the private-profile semantics the catalogue and the
// scanner settings rely on. Every call opens and closes the file and nothing is cached, so a
// change made by one part of a program (or by another copy of it) is seen by the next read.
//
// Writes replace the file atomically (temporary file, fsync, rename) under an advisory lock on a
// lock file beside it: a crash leaves the old or the new file, never a torn one, and two running
// copies never lose each other's keys.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/ini_document.h"

namespace ostrevin {

class IniWriteError : public std::runtime_error {
  public:
    explicit IniWriteError(const std::string& fileName);
};

class IniStore {
  public:
    // A bare name resolves to the configuration folder.
    explicit IniStore(const std::string& fileName);

    const std::string& path() const { return path_; }

    std::string readString(std::string_view section, std::string_view key,
                           std::string_view fallback) const;
    int readInteger(std::string_view section, std::string_view key, int fallback) const;
    bool readBool(std::string_view section, std::string_view key, bool fallback) const;
    bool sectionExists(std::string_view section) const;
    std::vector<std::pair<std::string, std::string>> readSectionRaw(std::string_view section) const;

    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, long long value);
    void writeBool(std::string_view section, std::string_view key, bool value);
    void eraseSection(std::string_view section);
    void deleteKey(std::string_view section, std::string_view key);

    // Several edits as one atomic replacement of the file, for operations (renumbering) that
    // must not be seen, or survive a crash, half done.
    void update(const std::function<void(IniDocument&)>& edit);

    IniDocument load() const;

  private:
    std::string path_;
};

}  // namespace ostrevin
