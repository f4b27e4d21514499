// Time from opening the page's file to an interactive page in headless Chromium, against a
// blank page for scale, and the file's size: node bench/page/page_load_bench.mjs [PAGE] [LOADS]
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { createRequire } from "node:module";
import { tmpdir } from "node:os";
import { dirname, join, resolve } from "node:path";
import { fileURLToPath, pathToFileURL } from "node:url";
import { gzipSync } from "node:zlib";

const root = resolve(dirname(fileURLToPath(import.meta.url)), "../..");
const require = createRequire(join(root, "web/package.json"));
const puppeteer = require("puppeteer-core");

const pageFile = resolve(process.argv[2] || join(root, "build-wasm/pole-display-setup.html"));
const loads = Number(process.argv[3] || 21);
const scratch = mkdtempSync(join(tmpdir(), "page-bench-"));
const blankFile = join(scratch, "blank.html");
writeFileSync(
    blankFile,
    '<!DOCTYPE html><title>blank</title><body data-ready="true">' +
        '<script>performance.mark("interactive")</script>',
);

const browser = await puppeteer.launch({
    executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
    headless: true,
    userDataDir: join(scratch, "profile"),
    args: [
        "--no-sandbox",
        "--disable-gpu",
        "--no-first-run",
        "--disable-background-networking",
        "--disable-component-update",
        "--disable-sync",
    ],
});

// Each load in a fresh tab: from the start of navigation (the page's time origin) to the
// page's own mark once it answers input; and, from outside, until that mark is seen.
async function measure(file) {
    const inPage = [];
    const outside = [];
    for (let i = 0; i < loads; ++i) {
        const page = await browser.newPage();
        const start = performance.now();
        await page.goto(pathToFileURL(file).href);
        await page.waitForSelector("body[data-ready]");
        outside.push(performance.now() - start);
        inPage.push(await page.evaluate(() => performance.getEntriesByName("interactive")[0].startTime));
        await page.close();
    }
    return { inPage, outside };
}

const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const worst = (values) => Math.max(...values);
const ms = (value) => `${value.toFixed(1)} ms`;

await measure(pageFile); // the first loads warm the browser's caches of code
const blank = await measure(blankFile);
const full = await measure(pageFile);
await browser.close();
rmSync(scratch, { recursive: true, force: true });

const bytes = readFileSync(pageFile);
console.log(`Loads: ${loads} each, after ${loads} warm-up loads of the page`);
console.log("| | to interactive, median | worst | goto to interactive, median |");
console.log("|---|---|---|---|");
console.log(
    `| blank page | ${ms(median(blank.inPage))} | ${ms(worst(blank.inPage))} | ${ms(median(blank.outside))} |`,
);
console.log(
    `| Pole Display Setup | ${ms(median(full.inPage))} | ${ms(worst(full.inPage))} | ${ms(median(full.outside))} |`,
);
console.log(`Target: median <= 300 ms: ${median(full.inPage) <= 300 ? "met" : "NOT met"}`);
console.log(
    `File: ${bytes.length} bytes (${(bytes.length / 1048576).toFixed(2)} MiB), gzip ${gzipSync(bytes, { level: 9 }).length} bytes; target <= 1 MB: ${bytes.length <= 1000000 ? "met" : "NOT met"}`,
);
