#pragma once

#include <cstddef>

namespace kodexa::tree {

// A progress bar as the tree build drives it. The build blocks the event loop, so an implementation
// must make every change that it shows visible at once, without waiting for the event loop.
class ProgressIndicator {
public:
    virtual ~ProgressIndicator() = default;

    virtual void setRange(std::size_t minimum, std::size_t maximum) = 0;
    virtual void setPosition(std::size_t position) = 0;
    // Advances the position by one unit.
    virtual void step() = 0;
    virtual void setVisible(bool visible) = 0;
    // Paints the indicator now, in its current state.
    virtual void repaint() = 0;
};

// For building a tree where nobody watches (the command-line tool).
class NoProgress final : public ProgressIndicator {
public:
    void setRange(std::size_t, std::size_t) override {}
    void setPosition(std::size_t) override {}
    void step() override {}
    void setVisible(bool) override {}
    void repaint() override {}
};

} // namespace kodexa::tree
