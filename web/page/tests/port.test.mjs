// What the page says of its port: what keeps it from one, the chip of a granted one, the kiosk
// policy that grants it ahead of time, and Find, which asks the granted ports for a display.
import assert from "node:assert/strict";
import { readFileSync } from "node:fs";
import { createServer } from "node:http";
import { after, before, test } from "node:test";
import {
    answerBox,
    cleanUp,
    controls,
    idle,
    launchBrowser,
    openPage,
    pageFile,
    startDisplay,
} from "./browser_fixture.mjs";

// A name that is not this computer's to the browser, though it resolves here: a page from it
// over plain http is what a page from another computer on the network is, no secure context.
const otherHost = "pole-display.test";

let browser;
let server;
let serverPort;
before(async () => {
    browser = await launchBrowser([`--host-resolver-rules=MAP ${otherHost} 127.0.0.1`]);
    const html = readFileSync(pageFile);
    server = createServer((request, response) => {
        response.writeHead(200, { "Content-Type": "text/html; charset=utf-8" });
        response.end(html);
    });
    await new Promise((listening) => server.listen(0, "127.0.0.1", listening));
    serverPort = server.address().port;
});
after(async () => {
    await browser?.close();
    server?.close();
    cleanUp();
});

const note = (page) => page.$eval("#PortNote", (element) => (element.hidden ? "" : element.textContent));

const ftdi = { usbVendorId: 0x0403, usbProductId: 0x6001 };

test("the note says what keeps the page from a port, and nothing once one is granted", async () => {
    const cases = [
        {
            name: "no Web Serial",
            options: { serial: "none" },
            says: [
                /no Web Serial/,
                /Chrome and Edge on the desktop/,
                /Chrome on Android/,
                /Firefox .* add-on/,
                /Safari not at all/,
            ],
        },
        { name: "nothing granted", options: {}, says: [/No port is granted/, /"Choose port…"/] },
        { name: "a port granted", options: { granted: [{ info: ftdi }] }, says: [] },
    ];
    for (const { name, options, says } of cases) {
        const page = await openPage(browser, options);
        const text = await note(page);
        if (!says.length) assert.equal(text, "", name);
        for (const words of says) assert.match(text, words, name);
        assert.deepEqual(page.errors, [], name);
    }
});

test("a page over plain http from another computer says to open it from here, a file or https", async () => {
    const page = await openPage(browser, { serial: "browser", url: `http://${otherHost}:${serverPort}/` });
    // The browser itself holds Web Serial back from such a page: the context is truly insecure.
    assert.deepEqual(await page.evaluate(() => [window.isSecureContext, "serial" in navigator]), [
        false,
        false,
    ]);
    const text = await note(page);
    assert.match(text, /plain http from another computer/);
    assert.match(text, /localhost.*file.*https/);
    assert.doesNotMatch(text, /no Web Serial/, "the browser is not to blame");

    // The same page from this computer is a secure one, and has no such note.
    const local = await openPage(browser, { serial: "browser", url: `http://localhost:${serverPort}/` });
    assert.equal(await local.evaluate(() => window.isSecureContext), true);
    assert.doesNotMatch(await note(local), /plain http/);
});

test("a port that refuses to open is said to be in use or unplugged, until another is chosen", async () => {
    const cases = [
        {
            refuse: { name: "NetworkError", message: "Failed to open serial port." },
            says: /FTDI FT232R 0403:6001 is in use by another program/,
        },
        {
            refuse: { name: "NotFoundError", message: "The device has been lost." },
            says: /FTDI FT232R 0403:6001 has gone away: it may be unplugged/,
        },
    ];
    for (const { refuse, says } of cases) {
        const page = await openPage(browser, {
            granted: [{ info: ftdi, refuse }, { info: { usbVendorId: 0x1a86, usbProductId: 0x7523 } }],
        });
        assert.equal(await note(page), "", refuse.name);
        await page.click("#GetSetting");
        await answerBox(page);
        await idle(page);
        assert.match(await note(page), says, refuse.name);
        await page.select("#Comm", "2");
        await idle(page);
        assert.equal(await note(page), "", `${refuse.name}: another port chosen`);
    }
});

test("a granted port is named by its chip from the core's table", async () => {
    const granted = [
        { usbVendorId: 0x0403, usbProductId: 0x6001 },
        { usbVendorId: 0x1a86, usbProductId: 0x7523 },
        { usbVendorId: 0x10c4, usbProductId: 0xea60 },
        { usbVendorId: 0x0403, usbProductId: 0x6002 }, // the maker's, a product the table lacks
        { usbVendorId: 0xfeed, usbProductId: 0x0001 }, // a maker it lacks
        {}, // no USB port
        {},
    ];
    const page = await openPage(browser, { granted: granted.map((info) => ({ info })) });
    assert.deepEqual(
        await page.$$eval("#Comm option", (all) => all.filter((o) => !o.hidden).map((o) => o.text)),
        [
            "FTDI FT232R 0403:6001",
            "WCH CH340 1A86:7523",
            "Silicon Labs CP210x 10C4:EA60",
            "FTDI 0403:6002",
            "USB FEED:0001",
            "Serial port 6",
            "Serial port 7",
            "Choose port\u2026",
        ],
    );
});

