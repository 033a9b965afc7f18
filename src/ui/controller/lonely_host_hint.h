// The blinking tree item that asks the user to start the program on another computer. It appears
// once no other host has been known for five seconds and blinks every half second until one is.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ui {

// Tree images the hint switches between (indices into the small image list).
inline constexpr int kHintImageFirst = 4;
inline constexpr int kHintImageSecond = 10;
// Milliseconds alone before the hint is shown (shown once this much has passed).
inline constexpr std::uint32_t kHintDelayMs = 5001;
// Network-timer ticks between two image switches.
inline constexpr std::uint32_t kHintBlinkTicks = 4;

// What the front end does to the tree on one network-timer tick; the text of an inserted item
// is StringId::LonelyHostHint.
struct HintStep {
    bool removeItem = false;
    bool insertItem = false;  // at the tree's root
    bool setImage = false;    // normal and selected image of the (possibly new) item
    int image = 0;
};

class LonelyHostHint {
public:
    // Counting starts at construction, as if another host had just been seen.
    explicit LonelyHostHint(std::uint32_t nowMs) : lastOtherHostMs_(nowMs) {}

    // One network-timer tick. hostCount counts the local host too. Tick counts wrap around.
    HintStep OnTimer(std::uint32_t nowMs, std::size_t hostCount);

    bool Shown() const { return shown_; }
    int Image() const { return image_; }

private:
    std::uint32_t lastOtherHostMs_;
    std::uint32_t ticks_ = 0;
    int image_ = 0;  // 0 before the first blink
    bool shown_ = false;
};

}  // namespace ui
