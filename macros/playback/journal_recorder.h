// The journal recorder: records raw keyboard and mouse input into a file and plays it back.
// Playback and recording run on while events are processed; OnFinished reports the end of each
// playback, completed or cancelled, and OnRecordFailed a recording that could not be made.
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
    // True when the recording is in its file; false when nothing was stored, which
    // OnRecordFailed then explains.
    virtual bool StopRecording() = 0;

    // (UserCancel)
    std::function<void(bool)> OnFinished;
    // (reason, a sentence for the user) No capture, a stop before the capture began, a file that
    // could not be written: nothing was stored, and a file that was there before is untouched.
    std::function<void(const std::string&)> OnRecordFailed;
};

}  // namespace keyloom
