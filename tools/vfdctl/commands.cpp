#include "commands.h"

#include "adapters/qt/qt_calendar.h"
#include "adapters/qt/qt_clock.h"
#include "adapters/qt/qt_file_store.h"
#include "adapters/qt/qt_serial_port.h"
#include "display_jobs.h"
#include "exit_codes.h"
#include "file/file_check.h"
#include "image_json.h"
#include "inspect/describe.h"
#include "port_commands.h"
#include "preview_text.h"
#include "services/serial_line.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QThread>

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <variant>
#include <vector>

namespace pds::cli {

namespace {

const char* const description =
    R"(Reads, writes, shows and compares the configuration of pole displays, for scripts.

Commands:
  read --port P -o FILE.vfd       Read the display's configuration into FILE.vfd.
  write FILE.vfd --port P         Write FILE.vfd into the display. The display is read first
                                  and left alone when it already holds FILE.vfd (--force
                                  writes anyway); after the write it is read back and
                                  compared (--no-verify skips that).
  show FILE.vfd | --port P        Show a configuration field by field; with --preview,
                                  the welcome lines in the display's dots instead.
  diff A B                        Compare two configurations field by field; A and B are
                                  each a file or port:P.
  export FILE.vfd                 Print the configuration as JSON.
  import CONFIG.json -o FILE.vfd  Make a settings file from JSON as export prints it.
Give --port several times (and -o once for each) to work on several displays at once.
-o replaces a regular file as a whole, or not at all; a device, FIFO or terminal is written
as it is, and -o - writes to standard output (the report lines then go to standard error).
Files read must be regular files; a JSON file at most 1 MiB.

Exit status:
  0  success; diff: the configurations are the same
  1  diff: the configurations differ
  2  bad arguments
  3  a file cannot be read or written, or holds no valid configuration
  4  the port cannot be opened
  5  the display did not answer
  6  the display's check byte was wrong; nothing was written
  7  the display's reply was short or did not start with its mark
  8  the display reads back other settings than were written
  9  the device went away, or the port would not send
  129, 130, 143  ended by SIGHUP, SIGINT (Ctrl-C) or SIGTERM: 128 and the signal's number
With several ports, the status is that of the first port, in the order given, that failed.

An interruption never leaves a display with part of a configuration: one that has begun to
receive it gets all of it (about 130 ms at 9600 bit/s), unverified, before vfdctl stops; the
others keep what they held. Every port gets back the line settings it had.)";

const char* const port_prefix = "port:";
const char* const standard_output = "-";

struct Output {
    std::ostream& out;
    std::ostream& err;
    bool quiet = false;
    bool data_on_out = false; // a file goes to `out`, so reports must not

