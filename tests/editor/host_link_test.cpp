#include "editor/host_link.h"

#include <gtest/gtest.h>

using namespace pds;

namespace {

struct LinkSettingsTest : ::testing::Test {
    EditorModel model;
    LinkSettingsTest() { fill_option_lists(model); }
};

} // namespace

TEST_F(LinkSettingsTest, PortNumberIsTheEntryCountedFromOne) {
    model.host_port.select(0);
    EXPECT_EQ(take_link_settings(model).port.number, 1);
    model.host_port.select(7);
    const LinkSettings link = take_link_settings(model);
    EXPECT_EQ(link.port.number, 8);
    EXPECT_EQ(link.port.typed, "");
}

TEST_F(LinkSettingsTest, TypingAnEntrySelectsItsNumber) {
    model.host_port.type("Com 3");
    EXPECT_EQ(take_link_settings(model).port.number, 3);
}

TEST_F(LinkSettingsTest, TypedDeviceIsCarriedAsTyped) {
    for (const char* typed : {"/dev/ttyUSB0", "COM12", "com 1", ""}) {
        model.host_port.type(typed);
        const LinkSettings link = take_link_settings(model);
        EXPECT_EQ(link.port.number, 0) << typed;
        EXPECT_EQ(link.port.typed, typed);
    }
}

TEST_F(LinkSettingsTest, LineSettingsAreTheTextOfTheLineBox) {
    model.host_line.select(1);
    EXPECT_EQ(take_link_settings(model).line_settings, "19200,n,8,1");
    model.host_line.type("4800,e,7,2");
    EXPECT_EQ(take_link_settings(model).line_settings, "4800,e,7,2");
}
