#include "ui/controller/permission_questions.h"

namespace ui {

bool PermissionQuestions::MayAsk(std::uint32_t nowMs) {
    while (!askedAtMs_.empty() && nowMs - askedAtMs_.front() >= kMinuteMs) askedAtMs_.pop_front();
    if (refuseAll_ || askedAtMs_.size() >= kPerMinute) return false;
    askedAtMs_.push_back(nowMs);
    return true;
}

}  // namespace ui
