// The page in headless Chromium, driven as an operator drives it; files, the line and the
// virtual display are real, the browser's serial ports and save picker are scripted.
import assert from "node:assert/strict";
import { existsSync, readFileSync, writeFileSync } from "node:fs";
import { join } from "node:path";
import { after, before, test } from "node:test";
import {
    answerBox,
    cleanUp,
    controls,
    idle,
    launchBrowser,
    openPage,
    referenceSave,
    scratch,
    startDisplay,
    typeInto,
} from "./browser_fixture.mjs";
import { projectVersion } from "../project_version.mjs";

let browser;
before(async () => {
    browser = await launchBrowser();
});
after(async () => {
    await browser?.close();
    cleanUp();
});

const tabOf = { select: 0, cell: 1, view: 1, add_missing: 1, code: 2, dot: 2, next: 2, previous: 2 };

// Does one edit as the operator would; the same words drive the desktop core's reference.
async function edit(page, words) {
    const [what, ...args] = words.split(":");
    if (what in tabOf) await page.click(`#SSTab1_${tabOf[what]}`);
    switch (what) {
        case "select": {
            const value = await page.$eval(
                `#${args[0]}`,
                (list, i) => list.options[i].value,
                Number(args[1]),
            );
            await page.select(`#${args[0]}`, value);
            break;
        }
        case "cell":
            await typeInto(page, `#L${args[0]}${args[1]}_${args[2]}`, args[3]);
            break;
        case "view":
            await page.click(`#Op_L${args[0]}${args[1]}`);
            break;
        case "code":
            await typeInto(page, "#UDC_TEXT", args[0] || "");
            break;
        case "dot":
            await page.click(`#map${args[0]}_${args[1]}`);
            break;
        case "next":
            await page.click("#UDC_NEXT");
            break;
        case "previous":
            await page.click("#UDC_UP");
            break;
        case "defaults":
            await page.click("#SetAllDefault");
            break;
        case "add_missing":
            await page.click("#AddMissing");
            break;
        default:
            throw new Error(`no edit ${words}`);
    }
    await idle(page);
}

const edits = [
    "select:Char:3",
    "select:Command:1",
    "select:BaudRate:1",
    "select:Passthru:1",
    "cell:1:A:1:H",
    "cell:1:A:2:i",
    "cell:1:A:5:",
    "view:2:H",
    "cell:2:H:1:41",
    "cell:2:H:2:7",
    "code:41",
    "dot:1:0",
    "dot:3:6",
    "dot:5:3",
    "next",
    "code:5a",
    "dot:2:2",
    "next",
];

async function editAll(page, list = edits) {
    for (const words of list) await edit(page, words);
}

async function savedBytes(page, name) {
    await page.evaluate((n) => {
        window.pageTest.saveName = n;
    }, name);
    await page.click("#Save");
    await idle(page);
    return page.evaluate((n) => window.pageTest.saved[n] ?? null, name);
}

test("start-up shows the desktop's factory state, every control named, keyboard-operable", async () => {
    const page = await openPage(browser);
    assert.equal(await page.title(), `Vela Pole Display Setup v${projectVersion}`);
    const shown = await controls(page);
    assert.equal(shown.Baud, "9600,n,8,1");
    assert.equal(shown.Char, "US English (CP-437) (Default)");
    assert.equal(shown.Command, "EPSON (Default)");
    assert.equal(shown.Comm, "", "no port granted yet");
    const line1 = Array.from({ length: 20 }, (_, k) => shown[`L1A_${k + 1}`] || " ").join("");
    assert.equal(line1, "*VFD DISPLAY ORBIT *");
    assert.equal(shown.Op_L1A, true);
    assert.equal(shown.UDC_label, "User Defined Character  1");
    assert.equal(shown.UDC_TEXT, "");
    assert.ok(
        Object.entries(shown)
            .filter(([id]) => id.startsWith("map"))
            .every(([, lit]) => lit === "false"),
    );
    assert.equal(await page.$eval("#SSTab1_page0", (p) => p.hidden), false);

    const unnamed = await page.evaluate(() =>
        [...document.querySelectorAll("#Window select, #Window input, #Window button")]
            .filter((c) => !c.getAttribute("aria-label") && !c.labels?.length && !c.textContent.trim())
            .map((c) => c.id),
    );
    assert.deepEqual(unnamed, []);

    // The tabs by arrow keys, a dot by the space bar.
    await page.focus("#SSTab1_0");
    await page.keyboard.press("ArrowRight");
    await page.keyboard.press("ArrowRight");
    await idle(page);
    assert.equal(await page.$eval("#SSTab1_page2", (p) => p.hidden), false);
    await page.focus("#map2_3");
    await page.keyboard.press("Space");
    await idle(page);
    await page.keyboard.press("ArrowDown");
    assert.equal(await page.evaluate(() => document.activeElement.id), "map2_4");
    assert.equal((await controls(page)).map2_3, "true");
    assert.deepEqual(page.errors, []);
});

