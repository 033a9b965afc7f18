#include "net/progress.h"

namespace net {

void SpeedAverager::AddSample(std::uint64_t bytes, std::uint32_t milliseconds) {
    samples_[cursor_] = Sample{bytes, milliseconds};
    cursor_ = (cursor_ + 1) % samples_.size();
}

double SpeedAverager::Speed() const {
    double bytes = 0;
    double milliseconds = 0;
    for (const Sample& sample : samples_) {
        bytes += static_cast<double>(sample.bytes);
        milliseconds += sample.milliseconds;
    }
    if (milliseconds == 0) return 0;
    return bytes * 1000.0 / milliseconds / 1024.0;
}

}  // namespace net
