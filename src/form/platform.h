// What the core asks of the desktop besides the serial port: the system
// beep and the Zhen Hua cable window. The program passes Qt adapters; tests
// pass fakes.
#pragma once

namespace quadrel {

class Beeper {
public:
    virtual ~Beeper() = default;
    virtual void beep() = 0;
};

// The cable window, created on first use and afterwards only hidden and
// shown again.
class CableWindow {
public:
    virtual ~CableWindow() = default;
    virtual void show() = 0;
    virtual void hide() = 0;
};

}  // namespace quadrel
