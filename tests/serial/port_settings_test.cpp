// The line settings' text forms: what a user types for the probe and the
// simulator (strict), and what the settings file holds (read by position).
#include <gtest/gtest.h>

#include "serial/port_settings.h"

namespace quadrel {
namespace {

std::string shown(const std::optional<LineSettings>& line) {
    return line ? formatLineSettings(*line) : "refused";
}

TEST(LineSettingsText, TypedFormsAreReadStrictlyAndWrittenOneWay) {
    const std::pair<const char*, const char*> rows[] = {
        {"19200,N,8,1", "19200,N,8,1"},
        {" 9600 , e , 7 , 2 ", "9600,E,7,2"},
        {"19200,m,5,1.5", "19200,M,5,1.5"},
        {"115200,S,6,1", "115200,S,6,1"},
        {"19200,N,9,1", "refused"},
        {"19200,X,8,1", "refused"},
        {"0,N,8,1", "refused"},
        {"19200,N,8", "refused"},
        {"19200,N,8,1,1", "refused"},
        {"19200,N,8,3", "refused"},
        {"19200.5,N,8,1", "refused"},
        {"19200;N;8;1", "refused"},
    };
    for (const auto& [text, expected] : rows)
        EXPECT_EQ(shown(parseLineSettings(text)), expected) << text;
}

TEST(LineSettingsText, StoredFormsAreReadByPositionAsEver) {
    const std::pair<const char*, const char*> rows[] = {
        {"19200,N,8,1", "19200,N,8,1"}, {"9600;e;7;2", "9600,E,7,2"},
        {"19200 N 8 1", "19200,N,8,1"}, {"19200,N,8,1.5", "19200,N,8,1.5"},
        {"N,8,1", "refused"},           {"9600,X,8,1", "refused"},
        {"9600,N,8,3", "refused"},      {"", "refused"},
    };
    for (const auto& [text, expected] : rows)
        EXPECT_EQ(shown(readStoredLineSettings(text)), expected) << text;
    EXPECT_EQ(portCaption(4, *parseLineSettings("19200,N,8,1.5")), " Comms Port 4: 19200,N,8,1.5");
}

}  // namespace
}  // namespace quadrel
