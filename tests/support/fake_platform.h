// Stand-ins for the system beep and the cable window that count what the
// program asked of them.
#pragma once

#include "form/platform.h"

namespace quadrel::testing {

struct FakeBeeper : Beeper {
    int beeps = 0;
    void beep() override { ++beeps; }
};

struct FakeCableWindow : CableWindow {
    bool created = false;
    bool visible = false;
    int shows = 0;
    void show() override {
        created = true;
        visible = true;
        ++shows;
    }
    void hide() override {
        created = true;
        visible = false;
    }
};

}  // namespace quadrel::testing
