// Headless Chromium with the page, a scripted navigator.serial whose ports reach the virtual
// display through its WebSocket bridge (web/bridge/), and a scripted file-save picker.
import { spawnSync } from "node:child_process";
import { mkdtempSync, readFileSync, rmSync } from "node:fs";
import { tmpdir } from "node:os";
import { dirname, join, resolve } from "node:path";
import { createRequire } from "node:module";
import { fileURLToPath, pathToFileURL } from "node:url";
import puppeteer from "puppeteer-core";

const root = resolve(dirname(fileURLToPath(import.meta.url)), "../../..");
export const pageFile = process.env.PDS_PAGE || join(root, "build-wasm/pole-display-setup.html");
export const nativeBuild = process.env.PDS_NATIVE_BUILD || join(root, "build");
export const scratch = mkdtempSync(join(tmpdir(), "page-tests-"));

// `args`: more of Chromium's switches, such as a host resolver rule.
export async function launchBrowser(args = []) {
    return puppeteer.launch({
        executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
        headless: true,
        userDataDir: mkdtempSync(join(scratch, "profile-")),
        args: [
            "--no-sandbox",
            "--disable-gpu",
            "--no-first-run",
            "--disable-background-networking",
            "--disable-component-update",
            "--disable-sync",
            ...args,
        ],
    });
}

// Runs in the page before its own script: stands in for the browser's serial ports and save
// picker, as the operator's choices would answer them. `serial`: "scripted" ports, "none" for
// a browser without Web Serial, or "browser" to leave the browser's own as it is.
function scriptBrowser({ serial, bridge, granted, offered, saveName }) {
    window.pageTest = { requests: 0, saved: {}, opens: [], saveName, offered };
    if (serial === "none") {
        delete Navigator.prototype.serial;
    } else if (serial !== "browser") {
        // A granted port reaches the bridge through the page's own SocketSerialPort, as the
        // page under ?bridge= does; only the options each open asks for are noted on the way.
        class ScriptedPort {
            constructor(granted) {
                this.granted = granted;
                this.inner = null;
            }
            get readable() {
                return this.inner ? this.inner.readable : null;
            }
            get writable() {
                return this.inner ? this.inner.writable : null;
            }
            getInfo() {
                return this.granted.info || {};
            }
            // A port another program holds, or one unplugged, refuses as Chrome refuses it.
            async open(options) {
                window.pageTest.opens.push(options);
                if (this.granted.refuse)
                    throw new DOMException(this.granted.refuse.message, this.granted.refuse.name);
                this.inner ||= new SocketSerialPort(bridge);
                await this.inner.open(options);
            }
            close() {
                return this.inner.close();
            }
        }
        const ports = (granted || []).map((port) => new ScriptedPort(port));
        const scripted = {
            getPorts: async () => ports.slice(),
            requestPort: async () => {
                window.pageTest.requests += 1;
                const chosen = window.pageTest.offered;
                if (!chosen) throw new DOMException("No port selected by the user.", "NotFoundError");
                const port = new ScriptedPort(chosen);
                ports.push(port);
                return port;
            },
        };
        Object.defineProperty(Navigator.prototype, "serial", { get: () => scripted, configurable: true });
    }
    if (saveName === null) {
        delete window.showSaveFilePicker;
    } else {
        window.showSaveFilePicker = async () => {
            const name = window.pageTest.saveName;
            if (!name) throw new DOMException("The user aborted a request.", "AbortError");
            return {
                name,
                createWritable: async () => {
                    const bytes = [];
                    return {
                        write: async (chunk) => bytes.push(...chunk),
                        close: async () => {
                            window.pageTest.saved[name] = bytes;
                        },
                    };
                },
            };
        };
    }
}

export async function openPage(browser, options = {}) {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    page.errors = [];
    page.on("pageerror", (error) => page.errors.push(error.message));
    page.on("console", (message) => {
        if (message.type() === "error") page.errors.push(message.text());
    });
    await page.evaluateOnNewDocument(scriptBrowser, { serial: "scripted", saveName: "", ...options });
    await page.goto(options.url || pathToFileURL(pageFile).href);
    await page.waitForSelector("body[data-ready]");
    return page;
}

// Waits until every action handed to the core has been done and drawn.
export async function idle(page) {
    for (;;) {
        const settled = await page.evaluate(async () => {
            const queue = window.poleDisplaySetup.queue;
            await queue;
            return queue === window.poleDisplaySetup.queue;
        });
        if (settled) return;
    }
}

// The box shown next: waits for it, reads it, answers it.
export async function answerBox(page, button = "ok") {
    await page.waitForSelector("#Box[open]", { timeout: 15000 });
    const shown = await page.$eval("#Box", (box) => box.dataset.shown);
    const box = await page.evaluate(() => ({
        title: document.getElementById("BoxTitle").textContent,
        text: document.getElementById("BoxText").textContent,
        buttons: [...document.querySelectorAll("#Box button")]
            .filter((b) => !b.hidden)
            .map((b) => b.textContent),
    }));
    await page.click(`#Box .box-${button}`);
    await page.waitForFunction(
        (before) => {
            const box = document.getElementById("Box");
            return !box.open || box.dataset.shown !== before;
        },
        {},
        shown,
    );
    return box;
}

// Every control's value as drawn: lists, boxes, cells, options, caption and dots.
export function controls(page) {
    return page.evaluate(() => {
        const out = {};
        for (const element of document.querySelectorAll(
            "#Window select, #Window input, #Window .dot, #UDC_label",
        )) {
            if (element.type === "radio") out[element.id] = element.checked;
            else if (element.tagName === "SELECT") out[element.id] = element.selectedOptions[0]?.text ?? "";
            else if (element.classList.contains("dot"))
                out[element.id] = element.getAttribute("aria-pressed");
            else if (element.tagName === "DIV") out[element.id] = element.textContent;
            else out[element.id] = element.value;
        }
        return out;
    });
}

export async function typeInto(page, selector, text) {
    await page.click(selector, { clickCount: 3 });
    await page.keyboard.press("Backspace");
    if (text) await page.type(selector, text);
}

// The desktop core's Save of the same edits.
export function referenceSave(name, edits) {
    const out = join(scratch, name);
    const run = spawnSync(join(nativeBuild, "tests/page/reference_save"), [out, ...edits], {
        encoding: "utf8",
    });
    if (run.status !== 0) throw new Error(`reference_save failed: ${run.stderr}`);
    return readFileSync(out);
}

// A virtual display behind the bridge, the same one the module's Node.js tests start:
// startDisplay(displayArgs) resolves to { url, lines, memory(), stop() }.
process.env.PDS_VIRTUAL_DISPLAY ||= join(nativeBuild, "tools/virtual_display/virtual_display");
export const { startBridge: startDisplay } = createRequire(import.meta.url)("../../tests/fixture.js");

export function cleanUp() {
    rmSync(scratch, { recursive: true, force: true });
}
