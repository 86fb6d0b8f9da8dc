// The window triggers of the catalogue as the poll needs them on every tick. The file is read on
// every tick, but parsed again only when its bytes differ from the last reading, so a change made
// by any writer (this program, another copy, an editor) is seen at the next tick.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "common/ini_document.h"
#include "common/ini_store.h"
#include "platform/file_system.h"

namespace keyloom {

struct WindowTrigger {
    int number = 0;
    std::string title;     // as stored
    std::string matchKey;  // as titles are compared
    std::string foundHandle;
};

class TriggerList {
  public:
    TriggerList(const ostrevin::IniStore& store, ostrevin::platform::FileSystem& files);

    // The entries 1 to Entries with a non-empty Trigger, in ascending order.
    const std::vector<WindowTrigger>& refresh();

  private:
    void parse(const std::string& text);

    const ostrevin::IniStore& store_;
    ostrevin::platform::FileSystem& files_;
    bool loaded_ = false;
    std::string bytes_;
    std::vector<WindowTrigger> triggers_;
};

// The form in which a window title and a trigger are compared: surrounding characters of code 32
// or lower removed, ASCII letters upper-cased; a window title first cut to its first 249
// characters.
std::string triggerKey(const std::string& trigger);
std::string windowTitleKey(const std::string& title);

// Whether one of the comma-separated decimal elements of the list equals the window; elements that
// are not decimal integers match nothing.
bool foundHandleHas(const std::string& list, unsigned long long window);
// The list without the elements that name one of the windows; other elements stay as they are.
std::string foundHandleWithout(const std::string& list, const std::set<std::uint64_t>& windows);
// The windows the list names, in its order; elements that are not decimal integers are left out.
std::vector<std::uint64_t> foundHandleWindows(const std::string& list);

}  // namespace keyloom
