// The README's pictures of the page's three tabs, then of the "Welcome Msg" tab with Cyrillic
// lines under "Russian (CP-866)" and with the euro sign drawn by "Add Missing Characters" under
// CP-437, of the note a browser without Web Serial shows above the port's controls, and last of
// the "Test Display" tab after Send to a virtual display behind the bridge, from headless Chromium:
// node web/page/take_screenshots.mjs PAGE OUTPUT_FOLDER
import { mkdtempSync, rmSync } from "node:fs";
import { createRequire } from "node:module";
import { tmpdir } from "node:os";
import { join, resolve } from "node:path";
import { pathToFileURL } from "node:url";

const require = createRequire(resolve("web/package.json"));
const puppeteer = require("puppeteer-core");
const { startBridge } = require("./tests/fixture.js");
const [pageFile, folder] = process.argv.slice(2);
const profile = mkdtempSync(join(tmpdir(), "page-shots-"));
const browser = await puppeteer.launch({
    executablePath: "/usr/bin/chromium",
    headless: true,
    userDataDir: profile,
    args: [
        "--no-sandbox",
        "--disable-gpu",
        "--no-first-run",
        "--disable-background-networking",
        "--disable-component-update",
        "--disable-sync",
    ],
});
const page = await browser.newPage();
await page.setViewport({ width: 520, height: 600 });
await page.goto(pathToFileURL(resolve(pageFile)).href);
await page.waitForSelector("body[data-ready]");
const names = ["command-setting", "welcome-msg", "user-defined-character"];
for (const [i, name] of names.entries()) {
    await page.click(`#SSTab1_${i}`);
    await page.evaluate(() => window.poleDisplaySetup.queue);
    const window = await page.$("#Window");
    await window.screenshot({ path: join(folder, `page-tab-${name}.png`) });
}
const settled = () => page.evaluate(() => window.poleDisplaySetup.queue);

// One character a cell, each typed over what the cell held, as an operator types them.
async function typeLine(line, text) {
    const characters = [...text];
    for (let k = 1; k <= (line === 1 ? 20 : 40); ++k) {
        await page.click(`#L${line}A_${k}`, { clickCount: 3 });
        if (k <= characters.length) await page.keyboard.type(characters[k - 1]);
        else await page.keyboard.press("Backspace");
        await settled();
    }
}

async function chooseCodePage(index) {
    await page.click("#SSTab1_0");
    const value = await page.$eval("#Char", (list, i) => list.options[i].value, index);
    await page.select("#Char", value);
    await settled();
    await page.click("#SSTab1_1");
    await settled();
}

await chooseCodePage(30); // Russian (CP-866)
await typeLine(
    1,
    "\u0414\u043e\u0431\u0440\u043e \u043f\u043e\u0436\u0430\u043b\u043e\u0432\u0430\u0442\u044c!",
);
await typeLine(
    2,
    "\u0421\u043f\u0430\u0441\u0438\u0431\u043e \u0437\u0430 \u043f\u043e\u043a\u0443\u043f\u043a\u0443, " +
        "\u0436\u0434\u0451\u043c \u0432\u0430\u0441 \u0441\u043d\u043e\u0432\u0430",
);
await page.focus("#Op_L1A");
await (await page.$("#Window")).screenshot({ path: join(folder, "page-welcome-cp866.png") });

await chooseCodePage(0); // US English (CP-437)
await typeLine(1, "    COFFEE 2.50 \u20ac");
await typeLine(2, "Caf\u00e9 cr\u00e8me 3.20 \u20ac  Th\u00e9 2.10 \u20ac");
await page.click("#AddMissing");
await settled();
await page.focus("#Op_L1A");
await (await page.$("#Window")).screenshot({ path: join(folder, "page-welcome-euro.png") });

// The note, with the band of port controls below it.
const bare = await browser.newPage();
await bare.setViewport({ width: 520, height: 600 });
await bare.evaluateOnNewDocument(() => {
    delete Navigator.prototype.serial;
});
await bare.goto(pathToFileURL(resolve(pageFile)).href);
await bare.waitForSelector("body[data-ready]");
const top = await (await bare.$("#PortNote")).boundingBox();
const band = await (await bare.$("#Window fieldset")).boundingBox();
const window = await (await bare.$("#Window")).boundingBox();
await bare.screenshot({
    path: join(folder, "page-no-web-serial.png"),
    clip: { x: window.x, y: top.y - 4, width: window.width, height: band.y + band.height + 6 - (top.y - 4) },
});

const configuration = new Uint8Array(126);
configuration[5] = 1; // EPSON, CP-437
const display = await startBridge([], configuration);
try {
    const url = new URL(pathToFileURL(resolve(pageFile)).href);
    url.searchParams.set("bridge", display.url);
    await page.goto(url.href);
    await page.waitForSelector("body[data-ready]");
    await page.click("#SSTab1_3");
    await settled();
    await page.click("#TestLine2", { clickCount: 3 });
    await page.keyboard.type("  COFFEE      2.50");
    await settled();
    await page.click("#TestSend");
    await settled();
    await page.focus("#TestSend");
    await (await page.$("#Window")).screenshot({ path: join(folder, "page-tab-test-display.png") });
} finally {
    await display.stop();
}
await browser.close();
rmSync(profile, { recursive: true, force: true });
