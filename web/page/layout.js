// The window's controls, placed in twips (1/1440 inch) where the desktop window places them,
// with the desktop's control names as element ids. Repeated controls are numbered after an
// underscore: L1A_1 .. L1A_20, map1_0 .. map1_6. The places are the window's own, from
// ui/window_geometry.json, which the page carries as windowGeometry.
"use strict";

const places = windowGeometry.rectangles;
const steps = windowGeometry.numbers;

// A rectangle moved by (right, down).
/** @type {(placed: number[], right: number, down: number) => [number, number, number, number]} */
const moved = ([left, top, width, height], right, down) => [left + right, top + down, width, height];

const twips = (value) => `${(value / 15).toFixed(2)}px`; // 96 dots per inch

function place(element, left, top, width, height) {
    Object.assign(element.style, {
        left: twips(left),
        top: twips(top),
        width: twips(width),
        height: twips(height),
    });
    return element;
}

function make(tag, parent, properties = {}) {
    const element = document.createElement(tag);
    for (const [key, value] of Object.entries(properties)) {
        if (key === "label") element.setAttribute("aria-label", value);
        else if (key === "text") element.textContent = value;
        else if (key === "class") element.className = value;
        else element[key] = value;
    }
    parent.appendChild(element);
    return element;
}

function makeLabel(parent, text, target, geometry) {
    const label = make("label", parent, { text, class: "caption" });
    if (target) label.htmlFor = target;
    return place(label, ...geometry);
}

function makeList(parent, id, caption, geometry) {
    const list = place(make("select", parent, { id, label: caption.trim() }), ...geometry);
    return list;
}

// An editable drop-down, as the desktop's: a text box, and an arrow at its right end that
// drops the whole list whatever is typed (a datalist would offer only the entries that match).
const comboArrow = 255;

function makeCombo(parent, id, caption, geometry) {
    const [left, top, width, height] = geometry;
    const box = place(
        make("input", parent, { id, label: caption.trim(), type: "text", class: "combo-text" }),
        left,
        top,
        width - comboArrow,
        height,
    );
    box.autocomplete = "off";
    box.spellcheck = false;
    place(
        make("select", parent, {
            id: `${id}_entries`,
            label: `${caption.trim()} entries`,
            class: "combo-arrow",
        }),
        left + width - comboArrow,
        top,
        comboArrow,
        height,
    );
    return box;
}

function makeButton(parent, id, text, geometry) {
    return place(make("button", parent, { id, text, type: "button" }), ...geometry);
}

function buildBand(window) {
    const frame = place(make("fieldset", window, { class: "group" }), ...places.interface_frame);
    make("legend", frame, { text: "Interface Setting" });
    makeLabel(frame, "Com Port Select :", "Comm", places.comm_caption);
    makeList(frame, "Comm", "Com Port Select :", places.comm);
    makeButton(frame, "FindPort", "Find\u2026", places.find_port);
    makeLabel(frame, "Baud Rate :", "Baud", places.baud_caption);
    makeCombo(frame, "Baud", "Baud Rate :", places.baud);
    makeButton(frame, "GetSetting", "Read Setting From Pole Display", places.get_setting);

    makeButton(window, "Load", "Load", places.load);
    makeButton(window, "Save", "Save", places.save);
    makeButton(window, "Help", "About This Utility", places.help);
    makeButton(window, "SetAllDefault", "Set All Default", places.set_all_default);
    makeButton(window, "Download", "Write To Pole Display", places.download);
}

const tabCaptions = ["Command Setting", "Welcome Msg", "User Defined Character", "Test Display"];
const tabBarHeight = 330;

function buildTabs(window) {
    const [, , tabsWidth, tabsHeight] = places.tabs;
    const tabs = place(make("div", window, { id: "SSTab1", class: "tabs" }), ...places.tabs);
    const bar = make("div", tabs, { class: "tab-bar", role: "tablist" });
    bar.setAttribute("role", "tablist");
    const pages = tabCaptions.map((caption, index) => {
        const tab = make("button", bar, { id: `SSTab1_${index}`, text: caption, type: "button" });
        tab.setAttribute("role", "tab");
        tab.setAttribute("aria-controls", `SSTab1_page${index}`);
        const page = place(
            make("div", tabs, { id: `SSTab1_page${index}`, class: "page" }),
            0,
            tabBarHeight,
            tabsWidth,
            tabsHeight - tabBarHeight,
        );
        page.setAttribute("role", "tabpanel");
        page.setAttribute("aria-label", caption);
        return page;
    });
    return pages;
}

