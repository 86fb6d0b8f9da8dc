// libFuzzer target for the scanner's settings reader: any DREGMOOR.INI contents must load without
// a crash, and what a loading that succeeded saves must load back the same.
#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "dregmoor/engine/scanner_settings.h"
#include "platform/fake/fakes.h"

namespace {

std::string folder;

void removeFolder() {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
}

// A folder of this run's own, removed when the run ends.
const std::string& settingsPath() {
    static const std::string path = [] {
        char name[] = "/tmp/settings-fuzz-XXXXXX";
        if (!::mkdtemp(name)) std::abort();
        folder = name;
        std::atexit(removeFolder);
        return folder + "/DREGMOOR.INI";
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ostrevin::dregmoor;
    {
        std::ofstream out(settingsPath(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    ostrevin::platform::FakeClock clock;
    const std::vector<std::string> ids = {"0123456789abcdef", "", "fedcba9876543210"};
    ScannerSettings first;
    SettingsFile file(settingsPath());
    if (file.load(first, ids, clock).error) return 0;
    try {
        file.save(first);
    } catch (const SettingsError&) {
        return 0;  // a threshold that is no number is refused, not saved
    }
    ScannerSettings again;
    SettingsFile reread(settingsPath());
    if (reread.load(again, ids, clock).error || !(again == first)) __builtin_trap();
    return 0;
}
