// libFuzzer target for the scanner's settings reader: any DREGMOOR.INI contents must load without
// a crash, and once saved, the settings must load back the same at every further save.
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

// A folder of this run's own, removed when the run ends (a crash leaves it to the script).
const std::string& settingsPath() {
    static const std::string path = [] {
        std::string name = std::filesystem::temp_directory_path() / "settings-fuzz-XXXXXX";
        if (!::mkdtemp(name.data())) std::abort();
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
    // The first save may tidy what a hand-edited file holds (a carriage return inside a value
    // is written as a blank); from then on saving and loading must change nothing.
    ScannerSettings loaded[3];
    for (int round = 0; round < 3; ++round) {
        SettingsFile file(settingsPath());
        const bool failed = file.load(loaded[round], ids, clock).error.has_value();
        if (failed && round == 0) return 0;
        if (failed) __builtin_trap();
        try {
            file.save(loaded[round]);
        } catch (const SettingsError&) {
            return 0;  // a threshold that is no number is refused, not saved
        }
    }
    if (!(loaded[2] == loaded[1])) __builtin_trap();
    return 0;
}
