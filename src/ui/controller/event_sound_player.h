// Which events are heard: the "sound" setting, read at every event so that a change in the
// options takes effect at once, and only an arriving chat message has a sound.
#pragma once

#include "core/parseini.h"
#include "ui/views/sound_view.h"

namespace ui {

class EventSoundPlayer {
public:
    EventSoundPlayer(SoundView& view, const utilcpp::CParseini& settings)
        : view_(view), settings_(settings) {}

    void Play(EventSound kind);

private:
    SoundView& view_;
    const utilcpp::CParseini& settings_;
};

}  // namespace ui
