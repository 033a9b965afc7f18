#include "ui/controller/event_sound_player.h"

#include "core/settings_keys.h"

namespace ui {

void EventSoundPlayer::Play(EventSound kind) {
    if (kind != EventSound::ChatMessage) return;
    int enabled = 1;
    settings_.GetInt(settings_keys::kGlobal, settings_keys::kSound, enabled, 1);
    if (enabled != 0) view_.Play(kind);
}

}  // namespace ui
