// Event sounds. The controller decides which events are heard; the view only plays.
#pragma once

namespace ui {

enum class EventSound : int {
    ChatMessage = 0,
    TransferStarted = 1,
    TransferFinished = 2,
    TransferFailed = 3,
    HostAppeared = 4,
    HostGone = 5,
};

class SoundView {
public:
    virtual ~SoundView() = default;

    // Starts the program's sound for `kind` and returns without waiting for it to end.
    virtual void Play(EventSound kind) = 0;
};

}  // namespace ui