test("Save writes the very bytes the desktop core saves after the same edits", async () => {
    const page = await openPage(browser);
    await editAll(page);
    const saved = await savedBytes(page, "shop.vfd");
    assert.equal(saved.length, 126);
    assert.deepEqual(Buffer.from(saved), referenceSave("shop.vfd", edits));

    // Cancelling the picker saves nothing; ORBIT.vfd is refused with the desktop's words.
    assert.equal(await savedBytes(page, ""), null);
    await page.evaluate(() => {
        window.pageTest.saveName = "ORBIT.vfd";
    });
    await page.click("#Save");
    assert.deepEqual(await answerBox(page), {
        title: "Pole Display Setup",
        text: "ORBIT.vfd can't be saved",
        buttons: ["OK"],
    });
    await idle(page);
    assert.equal(await page.evaluate(() => window.pageTest.saved["ORBIT.vfd"] ?? null), null);
});

test("without a save picker, Save downloads the same 126 bytes under the name typed", async () => {
    const page = await openPage(browser, { saveName: null });
    const folder = join(scratch, "downloads");
    const session = await page.createCDPSession();
    await session.send("Browser.setDownloadBehavior", {
        behavior: "allow",
        downloadPath: folder,
        browserContextId: page.browserContext().id,
    });
    await editAll(page, edits.slice(0, 6));
    await page.click("#Save");
    await page.waitForSelector("#NameBox[open]");
    await typeInto(page, "#SaveName", "counter.vfd");
    await page.click("#NameBox .box-ok");
    await idle(page);
    const file = join(folder, "counter.vfd");
    for (let tries = 0; !(existsSync(file) && readFileSync(file).length) && tries < 100; ++tries)
        await new Promise((later) => setTimeout(later, 100));
    assert.deepEqual(readFileSync(file), referenceSave("counter.vfd", edits.slice(0, 6)));
});

test("Load shows a good file; short, out-of-range and cancelled loads change nothing", async () => {
    const good = referenceSave("good.vfd", edits);
    const short = join(scratch, "short.vfd");
    writeFileSync(short, good.subarray(0, 125));
    const outOfRange = join(scratch, "range.vfd");
    const bad = Buffer.from(good);
    bad[3] = 0xff; // the code page's list byte
    writeFileSync(outOfRange, bad);
    const goodFile = join(scratch, "good.vfd");

    const page = await openPage(browser);
    const load = async (file, answer = "ok") => {
        const [chooser] = await Promise.all([page.waitForFileChooser(), page.click("#Load")]);
        await chooser.accept([file]);
        const question = await answerBox(page, answer);
        assert.deepEqual(question, {
            title: "Load File",
            text: "Are you sure to Load ?",
            buttons: ["OK", "Cancel"],
        });
    };

    await edit(page, "cell:1:A:3:Q");
    const before = await controls(page);
    for (const file of [short, outOfRange]) {
        await load(file);
        assert.deepEqual(await answerBox(page), {
            title: "Pole Display Setup",
            text: "Error",
            buttons: ["OK"],
        });
        await idle(page);
        assert.deepEqual(await controls(page), before, file);
    }
    await load(goodFile, "cancel");
    await idle(page);
    assert.deepEqual(await controls(page), before);

    await load(goodFile);
    await idle(page);
    const shown = await controls(page);
    assert.equal(shown.Char, await page.$eval("#Char", (l) => l.options[3].text));
    assert.equal(shown.L1A_1 + shown.L1A_2 + shown.L1A_3 + shown.L1A_5, "HiFD", "the emptied cell closed up");
    assert.equal(shown.L2A_1 + shown.L2A_2, "At", "hex cells are joined, then cut into pairs");
    assert.equal(shown.UDC_label, "User Defined Character  1");
    assert.equal(shown.UDC_TEXT, "41");
    assert.equal(shown.map1_0 + shown.map3_6, "truetrue");
    // Saved again, the loaded file comes back unchanged.
    assert.deepEqual(Buffer.from(await savedBytes(page, "again.vfd")), good);
});

