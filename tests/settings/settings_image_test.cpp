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

TEST(SettingsImage, FieldPositionsFollowTheRecordLayout) {
    EXPECT_EQ(position::welcome_line1 + 20, position::welcome_line2);
    EXPECT_EQ(position::welcome_line2 + 40, position::reserved_67);
    EXPECT_EQ(position::udc_table + 9 * 6 - 1, position::udc_table_end);
    EXPECT_EQ(position::udc_table_end + 1, position::reserved_tail);
    EXPECT_EQ(position::reserved_tail + 3, image_size);
}

TEST(SettingsImage, PositionsOutsideTheRecordAreRefused) {
    SettingsImage image;
    EXPECT_THROW(image[127], std::out_of_range);
}
