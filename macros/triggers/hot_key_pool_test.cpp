#include "macros/triggers/hot_key_pool.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "common/test_folder.h"
#include "platform/fake/fakes.h"

namespace keyloom {
namespace {

using ostrevin::platform::FakeHotKeys;
using ostrevin::platform::FakeMessagePump;

constexpr unsigned kShiftCtrl = ostrevin::platform::kModShift | ostrevin::platform::kModControl;

struct PoolFixture {
    ostrevin::TestFolder folder;
    ostrevin::IniStore store{folder.path() + "/macros.ini"};
    ostrevin::platform::FakeFileSystem files;
    MacroCatalogue catalogue{store, "/prog/", files};
    FakeHotKeys keys;
    FakeMessagePump pump;
    HotKeyRouter router{keys};
    std::vector<int> runs;
    std::function<void(int)> onRun;
    HotKeyPool pool{router, catalogue, pump, [this](int n) {
                        runs.push_back(n);
                        if (onRun) onRun(n);
                    }};

    void macros(const std::vector<std::string>& hotKeys) {
        store.update([&](ostrevin::IniDocument& doc) {
            doc.set("Main", "Entries", std::to_string(hotKeys.size()));
            for (std::size_t i = 0; i < hotKeys.size(); ++i) {
                const std::string section = MacroCatalogue::section(static_cast<int>(i) + 1);
                doc.set(section, "Name", "M" + std::to_string(i + 1));
                doc.set(section, "Type", "4");
                if (!hotKeys[i].empty()) doc.set(section, "HotKey", hotKeys[i]);
            }
        });
    }
    int idOf(int slot) { return pool.EPHotKey(slot).id(); }
    // Slot number -> (modifiers, key) of what the platform holds.
    std::map<int, std::pair<unsigned, std::uint8_t>> held() {
        std::map<int, std::pair<unsigned, std::uint8_t>> out;
        for (int n = 0; n <= HotKeyPool::kSlots; ++n)
            if (keys.registered.count(idOf(n))) out[n] = keys.registered[idOf(n)];
        return out;
    }
};

using Held = std::map<int, std::pair<unsigned, std::uint8_t>>;

TEST(HotKeyPool, RegistersTheCatalogueKeys) {
    const std::string shiftCtrlK = "24651";  // 0x6000 + 'K'
    struct Case {
        const char* what;
        std::vector<std::string> hotKeys;
        std::set<std::pair<unsigned, std::uint8_t>> taken;
        Held expected;
    };
    const std::vector<Case> cases = {
        {"no macros", {}, {}, {}},
        {"one key", {"", shiftCtrlK}, {}, {{2, {kShiftCtrl, 'K'}}}},
        {"the lowest number owns a shared key",
         {"", shiftCtrlK, "0x604B"},
         {},
         {{2, {kShiftCtrl, 'K'}}}},
        {"Alt+F1", {"32880"}, {}, {{1, {ostrevin::platform::kModAlt, 0x70}}}},
        {"junk and out-of-range values name no key", {"abc", "70000", "-5"}, {}, {}},
        {"a key held by another program",
         {shiftCtrlK, "24652"},
         {{kShiftCtrl, 'K'}},
         {{2, {kShiftCtrl, 'L'}}}},
    };
    for (const Case& c : cases) {
        PoolFixture f;
        f.keys.takenElsewhere = c.taken;
        f.macros(c.hotKeys);
        EXPECT_EQ(f.pool.LoadHotKeys(), !c.hotKeys.empty()) << c.what;
        EXPECT_EQ(f.held(), c.expected) << c.what;
        std::vector<int> ascending = f.keys.attempts;
        std::sort(ascending.begin(), ascending.end());
        EXPECT_EQ(f.keys.attempts, ascending) << c.what;
    }
}

TEST(HotKeyPool, SlotsAboveAHundredRegisterNothing) {
    PoolFixture f;
    std::vector<std::string> keys(101, "");
    keys[99] = "24650";   // macro 100: Shift+Ctrl+J
    keys[100] = "24651";  // macro 101
    f.macros(keys);
    f.pool.LoadHotKeys();
    EXPECT_EQ(f.held(), (Held{{100, {kShiftCtrl, 'J'}}}));
    EXPECT_EQ(f.catalogue.listRows([](std::uint8_t) { return std::string(); })[100].shortcut,
              "Shift+Ctrl+K");
}

TEST(HotKeyPool, ReloadingFollowsTheNumberingAfterADelete) {
    PoolFixture f;
    f.macros({"24641", "24642", "24643", "24644", "24645"});  // Shift+Ctrl+A to E
    f.pool.LoadHotKeys();
    f.catalogue.remove(3, "M3");
    f.pool.LoadHotKeys();
    EXPECT_EQ(f.held(), (Held{{1, {kShiftCtrl, 'A'}},
                              {2, {kShiftCtrl, 'B'}},
                              {3, {kShiftCtrl, 'D'}},
                              {4, {kShiftCtrl, 'E'}}}));
    f.keys.press(f.idOf(3));
    EXPECT_EQ(f.runs, std::vector<int>{3});
}

TEST(HotKeyPool, PressesRunTheirMacroOnlyWhenFree) {
    struct Case {
        const char* what;
        bool editing;
        int slot;
        std::vector<int> expected;
    };
    const std::vector<Case> cases = {
        {"a free press", false, 2, {2}},
        {"while a macro is edited", true, 2, {}},
        {"object 0 runs nothing", false, 0, {}},
    };
    for (const Case& c : cases) {
        PoolFixture f;
        f.macros({"24641", "24642"});
        f.pool.LoadHotKeys();
        f.pool.EPHotKey(0).setHotKey(24699);
        f.pool.EditingMacro = c.editing;
        f.keys.press(f.idOf(c.slot));
        EXPECT_EQ(f.runs, c.expected) << c.what;
        EXPECT_FALSE(f.pool.HotKeyBusy) << c.what;
    }
}

TEST(HotKeyPool, APressDuringARunIsDroppedAndTheNextOneWorks) {
    PoolFixture f;
    f.macros({"24641", "24642"});
    f.pool.LoadHotKeys();
    f.onRun = [&](int n) {
        if (n == 1) f.keys.press(f.idOf(2));  // the user presses macro 2's key meanwhile
    };
    f.keys.press(f.idOf(1));
    EXPECT_EQ(f.runs, std::vector<int>{1});
    f.onRun = [](int) { throw std::runtime_error("Cannot open file /prog/M2.key"); };
    f.keys.press(f.idOf(2));
    EXPECT_FALSE(f.pool.HotKeyBusy);
    f.onRun = nullptr;
    f.keys.press(f.idOf(1));
    EXPECT_EQ(f.runs, (std::vector<int>{1, 2, 1}));
}

TEST(HotKeyPool, WaitsUntilTheKeysAreUpWithoutSpinning) {
    struct Case {
        const char* what;
        bool releasesWake;
        int heldFor;
        int waits;
        int pumps;
    };
    const std::vector<Case> cases = {
        {"nothing held", true, 0, 0, 1},
        {"held for three checks, woken by releases", true, 3, 3, 4},
        {"held for three checks, no wake-up promised", false, 3, 0, 4},
    };
    for (const Case& c : cases) {
        PoolFixture f;
        f.macros({"24651"});
        f.pool.LoadHotKeys();
        f.keys.releasesWake = c.releasesWake;
        f.keys.heldForChecks = c.heldFor;
        int pumpsAtRun = -1;
        bool busyInPump = true;
        f.pump.onPump = [&] { busyInPump = busyInPump && f.pool.HotKeyBusy; };
        f.onRun = [&](int) {
            pumpsAtRun = f.pump.count;
            EXPECT_EQ(f.keys.heldForChecks, 0) << c.what;
        };
        f.keys.press(f.idOf(1));
        EXPECT_EQ(f.runs, std::vector<int>{1}) << c.what;
        EXPECT_EQ(f.pump.waits, c.waits) << c.what;
        EXPECT_EQ(pumpsAtRun, c.pumps) << c.what;
        EXPECT_TRUE(busyInPump) << c.what << ": a press in the wait would start a second run";
        EXPECT_EQ(f.keys.watchDepth, 0) << c.what;
    }
}

TEST(TEPHotKey, RegistersWhatItShowsAndOnlyWhileEnabled) {
    FakeHotKeys keys;
    HotKeyRouter router{keys};
    std::vector<std::pair<std::uint8_t, std::uint16_t>> presses;
    auto hotKey = std::make_unique<TEPHotKey>(router);
    TEPHotKey other(router);
    EXPECT_NE(hotKey->id(), other.id());
    hotKey->OnHotKey = [&](TEPHotKey&, std::uint8_t key, std::uint16_t shift) {
        presses.push_back({key, shift});
    };
    hotKey->setEnabled(false);
    hotKey->setHotKey(24699);  // Shift+Ctrl+F12
    EXPECT_TRUE(keys.registered.empty());
    hotKey->setEnabled(true);
    EXPECT_TRUE(hotKey->Registered());
    keys.press(hotKey->id());
    EXPECT_EQ(presses, (std::vector<std::pair<std::uint8_t, std::uint16_t>>{{0x7B, 0x6000}}));
    hotKey->setHotKey(0x8000 | 'Q');  // straight to another key: the old one is let go
    EXPECT_EQ(keys.registered.size(), 1u);
    EXPECT_EQ(keys.registered[hotKey->id()],
              std::make_pair(unsigned{ostrevin::platform::kModAlt}, std::uint8_t{'Q'}));
    hotKey->Global = false;
    keys.press(hotKey->id());
    router.applicationActive = [] { return true; };
    keys.press(hotKey->id());
    EXPECT_EQ(presses.size(), 2u);
    hotKey.reset();
    EXPECT_TRUE(keys.registered.empty());
}

TEST(TEPHotKey, AnErrorInTheHandlerIsShownAndTheProgramGoesOn) {
    FakeHotKeys keys;
    HotKeyRouter router{keys};
    std::vector<std::string> shown;
    router.showError = [&](const std::string& message) { shown.push_back(message); };
    TEPHotKey hotKey(router);
    hotKey.setHotKey(24651);
    hotKey.OnHotKey = [](TEPHotKey&, std::uint8_t, std::uint16_t) {
        throw std::runtime_error("Cannot open file x.key");
    };
    keys.press(hotKey.id());
    EXPECT_EQ(shown, std::vector<std::string>{"Cannot open file x.key"});
}

}  // namespace
}  // namespace keyloom
