// The page: draws the core's editor model and hands every click and edit to the core, one at
// a time, as the desktop window does.
"use strict";

/** @type {(id: string) => any} */
const $ = (id) => document.getElementById(id);

const hex4 = (n) => n.toString(16).padStart(4, "0").toUpperCase();

const usbIdsOf = (port) => {
    const info = port && port.getInfo ? port.getInfo() : {};
    return info.usbVendorId === undefined
        ? null
        : { vendor: info.usbVendorId, product: info.usbProductId || 0 };
};

// A port by its adapter's chip, from the core's table of USB-serial chips: "FTDI FT232R
// 0403:6001", "FTDI 0403:6002" for a product the table does not know, "USB 1234:0001" for a
// maker it does not know.
function portLabels(core, ports) {
    const seen = new Map();
    return ports.map((port, i) => {
        let label = port instanceof SocketSerialPort ? "Virtual display" : `Serial port ${i + 1}`;
        const ids = usbIdsOf(port);
        if (ids) {
            const chip = core.usbSerialChip(ids.vendor, ids.product);
            const named = chip ? [chip.maker, chip.name].filter(Boolean).join(" ") : "USB";
            label = `${named} ${hex4(ids.vendor)}:${hex4(ids.product)}`;
        }
        const count = (seen.get(label) || 0) + 1;
        seen.set(label, count);
        return count > 1 ? `${label} #${count}` : label;
    });
}

class Page {
    constructor(core, hasSerial) {
        this.core = core;
        this.hasSerial = hasSerial;
        this.queue = Promise.resolve();
        this.window = $("Window");
        // Opened with ?bridge=ws://..., the page offers the virtual display behind that bridge.
        const bridge = new URLSearchParams(location.search).get("bridge");
        this.bridged = bridge ? [new SocketSerialPort(bridge)] : [];
    }

    // One operator action at a time; the page is drawn again after each.
    act(action, holdsWindow = false) {
        this.queue = this.queue
            .then(async () => {
                if (holdsWindow) {
                    this.window.inert = true;
                    document.body.classList.add("busy");
                }
                try {
                    await action();
                } finally {
                    this.window.inert = false;
                    document.body.classList.remove("busy");
                    this.draw();
                }
            })
            .catch((error) => console.error(error));
        return this.queue;
    }

    command(name, a = 0, b = 0) {
        return this.core.command(name, a, b);
    }

    // A command that may wait for the operator or the line.
    run(name, a = 0, b = 0, holdsWindow = false) {
        return this.act(() => this.command(name, a, b), holdsWindow);
    }

    edit(change) {
        return this.act(async () => change());
    }

    async refreshPorts(selectPort) {
        const ports = [...this.bridged, ...(this.hasSerial ? await navigator.serial.getPorts() : [])];
        this.ports = ports;
        const labels = portLabels(this.core, ports);
        this.core.serial.offer(ports.map((port, i) => ({ port, label: labels[i] })));
        const model = this.core.snapshot();
        const chosen = selectPort ? ports.indexOf(selectPort) : Math.min(model.Comm.index, ports.length - 1);
        const list = new this.core.StringList();
        for (const label of labels) list.push_back(label);
        this.core.setPorts(list, chosen >= 0 ? chosen : ports.length ? 0 : -1);
        list.delete();
    }

    async choosePort() {
        this.core.serial.lastFailure = null;
        try {
            const port = await navigator.serial.requestPort();
            await this.refreshPorts(port);
        } catch (error) {
            if (error.name !== "NotFoundError") console.error(error);
        }
    }

