// The window's controls, placed in twips (1/1440 inch) where the desktop window places them,
// with the desktop's control names as element ids. Repeated controls are numbered after an
// underscore: L1A_1 .. L1A_20, map1_0 .. map1_6.
"use strict";

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
    const box = place(make("input", parent, { id, label: caption.trim(), type: "text", class: "combo-text" }),
                      left, top, width - comboArrow, height);
    box.autocomplete = "off";
    box.spellcheck = false;
    place(make("select", parent, { id: `${id}_entries`, label: `${caption.trim()} entries`, class: "combo-arrow" }),
          left + width - comboArrow, top, comboArrow, height);
    return box;
}

function makeButton(parent, id, text, geometry) {
    return place(make("button", parent, { id, text, type: "button" }), ...geometry);
}

function buildBand(window) {
    const frame = place(make("fieldset", window, { class: "group" }), 60, 30, 3495, 1380);
    make("legend", frame, { text: "Interface Setting" });
    makeLabel(frame, "Com Port Select :", "Comm", [120, 210, 1800, 225]);
    makeList(frame, "Comm", "Com Port Select :", [120, 435, 1800, 315]);
    makeLabel(frame, "Baud Rate :", "Baud", [120, 780, 1800, 225]);
    makeCombo(frame, "Baud", "Baud Rate :", [120, 1005, 1800, 315]);
    makeButton(frame, "GetSetting", "Read Setting From Pole Display", [2040, 255, 1335, 1065]);

    makeButton(window, "Load", "Load", [3660, 150, 1260, 510]);
    makeButton(window, "Save", "Save", [3660, 780, 1260, 510]);
    makeButton(window, "Help", "About This Utility", [5040, 60, 1995, 405]);
    makeButton(window, "SetAllDefault", "Set All Default", [5040, 510, 1995, 405]);
    makeButton(window, "Download", "Write To Pole Display", [5040, 960, 1995, 405]);
}

const tabCaptions = ["Command Setting", "Welcome Msg", "User Defined Character"];
const tabBarHeight = 330;
const windowHeight = 7920;
const tabsHeight = windowHeight - 1440;

