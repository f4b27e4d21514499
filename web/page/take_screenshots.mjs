// The README's pictures of the page's three tabs, from headless Chromium:
// node web/page/take_screenshots.mjs PAGE OUTPUT_FOLDER
import { mkdtempSync, rmSync } from "node:fs";
import { createRequire } from "node:module";
import { tmpdir } from "node:os";
import { join, resolve } from "node:path";
import { pathToFileURL } from "node:url";

const require = createRequire(resolve("web/package.json"));
const puppeteer = require("puppeteer-core");
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
await page.setViewport({ width: 520, height: 560 });
await page.goto(pathToFileURL(resolve(pageFile)).href);
await page.waitForSelector("body[data-ready]");
const names = ["command-setting", "welcome-msg", "user-defined-character"];
for (const [i, name] of names.entries()) {
    await page.click(`#SSTab1_${i}`);
    await page.evaluate(() => window.poleDisplaySetup.queue);
    const window = await page.$("#Window");
    await window.screenshot({ path: join(folder, `page-tab-${name}.png`) });
}
await browser.close();
rmSync(profile, { recursive: true, force: true });
