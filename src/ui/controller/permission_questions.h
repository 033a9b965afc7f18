// When an unknown host's download may be put to the user. Questions come one at a time and at
// most a few a minute, however many hosts ask; the rest are refused unasked and counted, and the
// user may refuse every unknown host for the rest of the session.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

namespace ui {

class PermissionQuestions {
public:
    static constexpr std::size_t kPerMinute = 3;
    static constexpr std::uint32_t kMinuteMs = 60'000;

    // Whether a question may open at `nowMs`; true also counts it as asked.
    bool MayAsk(std::uint32_t nowMs);
    void RefuseAllUnknown() { refuseAll_ = true; }
    bool RefusesAllUnknown() const { return refuseAll_; }
    // A request refused without a question.
    void CountRefusal() { ++refused_; }
    std::size_t Refused() const { return refused_; }

private:
    std::deque<std::uint32_t> askedAtMs_;
    bool refuseAll_ = false;
    std::size_t refused_ = 0;
};

}  // namespace ui
