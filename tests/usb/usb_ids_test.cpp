#include "usb/udev_rule.h"
#include "usb/usb_ids.h"

#include <gtest/gtest.h>

namespace pds {
namespace {

// The shape of the system's list: vendors, their products, interfaces below those, and the
// lists of classes after all vendors, whose lines look much like a vendor's.
const char* const usb_ids = "# List of USB ID's\r\n"
                            "0403  Future Technology Devices International, Ltd\r\n"
                            "\t6001  FT232 Serial (UART) IC\r\n"
                            "\t\t6001  an interface, not a product\r\n"
                            "1a86  QinHeng Electronics\n"
                            "\t7523  CH340 serial converter\n"
                            "C 02  Communications\n"
                            "\t6001  a subclass, not a product\n";

TEST(UsbIdsTest, NamesAVendorAndItsProductOnly) {
    const UsbIdNames ftdi = usb_id_names(usb_ids, 0x0403, 0x6001);
    EXPECT_EQ(ftdi.vendor, "Future Technology Devices International, Ltd");
    EXPECT_EQ(ftdi.product, "FT232 Serial (UART) IC");
    EXPECT_EQ(usb_id_names(usb_ids, 0x1a86, 0x7523).product, "CH340 serial converter");
    // A product id known under another vendor, or only as a subclass, is not named.
    const UsbIdNames wch = usb_id_names(usb_ids, 0x1a86, 0x6001);
    EXPECT_EQ(wch.vendor, "QinHeng Electronics");
    EXPECT_EQ(wch.product, "");
    EXPECT_EQ(usb_id_names(usb_ids, 0x1234, 0x6001).vendor, "");
    EXPECT_EQ(usb_id_names("", 0x0403, 0x6001).vendor, "");
}

TEST(UdevRuleTest, GivesTheAdapterAFixedNameByItsIdsAndSafeSerial) {
    EXPECT_EQ(fixed_name_rule(0x0403, 0x6001, "A50285BI"),
              "SUBSYSTEM==\"tty\", ATTRS{idVendor}==\"0403\", ATTRS{idProduct}==\"6001\", "
              "ATTRS{serial}==\"A50285BI\", SYMLINK+=\"pole-display\"");
    // A serial number that would break the rule or the shell's quotes is left out.
    EXPECT_EQ(fixed_name_rule(0x1a86, 0x7523, "a'b\"c"),
              "SUBSYSTEM==\"tty\", ATTRS{idVendor}==\"1a86\", ATTRS{idProduct}==\"7523\", "
              "SYMLINK+=\"pole-display\"");
    EXPECT_EQ(install_rule_command("RULE", udev_rule_file),
              "echo 'RULE' | sudo tee /etc/udev/rules.d/99-pole-display.rules");
}

} // namespace
} // namespace pds
