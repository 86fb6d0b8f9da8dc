// The program's journal recorder: capture and replay on the X server, finishes delivered on the
// user-interface thread through Qt's event loop.
#pragma once

#include "macros/playback/threaded_journal_recorder.h"

namespace keyloom {

class X11JournalRecorder : public ThreadedJournalRecorder {
  public:
    // wayland: plays back through the compositor's virtual keyboard and pointer instead, and
    // records nothing (a Wayland program cannot capture).
    explicit X11JournalRecorder(bool wayland = false);
};

}  // namespace keyloom
