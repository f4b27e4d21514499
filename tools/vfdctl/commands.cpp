#include "commands.h"

#include "arguments.h"
#include "display_jobs.h"
#include "exit_codes.h"
#include "file/disk_file_store.h"
#include "file/file_check.h"
#include "image_json.h"
#include "inspect/describe.h"
#include "link/serial_line.h"
#include "port_commands.h"
#include "preview_text.h"
#include "result_document.h"
#include "version.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <variant>
#include <vector>

namespace pds::cli {

namespace {

const char* const port_prefix = "port:";
const char* const standard_output = "-";

struct Output {
    std::ostream& out;
    std::ostream& err;
    bool quiet = false;
    bool data_on_out = false; // a file goes to `out`, so reports must not
    bool json = false;        // the lines are kept for the document instead of printed
    std::vector<std::string> lines{};
    std::optional<std::string> first_error{};

    void say(const std::string& line) {
        if (json)
            lines.push_back(line);
        else if (!quiet)
            (data_on_out ? err : out) << line << '\n';
    }
    void error(const std::string& line) {
        if (!json) {
            err << line << '\n';
            return;
        }
        lines.push_back(line);
        if (!first_error)
            first_error = line;
    }
};

// What run() is doing, for a signal that ends the program meanwhile; and whether its
// document is out, so that no reader gets two.
struct Underway {
    std::mutex mutex;
    bool json = false;
    bool printed = false;
    std::string command;
    std::chrono::steady_clock::time_point start;
};

Underway& underway() {
    static Underway state;
    return state;
}

// A file to write as messages name it.
std::string output_name(const std::string& path) {
    return path == standard_output ? "standard output" : escaped_text(path);
}

// Runs `job` on every port at once, each on its own thread with its own port, clock and
// calendar, and gives back the results in the order of the ports.
template <typename Job>
auto on_every_port(const MakeLinkServices& link_services, const std::vector<PortTarget>& targets,
                   Job job) {
    using Result = decltype(job(std::declval<Link&>(), targets.front()));
    std::vector<Result> results(targets.size());
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < targets.size(); ++i)
        threads.emplace_back([&, i] {
            const LinkServices services = link_services();
            Link link{*services.port, *services.clock, *services.calendar};
            results[i] = job(link, targets[i]);
            services.port->close();
        });
    for (auto& thread : threads)
        thread.join();
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
    const std::string device = device_for(port_choice(port), this_host()).device.value_or(port);
    if (this_host() == HostSystem::Windows) {
        std::string name = device;
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        if (name.starts_with("\\\\.\\"))
            name.erase(0, 4);
        return name;
    }
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path canonical = fs::canonical(device, error);
    if (!error)
        return canonical.string();
    std::string clean = fs::path(device).lexically_normal().string();
    if (clean.size() > 1 && clean.ends_with('/'))
        clean.pop_back();
    return clean;
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

// The file itself, so that two names of it compare equal: a.vfd and ./a.vfd, a link and what
// it points to, whether or not the file exists yet.
std::string file_identity(const std::string& path) {
    if (path == standard_output)
        return path;
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path at = fs::absolute(path, error);
    // A link to a file not made yet names that file too.
    for (int hops = 0; !error && hops < 40 && fs::is_symlink(fs::symlink_status(at, error));
         ++hops) {
        const fs::path target = fs::read_symlink(at, error);
        at = target.is_absolute() ? target : at.parent_path() / target;
    }
    const fs::path resolved = fs::weakly_canonical(at, error);
    return error ? path : resolved.string();
}

// The first two of `paths` that are one file, if any.
std::optional<std::pair<std::string, std::string>>
same_file(const std::vector<std::string>& paths) {
    std::map<std::string, std::string> seen;
    for (const auto& path : paths) {
        const auto [earlier, fresh] = seen.emplace(file_identity(path), path);
        if (!fresh)
            return std::pair{earlier->second, path};
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
    DiskFileStore files;
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
    DiskFileStore files;
    const auto written = files.write(path, image);
    if (const auto* failure = std::get_if<FileError>(&written))
        return escaped_text(path) + ": cannot write: " + escaped_text(failure->reason);
    return std::nullopt;
}

class Command {
public:
    Command(const Arguments& arguments, Output& output, const MakeLinkServices& link_services,
            const ListPorts& listed_ports)
        : arguments(arguments), output(output), link_services(link_services),
          listed_ports(listed_ports), name(arguments.command), operands(arguments.operands),
          ports(arguments.ports), outputs(arguments.outputs) {}

    int run() {
        static const std::map<std::string, std::set<std::string>> allowed = {
            {"read", {"port", "baud", "output"}},
            {"write", {"port", "baud", "force", "no-verify"}},
            {"show", {"port", "baud", "preview", "ascii"}},
            {"diff", {"baud"}},
            {"export", {}},
            {"import", {"output"}},
            {"ports", {}},
            {"find", {"port"}},
        };
        if (name.empty())
            return usage(
                "a command is needed: read, write, show, diff, export, import, ports or find");
        const auto command = allowed.find(name);
        if (command == allowed.end())
            return usage("unknown command \"" + escaped_text(name) + "\"");
        const std::pair<std::string, bool> options[] = {
            {"port", !ports.empty()},           {"baud", arguments.baud_given},
            {"output", !outputs.empty()},       {"force", arguments.force},
            {"no-verify", arguments.no_verify}, {"preview", arguments.preview},
            {"ascii", arguments.ascii},
        };
        for (const auto& [option, given] : options)
            if (given && !command->second.contains(option))
                return usage((option == "output" ? "-o" : "--" + option) + " does not apply to " +
                             name);
        if (arguments.ascii && !arguments.preview)
            return usage("--ascii applies to --preview only");
        if (!speeds())
            return usage("--baud takes 9600, 19200 or auto, not \"" + escaped_text(arguments.baud) +
                         "\"");
        for (const auto& port : ports)
            if (const auto problem = names_no_device("--port \"" + escaped_text(port) + "\"", port))
                return usage(*problem);
        if (const auto twice = same_device(ports))
            return usage(given_twice(*twice));
        if (output.json && output.data_on_out)
            return usage("-o - does not go with --json, whose document takes standard output");

        if (name == "ports" || name == "find")
            return port_command();
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
    int usage(const std::string& problem) {
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

    int bad_file(const std::string& problem) {
        output.error("vfdctl: " + problem);
        return exit_bad_file;
    }

    std::optional<std::vector<int>> speeds() const {
        const std::string& baud = arguments.baud;
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

    void report_port(const std::string& port, const Report& report) {
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
        if (const auto twice = same_file(outputs)) {
            if (twice->first == twice->second)
                return usage("an -o file is given twice");
            return usage("the -o files " + escaped_text(twice->first) + " and " +
                         escaped_text(twice->second) + " are the same file");
        }

        const auto all = targets();
        const auto readings = on_every_port(link_services, all, read_display);
        std::vector<int> codes;
        for (std::size_t i = 0; i < all.size(); ++i) {
            const auto& port = all[i].name;
            Reading reading = readings[i];
            bool saved = false;
            if (reading.image) {
                const std::string& path = outputs[i];
                if (const auto failure = save_settings(path, *reading.image, output.out)) {
                    reading.report = {exit_bad_file, "read, but " + *failure};
                    reading.report.speed = reading.speed;
                } else {
                    saved = true;
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
            Document result = read_result(ports[i], reading);
            if (saved)
                result["output"] = outputs[i];
            extra["ports"].push_back(result);
            codes.push_back(reading.report.code);
            if (i == 0)
                success = summed_up(all, reading.report);
        }
        return first_failure(codes);
    }

    // A port that was read: "read" with the configuration when it answered, else "failed".
    static Document read_result(const std::string& port, const Reading& reading) {
        Document result = port_result(port, reading.report);
        result["outcome"] = reading.image ? "read" : "failed";
        if (reading.image)
            result["configuration"] = configuration(*reading.image);
        return result;
    }

    // The document's message when every port succeeded: the one port's line, or how many.
    static std::string summed_up(const std::vector<PortTarget>& all, const Report& first) {
        if (all.size() == 1)
            return all[0].name + ": " + first.result;
        return "all " + std::to_string(all.size()) + " ports succeeded";
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
        request.force = arguments.force;
        request.verify = !arguments.no_verify;
        const auto all = targets();
        const auto reports =
            on_every_port(link_services, all, [&](Link& link, const PortTarget& target) {
                return write_display(link, target, request);
            });
        std::vector<int> codes;
        for (std::size_t i = 0; i < all.size(); ++i) {
            const Report& report = reports[i];
            report_port(all[i].name, report);
            Document result = port_result(ports[i], report);
            result["outcome"] = report.code != exit_success ? "failed"
                                : report.written            ? "written"
                                                            : "unchanged";
            result["changed"] = report.written;
            if (report.found)
                result["differences"] = differences(*report.found, request.image);
            extra["ports"].push_back(result);
            codes.push_back(report.code);
        }
        success = summed_up(all, reports[0]);
        return first_failure(codes);
    }

    std::vector<std::string> shown(const ImageBytes& image) const {
        if (!arguments.preview)
            return describe_image(image);
        return preview_text(image, arguments.ascii ? DotStyle::Ascii : DotStyle::Braille);
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
            extra["configuration"] = configuration(std::get<ImageBytes>(loaded));
            success = "shown " + escaped_text(operands[0]);
            return exit_success;
        }

        const auto all = targets();
        const auto readings = on_every_port(link_services, all, read_display);
        std::vector<int> codes;
        for (std::size_t i = 0; i < all.size(); ++i) {
            if (readings[i].image)
                for (const auto& line : shown(*readings[i].image))
                    output.say(from_port(all[i].name, line));
            else
                report_port(all[i].name, readings[i].report);
            extra["ports"].push_back(read_result(ports[i], readings[i]));
            codes.push_back(readings[i].report.code);
        }
        success = summed_up(all, readings[0].report);
        return first_failure(codes);
    }

    int diff() {
        if (operands.size() != 2)
            return usage("diff needs two operands, each a settings file or port:P");
        std::vector<std::optional<ImageBytes>> images(2);
        std::vector<PortTarget> port_operands;
        std::vector<std::string> ports_given; // as typed, to compare the devices they name
        std::vector<std::size_t> port_slots;
        std::vector<std::string> port_names; // as given, after port:
        for (std::size_t i = 0; i < 2; ++i) {
            const std::string& operand = operands[i];
            if (operand.starts_with(port_prefix)) {
                const std::string port = operand.substr(std::string(port_prefix).size());
                if (const auto problem = names_no_device("\"" + escaped_text(operand) + "\"", port))
                    return usage(*problem);
                port_operands.push_back(target(port));
                ports_given.push_back(port);
                port_names.push_back(port);
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

        const auto readings = on_every_port(link_services, port_operands, read_display);
        std::vector<int> codes;
        for (std::size_t k = 0; k < readings.size(); ++k) {
            if (!readings[k].image)
                report_port(port_operands[k].name, readings[k].report);
            images[port_slots[k]] = readings[k].image;
            extra["ports"].push_back(read_result(port_names[k], readings[k]));
            codes.push_back(readings[k].report.code);
        }
        if (const int code = first_failure(codes); code != exit_success)
            return code;

        const auto lines = describe_differences(*images[0], *images[1]);
        for (const auto& line : lines)
            output.say(line);
        extra["differences"] = differences(*images[0], *images[1]);
        extra["same"] = lines.empty();
        const std::string pair = escaped_text(operands[0]) + " and " + escaped_text(operands[1]);
        if (lines.empty()) {
            success = pair + " hold the same settings";
            output.say(success);
            return exit_success;
        }
        output.say(pair + " differ in " + std::to_string(lines.size()) +
                   (lines.size() == 1 ? " field" : " fields"));
        return exit_different;
    }

    // ports and find: the system's list, or a probe of every port in it or given.
    int port_command() {
        if (!operands.empty())
            return usage(name + " takes no operand");
        PortCommandResult result;
        if (name == "ports") {
            result = list_ports(listed_ports());
        } else {
            std::vector<std::string> names = ports;
            if (names.empty())
                for (const auto& port : listed_ports())
                    names.push_back(port.device);
            std::vector<PortChoice> choices;
            for (const auto& port : names)
                choices.push_back(port_choice(port));
            result = find_report(names, probe_every_port(choices, link_services));
        }
        // The summary of a find that found nothing is what a script's log needs to see.
        for (std::size_t i = 0; i < result.lines.size(); ++i) {
            if (i + 1 == result.lines.size() && result.status != exit_success)
                output.error(result.lines[i]);
            else
                output.say(result.lines[i]);
        }
        extra["ports"] = result.ports;
        success = result.message;
        return result.status;
    }

    int export_json() {
        if (operands.size() != 1)
            return usage("export needs one settings file");
        const auto loaded = load_settings(operands[0], true);
        if (const auto* problem = std::get_if<std::string>(&loaded))
            return bad_file(*problem);
        if (output.json) {
            extra["configuration"] = configuration(std::get<ImageBytes>(loaded));
            success = "exported " + escaped_text(operands[0]);
        } else {
            output.out << export_text(std::get<ImageBytes>(loaded));
        }
        return exit_success;
    }

    int import_json() {
        if (operands.size() != 1)
            return usage("import needs one JSON file");
        if (outputs.size() != 1)
            return usage("import needs one -o file");
        const std::string source = escaped_text(operands[0]);
        // One byte past the limit is enough to know the file is over it.
        const auto read = DiskFileStore().read(operands[0], json_size_limit + 1);
        if (const auto* failure = std::get_if<FileError>(&read))
            return bad_file(source + ": cannot read: " + escaped_text(failure->reason));
        const auto& text = std::get<std::vector<std::uint8_t>>(read);
        const auto parsed = image_from_json(
            std::string_view(reinterpret_cast<const char*>(text.data()), text.size()));
        if (const auto* problem = std::get_if<JsonProblem>(&parsed))
            return bad_file(source + ": " + (problem->field.empty() ? "" : problem->field + ": ") +
                            problem->reason + "; nothing written");
        if (const auto failure =
                save_settings(outputs[0], std::get<ImageBytes>(parsed), output.out))
            return bad_file(*failure);
        success = "wrote " + output_name(outputs[0]);
        output.say(success);
        extra["configuration"] = configuration(std::get<ImageBytes>(parsed));
        extra["output"] = outputs[0];
        return exit_success;
    }

public:
    Document extra = Document::object(); // the command's own keys of the document
    std::string success;                 // the document's message when all went well

private:
    const Arguments& arguments;
    Output& output;
    const MakeLinkServices& link_services;
    const ListPorts& listed_ports;
    std::string name;
    std::vector<std::string> operands;
    std::vector<std::string> ports;
    std::vector<std::string> outputs;
};

} // namespace

namespace {

const char* const commands[] = {"read",   "write",  "show",  "diff",
                                "export", "import", "ports", "find"};

// With --json, the document for what the command did, carrying its lines and its own keys.
int finish(int status, const std::string& command, Output& output, const Document& extra,
           const std::string& success) {
    if (!output.json)
        return status;
    const std::string known =
        std::find(std::begin(commands), std::end(commands), command) != std::end(commands) ? command
                                                                                           : "";
    std::string message = status == exit_success || status == exit_different
                              ? success
                              : output.first_error.value_or("");
    if (message.empty() && !output.lines.empty())
        message = output.lines.back();
    if (message.starts_with("vfdctl: "))
        message.erase(0, 8);

    Underway& state = underway();
    const std::lock_guard lock(state.mutex);
    Document document = summary(known, status, message, state.start);
    for (const auto& [key, value] : extra.items())
        document[key] = value;
    document["lines"] = output.lines;
    output.out << document_text(document) << std::flush;
    state.printed = true;
    return status;
}

} // namespace

int run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
        const MakeLinkServices& link_services, const ListPorts& listed_ports) {
    Output output{out, err};
    const std::vector<std::string> options(
        arguments.begin() + std::min<std::size_t>(1, arguments.size()), arguments.end());
    output.json = asks_for_json(options);
    {
        Underway& state = underway();
        const std::lock_guard lock(state.mutex);
        state.json = output.json;
        state.printed = false;
        state.start = std::chrono::steady_clock::now();
    }
    const auto parsed = parse_arguments(options);
    if (const auto* problem = std::get_if<ArgumentError>(&parsed)) {
        output.error("vfdctl: " + escaped_text(problem->text));
        output.error("Try \"vfdctl --help\".");
        return finish(exit_bad_arguments, "", output, Document::object(), "");
    }
    const auto& given = std::get<Arguments>(parsed);
    {
        Underway& state = underway();
        const std::lock_guard lock(state.mutex);
        state.command = given.command;
    }
    if (given.help) {
        out << help_text(arguments.empty() ? "vfdctl" : arguments.front());
        return exit_success;
    }
    if (given.version) {
        out << "vfdctl " << PDS_VERSION << '\n';
        return exit_success;
    }
    output.quiet = given.quiet;
    output.data_on_out = std::find(given.outputs.begin(), given.outputs.end(), standard_output) !=
                         given.outputs.end();
    Command command(given, output, link_services, listed_ports);
    const int status = command.run();
    return finish(status, given.command, output, command.extra, command.success);
}

std::optional<std::string> interruption_document(int status, const std::string& message) {
    Underway& state = underway();
    const std::lock_guard lock(state.mutex);
    if (!state.json || state.printed)
        return std::nullopt;
    state.printed = true;
    const bool known =
        std::find(std::begin(commands), std::end(commands), state.command) != std::end(commands);
    return document_text(summary(known ? state.command : "", status, message, state.start));
}

} // namespace pds::cli
