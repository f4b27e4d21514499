#include "settings/option_lists.h"

namespace pds {

const std::array<std::string_view, 36> char_entries = {
    "US English (CP-437)  (Default)",
    "Int'l English (CP-1252)",
    "Bosnia (CP-852)",
    "Bulgaria (CP-1252)",
    "Croatian (CP-852)",
    "Czech (CP-1252)",
    "Danish (CP-1252)",
    "Dutch (CP-1252)",
    "Estonian (CP-1257)",
    "Faroese (CP-1252)",
    "Finnish (CP-1252)",
    "Flemish (CP-1252)",
    "French (CP-1252)",
    "Fr Canadian (CP-863)",
    "German (CP-1252)",
    "Greek (CP-1253)",
    "Hebrew (CP-1255)",
    "Hungarian (CP-852)",
    "Icelandic (CP-1252)",
    "Indonesian (CP-1252)",
    "Irish (CP-1252)",
    "Italian (CP-1252)",
    "Katakana (Katakana)",
    "Latvian (CP-1257)",
    "Lithuanian (CP-1257)",
    "Nordic (CP-865)",
    "Norwegian (CP-1252)",
    "Polish (CP-852)",
    "Portuguese (CP-1252)",
    "Romanian (CP-852)",
    "Russian (CP-866)",
    "Slovene (CP-852)",
    "Slovak (CP-852)",
    "Spanish (CP-1252)",
    "Swedish (CP-1252)",
    "850+Euro Sign at 0xD5 (CP-858)",
};

const std::array<std::string_view, 10> command_entries = {
    "ORBIT",  "EPSON (Default)", "UTC/S",  "UTC/P", "AEDEX",
    "ADM788", "DSP800",          "CD5220", "EMAX",  "LogicControl",
};

const std::array<std::string_view, 2> baud_rate_entries = {"9600,n,8,1 (Default)", "19200,n,8,1"};

const std::array<std::string_view, 3> passthru_entries = {
    "None     (Default)", "with ESC/POS command", "without ESC/POS command"};

const std::array<std::string_view, 8> comm_entries = {"Com 1", "Com 2", "Com 3", "Com 4",
                                                      "Com 5", "Com 6", "Com 7", "Com 8"};

const std::array<std::string_view, 2> baud_entries = {"9600,n,8,1", "19200,n,8,1"};

} // namespace pds