test("Write and Read reach the virtual display through the bridge", async () => {
    const display = await startDisplay();
    try {
        const page = await openPage(browser, {
            bridge: display.url,
            granted: [{ info: { usbVendorId: 0x0403, usbProductId: 0x6001 } }],
        });
        assert.equal((await controls(page)).Comm, "FTDI FT232R 0403:6001");
        await editAll(page);
        await page.click("#Download");
        const written = await answerBox(page);
        assert.equal(
            written.text,
            "                             Download successful!\nPlease restart the Pole Display for the changes to take affect.",
        );
        await idle(page);

        assert.deepEqual(await page.evaluate(() => window.pageTest.opens), [
            { baudRate: 9600, dataBits: 8, stopBits: 1, parity: "none", flowControl: "none" },
        ]);
        assert.deepEqual(
            Buffer.from(display.memory()),
            referenceSave("stored.vfd", edits),
            "the display holds the desktop's bytes",
        );

        await page.click("#SetAllDefault");
        await idle(page);
        assert.equal((await controls(page)).L1A_1, "*");
        await page.click("#GetSetting");
        assert.equal((await answerBox(page)).text, "Upload O.K!");
        await idle(page);
        const shown = await controls(page);
        assert.equal(shown.L1A_1 + shown.L1A_2, "Hi");
        assert.equal(shown.Command, await page.$eval("#Command", (l) => l.options[1].text));
        // What came back, saved, is byte for byte what the desktop core saves after the edits.
        assert.deepEqual(
            Buffer.from(await savedBytes(page, "read-back.vfd")),
            referenceSave("written.vfd", edits),
        );

        // The port was let go after each transfer: a third one opens it again.
        await page.click("#GetSetting");
        assert.equal((await answerBox(page)).text, "Upload O.K!");
    } finally {
        await display.stop();
    }
});

// A failed read leaves the editor as it was; a failed write has already packed the lines, and
// leaves them in their hex view as the desktop does.
test("a silent display and a wrong check byte give the desktop's messages", async () => {
    const cases = [
        { option: "--silent", button: "#Download", text: "Download Fail ! Please retry again !" },
        { option: "--silent", button: "#GetSetting", text: "Serial port 1 can't be open !!" },
        { option: "--wrong-check", button: "#Download", text: "IRC check error ! Please retry again !" },
    ];
    for (const { option, button, text } of cases) {
        const display = await startDisplay([option]);
        try {
            const page = await openPage(browser, { bridge: display.url, granted: [{}] });
            const before = await controls(page);
            await page.click(button);
            assert.deepEqual(
                await answerBox(page),
                { title: "Pole Display Setup", text, buttons: ["OK"] },
                option,
            );
            await idle(page);
            if (button === "#GetSetting") assert.deepEqual(await controls(page), before, option);
        } finally {
            await display.stop();
        }
    }
});

