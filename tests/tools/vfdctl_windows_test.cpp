// vfdctl.exe as a script runs it, under Wine, against the virtual displays that
// with_virtual_displays.sh puts behind COM ports: COM5 answers, COM6 is silent, COM7 refuses
// the check byte, COM12 answers above COM9, COM30 does not exist.
#include "adapters/win32/win32_serial_port.h"
#include "file/file_kinds.h"
#include "link/link_settings.h"
#include "support/sample_images.h"

#include <nlohmann/json.hpp>

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <thread>

namespace pds {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// The program's path as the build knows it, a Linux path, as Wine shows it (drive Z:).
std::string program() {
    std::string path = "Z:" VFDCTL_PROGRAM;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

struct Outcome {
    int status = -1;
    std::string output;
};

Bytes bytes_of(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), {});
}

Bytes bytes_of(const ImageBytes& image) {
    return Bytes(image.begin(), image.end());
}

std::wstring wide(const std::string& text) {
    return file_path(text).wstring();
}

bool says(const Outcome& run, const std::string& text) {
    return run.output.find(text) != std::string::npos;
}

// The current folder is the test's own while it lives, for names without a folder.
class InFolder {
public:
    explicit InFolder(const fs::path& folder) : before(fs::current_path()) {
        fs::current_path(folder);
    }
    ~InFolder() { fs::current_path(before); }

private:
    fs::path before;
};

class VfdctlWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("PDS_COM5_MEMORY"), nullptr)
            << "run through with_virtual_displays.sh, which sets up the COM ports";
        folder = fs::temp_directory_path() /
                 ("vfdctl_windows_test_" + std::to_string(std::random_device{}()));
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    // Runs vfdctl with `arguments` (UTF-8, no blanks inside one) through the command
    // processor, as a batch file would, handing it the command line in UTF-16 as Windows does;
    // with `both_streams` standard error is caught too.
    Outcome vfdctl(const std::string& arguments, bool both_streams = true) {
        const std::string command = program() + " " + arguments + (both_streams ? " 2>&1" : "");
        Outcome run;
        std::FILE* pipe = ::_wpopen(wide(command).c_str(), L"rb");
        if (!pipe)
            return run;
        char buffer[4096];
        while (const std::size_t count = std::fread(buffer, 1, sizeof buffer, pipe))
            run.output.append(buffer, count);
        run.status = ::_pclose(pipe);
        return run;
    }

    std::string at(const std::string& name) { return file_name(folder / file_path(name)); }
    std::string put(const std::string& name, const ImageBytes& image) {
        std::ofstream(folder / file_path(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(image.data()), image.size());
        return at(name);
    }
    std::set<std::string> names() {
        std::set<std::string> found;
        for (const auto& entry : fs::directory_iterator(folder))
            found.insert(file_name(entry.path().filename()));
        return found;
    }

    fs::path folder;
};

