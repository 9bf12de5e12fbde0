#include "ProgressBarIndicator.h"

#include <QProgressBar>

#include <algorithm>
#include <limits>
#include <utility>

namespace kodexa::tree {

namespace {

int toBarValue(std::size_t value) {
    return static_cast<int>(std::min<std::size_t>(value, std::numeric_limits<int>::max()));
}

} // namespace

ProgressBarIndicator::ProgressBarIndicator(QProgressBar* bar, Clock clock)
    : bar_(bar), clock_(std::move(clock)) {}

void ProgressBarIndicator::setRange(std::size_t minimum, std::size_t maximum) {
    minimum_ = minimum;
    maximum_ = std::max(minimum, maximum);
    bar_->setRange(toBarValue(minimum_), toBarValue(maximum_));
    position_ = std::clamp(position_, minimum_, maximum_);
    showPosition(clock_());
}

void ProgressBarIndicator::setPosition(std::size_t position) {
    position_ = std::clamp(position, minimum_, maximum_);
    showPosition(clock_());
}

void ProgressBarIndicator::step() {
    if (position_ >= maximum_)
        return;
    ++position_;
    const auto now = clock_();
    if (position_ == maximum_ || now - shownAt_ >= FrameInterval)
        showPosition(now);
}

void ProgressBarIndicator::setVisible(bool visible) {
    bar_->setVisible(visible);
}

void ProgressBarIndicator::repaint() {
    bar_->repaint();
}

void ProgressBarIndicator::showPosition(std::chrono::steady_clock::time_point now) {
    shownAt_ = now;
    bar_->setValue(toBarValue(position_));
}

} // namespace kodexa::tree
