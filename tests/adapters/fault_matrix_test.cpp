// Every fault the utility meets, one row each, on the real serial adapter and file system
// against the virtual display. Each row checks the message, that the port is closed, that the
// process stays idle, that nothing is lost unless the operation succeeded, and that the next
// operation works.
#include "commands/read_from_display.h"
#include "commands/save_and_load.h"
#include "commands/write_to_display.h"
#include "link/port_failure_message.h"
#include "station.h"
#include "virtual_display_process.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace pds {
namespace {

using display::VirtualDisplayProcess;
using testing::Station;
using Texts = std::vector<std::string>;

enum class Operation { Write, Read, Save, Load };

// What a display holds before each row: list codes in range, both lines, a character, and
// reserved bytes that must survive.
ImageBytes display_memory() {
    ImageBytes image{};
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(0x21 + i % 90);
    at_position(image, position::display_baud) = 1;
    at_position(image, position::code_page) = 12;
    at_position(image, position::command_set) = 4;
    at_position(image, position::passthru_mode) = 2;
    return image;
}

QByteArray bytes_of(const ImageBytes& image) {
    return QByteArray(reinterpret_cast<const char*>(image.data()), image_size);
}

// Everything a row works with besides the utility.
struct Scene {
    QTemporaryDir folder;
    std::unique_ptr<VirtualDisplayProcess> display;
    std::unique_ptr<QProcess> holder; // another program keeping the port open
    std::string file;                 // the file a Save or Load chooses
    QByteArray file_before;           // its contents before the operation, if any

