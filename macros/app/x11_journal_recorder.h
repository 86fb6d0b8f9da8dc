// The program's journal recorder: capture and replay on the X server, finishes delivered on the
// user-interface thread through Qt's event loop.
#pragma once

#include "macros/playback/threaded_journal_recorder.h"

namespace keyloom {

class X11JournalRecorder : public ThreadedJournalRecorder {
  public:
    X11JournalRecorder();
};

}  // namespace keyloom