test("the character page steps, stores and refuses codes as the desktop does", async () => {
    const page = await openPage(browser);
    await editAll(page, ["code:41", "dot:1:0", "dot:5:6", "next"]);
    let shown = await controls(page);
    assert.equal(shown.UDC_label, "User Defined Character 2");
    assert.equal(shown.map1_0, "false");

    const refusals = [
        ["GG", "Hex Value Error !!"],
        ["7F", "Error !! Range is 0x20~0x7E !!"],
        ["A", "Error !! Range is 0x20~0x7E !!"],
    ];
    for (const [code, text] of refusals) {
        await edit(page, `code:${code}`);
        await page.click("#UDC_NEXT");
        assert.equal((await answerBox(page)).text, text, code);
        await idle(page);
        shown = await controls(page);
        assert.equal(shown.UDC_label, "User Defined Character 2", code);
        assert.equal(shown.UDC_TEXT, "", code);
    }

    await edit(page, "previous");
    shown = await controls(page);
    assert.equal(shown.UDC_label, "User Defined Character 1");
    assert.equal(shown.UDC_TEXT, "41");
    assert.equal(shown.map1_0 + shown.map5_6 + shown.map2_0, "truetruefalse");
    await page.click("#UDC_UP"); // already the first: nothing moves
    await idle(page);
    assert.equal((await controls(page)).UDC_label, "User Defined Character 1");
    await page.click("#MAP_Clear");
    await idle(page);
    shown = await controls(page);
    assert.equal(shown.map1_0, "false");
    assert.equal(shown.UDC_TEXT, "41", "Clear leaves the code");
});

test("Choose port… asks the browser for a port and selects it", async () => {
    const page = await openPage(browser, {
        granted: [{ info: { usbVendorId: 0x067b, usbProductId: 0x2303 } }],
        offered: { info: { usbVendorId: 0x1234, usbProductId: 0x0001 } },
    });
    const entries = () =>
        page.$$eval("#Comm option", (all) => all.filter((o) => !o.hidden).map((o) => o.text));
    assert.deepEqual(await entries(), ["Prolific PL2303 067B:2303", "Choose port\u2026"]);
    await page.select("#Comm", "choose");
    await idle(page);
    assert.equal(await page.evaluate(() => window.pageTest.requests), 1);
    assert.deepEqual(await entries(), ["Prolific PL2303 067B:2303", "USB 1234:0001", "Choose port\u2026"]);
    assert.equal((await controls(page)).Comm, "USB 1234:0001");

    // Nothing chosen in the browser's chooser: the port stays as it was.
    await page.evaluate(() => {
        window.pageTest.offered = null;
    });
    await page.select("#Comm", "choose");
    await idle(page);
    assert.equal(await page.evaluate(() => window.pageTest.requests), 2);
    assert.equal((await controls(page)).Comm, "USB 1234:0001");
});

test("without Web Serial the page says so, and editing, Save and the preview still work", async () => {
    const page = await openPage(browser, { serial: "none" });
    assert.equal(
        await page.$eval("#PortNote", (p) => !p.hidden && p.textContent.includes("no Web Serial")),
        true,
    );
    for (const id of ["Comm", "FindPort", "Download", "GetSetting"])
        assert.equal(await page.$eval(`#${id}`, (c) => c.disabled), true, id);
    await editAll(page, edits.slice(4, 7));
    assert.deepEqual(
        Buffer.from(await savedBytes(page, "offline.vfd")),
        referenceSave("offline.vfd", edits.slice(4, 7)),
    );
    await page.click("#SSTab1_1");
    await idle(page);
    const lit = await page.$eval("#Preview", (canvas) => {
        const { data } = canvas.getContext("2d").getImageData(0, 0, canvas.width, canvas.height);
        let count = 0;
        for (let i = 0; i < data.length; i += 4) if (data[i + 1] > 200) ++count;
        return count;
    });
    assert.ok(lit > 0, "the preview lights dots");
    assert.deepEqual(page.errors, []);
});

test("About This Utility opens the user guide as a page of its own", async () => {
    const page = await openPage(browser);
    await page.click("#Help");
    await page.waitForSelector("#Guide:not([hidden])");
    assert.equal(await page.$eval("#Main", (m) => m.hidden), true);
    assert.match(await page.$eval("#Guide h1", (h) => h.textContent), /User Guide/);
    await page.click("#Guide .back");
    await page.waitForSelector("#Main:not([hidden])");
    assert.equal(await page.$eval("#Guide", (g) => g.hidden), true);
});