    void write_file(const QString& name, const QByteArray& contents) {
        file = folder.filePath(name).toStdString();
        QFile out(folder.filePath(name));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(contents);
    }
};

struct Fault {
    const char* name;
    Operation operation;
    QStringList display_options;                   // none: no display is started
    std::function<void(Station&, Scene&)> prepare; // optional
    std::function<Texts(const Station&, const Scene&)> expected_boxes;
    bool succeeds;
};

std::string device_of(const Scene& scene) {
    return scene.display->device();
}

Texts only(std::string text) {
    return {std::move(text)};
}

bool contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

void hold_port(Station&, Scene& scene) {
    scene.holder = std::make_unique<QProcess>();
    scene.holder->start(QStringLiteral(PORT_PROBE_PROGRAM),
                        {"--hold", QString::fromStdString(scene.display->device())});
    ASSERT_TRUE(scene.holder->waitForReadyRead(5000));
    ASSERT_EQ(scene.holder->readLine().trimmed(), "opened");
}

// The held port under another name of the same device, which Qt's lock file does not see.
void hold_port_named_otherwise(Station& station, Scene& scene) {
    hold_port(station, scene);
    station.choose("/dev/" + scene.display->device().substr(std::string("/dev").size()));
}

// The box as shown when it says `part`; otherwise what it should have said, so the row fails.
Texts saying(const Station& station, const std::string& part) {
    const auto shown = station.shown();
    if (shown.size() == 1 && contains(shown[0], part.c_str()))
        return shown;
    return only("a message saying " + part);
}

// Leaves bytes in the host's input: a read whose reply trails 20 more bytes than it takes.
void leave_stale_input(Station& station, Scene&) {
    read_from_display(station.editor);
    ASSERT_EQ(station.shown(), only(upload_ok));
    QThread::msleep(100); // the trailing bytes cross the line after the port has closed
    station.boxes.shown.clear();
}

// A read just before, as `vfdctl write` makes one, whose trailing noise is still coming in.
void read_first(Station& station, Scene&) {
    read_from_display(station.editor);
    ASSERT_EQ(station.shown(), only(upload_ok));
    station.boxes.shown.clear();
}

// Something else keeps sending on the display's line: no request goes into it.
Texts never_quiet(const Station&, const Scene& scene) {
    return only(
        port_failure_message(device_of(scene), "9600,n,8,1",
                             {PortFailure::Kind::NeverQuiet, device_of(scene), never_quiet_words}));
}

void choose_file(Station& station, Scene& scene) {
    const auto slash = scene.file.find_last_of('/');
    station.dialog.answers.push_back({scene.file, scene.file.substr(slash + 1)});
}

void file_of(Station& station, Scene& scene, const QByteArray& contents) {
    scene.write_file("shop.vfd", contents);
    scene.file_before = contents;
    choose_file(station, scene);
}

QByteArray changed_at(int position, std::uint8_t value) {
    QByteArray bytes = bytes_of(display_memory());
    bytes[position - 1] = static_cast<char>(value);
    return bytes;
}

// A save target that cannot be replaced, with an old file in it: a read-only folder, or for
// root, who may write there anyway, a file of the read-only /proc.
void unwritable_target(Station& station, Scene& scene) {
    if (::geteuid() == 0) {
        scene.file = "/proc/version";
        QFile old(QString::fromStdString(scene.file));
        ASSERT_TRUE(old.open(QIODevice::ReadOnly));
        scene.file_before = old.readAll();
    } else {
        scene.write_file("locked/shop.vfd", "old");
        scene.file_before = "old";
        QFile::setPermissions(scene.folder.filePath("locked"),
                              QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    choose_file(station, scene);
}

// A FIFO that no program opens: waiting for its other end would hang the window for good.
void fifo_chosen(Station& station, Scene& scene) {
    scene.file = scene.folder.filePath("shop.vfd").toStdString();
    ASSERT_EQ(::mkfifo(scene.file.c_str(), 0600), 0);
    choose_file(station, scene);
}

const std::vector<Fault>& faults() {
    // One row a fault, kept a few lines each so the matrix reads as a table.
    // clang-format off
    static const std::vector<Fault> rows{
        {"SilentDisplayOnWrite", Operation::Write, {"--silent"}, {},
         [](auto&, auto&) { return only(download_fail); }, false},
        {"SilentDisplayOnRead", Operation::Read, {"--silent"}, {},
         [](auto&, const Scene& s) { return only(device_of(s) + cant_be_open); }, false},
        {"WrongCheckByte", Operation::Write, {"--wrong-check"}, {},
         [](auto&, auto&) { return only(irc_check_error); }, false},
        {"SeveralAnswerBytes", Operation::Write, {"--answer-bytes", "4"}, {},
         [](auto&, auto&) { return only(download_successful); }, true},
        {"NoReplyByte", Operation::Read, {"--short-reply", "0"}, {},
         [](auto&, const Scene& s) { return only(device_of(s) + cant_be_open); }, false},
        {"ReplyOfOneByte", Operation::Read, {"--short-reply", "1"}, {},
         [](auto&, auto&) { return only(receive_check_error); }, false},
        {"ReplyOf126Bytes", Operation::Read, {"--short-reply", "126"}, {},
         [](auto&, auto&) { return only(receive_check_error); }, false},
        {"ReplyOf128AndMoreBytes", Operation::Read, {"--extra-bytes", "5"}, {},
         [](auto&, auto&) { return only(upload_ok); }, true},
        {"WrongMark", Operation::Read, {"--wrong-mark"}, {},
         [](auto&, auto&) { return only(receive_check_error); }, false},
        {"StaleInputBeforeAWrite", Operation::Write, {"--extra-bytes", "20"}, leave_stale_input,
         [](auto&, auto&) { return only(download_successful); }, true},
        {"NoiseTrailingTheReadBeforeAWrite", Operation::Write, {"--trailing", "40"}, read_first,
         [](auto&, auto&) { return only(download_successful); }, true},
        {"NoiseTrailingTheReadBeforeARead", Operation::Read, {"--trailing", "40"}, read_first,
         [](auto&, auto&) { return only(upload_ok); }, true},
        {"TwoHundredBytesTrailingTheReadBeforeAWrite", Operation::Write,
         {"--extra-bytes", "200"}, read_first,
         [](auto&, auto&) { return only(download_successful); }, true},
        {"TwoHundredBytesTrailingTheReadBeforeARead", Operation::Read, {"--extra-bytes", "200"},
         read_first, [](auto&, auto&) { return only(upload_ok); }, true},
        {"LineThatNeverFallsQuietOnWrite", Operation::Write, {"--chatter"}, {}, never_quiet,
         false},
        {"LineThatNeverFallsQuietOnRead", Operation::Read, {"--chatter"}, {}, never_quiet, false},
        {"HangUpMidRead", Operation::Read, {"--hang-up-after", "60"}, {},
         [](auto&, auto&) { return only(receive_check_error); }, false},
        {"HangUpMidWrite", Operation::Write, {"--hang-up-after", "8"}, {},
         [](auto&, auto&) { return only(download_fail); }, false},
        {"LineThatNeverDrains", Operation::Write, {"--stall", "3000"}, {},
         [](auto&, auto&) { return only(download_fail); }, false},
        {"MissingPort", Operation::Read, {},
         [](Station& st, Scene&) { st.choose("/dev/ttyUSB-not-there"); },
         [](auto&, auto&) {
             return only(
                 port_failure_message("/dev/ttyUSB-not-there", "9600,n,8,1",
                                      {PortFailure::Kind::NoSuchPort, "/dev/ttyUSB-not-there",
                                       "No such file or directory"}));
         },
         false},
        {"PortHeldByAnotherProgram", Operation::Write, {"--delay", "0"}, hold_port,
         [](const Station& st, auto&) {
             const auto shown = st.shown();
             // The system's reason is its own; the rest of the message is fixed.
             if (shown.size() == 1 && contains(shown[0], "Another program is using this port"))
                 return shown;
             return only("a message that another program holds the port");
         },
         false},
        {"PortHeldUnderAnotherName", Operation::Write, {"--delay", "0"}, hold_port_named_otherwise,
         [](const Station& st, auto&) { return saying(st, "Another program is using this port"); },
         false},
        {"RegularFileAsPort", Operation::Read, {},
         [](Station& st, Scene& s) {
             s.write_file("port.txt", "not a port");
             st.choose(s.file);
         },
         [](const Station& st, const Scene& s) {
             return saying(st, "\"" + s.file + "\" is not a serial port but a regular file.");
         },
         false},
        {"UnreadableFile", Operation::Load, {},
         [](Station& st, Scene& s) {
             ASSERT_TRUE(QDir(s.folder.path()).mkdir("folder.vfd"));
             s.file = s.folder.filePath("folder.vfd").toStdString();
             choose_file(st, s);
         },
         [](auto&, const Scene& s) {
             return Texts{load_question,
                          load_failure_message(s.file, "file to open is a directory")};
         },
         false},
        {"ShortFile", Operation::Load, {},
         [](Station& st, Scene& s) { file_of(st, s, bytes_of(display_memory()).left(100)); },
         [](auto&, auto&) { return Texts{load_question, load_error}; }, false},
        {"LongFile", Operation::Load, {},
         [](Station& st, Scene& s) { file_of(st, s, bytes_of(display_memory()) + QByteArray(60, 'x')); },
         [](auto&, auto&) { return Texts{load_question}; }, true},
        {"BaudRateOutOfRangeFile", Operation::Load, {},
         [](Station& st, Scene& s) { file_of(st, s, changed_at(position::display_baud, 2)); },
         [](auto&, auto&) { return Texts{load_question, load_error}; }, false},
        {"CharacterTableOutOfRangeFile", Operation::Load, {},
         [](Station& st, Scene& s) { file_of(st, s, changed_at(position::code_page, 36)); },
         [](auto&, auto&) { return Texts{load_question, load_error}; }, false},
        {"CommandSetOutOfRangeFile", Operation::Load, {},
         [](Station& st, Scene& s) { file_of(st, s, changed_at(position::command_set, 10)); },
         [](auto&, auto&) { return Texts{load_question, load_error}; }, false},
        {"PassthruOutOfRangeFile", Operation::Load, {},
         [](Station& st, Scene& s) { file_of(st, s, changed_at(position::passthru_mode, 3)); },
         [](auto&, auto&) { return Texts{load_question, load_error}; }, false},
        {"UnwritableSaveTarget", Operation::Save, {}, unwritable_target,
         [](const Station& st, const Scene& s) {
             const auto shown = st.shown();
             if (shown.size() == 1 && contains(shown[0], s.file.c_str()))
                 return shown;
             return only("a message naming " + s.file);
         },
         false},
        {"FifoAsSaveTarget", Operation::Save, {}, fifo_chosen,
         [](auto&, const Scene& s) {
             return only(save_failure_message(s.file, "Not a regular file"));
         },
         false},
        {"FifoToLoad", Operation::Load, {}, fifo_chosen,
         [](auto&, const Scene& s) {
             return Texts{load_question, load_failure_message(s.file, "Not a regular file")};
         },
         false},
    };
    // clang-format on
    return rows;
}

// Rows are named in the test list and in failures by their name alone.
void PrintTo(const Fault& fault, std::ostream* out) {
    *out << fault.name;
}

class FaultMatrix : public ::testing::TestWithParam<Fault> {
protected:
    Station station;
    Scene scene;
};

void run(Operation operation, Editor& editor) {
    switch (operation) {
    case Operation::Write:
        write_to_display(editor);
        break;
    case Operation::Read:
        read_from_display(editor);
        break;
    case Operation::Save:
        save_to_file(editor);
        break;
    case Operation::Load:
        load_from_file(editor);
        break;
    }
}

TEST_P(FaultMatrix, EndsWithItsMessageAndLosesNothing) {
    const Fault& fault = GetParam();
    Editor& editor = station.editor;
    // Something in the image that only a successful read or load may replace.
    for (int p = position::udc_table; p <= image_size; ++p)
        editor.image[p] = static_cast<std::uint8_t>(p);

    if (!fault.display_options.isEmpty()) {
        scene.display =
            std::make_unique<VirtualDisplayProcess>(fault.display_options, display_memory());
        ASSERT_TRUE(scene.display->started());
        station.choose(scene.display->device());
    }
    if (fault.prepare)
        fault.prepare(station, scene);
    if (::testing::Test::HasFatalFailure())
        return;

    const auto file_kind = [&] {
        std::error_code error;
        return std::filesystem::symlink_status(scene.file, error).type();
    };
    const auto file_kind_before = file_kind();
    const SettingsImage image_before = editor.image;
    const EditorModel model_before = editor.model;
    QElapsedTimer wall;
    wall.start();
    const double cpu_before = testing::cpu_seconds();
    run(fault.operation, editor);
    const double cpu_used = testing::cpu_seconds() - cpu_before;
    const double wall_s = wall.elapsed() / 1000.0;

    EXPECT_EQ(station.shown(), fault.expected_boxes(station, scene));
    station.expect_port_closed_at_every_box();
    // Waiting blocks on the port or the system; a fixed allowance covers the work itself. The
    // bounds are loose enough for a loaded machine and the sanitizers, and still far below a
    // wait that spins; the link benchmark keeps the tight figure.
    EXPECT_LT(cpu_used, 0.3 + 0.3 * wall_s) << "over " << wall_s << " s";
    const double cpu_idle_before = testing::cpu_seconds();
    QThread::msleep(300);
    EXPECT_LT(testing::cpu_seconds() - cpu_idle_before, 0.1) << "busy after the operation";

    const bool read_in = fault.succeeds &&
                         (fault.operation == Operation::Read || fault.operation == Operation::Load);
    const bool captures = fault.operation == Operation::Write || fault.operation == Operation::Save;
    if (captures) {
        // A write or save captures the lists and lines by design; no other byte may move.
        for (int p : {1, 3, 5, 67})
            EXPECT_EQ(editor.image[p], image_before[p]) << "position " << p;
        for (int p = position::udc_table; p <= image_size; ++p)
            EXPECT_EQ(editor.image[p], image_before[p]) << "position " << p;
    } else if (!read_in) {
        EXPECT_EQ(editor.image, image_before);
        EXPECT_EQ(editor.model, model_before);
    } else if (fault.operation == Operation::Read) {
        EXPECT_EQ(editor.image.payload(), display_memory());
    } else {
        EXPECT_EQ(bytes_of(editor.image.payload()), bytes_of(display_memory()));
    }
    if (scene.display) {
        const auto memory = scene.display->memory();
        ASSERT_TRUE(memory);
        const bool written = fault.succeeds && fault.operation == Operation::Write;
        EXPECT_EQ(*memory, written ? editor.image.payload() : display_memory());
    }
    EXPECT_EQ(file_kind(), file_kind_before) << "the chosen file is no longer what it was";
    if (!scene.file_before.isNull()) {
        QFile file(QString::fromStdString(scene.file));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), scene.file_before) << "the file changed";
    }

    // The next operation works: a read from a well-behaved display.
    if (scene.holder)
        scene.holder->terminate(), scene.holder->waitForFinished(3000);
    VirtualDisplayProcess good({}, display_memory());
    ASSERT_TRUE(good.started());
    station.choose(good.device());
    station.boxes.shown.clear();
    read_from_display(editor);
    EXPECT_EQ(station.shown(), only(upload_ok));
    EXPECT_EQ(editor.image.payload(), display_memory());
    station.expect_port_closed_at_every_box();
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultMatrix, ::testing::ValuesIn(faults()),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace pds
