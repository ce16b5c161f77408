#include <gtest/gtest.h>

#include "main_form_harness.h"

namespace quadrel::testing {
namespace {

TEST(StandardFrame, TracedEndToEnd) {
    MainFormHarness h;
    h.wakeUp();
    h.receive({255, 120, 130, 140, 150, 255, 120, 130, 140});
    EXPECT_EQ(h.inCaptions(), (std::vector<std::string>{"-", "-", "-", "-", "-", "-", "-", "-"}));
    h.receive({150});
    EXPECT_EQ(h.inCaptions(),
              (std::vector<std::string>{"120", "130", "140", "150", "-", "-", "-", "-"}));
}

}  // namespace
}  // namespace quadrel::testing
