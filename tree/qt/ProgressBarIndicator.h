#pragma once

#include "ProgressIndicator.h"

#include <chrono>
#include <cstddef>
#include <functional>

class QProgressBar;

namespace kodexa::tree {

// A QProgressBar as the tree build's progress indicator. The build advances it once per record and
// blocks the event loop meanwhile, so the bar must repaint itself at once to be seen; it does so
// whenever it is given a value that changes what it shows. A synchronous repaint costs about as
// much as placing a hundred records, so the bar is given the position no more than once per frame
// of a 60 Hz display (and always at the ends of the range): it moves as smoothly as a screen can
// show and adds next to nothing to the time of the build.
class ProgressBarIndicator final : public ProgressIndicator {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    static constexpr std::chrono::milliseconds FrameInterval{16};

    explicit ProgressBarIndicator(QProgressBar* bar, Clock clock = std::chrono::steady_clock::now);

    void setRange(std::size_t minimum, std::size_t maximum) override;
    void setPosition(std::size_t position) override;
    void step() override;
    void setVisible(bool visible) override;
    void repaint() override;

    // The position as the build has advanced it; the bar shows it at the latest one frame later.
    std::size_t position() const { return position_; }

private:
    void showPosition(std::chrono::steady_clock::time_point now);

    QProgressBar* bar_;
    Clock clock_;
    std::size_t minimum_ = 0;
    std::size_t maximum_ = 100;
    std::size_t position_ = 0;
    std::chrono::steady_clock::time_point shownAt_;
};

} // namespace kodexa::tree