    void say(const std::string& line) const {
        if (!quiet)
            (data_on_out ? err : out) << line << '\n';
    }
    void error(const std::string& line) const { err << line << '\n'; }
};

// A file to write as messages name it.
std::string output_name(const std::string& path) {
    return path == standard_output ? "standard output" : escaped_text(path);
}

// Runs `job` on every port at once, each on its own thread with its own port, clock and
// calendar, and gives back the results in the order of the ports.
template <typename Job> auto on_every_port(const std::vector<PortTarget>& targets, Job job) {
    using Result = decltype(job(std::declval<Link&>(), targets.front()));
    std::vector<Result> results(targets.size());
    std::vector<std::unique_ptr<QThread>> threads;
    for (std::size_t i = 0; i < targets.size(); ++i)
        threads.emplace_back(QThread::create([&, i] {
            QtSerialPort port;
            QtClock clock;
            QtCalendar calendar;
            Link link{port, clock, calendar};
            results[i] = job(link, targets[i]);
            port.close();
        }));
    for (auto& thread : threads)
        thread->start();
    for (auto& thread : threads)
        thread->wait();
    return results;
}

// Why a port as given names no device, if it names none.
std::optional<std::string> names_no_device(const std::string& given, const std::string& port) {
    if (device_for(port_choice(port), this_host()).device)
        return std::nullopt;
    return given + " names no device: give Com 1 to Com 8 or a device such as " +
           (this_host() == HostSystem::Windows ? "COM12" : "/dev/ttyUSB0");
}

// The device itself, so that two names of it compare equal: "Com 1" and /dev/ttyS0,
// /dev/pts/3 and /dev//pts/3, a link and what it points to.
std::string device_identity(const std::string& port) {
    const QString device =
        QString::fromStdString(device_for(port_choice(port), this_host()).device.value_or(port));
    if (this_host() == HostSystem::Windows) {
        QString name = device.toUpper();
        if (name.startsWith(QStringLiteral("\\\\.\\")))
            name.remove(0, 4);
        return name.toStdString();
    }
    const QString canonical = QFileInfo(device).canonicalFilePath();
    return (canonical.isEmpty() ? QDir::cleanPath(device) : canonical).toStdString();
}

// The first two of `ports` that are one device, if any.
std::optional<std::pair<std::string, std::string>>
same_device(const std::vector<std::string>& ports) {
    std::map<std::string, std::string> seen;
    for (const auto& port : ports) {
        const auto [earlier, fresh] = seen.emplace(device_identity(port), port);
        if (!fresh)
            return std::pair{earlier->second, port};
    }
    return std::nullopt;
}

int first_failure(const std::vector<int>& codes) {
    for (int code : codes)
        if (code != exit_success)
            return code;
    return exit_success;
}

// A file as the window's Load takes it, or, when `strict` is off, any file of 126 bytes or
// more, so that show and diff can point at what makes a file unloadable.
std::variant<ImageBytes, std::string> load_settings(const std::string& path, bool strict) {
    QtFileStore files;
    const auto read = files.read(path, image_size);
    if (const auto* failure = std::get_if<FileError>(&read))
        return escaped_text(path) + ": cannot read: " + escaped_text(failure->reason);
    const auto& contents = std::get<std::vector<std::uint8_t>>(read);
    const auto checked = check_settings_file(contents);
    if (const auto* image = std::get_if<ImageBytes>(&checked))
        return *image;
    const auto& problem = std::get<FileProblem>(checked);
    if (problem.field.empty())
        return escaped_text(path) + ": " + problem.reason;
    if (strict)
        return escaped_text(path) + ": " + problem.field + ": " + problem.reason;
    ImageBytes image{};
    std::copy_n(contents.begin(), image_size, image.begin());
    return image;
}

std::optional<std::string> save_settings(const std::string& path, const ImageBytes& image,
                                         std::ostream& out) {
    // What went to `out` before lands there before the file, should the file be behind
    // /dev/stdout.
    out.flush();
    if (path == standard_output) {
        out.write(reinterpret_cast<const char*>(image.data()), image_size);
        out.flush();
        if (!out)
            return output_name(path) + ": cannot write";
        return std::nullopt;
    }
    QtFileStore files;
    const auto written = files.write(path, image);
    if (const auto* failure = std::get_if<FileError>(&written))
        return escaped_text(path) + ": cannot write: " + escaped_text(failure->reason);
    return std::nullopt;
}

class Command {
public:
    Command(const QCommandLineParser& parser, const Output& output)
        : parser(parser), output(output) {
        const QStringList positional = parser.positionalArguments();
        name = positional.value(0).toStdString();
        for (qsizetype i = 1; i < positional.size(); ++i)
            operands.push_back(positional[i].toStdString());
        for (const QString& port : parser.values("port"))
            ports.push_back(port.toStdString());
        for (const QString& file : parser.values("output"))
            outputs.push_back(file.toStdString());
    }

