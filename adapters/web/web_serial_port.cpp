#include "adapters/web/web_serial_port.h"

#include "link/serial_line.h"

#include <emscripten/emscripten.h>

#include <cstdlib>
#include <memory>

namespace {

// Resolves to -1 once open, else to a PortFailure::Kind, with its reason kept for
// pds_js_failure_reason.
EM_ASYNC_JS(int, pds_js_open, (int speed, int data_bits, int stop_bits, const char* parity), {
    return await Module.pdsSerial.open(speed, data_bits, stop_bits, UTF8ToString(parity));
});

EM_JS(int, pds_js_choose, (int number, const char* typed),
      { return Module.pdsSerial.choose(number, UTF8ToString(typed)) ? 1 : 0; });

// The reason and the name of the port of the last failed open, each malloc'ed.
EM_JS(char*, pds_js_failure_reason, (),
      { return Module.pdsSerial.mallocString(Module.pdsSerial.failureReason); });
EM_JS(char*, pds_js_port_label, (),
      { return Module.pdsSerial.mallocString(Module.pdsSerial.label); });

EM_ASYNC_JS(void, pds_js_close, (), { await Module.pdsSerial.close(); });
EM_JS(int, pds_js_bytes_waiting, (), { return Module.pdsSerial.bytesWaiting(); });
EM_JS(int, pds_js_take, (std::uint8_t * into, int capacity),
      { return Module.pdsSerial.takeInto(HEAPU8.subarray(into, into + capacity)); });
EM_JS(void, pds_js_queue, (const std::uint8_t* bytes, int count),
      { Module.pdsSerial.queue(HEAPU8.slice(bytes, bytes + count)); });
EM_JS(int, pds_js_bytes_pending, (), { return Module.pdsSerial.pending; });
EM_JS(int, pds_js_lost, (), { return Module.pdsSerial.lost ? 1 : 0; });
EM_ASYNC_JS(void, pds_js_wait, (int max_ms), { await Module.pdsSerial.waitForActivity(max_ms); });

std::string take_string(char* text) {
    const std::unique_ptr<char, decltype(&std::free)> owned(text, &std::free);
    return text ? std::string(text) : std::string();
}

const char* parity_name(pds::Parity parity) {
    switch (parity) {
    case pds::Parity::Even:
        return "even";
    case pds::Parity::Odd:
        return "odd";
    default:
        return "none";
    }
}

} // namespace

namespace pds {

// What Web Serial cannot set up, said the way the desktop says what its system cannot.
std::string WebSerialPort::unavailable(const LineSettings& line) const {
    if (line.parity == pds::Parity::Mark || line.parity == pds::Parity::Space)
        return "mark and space parity are not available in the browser";
    if (line.stop_bits == pds::StopBits::OneAndHalf)
        return "1.5 stop bits are not available in the browser";
    if (line.data_bits != 7 && line.data_bits != 8)
        return std::to_string(line.data_bits) + " data bits are not available in the browser";
    return {};
}

WebSerialPort::~WebSerialPort() {
    // Closing means waiting for the browser, which a destructor cannot do; the page closes
    // the port, and leaving it makes the browser close it.
}

PortDevice WebSerialPort::find_device() {
    if (!pds_js_choose(chosen_port().number, chosen_port().typed.c_str()))
        return {std::nullopt, take_string(pds_js_failure_reason())};
    return {take_string(pds_js_port_label()), {}};
}

std::optional<PortFailure> WebSerialPort::open_device(const std::string& device,
                                                      const LineSettings& line) {
    const int stop_bits = line.stop_bits == StopBits::Two ? 2 : 1;
    const int kind = pds_js_open(line.speed, line.data_bits, stop_bits, parity_name(line.parity));
    if (kind >= 0)
        return PortFailure{static_cast<PortFailure::Kind>(kind), device,
                           take_string(pds_js_failure_reason())};
    character_ms = character_time_ms(line);
    opened = true;
    return std::nullopt;
}

void WebSerialPort::close() {
    if (!opened)
        return;
    opened = false;
    pds_js_close();
}

bool WebSerialPort::is_open() const {
    return opened;
}

int WebSerialPort::bytes_waiting() {
    return opened ? pds_js_bytes_waiting() : 0;
}

std::vector<std::uint8_t> WebSerialPort::read_all() {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(bytes_waiting()));
    if (!bytes.empty())
        bytes.resize(
            static_cast<std::size_t>(pds_js_take(bytes.data(), static_cast<int>(bytes.size()))));
    return bytes;
}

void WebSerialPort::queue(std::span<const std::uint8_t> bytes) {
    if (opened && !bytes.empty())
        pds_js_queue(bytes.data(), static_cast<int>(bytes.size()));
}

int WebSerialPort::bytes_pending() {
    return opened ? pds_js_bytes_pending() : 0;
}

void WebSerialPort::wait_for_activity(int max_ms) {
    if (opened)
        pds_js_wait(max_ms);
}

bool WebSerialPort::device_lost() const {
    return opened && pds_js_lost() != 0;
}

double WebSerialPort::ms_per_character() const {
    return character_ms;
}

} // namespace pds