function buildTabs(window) {
    const tabs = place(make("div", window, { id: "SSTab1", class: "tabs" }), 0, 1440, 7095, tabsHeight);
    const bar = make("div", tabs, { class: "tab-bar", role: "tablist" });
    bar.setAttribute("role", "tablist");
    const pages = tabCaptions.map((caption, index) => {
        const tab = make("button", bar, { id: `SSTab1_${index}`, text: caption, type: "button" });
        tab.setAttribute("role", "tab");
        tab.setAttribute("aria-controls", `SSTab1_page${index}`);
        const page = place(make("div", tabs, { id: `SSTab1_page${index}`, class: "page" }),
                           0, tabBarHeight, 7095, tabsHeight - tabBarHeight);
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
    let top = 450;
    for (const [caption, id] of rows) {
        makeLabel(page, caption, id, [480, top, 1950, 315]);
        makeList(page, id, caption, [2550, top, 3900, 315]);
        top += 600;
    }
}

// One welcome line's frame: as ui/message_line_frame.cpp lays it out.
const cellsPerRow = 20;
const rowTop = (row) => 330 + row * 480;
const rowsOf = (cells) => Math.ceil(cells / cellsPerRow);
const frameHeight = (cells) => rowTop(2 * rowsOf(cells)) + 90;

function buildMessageLine(page, line, caption, top, ruler) {
    const cells = line === 1 ? 20 : 40;
    const frame = place(make("fieldset", page, { id: `Frame_L${line}`, class: "group" }),
                        60, top, 6960, frameHeight(cells));
    make("legend", frame, { text: caption });
    /** @type {[string, string, number, number][]} */
    const views = [["A", "ASCII", 1, 0], ["H", "Hex", 2, rowsOf(cells)]];
    for (const [view, name, width, firstRow] of views) {
        const option = place(make("label", frame, { class: "option" }),
                             90, rowTop(firstRow) + 180, 780, 300);
        const radio = make("input", option, { id: `Op_L${line}${view}`, type: "radio",
                                               name: `view${line}` });
        radio.value = view;
        make("span", option, { text: name });
        for (let k = 1; k <= cells; ++k) {
            const row = firstRow + Math.floor((k - 1) / cellsPerRow);
            const column = (k - 1) % cellsPerRow;
            const cell = place(make("input", frame, {
                id: `L${line}${view}_${k}`, type: "text", maxLength: width, class: "cell",
                label: `${caption.trim()}, ${view === "A" ? "character" : "hex"} ${k}`,
            }), 900 + column * 300, rowTop(row) + 180, 285, 300);
            cell.spellcheck = false;
            cell.autocomplete = "off";
            cell.dataset.view = view;
            if (view === "A") {
                // A control code has no glyph; it is shown as its two hex digits, dimmed, over
                // the cell, while the cell keeps the code itself.
                const code = place(make("span", frame, { class: "control-code" }),
                                   900 + column * 300, rowTop(row) + 180, 285, 300);
                code.setAttribute("aria-hidden", "true");
                code.dataset.view = view;
            }
        }
        ruler.forEach((text, i) => {
            const row = firstRow + Math.floor(i / 5);
            const label = make("span", frame, { id: `Label_L${line}${view}1_${i}`, text,
                                                 class: i % 5 === 0 ? "ruler first" : "ruler" });
            label.setAttribute("aria-hidden", "true");
            label.dataset.view = view;
            if (i % 5 === 0) place(label, 900, rowTop(row), 600, 180);
            else place(label, 900 + ((Number(text) - 1) % cellsPerRow) * 300 - 150, rowTop(row), 600, 180);
        });
    }
    makeButton(frame, `CLR_MSG${line}`, "Clear", [6960 - 60 - 750, 15, 750, 300])
        .setAttribute("aria-label", `Clear ${caption.trim()}`);
    return frameHeight(cells);
}

function buildWelcomePage(page, rulers) {
    let top = 60;
    top += buildMessageLine(page, 1, "Welcome Msg 1", top, rulers[0]) + 60;
    top += buildMessageLine(page, 2, "Welcome Msg 2 ", top, rulers[1]) + 60;
    const preview = place(make("canvas", page, { id: "Preview", label: "Display preview" }),
                          60, top, 6960, 1380);
    preview.setAttribute("role", "img");
    const note = place(make("div", page, { id: "PreviewNote",
        text: "Drawn in the code page chosen; a display's national variant or firmware may differ." }),
        60, top + 1380 + 30, 6960, 225);
    note.className = "note";
    // The characters the code page lacks, or what "Add Missing Characters" did.
    const characterTop = top + 1380 + 30 + 225 + 30;
    const addMissingWidth = 2280;
    const characterNote = place(make("div", page, { id: "CharNote", class: "note character-note" }),
                                60, characterTop, 6960 - addMissingWidth - 60, 300);
    characterNote.setAttribute("aria-live", "polite");
    makeButton(page, "AddMissing", "Add Missing Characters",
               [60 + 6960 - addMissingWidth, characterTop, addMissingWidth, 300]);
}

function buildCharacterPage(page) {
    const top = 180;
    const height = 315;
    place(make("div", page, { id: "UDC_label", class: "caption" }), 180, top, 2250, height)
        .setAttribute("aria-live", "polite");
    makeButton(page, "UDC_UP", "<<", [2550, top, 480, height]).setAttribute("aria-label", "Previous character");
    place(make("span", page, { text: "0x", class: "caption right" }), 3090, top, 270, height);
    const code = place(make("input", page, { id: "UDC_TEXT", type: "text", maxLength: 2,
                                              label: "Character code (Hex)" }),
                       3390, top, 450, height);
    code.spellcheck = false;
    code.autocomplete = "off";
    place(make("span", page, { text: "(Hex)", class: "caption" }), 3885, top, 540, height);
    makeButton(page, "UDC_NEXT", ">>", [4440, top, 480, height]).setAttribute("aria-label", "Next character");

    const grid = make("div", page, { class: "grid", role: "group", label: "Character dots" });
    grid.setAttribute("role", "group");
    for (let column = 0; column < 5; ++column) {
        for (let row = 0; row < 7; ++row) {
            const dot = makeButton(grid, `map${column + 1}_${row}`, "",
                                   [2550 + column * 360, 780 + row * 360, 340, 340]);
            dot.className = "dot";
            dot.setAttribute("aria-label", `row ${row + 1}, column ${column + 1}`);
            dot.setAttribute("aria-pressed", "false");
            dot.dataset.column = column + 1;
            dot.dataset.row = row;
        }
    }
    const bottom = 780 + 6 * 360;
    makeButton(page, "MAP_Clear", "Clear", [2550 - 240 - 900, bottom, 900, 340])
        .setAttribute("aria-label", "Clear the character");
    const notes = 2550 + 5 * 360 + 480;
    place(make("span", page, { text: "Range : 0x20~0x7E", class: "caption" }), notes, bottom - 360, 2400, 340);
    place(make("span", page, { text: "Max Characters = 9", class: "caption" }), notes, bottom, 2400, 340);
}

// Builds the whole window inside `window`; the rulers come from the core's model.
function buildWindow(window, rulers) {
    place(window, 0, 0, 7110, windowHeight);
    buildBand(window);
    const pages = buildTabs(window);
    buildCommandPage(pages[0]);
    buildWelcomePage(pages[1], rulers);
    buildCharacterPage(pages[2]);
}