function buildCommandPage(page) {
    const rows = [
        [" Character Type :", "Char"],
        ["Command Mode :", "Command"],
        ["BaudRate Select :", "BaudRate"],
        [" Passthru Mode :", "Passthru"],
    ];
    rows.forEach(([caption, id], row) => {
        const down = row * steps.setting_row_step;
        makeLabel(page, caption, id, moved(places.setting_caption, 0, down));
        makeList(page, id, caption, moved(places.setting_list, 0, down));
    });
}

// One welcome line's frame: as ui/message_line_frame.cpp lays it out.
const cellsPerRow = steps.message_cells_per_row;
const cellStep = steps.message_cell_step;
const rowTop = (row) => steps.message_rows_top + row * steps.message_row_step;
const rowsOf = (cells) => Math.ceil(cells / cellsPerRow);
const frameHeight = (cells) => rowTop(2 * rowsOf(cells)) + steps.message_frame_bottom;

function buildMessageLine(page, line, caption, top, ruler) {
    const cells = line === 1 ? 20 : 40;
    const [frameLeft, , frameWidth] = places.message_frame;
    const frame = place(
        make("fieldset", page, { id: `Frame_L${line}`, class: "group" }),
        frameLeft,
        top,
        frameWidth,
        frameHeight(cells),
    );
    make("legend", frame, { text: caption });
    /** @type {[string, string, number, number][]} */
    const views = [
        ["A", "ASCII", 1, 0],
        ["H", "Hex", 2, rowsOf(cells)],
    ];
    for (const [view, name, width, firstRow] of views) {
        const option = place(
            make("label", frame, { class: "option" }),
            ...moved(places.message_option, 0, rowTop(firstRow)),
        );
        const radio = make("input", option, { id: `Op_L${line}${view}`, type: "radio", name: `view${line}` });
        radio.value = view;
        make("span", option, { text: name });
        for (let k = 1; k <= cells; ++k) {
            const row = firstRow + Math.floor((k - 1) / cellsPerRow);
            const column = (k - 1) % cellsPerRow;
            const placed = moved(places.message_cell, column * cellStep, rowTop(row));
            const cell = place(
                make("input", frame, {
                    id: `L${line}${view}_${k}`,
                    type: "text",
                    maxLength: width,
                    class: "cell",
                    label: `${caption.trim()}, ${view === "A" ? "character" : "hex"} ${k}`,
                }),
                ...placed,
            );
            cell.spellcheck = false;
            cell.autocomplete = "off";
            cell.dataset.view = view;
            if (view === "A") {
                // A control code has no glyph; it is shown as its two hex digits, dimmed, over
                // the cell, while the cell keeps the code itself.
                const code = place(make("span", frame, { class: "control-code" }), ...placed);
                code.setAttribute("aria-hidden", "true");
                code.dataset.view = view;
            }
        }
        ruler.forEach((text, i) => {
            const row = firstRow + Math.floor(i / 5);
            const label = make("span", frame, {
                id: `Label_L${line}${view}1_${i}`,
                text,
                class: i % 5 === 0 ? "ruler first" : "ruler",
            });
            label.setAttribute("aria-hidden", "true");
            label.dataset.view = view;
            const right = i % 5 === 0 ? 0 : ((Number(text) - 1) % cellsPerRow) * cellStep - cellStep / 2;
            place(label, ...moved(places.message_ruler, right, rowTop(row)));
        });
    }
    makeButton(frame, `CLR_MSG${line}`, "Clear", places.message_clear).setAttribute(
        "aria-label",
        `Clear ${caption.trim()}`,
    );
    return frameHeight(cells);
}

function buildWelcomePage(page, rulers) {
    let top = places.message_frame[1];
    top += buildMessageLine(page, 1, "Welcome Msg 1", top, rulers[0]) + steps.message_frame_step;
    top += buildMessageLine(page, 2, "Welcome Msg 2 ", top, rulers[1]) + steps.message_frame_step;
    const previewAt = moved(places.preview, 0, top);
    const preview = place(make("canvas", page, { id: "Preview", label: "Display preview" }), ...previewAt);
    preview.setAttribute("role", "img");
    const note = place(
        make("div", page, {
            id: "PreviewNote",
            text: "Drawn in the code page chosen; a display's national variant or firmware may differ.",
        }),
        ...moved(places.preview_note, 0, previewAt[1] + previewAt[3]),
    );
    note.className = "note";
    // The characters the code page lacks, or what "Add Missing Characters" did.
    const noteAt = moved(places.preview_note, 0, previewAt[1] + previewAt[3]);
    const rowTop = noteAt[1] + noteAt[3];
    const characterNote = place(
        make("div", page, { id: "CharNote", class: "note character-note" }),
        ...moved(places.character_note, 0, rowTop),
    );
    characterNote.setAttribute("aria-live", "polite");
    makeButton(page, "AddMissing", "Add Missing Characters", moved(places.add_missing, 0, rowTop));
}

