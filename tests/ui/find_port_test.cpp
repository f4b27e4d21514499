// The Comm box's system ports and the Find button, on scripted services.
#include "window_fixture.h"

#include "commands/find_display.h"
#include "link/port_failure_message.h"
#include "support/fake_display.h"
#include "support/sample_images.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QProgressDialog>
#include <QPushButton>

#include <gtest/gtest.h>

#include <string>

namespace pds {
namespace {

using testing::Window;

const SystemPort usb{"/dev/serial/by-id/usb-FTDI_FT232R_A10K-if00-port0",
                     "/dev/ttyUSB0",
                     "FT232R USB UART",
                     "FTDI",
                     0x0403,
                     0x6001,
                     "A10K"};
const SystemPort acm{"/dev/ttyACM0", "/dev/ttyACM0", "Pole display", "", 0x2341, 0x0043, ""};

struct FindPortTest : ::testing::Test {
    QApplication& app = testing::qt_application();
    fakes::FakeServices fake;
    fakes::ScriptedDisplay display{fake.port};
    Window w{fake.services};
    // The display answers on the USB adapter at 19200 bit/s only.
    std::string answering_device = usb.device;
    std::string answering_speed = "19200,";
    int opens = 0;
    std::function<void()> at_second_open;

    FindPortTest() {
        fake.port_list.fixed = {usb};
        fake.port.on_call = [this](const std::string& call) {
            if (call != "open")
                return;
            if (++opens == 2 && at_second_open)
                at_second_open();
            const bool answers = fake.port.choice.typed == answering_device &&
                                 fake.port.settings.starts_with(answering_speed);
            display.reply = answers ? fakes::ScriptedDisplay::reply_of(samples::odd_image())
                                    : std::vector<std::uint8_t>{};
        };
    }