test("the kiosk policy grants the chosen adapter to this page's origin, and only a USB one", async () => {
    const page = await openPage(browser, {
        url: `http://localhost:${serverPort}/`,
        granted: [{ info: ftdi }, { info: { usbVendorId: 0x1a86, usbProductId: 0x7523 } }, {}],
    });
    const policy = async () =>
        page.$eval("#Kiosk", (kiosk) => (kiosk.hidden ? null : kiosk.querySelector("pre").textContent));
    const expected = (vendor, product) => ({
        SerialAllowUsbDevicesForUrls: [
            {
                devices: [{ vendor_id: vendor, product_id: product }],
                urls: [`http://localhost:${serverPort}`],
            },
        ],
    });
    assert.deepEqual(JSON.parse(await policy()), expected(0x0403, 0x6001));
    await page.select("#Comm", "2");
    await idle(page);
    assert.deepEqual(JSON.parse(await policy()), expected(0x1a86, 0x7523));
    await page.select("#Comm", "3");
    await idle(page);
    assert.equal(await policy(), null, "a port without USB ids has no policy");

    // A page opened from a file has no origin a policy could name, and says so.
    const fromFile = await openPage(browser, { granted: [{ info: ftdi }] });
    assert.match(await fromFile.$eval("#KioskPolicy", (pre) => pre.textContent), /no web address/);
});

// Find with a port that another program holds chosen in the box, and after it a granted port
// that reaches the virtual display through the bridge.
const ch340 = { usbVendorId: 0x1a86, usbProductId: 0x7523 };
async function openForFind(displayArgs) {
    const display = await startDisplay(displayArgs);
    const page = await openPage(browser, {
        bridge: display.url,
        granted: [
            { info: ftdi, refuse: { name: "NetworkError", message: "Failed to open serial port." } },
            { info: ch340 },
        ],
    });
    return { display, page };
}

test("Find selects the port and Baud entry the display answers on, as the window's Find does", async () => {
    const { display, page } = await openForFind(["--baud", "19200"]);
    try {
        const before = await controls(page);
        assert.equal(before.Comm, "FTDI FT232R 0403:6001");
        assert.equal(before.Baud, "9600,n,8,1");
        await page.click("#FindPort");
        const asked = await answerBox(page);
        assert.equal(asked.title, "Find the display");
        assert.match(asked.text, /\(2 ports\), at 9600 and then 19200 bit\/s/);
        assert.deepEqual(asked.buttons, ["OK", "Cancel"]);
        const found = await answerBox(page);
        assert.equal(
            found.text,
            "A display answers on WCH CH340 1A86:7523 at 19200 bit/s.\nThat port and speed are selected.",
        );
        await idle(page);
        const after = await controls(page);
        assert.equal(after.Comm, "WCH CH340 1A86:7523");
        assert.equal(after.Baud, "19200,n,8,1");
        // Nothing else changed.
        assert.deepEqual({ ...after, Comm: before.Comm, Baud: before.Baud }, before);
        assert.equal(await page.$eval("#FindBox", (box) => box.open), false);
        // The held port is not asked again at 19200; the other is asked at both speeds.
        assert.deepEqual(
            await page.evaluate(() => window.pageTest.opens.map((o) => o.baudRate)),
            [9600, 9600, 19200],
        );
    } finally {
        await display.stop();
    }
});

test("Find that finds nothing, or is cancelled, changes nothing", async () => {
    const { display, page } = await openForFind(["--silent"]);
    try {
        const before = await controls(page);
        await page.click("#FindPort");
        await answerBox(page);
        const none = await answerBox(page);
        assert.match(
            none.text,
            /^No display answered on 2 ports at 9600 or 19200 bit\/s; nothing was changed\./,
        );
        assert.match(none.text, /Skipped FTDI FT232R 0403:6001: /);
        await idle(page);
        assert.deepEqual(await controls(page), before);

        // Cancel while the first port is asked: the box closes, no result follows.
        await page.click("#FindPort");
        await answerBox(page);
        await page.waitForSelector("#FindBox[open]");
        assert.match(
            await page.$eval("#FindStep", (p) => p.textContent),
            /^Asking (FTDI FT232R 0403:6001|WCH CH340 1A86:7523) at (9600|19200) bit\/s\.\.\.$/,
        );
        await page.click("#FindCancel");
        await idle(page);
        assert.equal(await page.$eval("#FindBox", (box) => box.open), false);
        assert.equal(await page.$eval("#Box", (box) => box.open), false, "no result box after a cancel");
        assert.deepEqual(await controls(page), before);
    } finally {
        await display.stop();
    }
});
