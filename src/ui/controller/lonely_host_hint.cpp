#include "ui/controller/lonely_host_hint.h"

namespace ui {

HintStep LonelyHostHint::OnTimer(std::uint32_t nowMs, std::size_t hostCount) {
    HintStep step;
    if (hostCount > 1) lastOtherHostMs_ = nowMs;

    // Unsigned difference: correct across the wrap of the millisecond counter.
    if (nowMs - lastOtherHostMs_ < kHintDelayMs) {
        if (shown_) {
            step.removeItem = true;
            shown_ = false;
        }
        return step;
    }

    ++ticks_;
    if (!shown_) {
        step.insertItem = true;
        shown_ = true;
        // Makes the new item switch to its first image at once.
        ticks_ = kHintBlinkTicks + 1;
    }
    if (ticks_ > kHintBlinkTicks) {
        ticks_ = 0;
        image_ = image_ == kHintImageFirst ? kHintImageSecond : kHintImageFirst;
        step.setImage = true;
        step.image = image_;
    }
    return step;
}

}  // namespace ui
