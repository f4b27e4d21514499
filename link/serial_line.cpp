#include "link/serial_line.h"

#include <cctype>
#include <charconv>
#include <vector>

namespace pds {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

namespace {

std::vector<std::string_view> fields_of(std::string_view text) {
    std::vector<std::string_view> fields;
    for (;;) {
        const auto comma = text.find(',');
        fields.push_back(trimmed(text.substr(0, comma)));
        if (comma == std::string_view::npos)
            return fields;
        text.remove_prefix(comma + 1);
    }
}

// A whole field of decimal digits only: from_chars alone would take "96x" as 96 and "-1".
std::optional<int> whole_number(std::string_view field) {
    if (field.empty() || !std::isdigit(static_cast<unsigned char>(field.front())))
        return std::nullopt;
    int value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (error != std::errc{} || end != field.data() + field.size())
        return std::nullopt;
    return value;
}

ParsedSettings refuse(std::string_view text, const std::string& why) {
    return {std::nullopt, "the line settings \"" + std::string(text) + "\" are not valid: " + why};
}

// Above what any UART or USB adapter offers; a larger figure is a typing error.
constexpr int highest_speed = 4'000'000;

} // namespace

ParsedSettings parse_line_settings(std::string_view text) {
    const auto fields = fields_of(text);
    if (fields.size() != 4)
        return refuse(text, "expected speed, parity, data bits and stop bits, as in 9600,n,8,1");

    LineSettings line;
    const auto speed = whole_number(fields[0]);
    if (!speed || *speed < 1 || *speed > highest_speed)
        return refuse(text, "the speed must be a number of bits per second");
    line.speed = *speed;

    const std::string_view parity = fields[1];
    const char letter = parity.size() == 1
                            ? static_cast<char>(std::tolower(static_cast<unsigned char>(parity[0])))
                            : '\0';
    switch (letter) {
    case 'n':
        line.parity = Parity::None;
        break;
    case 'e':
        line.parity = Parity::Even;
        break;
    case 'o':
        line.parity = Parity::Odd;
        break;
    case 'm':
        line.parity = Parity::Mark;
        break;
    case 's':
        line.parity = Parity::Space;
        break;
    default:
        return refuse(text, "the parity must be n, e, o, m or s");
    }

    const auto data_bits = whole_number(fields[2]);
    if (!data_bits || *data_bits < 5 || *data_bits > 8)
        return refuse(text, "the data bits must be 5, 6, 7 or 8");
    line.data_bits = *data_bits;

    if (fields[3] == "1")
        line.stop_bits = StopBits::One;
    else if (fields[3] == "1.5")
        line.stop_bits = StopBits::OneAndHalf;
    else if (fields[3] == "2")
        line.stop_bits = StopBits::Two;
    else
        return refuse(text, "the stop bits must be 1, 1.5 or 2");

    return {line, {}};
}

std::string line_settings_text(const LineSettings& settings) {
    static constexpr char parity_letters[] = {'n', 'e', 'o', 'm', 's'};
    static constexpr const char* stop_bits[] = {"1", "1.5", "2"};
    return std::to_string(settings.speed) + "," +
           parity_letters[static_cast<int>(settings.parity)] + "," +
           std::to_string(settings.data_bits) + "," +
           stop_bits[static_cast<int>(settings.stop_bits)];
}

LineSettings plain_line(int speed) {
    LineSettings line;
    line.speed = speed;
    return line;
}

double character_time_ms(const LineSettings& settings) {
    double bits = 1.0 + settings.data_bits + (settings.parity == Parity::None ? 0.0 : 1.0);
    switch (settings.stop_bits) {
    case StopBits::One:
        bits += 1.0;
        break;
    case StopBits::OneAndHalf:
        bits += 1.5;
        break;
    case StopBits::Two:
        bits += 2.0;
        break;
    }
    return bits * 1000.0 / settings.speed;
}

std::optional<std::string> com_port_name(std::string_view text) {
    // Windows also accepts the device namespace form, which names above COM9 need elsewhere.
    if (text.starts_with("\\\\.\\"))
        text.remove_prefix(4);
    if (text.size() < 4)
        return std::nullopt;
    for (std::size_t i = 0; i < 3; ++i)
        if (std::toupper(static_cast<unsigned char>(text[i])) != "COM"[i])
            return std::nullopt;
    const auto number = whole_number(text.substr(3));
    if (!number || *number < 1)
        return std::nullopt;
    return "COM" + std::to_string(*number);
}

PortDevice device_for(const PortChoice& choice, HostSystem host) {
    if (choice.number >= 1) {
        if (host == HostSystem::Windows)
            return {"COM" + std::to_string(choice.number), {}};
        return {"/dev/ttyS" + std::to_string(choice.number - 1), {}};
    }

    const std::string_view typed = trimmed(choice.typed);
    const bool names_device =
        host == HostSystem::Windows ? com_port_name(typed).has_value() : typed.starts_with('/');
    if (names_device)
        return {std::string(typed), {}};

    const char* example = host == HostSystem::Windows ? "COM12" : "/dev/ttyUSB0";
    if (typed.empty())
        return {std::nullopt, std::string("no port is chosen: choose Com 1 to Com 8 or type a "
                                          "device such as ") +
                                  example};
    return {std::nullopt, "\"" + std::string(typed) +
                              "\" is not a port: choose Com 1 to Com 8 or type a device such as " +
                              example};
}

} // namespace pds