    QComboBox* comm() const { return w.named<QComboBox>("Comm"); }
    QStringList entries() const {
        QStringList out;
        for (int i = 0; i < comm()->count(); ++i)
            out << comm()->itemText(i);
        return out;
    }
    // Opens the list, as the operator's click on the arrow does, and picks entry `index`.
    void pick(int index) const {
        comm()->showPopup();
        QAbstractItemView* view = comm()->view();
        const QRect row = view->visualRect(view->model()->index(index, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, row.center());
    }
};

TEST_F(FindPortTest, ListAfterComEightIsReadAgainEachTimeItOpens) {
    comm()->showPopup();
    comm()->hidePopup();
    const QString usb_entry = "/dev/serial/by-id/usb-FTDI_FT232R_A10K-if00-port0 (/dev/ttyUSB0) "
                              "- FT232R USB UART - FTDI - USB 0403:6001 - serial A10K";
    QStringList expected{"Com 1", "Com 2", "Com 3", "Com 4",  "Com 5",
                         "Com 6", "Com 7", "Com 8", usb_entry};
    EXPECT_EQ(entries(), expected);
    EXPECT_EQ(comm()->currentText(), "Com 1") << "listing changes no choice";

    // An adapter plugged in later is there the next time the list opens.
    fake.port_list.fixed = {acm, usb};
    comm()->showPopup();
    comm()->hidePopup();
    expected.insert(8, "/dev/ttyACM0 - Pole display - USB 2341:0043");
    EXPECT_EQ(entries(), expected);
}

TEST_F(FindPortTest, ChosenSystemPortIsTheDeviceAReadOpens) {
    pick(8);
    EXPECT_EQ(comm()->currentText(), QString::fromStdString(usb.device));
    EXPECT_EQ(w.window->editor().model.host_port.index, -1);

    answering_speed = "9600,";
    w.click("GetSetting");
    EXPECT_EQ(fake.port.choice.number, 0);
    EXPECT_EQ(fake.port.choice.typed, usb.device);
    EXPECT_EQ(fake.boxes.texts().back(), "Upload O.K!");

    // Com 1 to Com 8 keep their meaning after the system's entries.
    pick(2);
    EXPECT_EQ(comm()->currentText(), "Com 3");
    EXPECT_EQ(w.window->editor().model.host_port.index, 2);
}

TEST_F(FindPortTest, FindSelectsThePortAndBaudThatAnsweredAndNothingElse) {
    w.show_tab(1);
    const EditorModel before = w.window->editor().model;
    const SettingsImage image = w.window->editor().image;
    w.show_tab(0);
    // What the window shows behind the box that says the port and speed are selected.
    QString comm_behind, baud_behind;
    fake.boxes.on_show = [&] {
        comm_behind = comm()->currentText();
        baud_behind = w.named<QComboBox>("Baud")->currentText();
    };
    w.click("FindPort");

    ASSERT_EQ(fake.boxes.shown.size(), 2u);
    EXPECT_EQ(comm_behind, QString::fromStdString(usb.device));
    EXPECT_EQ(baud_behind, "19200,n,8,1") << "the selection is shown before the box says so";
    EXPECT_TRUE(fake.boxes.shown[0].confirmation);
    EXPECT_NE(fake.boxes.shown[0].text.find("read request"), std::string::npos);
    EXPECT_EQ(fake.boxes.shown[1].text, "A display answers on " + usb.device +
                                            " at 19200 bit/s.\rThat port and speed are selected.");
    EXPECT_EQ(comm()->currentText(), QString::fromStdString(usb.device));
    EXPECT_EQ(w.named<QComboBox>("Baud")->currentText(), "19200,n,8,1");
    EXPECT_EQ(w.named<QComboBox>("Baud")->currentIndex(), 1);
    EditorModel expected = before;
    expected.host_port = w.window->editor().model.host_port;
    expected.host_line = w.window->editor().model.host_line;
    expected.shown_tab = 0;
    EXPECT_EQ(w.window->editor().model, expected);
    EXPECT_EQ(w.window->editor().image, image) << "a probe is not a read";
    EXPECT_FALSE(fake.port.is_open());
    EXPECT_FALSE(w.window->findChild<QProgressDialog*>("FindProgress"))
        << "the progress dialog is gone once the probe is over";
}

TEST_F(FindPortTest, CancelInTheMiddleClosesThePortAndChangesNothing) {
    const EditorModel before = w.window->editor().model;
    // The operator cancels as the probe reaches Com 1 at 19200.
    bool clicked = false;
    at_second_open = [&] {
        auto* dialog = w.window->findChild<QProgressDialog*>("FindProgress");
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(dialog->isVisible());
        EXPECT_TRUE(dialog->labelText().contains("19200"));
        auto* cancel = dialog->findChild<QPushButton*>();
        ASSERT_NE(cancel, nullptr);
        QTest::mouseClick(cancel, Qt::LeftButton);
        clicked = true;
    };
    w.click("FindPort");
    ASSERT_TRUE(clicked);
    EXPECT_EQ(opens, 2) << "the USB port is not probed after the cancel";
    EXPECT_FALSE(fake.port.is_open());
    EXPECT_EQ(fake.port.opens, fake.port.closes);
    EXPECT_EQ(w.window->editor().model, before);
    EXPECT_EQ(comm()->currentText(), "Com 1");
    EXPECT_EQ(w.named<QComboBox>("Baud")->currentText(), "9600,n,8,1");
    EXPECT_EQ(fake.boxes.shown.size(), 1u) << "only the question; a cancel needs no box";
}

TEST_F(FindPortTest, NoAnswerSaysSoOnceAndChangesNothing) {
    answering_device = "/dev/elsewhere";
    const EditorModel before = w.window->editor().model;
    w.click("FindPort");
    ASSERT_EQ(fake.boxes.shown.size(), 2u);
    EXPECT_EQ(fake.boxes.shown[1].text,
              "No display answered on 2 ports at 9600 or 19200 bit/s; nothing was changed.");
    EXPECT_EQ(w.window->editor().model, before);
    EXPECT_EQ(opens, 4);
}

// What the port check reads of the system about the USB adapter: a user outside its group, or
// a program holding it.
PortFacts adapter_facts() {
    PortFacts facts;
    facts.port = facts.device = usb.device;
    facts.kind = PortFacts::Kind::UsbAdapter;
    facts.owner = "root";
    facts.group = "dialout";
    facts.mode = 0660;
    facts.user = "alice";
    return facts;
}

TEST_F(FindPortTest, AReadThatCannotOpenThePortShowsTheCheckFindingAndFixBelowTheFailure) {
    PortFacts facts = adapter_facts();
    facts.usable_by_process = false;
    fake.port_examiner.facts[usb.device] = facts;
    const PortFailure failure{PortFailure::Kind::Permission, usb.device, "Permission denied"};
    fake.port.open_failure = failure;
    pick(8);
    w.click("GetSetting");

    ASSERT_FALSE(fake.boxes.texts().empty());
    EXPECT_EQ(fake.boxes.texts().back(),
              port_failure_message(usb.device, "9600,n,8,1", failure) +
                  "\n\nCheck: owner root, group dialout, mode 660: alice is not in the group "
                  "dialout.\nFix: sudo usermod -aG dialout \"$USER\" (then log out and in again)");

    // A port the check finds nothing wrong with gets the failure alone.
    fake.port_examiner.facts.clear();
    w.click("GetSetting");
    EXPECT_EQ(fake.boxes.texts().back(), port_failure_message(usb.device, "9600,n,8,1", failure));
}

TEST_F(FindPortTest, FindWithoutADisplayNamesTheCheckFindingOfEachPort) {
    PortFacts facts = adapter_facts();
    facts.holders = {{812, "ModemManager"}};
    fake.port_examiner.facts[usb.device] = facts;
    answering_device = "nowhere";
    w.click("FindPort");

    ASSERT_EQ(fake.boxes.shown.size(), 2u);
    const std::string& text = fake.boxes.shown[1].text;
    EXPECT_EQ(text.substr(0, text.find('\r')),
              "No display answered on 2 ports at 9600 or 19200 bit/s; nothing was changed.");
    EXPECT_NE(text.find("\r" + usb.device +
                        ": ModemManager (process 812) holds it open; fix: sudo systemctl stop "
                        "ModemManager (it looks at serial ports again at its next start)"),
              std::string::npos)
        << text;
    // Com 1, which the check finds nothing wrong with, is examined but not named.
    EXPECT_EQ(fake.port_examiner.examined.size(), 2u);
    EXPECT_EQ(text.find("/dev/ttyS0"), std::string::npos) << text;
}

} // namespace
} // namespace pds