TEST_F(VfdctlWindowsTest, HelpAndBadArguments) {
    const Outcome help = vfdctl("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.output.find("Exit status:"), std::string::npos) << help.output;
    EXPECT_EQ(vfdctl("frobnicate").status, 2);
    EXPECT_EQ(vfdctl("write " + put("a.vfd", samples::factory_image())).status, 2) << "no port";
}

TEST_F(VfdctlWindowsTest, WriteReadShowAndDiffThroughACOMPort) {
    const std::string factory = put("factory.vfd", samples::factory_image());
    const std::string odd = put("odd.vfd", samples::odd_image());

    const Outcome write = vfdctl("write " + odd + " --port COM5");
    EXPECT_EQ(write.status, 0) << write.output;
    EXPECT_NE(write.output.find("COM5: written and verified at 9600 bit/s"), std::string::npos)
        << write.output;
    EXPECT_EQ(bytes_of(std::getenv("PDS_COM5_MEMORY")), bytes_of(samples::odd_image()));

    const Outcome read = vfdctl("read --port COM5 -o " + at("back.vfd"));
    EXPECT_EQ(read.status, 0) << read.output;
    EXPECT_EQ(bytes_of(folder / "back.vfd"), bytes_of(samples::odd_image()));

    EXPECT_EQ(vfdctl("diff " + odd + " port:COM5").status, 0);
    const Outcome differ = vfdctl("diff " + factory + " port:COM5");
    EXPECT_EQ(differ.status, 1) << differ.output;

    const Outcome shown = vfdctl("show --port COM5 --json", false);
    EXPECT_EQ(shown.status, 0) << shown.output;
    const auto document = nlohmann::json::parse(shown.output, nullptr, false);
    ASSERT_FALSE(document.is_discarded()) << shown.output;
    EXPECT_EQ(document["ports"][0]["configuration"],
              nlohmann::json::parse(vfdctl("export " + odd, false).output))
        << "the port's configuration is the file's";
}

TEST_F(VfdctlWindowsTest, ReadReplacesItsOutputWholeAndLeavesNothingBeside) {
    put("shop.vfd", samples::counting_image());
    ASSERT_EQ(vfdctl("write " + put("odd.vfd", samples::odd_image()) + " --port COM5").status, 0);
    const Outcome read = vfdctl("read --port COM5 -o " + at("shop.vfd"));
    EXPECT_EQ(read.status, 0) << read.output;
    EXPECT_EQ(bytes_of(folder / "shop.vfd"), bytes_of(samples::odd_image()));
    EXPECT_EQ(names(), (std::set<std::string>{"shop.vfd", "odd.vfd"}));
}

TEST_F(VfdctlWindowsTest, ExportAndImportKeepEveryByteAndJsonReportsTheOutcome) {
    const std::string odd = put("odd.vfd", samples::odd_image());
    const Outcome exported = vfdctl("export " + odd, false);
    ASSERT_EQ(exported.status, 0) << exported.output;
    std::ofstream(folder / "odd.json", std::ios::binary) << exported.output;
    const Outcome imported = vfdctl("import " + at("odd.json") + " -o " + at("again.vfd"));
    EXPECT_EQ(imported.status, 0) << imported.output;
    EXPECT_EQ(bytes_of(folder / "again.vfd"), bytes_of(samples::odd_image()));

    const Outcome silent = vfdctl("write " + odd + " --port COM6 --json", false);
    EXPECT_EQ(silent.status, 5);
    const auto document = nlohmann::json::parse(silent.output, nullptr, false);
    ASSERT_FALSE(document.is_discarded()) << silent.output;
    EXPECT_EQ(document["status"], 5);
    EXPECT_EQ(document["meaning"], "no_answer");
    EXPECT_EQ(document["ports"][0]["port"], "COM6");
}

TEST_F(VfdctlWindowsTest, PortsListsTheCOMPortsAndFindTellsWhichHasADisplay) {
    const Outcome listed = vfdctl("ports --json", false);
    EXPECT_EQ(listed.status, 0) << listed.output;
    const auto ports = nlohmann::json::parse(listed.output, nullptr, false);
    ASSERT_FALSE(ports.is_discarded()) << listed.output;
    std::set<std::string> names;
    for (const auto& port : ports["ports"])
        names.insert(port["port"].get<std::string>());
    EXPECT_TRUE(names.contains("COM5") && names.contains("COM6")) << listed.output;

    const Outcome found = vfdctl("find --port COM5 --port COM6");
    EXPECT_EQ(found.status, 0) << found.output;
    EXPECT_NE(found.output.find("COM5: display at 9600 bit/s"), std::string::npos) << found.output;
    EXPECT_NE(found.output.find("COM6: no display: no answer at 9600 or 19200 bit/s"),
              std::string::npos)
        << found.output;

    const Outcome none = vfdctl("find --port COM6");
    EXPECT_EQ(none.status, 5) << none.output;
}

TEST_F(VfdctlWindowsTest, FailuresGiveTheirStatus) {
    const std::string factory = put("factory.vfd", samples::factory_image());
    const struct {
        std::string arguments;
        int status;
        std::string says;
    } cases[] = {
        {"write " + factory + " --port COM6", 5, "COM6"},
        {"write " + factory + " --port COM7 --force", 6, "COM7"},
        {"write " + factory + " --port COM30", 4, "COM30"},
        {"read --port COM5 --port Com5 -o " + at("a.vfd") + " -o " + at("b.vfd"), 2, "COM5"},
        {"show " + at("missing.vfd"), 3, "missing.vfd"},
    };
    for (const auto& c : cases) {
        const Outcome run = vfdctl(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments << "\n" << run.output;
        EXPECT_NE(run.output.find(c.says), std::string::npos) << run.output;
    }
}

// A COM port another program has open, here this test, which holds COM5 as vfdctl holds a
// port: every command that would open it says what read says, with read's status. (Wine,
// unlike Windows, lets a second program open a COM port that one has open without sharing, so
// under Wine only the hold of programs built on this adapter can show.)
TEST_F(VfdctlWindowsTest, ACOMPortAnotherProgramHoldsIsRefusedAsReadRefusesIt) {
    const std::string odd = put("odd.vfd", samples::odd_image());
    ASSERT_EQ(
        vfdctl("write " + put("factory.vfd", samples::factory_image()) + " --port COM5").status, 0);
    Win32SerialPort holder;
    ASSERT_EQ(open_port(holder, {{0, "COM5"}, "9600,n,8,1"}), std::nullopt);
    const struct {
        std::string arguments;
        std::string says;
    } cases[] = {
        {"read --port COM5 -o " + at("back.vfd"),
         "COM5: cannot open COM5: another program is using this port"},
        {"write " + odd + " --port COM5", "COM5: not written: the read before the write failed: "
                                          "cannot open COM5: another program is using this port"},
        {"write " + odd + " --port COM5 --force",
         "COM5: cannot open COM5: another program is using this port"},
    };
    for (const auto& c : cases) {
        const Outcome run = vfdctl(c.arguments);
        EXPECT_EQ(run.status, 4) << c.arguments << "\n" << run.output;
        EXPECT_TRUE(says(run, c.says)) << c.arguments << "\n" << run.output;
    }
    // find ends with 5 when no display answered; the port's own status is read's.
    const Outcome found = vfdctl("find --port COM5 --json", false);
    EXPECT_EQ(found.status, 5) << found.output;
    const auto document = nlohmann::json::parse(found.output, nullptr, false);
    ASSERT_FALSE(document.is_discarded()) << found.output;
    EXPECT_EQ(document["ports"][0]["status"], 4) << found.output;
    EXPECT_EQ(document["ports"][0]["message"], "no display: another program is using this port");
    holder.close();
    EXPECT_EQ(bytes_of(std::getenv("PDS_COM5_MEMORY")), bytes_of(samples::factory_image()));
    EXPECT_FALSE(fs::exists(folder / "back.vfd"));

    const Outcome freed = vfdctl("read --port COM5 -o " + at("back.vfd"));
    EXPECT_EQ(freed.status, 0) << freed.output;
}

TEST_F(VfdctlWindowsTest, NamesBeyondASCIIReachTheirFilesAndComeBackAsTyped) {
    // Cyrillic, CJK and the euro sign, which no one ANSI code page holds together.
    const std::string stems[] = {
        "\xD0\x9C\xD0\xB0\xD0\xB3\xD0\xB0\xD0\xB7\xD0\xB8\xD0\xBD", // Магазин
        "\xE5\xBA\x97\xE8\x88\x97",                                 // 店舗
        "t\xC3\xA9st\xE2\x82\xAC"};                                 // tést€
    for (const auto& stem : stems) {
        const std::string settings = put(stem + ".vfd", samples::odd_image());
        const Outcome write = vfdctl("write " + settings + " --port COM5 --force");
        EXPECT_EQ(write.status, 0) << stem << "\n" << write.output;

        const std::string read_into = at(stem + "-read.vfd");
        const Outcome read = vfdctl("read --port COM5 -o " + read_into);
        EXPECT_EQ(read.status, 0) << stem << "\n" << read.output;
        EXPECT_TRUE(says(read, "into " + read_into)) << read.output;
        EXPECT_EQ(bytes_of(folder / file_path(stem + "-read.vfd")), bytes_of(samples::odd_image()));

        const Outcome exported = vfdctl("export " + settings, false);
        ASSERT_EQ(exported.status, 0) << stem << "\n" << exported.output;
        std::ofstream(folder / file_path(stem + ".json"), std::ios::binary) << exported.output;
        const std::string imported = at(stem + "-imported.vfd");
        const Outcome import = vfdctl("import " + at(stem + ".json") + " -o " + imported);
        EXPECT_EQ(import.status, 0) << stem << "\n" << import.output;
        EXPECT_TRUE(says(import, "wrote " + imported)) << import.output;
        EXPECT_EQ(bytes_of(folder / file_path(stem + "-imported.vfd")),
                  bytes_of(samples::odd_image()));

        const Outcome same = vfdctl("diff " + settings + " " + imported);
        EXPECT_EQ(same.status, 0) << stem << "\n" << same.output;
        EXPECT_TRUE(says(same, settings + " and " + imported + " hold the same settings"))
            << same.output;

        const std::string missing = at(stem + "-missing.vfd");
        const Outcome refused = vfdctl("show " + missing);
        EXPECT_EQ(refused.status, 3) << refused.output;
        EXPECT_TRUE(says(refused, missing + ": cannot read")) << refused.output;
    }
    EXPECT_EQ(names().size(), 4 * std::size(stems)) << "nothing made under another name";
}

TEST_F(VfdctlWindowsTest, OutputInEveryFormIsMadeAndReplaced) {
    put("odd.vfd", samples::odd_image());
    std::ofstream(folder / "odd.json", std::ios::binary)
        << vfdctl("export " + at("odd.vfd"), false).output;
    fs::create_directory(folder / "sub");
    const InFolder inside(folder);
    const std::string forms[] = {"bare.vfd", ".\\dotted.vfd", "sub\\nested.vfd",
                                 at("absolute.vfd")};
    for (const auto& form : forms) {
        // The first run makes the file, the second replaces it.
        for (const char* over : {"no file", "an existing file"}) {
            const Outcome imported = vfdctl("import odd.json -o " + form);
            EXPECT_EQ(imported.status, 0) << form << " over " << over << "\n" << imported.output;
            EXPECT_EQ(bytes_of(form), bytes_of(samples::odd_image())) << form << " over " << over;
        }
        const Outcome read = vfdctl("read --port COM5 -o " + form);
        EXPECT_EQ(read.status, 0) << form << "\n" << read.output;
    }
    EXPECT_EQ(names(), (std::set<std::string>{"odd.vfd", "odd.json", "sub", "bare.vfd",
                                              "dotted.vfd", "absolute.vfd"}));
}

TEST_F(VfdctlWindowsTest, PathsAndDeviceNamesAsWindowsHasThem) {
    put("odd.vfd", samples::odd_image());
    std::ofstream(folder / "odd.json", std::ios::binary)
        << vfdctl("export " + at("odd.vfd"), false).output;
    // A path from the current drive's root starts with a slash, as an option does elsewhere.
    // On drive Z:, Wine's view of the whole Linux tree, /tmp is the same folder whether the
    // slash is read as Windows or as Wine reads it.
    const std::string name = folder.filename().string();
    const fs::path rooted = fs::path("Z:\\tmp") / name;
    fs::create_directories(rooted);
    fs::copy_file(folder / "odd.json", rooted / "odd.json");
    {
        const InFolder on_z(rooted);
        const Outcome imported =
            vfdctl("import /tmp/" + name + "/odd.json -o /tmp/" + name + "/again.vfd");
        EXPECT_EQ(imported.status, 0) << imported.output;
    }
    EXPECT_EQ(bytes_of(rooted / "again.vfd"), bytes_of(samples::odd_image()));
    std::error_code ignored;
    fs::remove_all(rooted, ignored);

    const InFolder inside(folder);
    // Windows keeps these names for devices in every folder.
    for (const std::string device : {"CON", "NUL", "aux", "COM5", "sub\\LPT1.vfd"}) {
        const Outcome refused = vfdctl("import odd.json -o " + device);
        EXPECT_EQ(refused.status, 3) << device << "\n" << refused.output;
        EXPECT_TRUE(says(refused, device + ": cannot write: a Windows device name, not a file"))
            << refused.output;
    }
    const Outcome nul = vfdctl("show NUL");
    EXPECT_EQ(nul.status, 3) << nul.output;
    EXPECT_TRUE(says(nul, "NUL: cannot read: a Windows device name, not a file")) << nul.output;

    // The backslash is the path separator here: names come back as they were typed.
    const std::string missing = at("sub\\missing.vfd");
    const Outcome show = vfdctl("show " + missing);
    EXPECT_EQ(show.status, 3) << show.output;
    EXPECT_TRUE(says(show, missing + ": cannot read: No such file or directory")) << show.output;
    EXPECT_FALSE(says(show, "\\x5C")) << show.output;
}

TEST_F(VfdctlWindowsTest, DoctorSaysWhatKeepsEachCOMPortFromBeingUsed) {
    const Outcome missing = vfdctl("doctor --port COM30 --no-probe");
    EXPECT_EQ(missing.status, 4) << missing.output;
    EXPECT_TRUE(says(missing, "COM30: cannot be used: 1 problem")) << missing.output;
    EXPECT_TRUE(says(missing, "problem: does not exist; the COM ports that do: "))
        << missing.output;
    EXPECT_TRUE(says(missing, "COM5, COM6, COM7, COM8, COM12")) << missing.output;

    const Outcome high = vfdctl("doctor --port COM12 --json", false);
    EXPECT_EQ(high.status, 0) << high.output;
    const auto document = nlohmann::json::parse(high.output, nullptr, false);
    ASSERT_FALSE(document.is_discarded()) << high.output;
    std::set<std::string> texts;
    for (const auto& finding : document["ports"][0]["findings"])
        texts.insert(finding["severity"].get<std::string>() + " " +
                     finding["text"].get<std::string>());
    EXPECT_TRUE(texts.count("advice above COM9 a program must open it as \\\\.\\COM12; "
                            "vfdctl and the window do"))
        << high.output;
    EXPECT_TRUE(texts.count("ok a display answers at 9600 bit/s")) << high.output;

    // Held by this process as the window or another vfdctl holds it: the port's named claim and
    // the device itself, which Windows' own drivers refuse to a second program.
    const HANDLE claim = ::CreateMutexW(nullptr, FALSE, L"Global\\PoleDisplaySetup.port.COM5");
    const HANDLE held = ::CreateFileW(L"\\\\.\\COM5", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(claim, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const Outcome in_use = vfdctl("doctor --port COM5");
    ::CloseHandle(held);
    ::CloseHandle(claim);
    EXPECT_EQ(in_use.status, 4) << in_use.output;
    EXPECT_TRUE(says(in_use, "problem: another program has it open: Windows denies access to it"))
        << in_use.output;
    EXPECT_EQ(vfdctl("doctor --port COM5 --no-probe").status, 0);
}

} // namespace
} // namespace pds