    int run() {
        static const std::map<std::string, std::set<std::string>> allowed = {
            {"read", {"port", "baud", "output"}},
            {"write", {"port", "baud", "force", "no-verify"}},
            {"show", {"port", "baud", "preview", "ascii"}},
            {"diff", {"baud"}},
            {"export", {}},
            {"import", {"output"}},
            {"ports", {"json"}},
            {"find", {"port", "json"}},
        };
        if (name.empty())
            return usage("a command is needed: read, write, show, diff, export or import");
        const auto command = allowed.find(name);
        if (command == allowed.end())
            return usage("unknown command \"" + escaped_text(name) + "\"");
        for (const std::string option :
             {"port", "baud", "output", "force", "no-verify", "preview", "ascii", "json"})
            if (parser.isSet(QString::fromStdString(option)) && !command->second.contains(option))
                return usage((option == "output" ? "-o" : "--" + option) + " does not apply to " +
                             name);
        if (parser.isSet("ascii") && !parser.isSet("preview"))
            return usage("--ascii applies to --preview only");
        if (!speeds())
            return usage("--baud takes 9600, 19200 or auto, not \"" +
                         escaped_text(parser.value("baud").toStdString()) + "\"");
        for (const auto& port : ports)
            if (const auto problem = names_no_device("--port \"" + escaped_text(port) + "\"", port))
                return usage(*problem);
        if (const auto twice = same_device(ports))
            return usage(given_twice(*twice));

        if (name == "ports" || name == "find")
            return run_port_command(name, ports, parser.isSet("json"), output.quiet, output.out,
                                    output.err);
        if (name == "read")
            return read();
        if (name == "write")
            return write();
        if (name == "show")
            return show();
        if (name == "diff")
            return diff();
        if (name == "export")
            return export_json();
        return import_json();
    }

private:
    int usage(const std::string& problem) const {
        output.error("vfdctl: " + problem);
        output.error("Try \"vfdctl --help\".");
        return exit_bad_arguments;
    }

    static std::string given_twice(const std::pair<std::string, std::string>& names) {
        if (names.first == names.second)
            return "the port " + escaped_text(names.first) + " is given twice";
        return "the ports " + escaped_text(names.first) + " and " + escaped_text(names.second) +
               " are the same device";
    }

    int bad_file(const std::string& problem) const {
        output.error("vfdctl: " + problem);
        return exit_bad_file;
    }

    std::optional<std::vector<int>> speeds() const {
        const QString baud = parser.value("baud");
        if (baud == "9600")
            return std::vector<int>{9600};
        if (baud == "19200")
            return std::vector<int>{19200};
        if (baud == "auto")
            return std::vector<int>{9600, 19200};
        return std::nullopt;
    }

    PortTarget target(const std::string& port) const {
        return {escaped_text(port), port_choice(port), *speeds()};
    }

    std::vector<PortTarget> targets() const {
        std::vector<PortTarget> all;
        for (const auto& port : ports)
            all.push_back(target(port));
        return all;
    }

    // Description lines of a display carry its name when there are several.
    std::string from_port(const std::string& port, const std::string& line) const {
        return ports.size() > 1 ? port + ": " + line : line;
    }

    void report_port(const std::string& port, const Report& report) const {
        if (report.code == exit_success) {
            output.say(port + ": " + report.result);
            for (const auto& line : report.details)
                output.say(port + ":   " + line);
            return;
        }
        output.error(port + ": " + report.result);
        for (const auto& line : report.details)
            output.error(port + ":   " + line);
    }

    int read() {
        if (!operands.empty())
            return usage("read takes no file operand; name the file with -o");
        if (ports.empty())
            return usage("read needs --port");
        if (outputs.size() != ports.size())
            return usage("read needs one -o for each --port");
        if (std::set<std::string>(outputs.begin(), outputs.end()).size() != outputs.size())
            return usage("an -o file is given twice");

        const auto all = targets();
        const auto readings = on_every_port(all, read_display);
        std::vector<int> codes;
        for (std::size_t i = 0; i < all.size(); ++i) {
            const auto& port = all[i].name;
            Reading reading = readings[i];
            if (reading.image) {
                const std::string& path = outputs[i];
                if (const auto failure = save_settings(path, *reading.image, output.out)) {
                    reading.report = {exit_bad_file, "read, but " + *failure, {}};
                } else {
                    const std::string into = output_name(path);
                    reading.report.result =
                        all[i].speeds.size() > 1
                            ? std::to_string(reading.speed) + " bit/s answered; read into " + into
                            : "read at " + std::to_string(reading.speed) + " bit/s into " + into;
                    // The bytes are kept as the display holds them, but the window would
                    // refuse to load them: worth knowing before the file is written elsewhere.
                    if (const auto problem = list_code_problem(*reading.image))
                        output.error(port + ": warning: " + problem->field + ": " +
                                     problem->reason + "; the window's Load refuses " + into);
                }
            }
            report_port(port, reading.report);
            codes.push_back(reading.report.code);
        }
        return first_failure(codes);
    }

