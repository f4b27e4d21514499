// vfdctl ports and find on plain values: the lines and the JSON ports they give back.
#include "port_commands.h"
#include "support/sample_images.h"

#include <gtest/gtest.h>

namespace pds::cli {
namespace {

const SystemPort usb{"/dev/serial/by-id/usb-FTDI_FT232R_A10K-if00-port0",
                     "/dev/ttyUSB0",
                     "FT232R USB UART",
                     "FTDI",
                     0x0403,
                     0x6001,
                     "A10K"};
const SystemPort onboard{"/dev/ttyS0", "/dev/ttyS0", "ttyS0", "", {}, {}, ""};

TEST(PortsCommand, OneLineAPortWithEverythingTheSystemSays) {
    const auto result = list_ports({onboard, usb});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.lines,
              (std::vector<std::string>{
                  "/dev/ttyS0 - ttyS0",
                  "/dev/serial/by-id/usb-FTDI_FT232R_A10K-if00-port0 (/dev/ttyUSB0) - FT232R USB "
                  "UART - FTDI - USB 0403:6001 - serial A10K"}));
    EXPECT_EQ(result.message, "the system lists 2 serial ports");
    ASSERT_EQ(result.ports.size(), 2u);
    EXPECT_FALSE(result.ports[0].contains("vendor_id")) << "not a USB port";
    const auto& adapter = result.ports[1];
    EXPECT_EQ(adapter["port"], usb.device);
    EXPECT_EQ(adapter["kernel_name"], "/dev/ttyUSB0");
    EXPECT_EQ(adapter["vendor_id"], "0403");
    EXPECT_EQ(adapter["product_id"], "6001");
    EXPECT_EQ(adapter["serial_number"], "A10K");

    const auto none = list_ports({});
    EXPECT_EQ(none.lines, std::vector<std::string>{"the system lists no serial port"});
    EXPECT_TRUE(none.ports.empty());
}

TEST(FindReport, EachPortSaysWhatAnsweredAndTheStatusNeedsOneDisplay) {
    PortProbe found;
    found.result = PortProbe::Result::Found;
    found.speed = 19200;
    found.image = samples::factory_image();
    at_position(*found.image, position::command_set) = 14; // past the list's end
    PortProbe silent;
    silent.result = PortProbe::Result::NoDisplay;
    PortProbe locked;
    locked.result = PortProbe::Result::Failed;
    locked.last.outcome = ProbeOutcome::CannotOpen;
    locked.last.failure =
        PortFailure{PortFailure::Kind::Permission, "/dev/ttyS1", "Permission denied"};

    const auto result = find_report({"/dev/a", "/dev/b", "/dev/ttyS1\n"}, {found, silent, locked});
    EXPECT_EQ(result.status, 0);
    ASSERT_EQ(result.lines.size(), 4u);
    EXPECT_EQ(result.lines[0].rfind("/dev/a: display at 19200 bit/s; code page \"", 0), 0u)
        << result.lines[0];
    EXPECT_NE(result.lines[0].find(", command set code 14 (no entry), line 1 \""),
              std::string::npos)
        << result.lines[0];
    EXPECT_EQ(result.lines[1], "/dev/b: no display: no answer at 9600 or 19200 bit/s");
    EXPECT_EQ(result.lines[2], "/dev/ttyS1\\x0A: no display: cannot open: Permission denied");
    EXPECT_EQ(result.lines[3], "a display answered on 1 of 3 ports");

    const auto& ports = result.ports;
    EXPECT_EQ(ports[0]["outcome"], "found");
    EXPECT_EQ(ports[0]["speed"], 19200);
    EXPECT_EQ(ports[0]["command_set"], 14);
    EXPECT_EQ(ports[1]["outcome"], "no_display");
    EXPECT_EQ(ports[1]["status"], 5);
    EXPECT_FALSE(ports[1].contains("speed"));
    EXPECT_EQ(ports[2]["outcome"], "failed");
    EXPECT_EQ(ports[2]["meaning"], "port_unavailable");

    const auto none = find_report({"/dev/b"}, {silent});
    EXPECT_EQ(none.status, 5);
    EXPECT_EQ(none.message, "no display answered on 1 port");
    EXPECT_EQ(none.lines.back(), "no display answered on 1 port");
}

} // namespace
} // namespace pds::cli