test("Baud drops the desktop's whole list whatever is typed, and typed settings reach the line", async () => {
    const page = await openPage(browser, { granted: [{}] });
    const entries = () => page.$$eval("#Baud_entries option", (all) => all.map((o) => o.text));
    const baud = () => page.$eval("#Baud", (box) => box.value);
    const choose = async (entry) => {
        await page.select("#Baud_entries", entry);
        await idle(page);
    };

    await typeInto(page, "#Baud", "19200");
    await idle(page);
    assert.deepEqual(await entries(), ["9600,n,8,1", "19200,n,8,1"]);
    assert.equal(await baud(), "19200");
    await choose("19200,n,8,1");
    assert.equal(await baud(), "19200,n,8,1");
    // The entry already chosen, chosen again after typing, takes the box back.
    await typeInto(page, "#Baud", "19200,n,8,2");
    await idle(page);
    await choose("19200,n,8,1");
    assert.equal(await baud(), "19200,n,8,1");

    await typeInto(page, "#Baud", "9600,n,8,1.5");
    await idle(page);
    await page.click("#Download");
    const refused = await answerBox(page);
    assert.match(
        refused.text,
        /could not be set up\.\nReason: 1\.5 stop bits are not available in the browser/,
    );
    await idle(page);
    assert.deepEqual(await page.evaluate(() => window.pageTest.opens), [], "nothing opened");
});

test("a control code in a character cell shows its hex digits, dimmed, and saves as its byte", async () => {
    const page = await openPage(browser);
    const codeEdits = ["view:1:H", "cell:1:H:1:07", "cell:1:H:2:41", "cell:1:H:3:1B", "view:1:A"];
    await editAll(page, codeEdits);
    const cells = await page.evaluate(() =>
        [1, 2, 3].map((k) => {
            const cell = document.getElementById(`L1A_${k}`);
            const code = cell.nextElementSibling;
            return {
                value: cell.value,
                code: code.textContent,
                codeShown: getComputedStyle(code).visibility === "visible",
                textHidden: getComputedStyle(cell).color === "rgba(0, 0, 0, 0)",
            };
        }),
    );
    assert.deepEqual(cells, [
        { value: "\u0007", code: "07", codeShown: true, textHidden: true },
        { value: "A", code: "", codeShown: true, textHidden: false },
        { value: "\u001b", code: "1B", codeShown: true, textHidden: true },
    ]);
    const saved = await savedBytes(page, "codes.vfd");
    assert.deepEqual(Buffer.from(saved), referenceSave("codes.vfd", codeEdits));
    // Typed over, the cell is an ordinary character again.
    await edit(page, "cell:1:A:1:Z");
    assert.deepEqual(
        await page.$eval("#L1A_1", (cell) => [cell.value, cell.nextElementSibling.textContent]),
        ["Z", ""],
    );

    // In the hex view the overlay goes with the character cells.
    await edit(page, "view:1:H");
    await edit(page, "cell:1:H:1:07");
    assert.equal(
        await page.$eval("#L1A_1", (cell) => getComputedStyle(cell.nextElementSibling).visibility),
        "hidden",
    );
});