    int write() {
        if (operands.size() != 1)
            return usage("write needs one settings file");
        if (ports.empty())
            return usage("write needs --port");
        // The file is checked before any port is opened: a bad file costs no write cycle.
        const auto loaded = load_settings(operands[0], true);
        if (const auto* problem = std::get_if<std::string>(&loaded))
            return bad_file(*problem);

        WriteRequest request;
        request.image = std::get<ImageBytes>(loaded);
        request.force = parser.isSet("force");
        request.verify = !parser.isSet("no-verify");
        const auto all = targets();
        const auto reports = on_every_port(all, [&](Link& link, const PortTarget& target) {
            return write_display(link, target, request);
        });
        std::vector<int> codes;
        for (std::size_t i = 0; i < all.size(); ++i) {
            report_port(all[i].name, reports[i]);
            codes.push_back(reports[i].code);
        }
        return first_failure(codes);
    }

    std::vector<std::string> shown(const ImageBytes& image) const {
        if (!parser.isSet("preview"))
            return describe_image(image);
        return preview_text(image, parser.isSet("ascii") ? DotStyle::Ascii : DotStyle::Braille);
    }

    int show() {
        if (operands.size() + (ports.empty() ? 0 : 1) != 1)
            return usage("show needs either one settings file or --port");
        if (!operands.empty()) {
            const auto loaded = load_settings(operands[0], false);
            if (const auto* problem = std::get_if<std::string>(&loaded))
                return bad_file(*problem);
            for (const auto& line : shown(std::get<ImageBytes>(loaded)))
                output.say(line);
            return exit_success;
        }

        const auto all = targets();
        const auto readings = on_every_port(all, read_display);
        std::vector<int> codes;
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (readings[i].image)
                for (const auto& line : shown(*readings[i].image))
                    output.say(from_port(all[i].name, line));
            else
                report_port(all[i].name, readings[i].report);
            codes.push_back(readings[i].report.code);
        }
        return first_failure(codes);
    }

    int diff() {
        if (operands.size() != 2)
            return usage("diff needs two operands, each a settings file or port:P");
        std::vector<std::optional<ImageBytes>> images(2);
        std::vector<PortTarget> port_operands;
        std::vector<std::string> ports_given; // as typed, to compare the devices they name
        std::vector<std::size_t> port_slots;
        for (std::size_t i = 0; i < 2; ++i) {
            const std::string& operand = operands[i];
            if (operand.starts_with(port_prefix)) {
                const std::string port = operand.substr(std::string(port_prefix).size());
                if (const auto problem = names_no_device("\"" + escaped_text(operand) + "\"", port))
                    return usage(*problem);
                port_operands.push_back(target(port));
                ports_given.push_back(port);
                port_slots.push_back(i);
                continue;
            }
            const auto loaded = load_settings(operand, false);
            if (const auto* problem = std::get_if<std::string>(&loaded))
                return bad_file(*problem);
            images[i] = std::get<ImageBytes>(loaded);
        }
        if (const auto twice = same_device(ports_given))
            return usage(given_twice(*twice));

        const auto readings = on_every_port(port_operands, read_display);
        std::vector<int> codes;
        for (std::size_t k = 0; k < readings.size(); ++k) {
            if (!readings[k].image)
                report_port(port_operands[k].name, readings[k].report);
            images[port_slots[k]] = readings[k].image;
            codes.push_back(readings[k].report.code);
        }
        if (const int code = first_failure(codes); code != exit_success)
            return code;

        const auto lines = describe_differences(*images[0], *images[1]);
        for (const auto& line : lines)
            output.say(line);
        const std::string pair = escaped_text(operands[0]) + " and " + escaped_text(operands[1]);
        if (lines.empty()) {
            output.say(pair + " hold the same settings");
            return exit_success;
        }
        output.say(pair + " differ in " + std::to_string(lines.size()) +
                   (lines.size() == 1 ? " field" : " fields"));
        return exit_different;
    }

