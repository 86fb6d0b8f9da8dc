#include "macros/app/x11_journal_recorder.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/posix/atomic_file.h"
#include "platform/wayland/wayland_input_replay.h"
#include "platform/x11/x11_journal.h"

namespace keyloom {

namespace {

std::optional<std::string> readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return content.str();
}

JournalRecorderServices x11Services() {
    return {[] {
                return std::unique_ptr<ostrevin::platform::RawInputCapture>(
                    ostrevin::platform::X11InputCapture::open());
            },
            [] {
                return std::unique_ptr<ostrevin::platform::RawInputReplay>(
                    ostrevin::platform::X11InputReplay::open());
            },
            readWholeFile,
            ostrevin::platform::writeFileAtomically,
            [](std::function<void()> call) {
                QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(call),
                                          Qt::QueuedConnection);
            },
            [](const std::string& message) { std::fprintf(stderr, "%s\n", message.c_str()); }};
}

JournalRecorderServices services(bool wayland) {
    JournalRecorderServices s = x11Services();
    if (wayland) {
        s.openCapture = [] { return std::unique_ptr<ostrevin::platform::RawInputCapture>(); };
        s.openReplay = [] {
            return std::unique_ptr<ostrevin::platform::RawInputReplay>(
                ostrevin::platform::WaylandInputReplay::open());
        };
    }
    return s;
}

}  // namespace

X11JournalRecorder::X11JournalRecorder(bool wayland) : ThreadedJournalRecorder(services(wayland)) {}

}  // namespace keyloom
