#include "macros/app/x11_journal_recorder.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/posix/atomic_file.h"
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

}  // namespace

X11JournalRecorder::X11JournalRecorder() : ThreadedJournalRecorder(x11Services()) {}

}  // namespace keyloom
