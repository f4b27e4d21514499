// An editor at its start-up state, wired to a scripted display, that watches the port at
// every message box: no transfer may show a box while the port is open.
#pragma once

#include "commands/defaults.h"
#include "link/port_routines.h"
#include "settings/option_lists.h"
#include "support/fake_display.h"
#include "support/fake_services.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pds::testing_link {

// When a request goes out on a line that is silent from the start: just past its quiet time.
inline std::uint32_t settle_ms() {
    fakes::VirtualClock clock;
    const fakes::ScriptedPort port{clock};
    return static_cast<std::uint32_t>(quiet_time_ms(port)) + 1;
}

struct LinkFixture : ::testing::Test, fakes::EditorFixture {
    fakes::ScriptedDisplay display{fake.port};
    fakes::ScriptedPort& port = fake.port;
    std::vector<bool> open_at_box;

    LinkFixture() {
        fill_option_lists(editor.model);
        set_all_default(editor);
        fake.boxes.on_show = [this] { open_at_box.push_back(port.is_open()); };
    }

    void TearDown() override {
        EXPECT_FALSE(port.is_open()) << "port left open";
        for (bool open : open_at_box)
            EXPECT_FALSE(open) << "a box was shown with the port open";
    }

    std::vector<std::string> boxes() const { return fake.boxes.texts(); }

    // Positions 1..126 set to a pattern no capture or default produces.
    void fill_image_with_pattern() {
        for (int p = 1; p <= image_size; ++p)
            editor.image[p] = static_cast<std::uint8_t>(0x80 + p);
    }
};

} // namespace pds::testing_link
