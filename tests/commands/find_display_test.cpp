#include "commands/find_display.h"

#include "link/serial_line.h"
#include "support/link_fixture.h"
#include "support/sample_images.h"

#include <string>
#include <vector>

using namespace pds;
using namespace pds::testing_link;

namespace {

const std::string usb_by_id = "/dev/serial/by-id/usb-FTDI_FT232R_A10K-if00-port0";
// The device "Com 1" stands for on this system (/dev/ttyS0, COM1), which the system lists too.
const std::string com1 = *device_for(PortChoice{1, ""}, this_host()).device;

// A display that answers only on `device` at `speed`, as a real one answers only on its own
// line at its own speed.
struct FindTest : LinkFixture {
    ImageBytes held = samples::odd_image();
    std::string device = usb_by_id;
    std::string speed = "19200";
    std::vector<std::pair<std::string, std::string>> opened; // device and settings per open

    FindTest() {
        fake.port_list.fixed = {
            {com1, com1, "ttyS0", "", std::nullopt, std::nullopt, ""},
            {usb_by_id, "/dev/ttyUSB0", "FT232R USB UART", "FTDI", 0x0403, 0x6001, "A10K"},
        };
        port.on_call = [this](const std::string& call) {
            if (call != "open")
                return;
            const std::string on = port.choice.number ? "Com " + std::to_string(port.choice.number)
                                                      : port.choice.typed;
            opened.emplace_back(on, port.settings);
            const bool answers = on == device && port.settings.starts_with(speed + ",");
            display.reply =
                answers ? fakes::ScriptedDisplay::reply_of(held) : std::vector<std::uint8_t>{};
        };
    }
};

TEST_F(FindTest, ProbeTriesNineThousandSixHundredThenNineteenTwoHundred) {
    const PortProbe probe = probe_port(port, fake.clock, {0, usb_by_id});
    EXPECT_EQ(probe.result, PortProbe::Result::Found);
    EXPECT_EQ(probe.speed, 19200);
    ASSERT_TRUE(probe.image.has_value());
    EXPECT_EQ(*probe.image, held);
    EXPECT_EQ(opened, (std::vector<std::pair<std::string, std::string>>{
                          {usb_by_id, "9600,n,8,1"}, {usb_by_id, "19200,n,8,1"}}));
    EXPECT_EQ(port.opens, port.closes);
    // The read request only, once a speed: nothing that could change a display.
    EXPECT_EQ(port.sent, (std::vector<std::uint8_t>{0x1B, 0xEE, 0x1B, 0xEE}));
}

TEST_F(FindTest, SilentPortEndsWellUnderTheReadsLimits) {
    speed = "4800"; // answers at neither speed
    const std::uint32_t start = fake.clock.now;
    const PortProbe probe = probe_port(port, fake.clock, {0, usb_by_id});
    EXPECT_EQ(probe.result, PortProbe::Result::NoDisplay);
    EXPECT_EQ(probe.last.read, ReadOutcome::NoAnswer);
    EXPECT_EQ(opened.size(), 2u);
    const std::uint32_t per_speed_limit = settle_ms() + probe_first_byte_limit_ms + 10;
    EXPECT_LE(fake.clock.now - start, 2 * per_speed_limit);
    EXPECT_LT(fake.clock.now - start, 1000u) << "the read alone waits 2000 ms for a first byte";
}

TEST_F(FindTest, GarbageIsNoDisplayAndTheNextSpeedIsTried) {
    // A device that babbles something else at 9600 is no display; the probe goes on.
    port.on_call = [this](const std::string& call) {
        if (call != "open")
            return;
        display.reply = port.settings.starts_with("9600,") ? std::vector<std::uint8_t>(40, 0x5A)
                                                           : fakes::ScriptedDisplay::reply_of(held);
    };
    const PortProbe probe = probe_port(port, fake.clock, {0, usb_by_id});
    EXPECT_EQ(probe.result, PortProbe::Result::Found);
    EXPECT_EQ(probe.speed, 19200);
}

TEST_F(FindTest, PortThatCannotBeOpenedIsNotTriedAgain) {
    port.open_failure = PortFailure{PortFailure::Kind::Permission, usb_by_id, "Permission denied"};
    const PortProbe probe = probe_port(port, fake.clock, {0, usb_by_id});
    EXPECT_EQ(probe.result, PortProbe::Result::Failed);
    EXPECT_EQ(probe.last.outcome, ProbeOutcome::CannotOpen);
    EXPECT_EQ(port.opens, 1);
    EXPECT_TRUE(port.sent.empty());
}

TEST_F(FindTest, CancelEndsTheExchangeAtOnceAndClosesThePort) {
    speed = "4800";
    // The operator cancels while the probe waits for the first reply byte at 9600.
    const std::uint32_t cancel_at = settle_ms() + 50;
    const PortProbe probe =
        probe_port(port, fake.clock, {0, usb_by_id}, [&] { return fake.clock.now >= cancel_at; });
    EXPECT_EQ(probe.result, PortProbe::Result::Cancelled);
    EXPECT_FALSE(port.is_open());
    EXPECT_EQ(port.opens, 1) << "19200 is not tried after a cancel";
    EXPECT_LE(fake.clock.now, cancel_at + 20);
}

TEST_F(FindTest, CandidatesAreTheBoxPortThenEveryOtherListedPort) {
    const auto names = [&](const std::vector<FindCandidate>& candidates) {
        std::vector<std::string> out;
        for (const auto& c : candidates)
            out.push_back(c.name + (c.from_box ? " (box)" : ""));
        return out;
    };
    const auto listed = fake.port_list.fixed;
    const PortNaming system_naming = [](const PortChoice& c) { return device_for(c, this_host()); };
    struct Case {
        std::string typed; // empty: "Com 1" stays selected
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        // Com 1 is com1, which the list holds already.
        {"", {"Com 1 (box)", usb_by_id}},
        {"/dev/ttyUSB0", {"/dev/ttyUSB0 (box)", com1}},
        {"/dev/pts/7", {"/dev/pts/7 (box)", com1, usb_by_id}},
        {"nonsense", {com1, usb_by_id}},
    };
    for (const auto& c : cases) {
        // Windows opens no path as a port: a typed path names no device there.
        if (this_host() == HostSystem::Windows && c.typed.starts_with("/"))
            continue;
        EditorModel model = editor.model;
        if (!c.typed.empty())
            model.host_port.type(c.typed);
        EXPECT_EQ(names(find_candidates(model, listed, system_naming)), c.expected) << c.typed;
    }
}

// The browser names its ports itself: "Com 1" is the first port granted to the page, listed
// by its label, which must not be probed twice; with nothing granted the box names no device.
TEST_F(FindTest, CandidatesFollowTheAdaptersNamingOfTheBoxPort) {
    const std::vector<SystemPort> granted = {{"FTDI 0403:6001", "FTDI 0403:6001", "", "", 0x0403,
                                              0x6001, ""},
                                             {"Virtual display", "Virtual display", "", "", {}, {},
                                              ""}};
    const PortNaming page_naming = [&](const PortChoice& c) -> PortDevice {
        if (c.number >= 1 && c.number <= static_cast<int>(granted.size()))
            return {granted[static_cast<std::size_t>(c.number - 1)].device, {}};
        for (const auto& port : granted)
            if (c.typed == port.device)
                return {port.device, {}};
        return {std::nullopt, "no port is chosen"};
    };
    const auto names = [](const std::vector<FindCandidate>& candidates) {
        std::vector<std::string> out;
        for (const auto& c : candidates)
            out.push_back(c.name + (c.from_box ? " (box)" : ""));
        return out;
    };
    struct Case {
        int selected; // the Comm entry, -1 for none
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {0, {"FTDI 0403:6001 (box)", "Virtual display"}},
        {1, {"Virtual display (box)", "FTDI 0403:6001"}},
        {-1, {"FTDI 0403:6001", "Virtual display"}},
    };
    for (const auto& c : cases) {
        EditorModel model = editor.model;
        model.host_port.entries = {granted[0].device, granted[1].device};
        model.host_port.select(c.selected);
        EXPECT_EQ(names(find_candidates(model, granted, page_naming)), c.expected) << c.selected;
    }
}

// The window's progress, as a script: records the steps and cancels at one of them.
struct ScriptedProgress : FindProgress {
    std::vector<std::string> steps;
    std::optional<std::size_t> cancel_at_step;
    bool finished_ = false;
    void next_step(int done, int total, const std::string& port, int speed) override {
        steps.push_back(std::to_string(done) + "/" + std::to_string(total) + " " + port + " " +
                        std::to_string(speed));
    }
    bool cancelled() override { return cancel_at_step && steps.size() > *cancel_at_step; }
    void finished() override { finished_ = true; }
};

TEST_F(FindTest, FindSelectsThePortAndSpeedThatAnswered) {
    const EditorModel before = editor.model;
    const SettingsImage image_before = editor.image;
    ScriptedProgress progress;
    find_display(editor, progress);

    EXPECT_EQ(progress.steps, (std::vector<std::string>{"0/4 Com 1 9600", "1/4 Com 1 19200",
                                                        "2/4 " + usb_by_id + " 9600",
                                                        "3/4 " + usb_by_id + " 19200"}))
        << "Com 1 is " << com1 << ", listed already, and probed once";
    ASSERT_EQ(fake.boxes.shown.size(), 2u);
    EXPECT_TRUE(fake.boxes.shown[0].confirmation);
    EXPECT_EQ(fake.boxes.shown[1].text, "A display answers on " + usb_by_id +
                                            " at 19200 bit/s.\rThat port and speed are selected.");
    EXPECT_EQ(editor.model.host_port.text(), usb_by_id);
    EXPECT_EQ(editor.model.host_line.text(), "19200,n,8,1");
    // A probe is not a read: the rest of the window and the image stay as they were.
    EditorModel expected = before;
    expected.host_port = editor.model.host_port;
    expected.host_line = editor.model.host_line;
    EXPECT_EQ(editor.model, expected);
    EXPECT_EQ(editor.image, image_before);
}

TEST_F(FindTest, DisplayOnTheBoxPortKeepsTheBoxAsItIs) {
    device = "Com 1";
    speed = "9600";
    ScriptedProgress progress;
    find_display(editor, progress);
    EXPECT_EQ(progress.steps.size(), 1u);
    EXPECT_EQ(editor.model.host_port.text(), "Com 1");
    EXPECT_EQ(editor.model.host_port.index, 0);
    EXPECT_EQ(editor.model.host_line.text(), "9600,n,8,1");
    EXPECT_EQ(boxes().back(), "A display answers on Com 1 at 9600 bit/s.\rThat port and speed are "
                              "selected.");
}

TEST_F(FindTest, NoAnswerChangesNothingAndSaysSoOnce) {
    device = "/dev/elsewhere";
    fake.port_list.fixed.push_back({"/dev/ttyACM0", "/dev/ttyACM0", "", "", {}, {}, ""});
    port.on_call = [this, inner = port.on_call](const std::string& call) {
        // The ACM port belongs to another user.
        if (call == "set_port") {
            port.open_failure.reset();
            if (port.choice.typed == "/dev/ttyACM0")
                port.open_failure =
                    PortFailure{PortFailure::Kind::Permission, "/dev/ttyACM0", "no"};
        }
        inner(call);
    };
    const EditorModel before = editor.model;
    ScriptedProgress progress;
    find_display(editor, progress);
    EXPECT_TRUE(progress.finished_);
    EXPECT_EQ(editor.model, before);
    ASSERT_EQ(fake.boxes.shown.size(), 2u);
    EXPECT_EQ(fake.boxes.shown[1].text, "No display answered on 3 ports at 9600 or 19200 bit/s; "
                                        "nothing was changed.\rCould not be opened: /dev/ttyACM0");
}

TEST_F(FindTest, APortAnotherProgramHoldsIsSkippedWithTheWordsOfARead) {
    device = "/dev/elsewhere";
    fake.port_list.fixed.push_back({"/dev/ttyACM0", "/dev/ttyACM0", "", "", {}, {}, ""});
    port.on_call = [this, inner = port.on_call](const std::string& call) {
        if (call == "set_port") {
            port.open_failure.reset();
            if (port.choice.typed == "/dev/ttyACM0")
                port.open_failure = PortFailure{PortFailure::Kind::InUse, "/dev/ttyACM0",
                                                "ModemManager (process 812)"};
        }
        inner(call);
    };
    ScriptedProgress progress;
    find_display(editor, progress);
    ASSERT_EQ(fake.boxes.shown.size(), 2u);
    EXPECT_EQ(fake.boxes.shown[1].text,
              "No display answered on 3 ports at 9600 or 19200 bit/s; nothing was changed."
              "\rSkipped /dev/ttyACM0: another program is using this port: ModemManager "
              "(process 812).");
}

TEST_F(FindTest, DeclinedOrCancelledFindChangesNothing) {
    const EditorModel before = editor.model;
    fake.boxes.confirm_answer = false;
    ScriptedProgress declined;
    find_display(editor, declined);
    EXPECT_EQ(port.opens, 0) << "nothing is sent before the operator agrees";
    EXPECT_EQ(fake.boxes.shown.size(), 1u);

    fake.boxes.confirm_answer = true;
    ScriptedProgress cancelling;
    cancelling.cancel_at_step = 2; // during the listed USB port at 9600
    find_display(editor, cancelling);
    EXPECT_TRUE(cancelling.finished_);
    EXPECT_EQ(cancelling.steps.size(), 3u);
    EXPECT_EQ(editor.model, before);
    EXPECT_EQ(fake.boxes.shown.size(), 2u) << "a cancel shows no box of its own";
    EXPECT_EQ(port.opens, port.closes);
}

} // namespace
