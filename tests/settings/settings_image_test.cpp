#include "settings/settings_image.h"

#include <gtest/gtest.h>

using namespace pds;

TEST(SettingsImage, PayloadIsPositionsOneTo126WithoutReplyMark) {
    SettingsImage image;
    image.reply_mark() = 0xAA;
    image[position::reserved_1] = 0x5A;
    image[126] = 0x7E;

    const auto payload = image.payload();
    EXPECT_EQ(payload.front(), 0x5A);
    EXPECT_EQ(payload.back(), 0x7E);

    SettingsImage copy;
    copy.set_payload(payload);
    EXPECT_EQ(copy.reply_mark(), 0);
    EXPECT_EQ(copy[1], 0x5A);
    EXPECT_EQ(copy[126], 0x7E);
}
