#include <gtest/gtest.h>

#include "settings/numeric_text.h"
#include "form/port_state.h"

namespace quadrel {
namespace {

TEST(NumericText, LeadingNumberCounts) {
    EXPECT_EQ(numericValue("12"), 12);
    EXPECT_EQ(numericValue("1x"), 1);
    EXPECT_EQ(numericValue("  -2.5kg"), -2.5);
    EXPECT_EQ(numericValue("+3"), 3);
    EXPECT_EQ(numericValue(".5"), 0.5);
    EXPECT_EQ(numericValue("5."), 5);
    EXPECT_EQ(numericValue("1.5"), 1.5);
    EXPECT_EQ(numericValueOfFirstCharacter("12"), 1);
}

TEST(NumericText, TextWithoutANumberIsZero) {
    for (const char* t : {"", "abc", "-", ".", " ", "N"}) EXPECT_EQ(numericValue(t), 0) << t;
    EXPECT_EQ(numericValue(std::string(400, '9')), 0);  // does not fit
}

TEST(NumericText, NumbersAreWrittenPlainAndShort) {
    EXPECT_EQ(plainNumber(19200), "19200");
    EXPECT_EQ(plainNumber(1.5), "1.5");
    EXPECT_EQ(plainNumber(0), "0");
    EXPECT_EQ(plainNumber(-0.0), "0");
    EXPECT_EQ(plainNumber(-3), "-3");
    EXPECT_EQ(plainNumber(1e20), "100000000000000000000");
}

TEST(PortSettingsText, OneAndAHalfStopBitsReadByField) {
    PortState p;
    ASSERT_TRUE(readPortSettings("9600,e,7,1.5", p));
    EXPECT_EQ(p.PortBaud, 9600);
    EXPECT_EQ(p.PortParity, "E");
    EXPECT_EQ(p.PortDataBits, 7);
    EXPECT_EQ(p.PortStopBits, 1.5);
    EXPECT_EQ(p.PortSettingsText, "9600,E,7,1.5");
    EXPECT_EQ(portCaption(2, p.PortSettingsText), " Comms Port 2: 9600,E,7,1.5");
    EXPECT_EQ(portFailureText(3), "Unable to open COM 3!");

    PortState untouched = p;
    EXPECT_FALSE(readPortSettings("9600,", p));  // too short to read by position
    EXPECT_EQ(p.PortSettingsText, untouched.PortSettingsText);
}

}  // namespace
}  // namespace quadrel