    int export_json() {
        if (operands.size() != 1)
            return usage("export needs one settings file");
        const auto loaded = load_settings(operands[0], true);
        if (const auto* problem = std::get_if<std::string>(&loaded))
            return bad_file(*problem);
        output.out << QJsonDocument(image_to_json(std::get<ImageBytes>(loaded)))
                          .toJson(QJsonDocument::Indented)
                          .toStdString();
        return exit_success;
    }

    int import_json() {
        if (operands.size() != 1)
            return usage("import needs one JSON file");
        if (outputs.size() != 1)
            return usage("import needs one -o file");
        const std::string source = escaped_text(operands[0]);
        // One byte past the limit is enough to know the file is over it.
        const auto read = QtFileStore().read(operands[0], json_size_limit + 1);
        if (const auto* failure = std::get_if<FileError>(&read))
            return bad_file(source + ": cannot read: " + escaped_text(failure->reason));
        const auto& text = std::get<std::vector<std::uint8_t>>(read);
        const auto parsed = image_from_json(QByteArray(reinterpret_cast<const char*>(text.data()),
                                                       static_cast<qsizetype>(text.size())));
        if (const auto* problem = std::get_if<JsonProblem>(&parsed))
            return bad_file(source + ": " + (problem->field.empty() ? "" : problem->field + ": ") +
                            problem->reason + "; nothing written");
        if (const auto failure =
                save_settings(outputs[0], std::get<ImageBytes>(parsed), output.out))
            return bad_file(*failure);
        output.say("wrote " + output_name(outputs[0]));
        return exit_success;
    }

    const QCommandLineParser& parser;
    const Output& output;
    std::string name;
    std::vector<std::string> operands;
    std::vector<std::string> ports;
    std::vector<std::string> outputs;
};

} // namespace

int run(const QStringList& arguments, std::ostream& out, std::ostream& err) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(description) + "\n\nFinding a display:\n" +
                                     QString::fromUtf8(port_commands_help));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addOptions({
        {"port",
         "Serial device of a display: /dev/ttyUSB0, COM3, or Com 1 to Com 8 as in the window. "
         "Give it several times for several displays.",
         "PORT"},
        {"baud", "Line speed: 9600, 19200, or auto (9600, then 19200).", "BAUD", "9600"},
        {{"o", "output"}, "The file to write; once for each --port. - is standard output.", "FILE"},
        {"force", "write: write even when the display already holds the file."},
        {"no-verify", "write: do not read back and compare."},
        {"preview",
         "show: the welcome lines in the display's 5 x 7 dots, in the configuration's code "
         "page with its user-defined characters, drawn in braille; then the codes without a "
         "glyph, drawn hatched."},
        {"ascii", "show --preview: draw the dots as # (lit) and . (unlit)."},
        {{"q", "quiet"}, "Print only errors (export still prints its JSON)."},
        {"json", "ports, find: print one JSON document instead of the lines."},
    });
    parser.addPositionalArgument("command", "read, write, show, diff, export or import.",
                                 "COMMAND");
    parser.addPositionalArgument("operands", "Files, or port:P for diff.", "[OPERAND...]");

    Output output{out, err, false};
    if (!parser.parse(arguments)) {
        output.error("vfdctl: " + escaped_text(parser.errorText().toStdString()));
        output.error("Try \"vfdctl --help\".");
        return exit_bad_arguments;
    }
    if (parser.isSet(help) || parser.isSet("help-all")) {
        out << parser.helpText().toStdString();
        return exit_success;
    }
    if (parser.isSet(version)) {
        out << "vfdctl " << QCoreApplication::applicationVersion().toStdString() << '\n';
        return exit_success;
    }
    output.quiet = parser.isSet("quiet");
    output.data_on_out = parser.values("output").contains(QString(standard_output));
    return Command(parser, output).run();
}

} // namespace pds::cli