function buildCharacterPage(page) {
    place(make("div", page, { id: "UDC_label", class: "caption" }), ...places.character_label).setAttribute(
        "aria-live",
        "polite",
    );
    makeButton(page, "UDC_UP", "<<", places.character_previous).setAttribute(
        "aria-label",
        "Previous character",
    );
    place(make("span", page, { text: "0x", class: "caption right" }), ...places.character_0x);
    const code = place(
        make("input", page, { id: "UDC_TEXT", type: "text", maxLength: 2, label: "Character code (Hex)" }),
        ...places.character_code,
    );
    code.spellcheck = false;
    code.autocomplete = "off";
    place(make("span", page, { text: "(Hex)", class: "caption" }), ...places.character_hex);
    makeButton(page, "UDC_NEXT", ">>", places.character_next).setAttribute("aria-label", "Next character");

    const grid = make("div", page, { class: "grid", role: "group", label: "Character dots" });
    grid.setAttribute("role", "group");
    for (let column = 0; column < 5; ++column) {
        for (let row = 0; row < 7; ++row) {
            const dot = makeButton(
                grid,
                `map${column + 1}_${row}`,
                "",
                moved(
                    places.character_dot,
                    column * steps.character_dot_step,
                    row * steps.character_dot_step,
                ),
            );
            dot.className = "dot";
            dot.setAttribute("aria-label", `row ${row + 1}, column ${column + 1}`);
            dot.setAttribute("aria-pressed", "false");
            dot.dataset.column = column + 1;
            dot.dataset.row = row;
        }
    }
    makeButton(page, "MAP_Clear", "Clear", places.character_clear).setAttribute(
        "aria-label",
        "Clear the character",
    );
    place(make("span", page, { text: "Range : 0x20~0x7E", class: "caption" }), ...places.character_range);
    place(make("span", page, { text: "Max Characters = 9", class: "caption" }), ...places.character_most);
}

// As ui/test_page.cpp lays it out.
function buildTestPage(page, lineWidth) {
    for (const line of [1, 2]) {
        const down = (line - 1) * steps.test_line_step;
        makeLabel(page, `Line ${line} :`, `TestLine${line}`, moved(places.test_line_caption, 0, down));
        const box = place(
            make("input", page, {
                id: `TestLine${line}`,
                type: "text",
                maxLength: lineWidth,
                class: "test-line",
            }),
            ...moved(places.test_line, 0, down),
        );
        box.spellcheck = false;
        box.autocomplete = "off";
    }
    makeButton(page, "TestSend", "Send", places.test_send).setAttribute("aria-label", "Send the lines");
    makeButton(page, "TestClear", "Clear", places.test_clear).setAttribute("aria-label", "Clear the display");
    makeLabel(page, "Brightness :", "TestLevel", places.test_level_caption);
    makeList(page, "TestLevel", "Brightness", places.test_level);
    makeButton(page, "TestBrightness", "Set", places.test_brightness).setAttribute(
        "aria-label",
        "Set the brightness",
    );
    makeLabel(page, "Command set :", "TestCommand", places.test_set_caption);
    makeList(page, "TestCommand", "Command set", places.test_set);
    place(make("div", page, { id: "TestSetUsed", class: "caption" }), ...places.test_set_used);
    makeLabel(page, "Outcome :", null, places.test_outcome_caption);
    const outcome = place(
        make("output", page, { id: "TestOutcome", class: "outcome" }),
        ...places.test_outcome,
    );
    outcome.setAttribute("aria-live", "polite");
}

// Builds the whole window inside `window`; the rulers and the width of a test line come from
// the core.
function buildWindow(window, rulers, testLineWidth) {
    place(window, ...places.window);
    buildBand(window);
    const pages = buildTabs(window);
    buildCommandPage(pages[0]);
    buildWelcomePage(pages[1], rulers);
    buildCharacterPage(pages[2]);
    buildTestPage(pages[3], testLineWidth);
}