    connect() {
        const comm = $("Comm");
        comm.addEventListener("change", () => {
            if (comm.value === "choose") this.act(() => this.choosePort());
            else
                this.edit(() => {
                    this.core.serial.lastFailure = null;
                    this.core.selectEntry("Comm", comm.selectedIndex - 1);
                });
        });
        // The browser's chooser names the port, not the speed: Find asks each granted port.
        $("FindPort").addEventListener("click", () =>
            this.act(async () => {
                await this.refreshPorts();
                await this.command("find");
            }, true),
        );
        if (this.hasSerial && typeof navigator.serial.addEventListener === "function") {
            for (const change of ["connect", "disconnect"])
                navigator.serial.addEventListener(change, () => this.act(() => this.refreshPorts()));
        }
        $("Baud").addEventListener("input", (/** @type {any} */ event) =>
            this.edit(() => this.core.typeText("Baud", event.target.value)),
        );
        $("Baud_entries").addEventListener("change", (/** @type {any} */ event) =>
            this.edit(() => this.core.selectEntry("Baud", event.target.selectedIndex)),
        );
        for (const id of ["Char", "Command", "BaudRate", "Passthru"]) {
            $(id).addEventListener("change", (/** @type {any} */ event) =>
                this.edit(() => this.core.selectEntry(id, event.target.selectedIndex)),
            );
        }

        $("Load").addEventListener("click", () => this.run("load", 0, 0, true));
        $("Save").addEventListener("click", () => this.run("save", 0, 0, true));
        $("Help").addEventListener("click", () => this.run("help"));
        $("SetAllDefault").addEventListener("click", () => this.run("defaults"));
        $("Download").addEventListener("click", () => this.run("write", 0, 0, true));
        $("GetSetting").addEventListener("click", () => this.run("read", 0, 0, true));

        const tabs = tabCaptions.map((_, i) => $(`SSTab1_${i}`));
        tabs.forEach((tab, i) => {
            tab.addEventListener("click", () => this.edit(() => this.core.showTab(i)));
            tab.addEventListener("keydown", (/** @type {any} */ event) => {
                const step = { ArrowRight: 1, ArrowLeft: -1 }[event.key];
                if (!step) return;
                const next = (i + step + tabs.length) % tabs.length;
                this.edit(() => this.core.showTab(next)).then(() => tabs[next].focus());
            });
        });

        for (const line of [1, 2]) {
            $(`Op_L${line}A`).addEventListener("change", () => this.run("view", line, 0));
            $(`Op_L${line}H`).addEventListener("change", () => this.run("view", line, 1));
            $(`CLR_MSG${line}`).addEventListener("click", () => this.run("clear_line", line));
            $(`Frame_L${line}`).addEventListener("input", (/** @type {any} */ event) => {
                const cell = event.target;
                if (!cell.classList.contains("cell")) return;
                const k = Number(cell.id.split("_")[1]);
                this.edit(() => this.core.setCell(line, cell.dataset.view === "H", k, cell.value));
            });
        }

        $("AddMissing").addEventListener("click", () => this.run("add_missing"));

        for (const line of [1, 2]) {
            $(`TestLine${line}`).addEventListener("input", (/** @type {any} */ event) =>
                this.edit(() => this.core.typeTestLine(line, event.target.value)),
            );
        }
        $("TestSend").addEventListener("click", () => this.run("test_send", 0, 0, true));
        $("TestClear").addEventListener("click", () => this.run("test_clear", 0, 0, true));
        $("TestBrightness").addEventListener("click", () => this.run("test_brightness", 0, 0, true));
        for (const id of ["TestCommand", "TestLevel"]) {
            $(id).addEventListener("change", (/** @type {any} */ event) =>
                this.edit(() => this.core.selectEntry(id, event.target.selectedIndex)),
            );
        }

        $("UDC_UP").addEventListener("click", () => this.run("previous_character"));
        $("UDC_NEXT").addEventListener("click", () => this.run("next_character"));
        $("MAP_Clear").addEventListener("click", () => this.run("clear_character"));
        $("UDC_TEXT").addEventListener("input", (/** @type {any} */ event) =>
            this.edit(() => this.core.setCode(event.target.value)),
        );
        for (const dot of /** @type {NodeListOf<HTMLElement>} */ (document.querySelectorAll(".dot"))) {
            const column = Number(dot.dataset.column);
            const row = Number(dot.dataset.row);
            dot.addEventListener("click", () => this.run("toggle_dot", column, row));
            dot.addEventListener("keydown", (/** @type {any} */ event) => {
                const [dc, dr] = {
                    ArrowLeft: [-1, 0],
                    ArrowRight: [1, 0],
                    ArrowUp: [0, -1],
                    ArrowDown: [0, 1],
                }[event.key] || [0, 0];
                const next = $(`map${column + dc}_${row + dr}`);
                if ((dc || dr) && next) {
                    event.preventDefault();
                    next.focus();
                }
            });
        }
    }

    draw() {
        const model = this.core.snapshot();
        this.drawComm(model.Comm);
        setNote($("PortNote"), portObstacle(this.hasSerial, this.core, model.Comm));
        this.drawKiosk(model.Comm);
        drawCombo($("Baud"), model.Baud);
        for (const id of ["Char", "Command", "BaudRate", "Passthru"]) drawList($(id), model[id]);
        drawLine(1, model.line1);
        drawLine(2, model.line2);
        setText($("CharNote"), model.characterNote);
        drawPreview($("Preview"), model.preview);
        setText($("UDC_label"), model.caption);
        setValue($("UDC_TEXT"), model.code);
        for (const dot of /** @type {NodeListOf<HTMLElement>} */ (document.querySelectorAll(".dot"))) {
            const at = (Number(dot.dataset.column) - 1) * 7 + Number(dot.dataset.row);
            const lit = model.dots[at] === "1";
            dot.setAttribute("aria-pressed", String(lit));
            dot.classList.toggle("lit", lit);
        }
        this.drawTest(model.test);
        for (let i = 0; i < tabCaptions.length; ++i) {
            const shown = i === model.tab;
            const tab = $(`SSTab1_${i}`);
            tab.setAttribute("aria-selected", String(shown));
            tab.tabIndex = shown ? 0 : -1;
            $(`SSTab1_page${i}`).hidden = !shown;
        }
    }