test("the cells follow Char: Cyrillic under CP-866, a missing sign refused, then added", async () => {
    const page = await openPage(browser);
    const privet = "\u041f\u0440\u0438\u0432\u0435\u0442";
    const cyrillic = ["select:Char:30", ...[...privet].map((c, i) => `cell:1:A:${i + 1}:${c}`)];
    await editAll(page, cyrillic);
    assert.equal((await controls(page)).L1A_1, "\u041f");
    assert.deepEqual(Buffer.from(await savedBytes(page, "ru.vfd")), referenceSave("ru.vfd", cyrillic));
    const ru = Buffer.from(await savedBytes(page, "ru2.vfd"));
    assert.deepEqual([...ru.subarray(6, 12)], [0x8f, 0xe0, 0xa8, 0xa2, 0xa5, 0xe2]);

    // The same bytes under CP-437: other characters, not other bytes.
    await edit(page, "select:Char:0");
    assert.equal((await controls(page)).L1A_1, "\u00c5");
    const again = Buffer.from(await savedBytes(page, "us.vfd"));
    assert.deepEqual([...again.subarray(6, 12)], [...ru.subarray(6, 12)]);

    // € is not in CP-437: the cell keeps its character, the note says so; the command draws it.
    // Typed over the selected character, as one edit.
    const euro = ["cell:1:A:1:\u20ac"];
    await page.click("#SSTab1_1");
    await page.click("#L1A_1", { clickCount: 3 });
    await page.keyboard.type("\u20ac");
    await idle(page);
    assert.equal((await controls(page)).L1A_1, "\u00c5");
    assert.equal(
        await page.$eval("#CharNote", (n) => n.textContent),
        '"\u20ac" is not in US English (CP-437): the cell keeps what it had. ' +
            '"Add Missing Characters" draws it.',
    );
    await edit(page, "add_missing");
    assert.equal(
        await page.$eval("#CharNote", (n) => n.textContent),
        "\u20ac is user-defined character 1, under code 0x7E ~",
    );
    assert.equal((await controls(page)).L1A_1, "~");
    const reference = referenceSave("euro.vfd", [...cyrillic, "select:Char:0", ...euro, "add_missing"]);
    assert.deepEqual(Buffer.from(await savedBytes(page, "euro.vfd")), reference);
    assert.equal(reference[6], 0x7e);
    assert.equal(reference[68], 0x7e, "slot 1's code");
    assert.deepEqual(page.errors, []);
});

// The display's screen file once it ends with `expected`, or what it last held after a while.
async function screenOnce(path, expected) {
    let text = "";
    for (let waited = 0; waited < 10000; waited += 50) {
        text = existsSync(path) ? readFileSync(path, "utf8") : "";
        if (text.endsWith(expected)) break;
        await new Promise((resolve) => setTimeout(resolve, 50));
    }
    return text;
}

const screenOf = (line1, line2, brightness) =>
    `|${line1.padEnd(20)}|\n|${line2.padEnd(20)}|\nbrightness ${brightness}\n`;

test("the Test Display tab sends, dims and clears the virtual display's screen", async () => {
    const screenFile = join(scratch, "screen.txt");
    const configuration = Buffer.alloc(126);
    configuration[5] = 1; // EPSON, CP-437
    const display = await startDisplay(["--screen-file", screenFile], configuration);
    try {
        const page = await openPage(browser, { bridge: display.url, granted: [{ info: {} }] });
        await page.click("#SSTab1_3");
        await idle(page);
        assert.equal(await page.$eval("#TestLine1", (box) => box.value), "*VFD DISPLAY ORBIT *");
        assert.equal(await page.$eval("#TestCommand", (list) => list.value), "As the display reports");
        assert.equal(await page.$eval("#TestBrightness", (button) => button.disabled), true);
        await typeInto(page, "#TestLine2", "PRICE 1.99");
        await page.click("#TestSend");
        await idle(page);
        const sent = screenOf("*VFD DISPLAY ORBIT *", "PRICE 1.99", "default");
        assert.equal(await screenOnce(screenFile, sent), sent);
        assert.equal(
            await page.$eval("#TestOutcome", (out) => out.textContent),
            "The display shows the two lines.",
        );
        assert.match(
            await page.$eval("#TestSetUsed", (words) => words.textContent),
            /^EPSON \(Default\), as the display reports; US English \(CP-437\)/,
        );

        assert.equal(await page.$eval("#TestBrightness", (button) => button.disabled), false);
        await page.select("#TestLevel", "2");
        await page.click("#TestBrightness");
        await idle(page);
        assert.match(await screenOnce(screenFile, "brightness 02\n"), /brightness 02\n$/);

        await page.click("#TestClear");
        await idle(page);
        assert.equal(await screenOnce(screenFile, screenOf("", "", "02")), screenOf("", "", "02"));
        assert.equal(await page.$eval("#TestOutcome", (out) => out.textContent), "The display was cleared.");
        assert.deepEqual(Buffer.from(display.memory()), configuration, "the configuration stays as it was");
        assert.deepEqual(page.errors, []);
    } finally {
        await display.stop();
    }
});
