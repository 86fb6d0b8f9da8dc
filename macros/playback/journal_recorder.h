// The journal recorder: records raw keyboard and mouse input into a file and plays it back.
// Playback and recording run on while events are processed; OnFinished reports the end of each
// playback, completed or cancelled.
#pragma once

#include <functional>
#include <string>

namespace keyloom {

class TOlejrnl {
  public:
    virtual ~TOlejrnl() = default;

    std::string PlayBackFileName;
    std::string RecordFileName;
    bool HiSpeedPlayBack = false;
    bool KeyStrokesOnly = false;

    virtual void StartRecording() = 0;
    virtual void StartPlayBack() = 0;
    virtual void StopRecording() = 0;

    // (UserCancel)
    std::function<void(bool)> OnFinished;
};

}  // namespace keyloom