    // The policy that grants the chosen USB adapter to this page without asking, for a kiosk.
    drawKiosk(comm) {
        const ids = this.hasSerial ? usbIdsOf((this.ports || [])[comm.index]) : null;
        $("Kiosk").hidden = !ids;
        if (!ids) return;
        setText($("KioskPolicy"), kioskPolicy(location.origin, ids));
    }

    drawTest(test) {
        setValue($("TestLine1"), test.line1);
        setValue($("TestLine2"), test.line2);
        drawList($("TestCommand"), test.TestCommand);
        drawList($("TestLevel"), test.TestLevel);
        $("TestLevel").disabled = !test.brightness;
        $("TestBrightness").disabled = !test.brightness;
        setText($("TestSetUsed"), test.setUsed);
        setText($("TestOutcome"), test.outcome);
    }

    // The ports, then the entry that asks the browser for another; an empty line stands for
    // no port chosen.
    drawComm(comm) {
        const select = $("Comm");
        const wanted = ["", ...comm.entries, this.hasSerial ? "Choose port\u2026" : null].filter(
            (entry) => entry !== null,
        );
        const shown = [...select.options].map((option) => option.text);
        if (shown.join("\n") !== wanted.join("\n")) {
            select.replaceChildren(
                ...wanted.map((text, i) => {
                    const option = new Option(
                        text,
                        i === 0 ? "" : i <= comm.entries.length ? String(i) : "choose",
                    );
                    option.hidden = i === 0;
                    return option;
                }),
            );
        }
        select.selectedIndex = comm.index + 1;
    }
}

const choosePortWords = '"Choose port\u2026" in "Com Port Select :"';

// What stands between the page and a display, in the operator's words; empty when nothing
// does. In a page that is not a secure context the browser hides Web Serial too, so that is
// said first: there the browser is not to blame.
function portObstacle(hasSerial, core, comm) {
    if (!window.isSecureContext)
        return (
            "This page came over plain http from another computer, and the browser lets only a " +
            "secure page use serial ports. Open it from this computer (localhost), from a " +
            "file, or over https."
        );
    if (!hasSerial)
        return (
            "This browser has no Web Serial, so Write and Read cannot reach the display; editing, " +
            "Save, Load and the preview work here. Web Serial is in Chrome and Edge on the " +
            "desktop, and in Chrome on Android for some USB chips; Firefox has it only with its " +
            "add-on, and Safari not at all."
        );
    const failure = core.serial.lastFailure;
    const kinds = core.PortFailureKind;
    if (failure && failure.kind === kinds.InUse)
        return `${failure.label} is in use by another program or another browser tab: close it there, then try again.`;
    if (failure && failure.kind === kinds.NoSuchPort && failure.label)
        return (
            `${failure.label} has gone away: it may be unplugged. Plug it in again; if it is ` +
            `still missing, pick it again with ${choosePortWords}.`
        );
    if (!comm.entries.length)
        return `No port is granted to this page yet: choose ${choosePortWords} and pick the display's adapter in the browser's list.`;
    return "";
}

// The browser's policy SerialAllowUsbDevicesForUrls, a list of devices and the pages they are
// granted to, as its reference gives it:
// https://chromeenterprise.google/policies/#SerialAllowUsbDevicesForUrls
// Only a page's origin counts; a page opened from a file has none the policy could name.
function kioskPolicy(origin, ids) {
    if (origin === "null" || !/^https?:/.test(origin))
        return "Opened from a file, this page has no web address for the policy to name: serve it from this computer (http://localhost:...) or over https, and the policy appears here.";
    const policy = {
        SerialAllowUsbDevicesForUrls: [
            { devices: [{ vendor_id: ids.vendor, product_id: ids.product }], urls: [origin] },
        ],
    };
    return JSON.stringify(policy, null, 2);
}

function setNote(element, text) {
    setText(element, text);
    element.hidden = !text;
}

function setText(element, text) {
    if (element.textContent !== text) element.textContent = text;
}

