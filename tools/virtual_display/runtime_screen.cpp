#include "runtime_screen.h"

#include <algorithm>
#include <cstdio>

namespace pds::display {

std::array<std::array<std::uint8_t, Screen::columns>, Screen::rows> Screen::blank_cells() {
    std::array<std::array<std::uint8_t, columns>, rows> cells{};
    for (auto& line : cells)
        line.fill(blank);
    return cells;
}

void RuntimeState::reset() {
    clear();
    mode = TextMode::overwrite;
    cursor_shown = true;
    string_mode = false;
}

void RuntimeState::clear() {
    screen.cells = Screen::blank_cells();
    home();
}

void RuntimeState::clear_line(int line) {
    screen.cells[line].fill(Screen::blank);
    move_to(line, 0);
}

void RuntimeState::home() {
    move_to(0, 0);
}

void RuntimeState::move_to(int line, int col) {
    row = line;
    column = col;
}

void RuntimeState::scroll_up() {
    for (int line = 0; line + 1 < Screen::rows; ++line)
        screen.cells[line] = screen.cells[line + 1];
    screen.cells[Screen::rows - 1].fill(Screen::blank);
}

void RuntimeState::scroll_down() {
    for (int line = Screen::rows - 1; line > 0; --line)
        screen.cells[line] = screen.cells[line - 1];
    screen.cells[0].fill(Screen::blank);
}

void RuntimeState::cursor_right() {
    constexpr int right_end = Screen::columns - 1;
    if (column < right_end) {
        ++column;
        return;
    }
    auto& line = screen.cells[row];
    switch (mode) {
    case TextMode::horizontal_scroll: // the line moves left, the cursor stays
        std::rotate(line.begin(), line.begin() + 1, line.end());
        line.back() = Screen::blank;
        column = right_end;
        return;
    case TextMode::vertical_scroll:
        if (row + 1 == Screen::rows)
            scroll_up();
        else
            ++row;
        column = 0;
        return;
    case TextMode::overwrite:
        move_to((row + 1) % Screen::rows, 0);
        return;
    }
}

void RuntimeState::cursor_left() {
    column = std::min(column, Screen::columns - 1);
    if (column > 0) {
        --column;
        return;
    }
    auto& line = screen.cells[row];
    switch (mode) {
    case TextMode::horizontal_scroll: // the line moves right, the cursor stays
        std::rotate(line.rbegin(), line.rbegin() + 1, line.rend());
        line.front() = Screen::blank;
        return;
    case TextMode::vertical_scroll:
        if (row == 0)
            scroll_down();
        else
            --row;
        column = Screen::columns - 1;
        return;
    case TextMode::overwrite:
        move_to((row + Screen::rows - 1) % Screen::rows, Screen::columns - 1);
        return;
    }
}

void RuntimeState::line_feed() {
    column = std::min(column, Screen::columns - 1);
    if (row + 1 < Screen::rows)
        ++row;
    else if (mode == TextMode::vertical_scroll)
        scroll_up();
    else if (mode == TextMode::overwrite)
        row = 0;
}

void RuntimeState::cursor_up() {
    column = std::min(column, Screen::columns - 1);
    if (row > 0)
        --row;
    else if (mode == TextMode::vertical_scroll)
        scroll_down();
    else if (mode == TextMode::overwrite)
        row = Screen::rows - 1;
}

void RuntimeState::put(std::uint8_t code) {
    if (column >= Screen::columns) {
        if (mode == TextMode::horizontal_scroll) {
            auto& line = screen.cells[row];
            std::rotate(line.begin(), line.begin() + 1, line.end());
            column = Screen::columns - 1;
        } else {
            column = 0;
            if (row + 1 < Screen::rows)
                ++row;
            else if (mode == TextMode::vertical_scroll)
                scroll_up();
            else
                row = 0;
        }
    }
    screen.cells[row][column++] = code;
    // Overwrite moves on at once; the scroll modes wait at the end of the lower line (or the
    // line, scrolling sideways) until the next character says the lines must move.
    const bool waits = mode == TextMode::horizontal_scroll ||
                       (mode == TextMode::vertical_scroll && row + 1 == Screen::rows);
    if (column == Screen::columns && !waits) {
        column = 0;
        row = (row + 1) % Screen::rows;
    }
}

void RuntimeState::set_line(int line, std::span<const std::uint8_t> codes) {
    auto& cells = screen.cells[line];
    cells.fill(Screen::blank);
    std::copy_n(codes.begin(), std::min<std::size_t>(codes.size(), cells.size()), cells.begin());
}

std::string screen_line_text(const Screen& screen, int line, const CodePageCharacters& page) {
    std::string text;
    for (const std::uint8_t code : screen.cells[line]) {
        const char32_t character = page[code];
        text += utf8_of(character != 0 ? character : U'\uFFFD');
    }
    return text;
}

std::string screen_file_text(const Screen& screen, const CodePageCharacters& page) {
    std::string text;
    for (int line = 0; line < Screen::rows; ++line)
        text += "|" + screen_line_text(screen, line, page) + "|\n";
    if (screen.brightness) {
        char level[3];
        std::snprintf(level, sizeof level, "%02X", *screen.brightness);
        text += std::string("brightness ") + level + "\n";
    } else {
        text += "brightness default\n";
    }
    if (screen.self_tests > 0)
        text += "self-test " + std::to_string(screen.self_tests) + "\n";
    return text;
}

} // namespace pds::display
