// Stands in for the journal recorder until recording and playback of raw input arrive: a playback
// ends at once, as cancelled, so that nothing waits for it.
#pragma once

#include <QTimer>
#include <cstdio>

#include "macros/playback/journal_recorder.h"

namespace keyloom {

class NoJournalRecorder : public TOlejrnl {
  public:
    void StartRecording() override {}
    void StopRecording() override {}
    void StartPlayBack() override {
        std::fprintf(stderr, "Keyloom: playing back %s is not available in this version\n",
                     PlayBackFileName.c_str());
        QTimer::singleShot(0, [this] {
            if (OnFinished) OnFinished(true);
        });
    }
};

}  // namespace keyloom