// Set only when it differs, so the cursor of the box being typed in stays where it is.
function setValue(element, value) {
    if (element.value !== value) element.value = value;
}

function drawList(select, list) {
    if ([...select.options].map((option) => option.text).join("\n") !== list.entries.join("\n"))
        select.replaceChildren(...list.entries.map((entry) => new Option(entry)));
    if (select.selectedIndex !== list.index) select.selectedIndex = list.index;
}

function drawCombo(input, combo) {
    const entries = $(`${input.id}_entries`);
    if (entries.options.length !== combo.entries.length)
        entries.replaceChildren(...combo.entries.map((entry) => new Option(entry)));
    // None selected, so that choosing the entry already shown is a change too.
    entries.selectedIndex = -1;
    setValue(input, combo.text);
}

function drawLine(line, model) {
    for (let k = 1; k <= model.cells; ++k) {
        const cell = $(`L${line}A_${k}`);
        setValue(cell, model.chars[k]);
        // A code without a character in the code page shows its two hex digits, dimmed.
        const dimmed = model.dimmed[k];
        cell.classList.toggle("control", dimmed !== "");
        setText(cell.nextElementSibling, dimmed);
        setValue($(`L${line}H_${k}`), model.hex[k]);
    }
    $(`Frame_L${line}`).dataset.shown = model.hexShown ? "H" : "A";
    $(`Op_L${line}${model.hexShown ? "H" : "A"}`).checked = true;
}

// The preview's geometry in dot pitches, as the desktop's panel draws it.
const previewAcross = 1 + 20 * 6;
const previewDown = 1 + 7 + 2 + 7 + 1 + 7 + 1;
const previewRowTops = [1, 10, 18];

function drawPreview(canvas, preview) {
    // Sized from its place, not from the layout: a hidden tab has none.
    const scale = window.devicePixelRatio || 1;
    const width = Math.round(parseFloat(canvas.style.width) * scale);
    const height = Math.round(parseFloat(canvas.style.height) * scale);
    if (canvas.width !== width || canvas.height !== height) {
        canvas.width = width;
        canvas.height = height;
    }
    const context = canvas.getContext("2d");
    const pitch = Math.min(width / previewAcross, height / previewDown);
    const left = (width - pitch * previewAcross) / 2;
    const top = (height - pitch * previewDown) / 2;
    const radius = pitch * 0.4;
    context.fillStyle = "#000";
    context.fillRect(0, 0, width, height);
    preview.rows.forEach((row, r) =>
        row.forEach((cell, c) => {
            for (let column = 0; column < 5; ++column) {
                for (let dotRow = 0; dotRow < 7; ++dotRow) {
                    const lit = cell.dots[column * 7 + dotRow] === "1";
                    context.fillStyle = !lit
                        ? "rgb(18,46,42)"
                        : cell.missing
                          ? "rgb(32,128,104)"
                          : "rgb(64,255,208)";
                    context.beginPath();
                    context.arc(
                        left + pitch * (1 + c * 6 + column) + radius,
                        top + pitch * (previewRowTops[r] + dotRow) + radius,
                        radius,
                        0,
                        2 * Math.PI,
                    );
                    context.fill();
                }
            }
        }),
    );
    canvas.title = preview.note;
    canvas.setAttribute("aria-description", preview.note);
}

// The user guide is a page of its own inside this file, reached as #guide.
function showRoute() {
    const guide = location.hash === "#guide";
    $("Guide").hidden = !guide;
    $("Main").hidden = guide;
    if (guide) $("Guide").focus();
}

async function startPage() {
    const hasSerial = "serial" in navigator;
    const strings = {};
    const boxes = new Boxes($("Box"));
    const find = new FindBox($("FindBox"));
    const files = new Files(strings, boxes, $("NameBox"));
    const services = {
        strings,
        boxes,
        files,
        find,
        showGuide: () => {
            location.hash = "#guide";
        },
    };

    const core = await createPoleDisplaySetup({ page: services });
    const model = core.snapshot();
    buildWindow($("Window"), [model.line1.ruler, model.line2.ruler], model.test.lineWidth);
    const page = new Page(core, hasSerial);
    await page.command("start_up");
    if (!hasSerial && !page.bridged.length)
        for (const id of ["Comm", "FindPort", "Download", "GetSetting", "TestSend", "TestClear"])
            $(id).disabled = true;
    await page.refreshPorts();
    page.connect();
    page.draw();
    window.addEventListener("hashchange", showRoute);
    window.addEventListener("pagehide", () => page.run("shut_down"));
    showRoute();
    performance.mark("interactive");
    document.body.dataset.ready = "true";
    window.poleDisplaySetup = page;
}

startPage();
