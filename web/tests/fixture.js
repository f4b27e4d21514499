// @ts-check
// The virtual display behind the bridge, and the browser module on a port to it.
"use strict";

const { spawn } = require("node:child_process");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const readline = require("node:readline");
const WebSocket = require("ws");
const { SocketSerialPort } = require("../bridge/socket_serial_port.js");

const root = path.resolve(__dirname, "..", "..");
const displayProgram =
    process.env.PDS_VIRTUAL_DISPLAY ||
    path.join(root, "build", "tools", "virtual_display", "virtual_display");
const coreModule = process.env.PDS_WEB_CORE || path.join(root, "build-wasm", "web", "pole_display_setup.js");

/**
 * Starts the bridge with a display given `displayArgs` and a memory file of its own.
 * @param {string[]} [displayArgs]
 * @param {Uint8Array} [memory] the 126 bytes the display holds at first
 */
async function startBridge(displayArgs = [], memory) {
    const folder = fs.mkdtempSync(path.join(os.tmpdir(), "pds-web-"));
    const memoryPath = path.join(folder, "memory.vfd");
    if (memory) fs.writeFileSync(memoryPath, memory);
    const bridge = spawn(
        process.execPath,
        [
            path.join(root, "web", "bridge", "bridge.js"),
            "--display",
            displayProgram,
            "--",
            "--memory",
            memoryPath,
            ...displayArgs,
        ],
        { stdio: ["ignore", "pipe", "inherit"] },
    );
    const lines = [];
    const url = await new Promise((resolve, reject) => {
        readline
            .createInterface({ input: /** @type {NodeJS.ReadableStream} */ (bridge.stdout) })
            .on("line", (line) => {
                lines.push(line);
                const up = /^Bridge on (\S+)/.exec(line);
                if (up) resolve(up[1]);
            });
        bridge.on("exit", (code) => reject(new Error(`the bridge ended with ${code}`)));
    });
    return {
        url,
        lines,
        pid: bridge.pid,
        port: () => new SocketSerialPort(url, { WebSocket: /** @type {any} */ (WebSocket) }),
        /** @returns {Uint8Array | null} what the display holds, null before it stored anything */
        memory: () => (fs.existsSync(memoryPath) ? new Uint8Array(fs.readFileSync(memoryPath)) : null),
        stop: async () => {
            const ended = new Promise((resolve) => bridge.on("exit", resolve));
            bridge.kill("SIGTERM");
            await ended;
            fs.rmSync(folder, { recursive: true, force: true });
        },
    };
}

/**
 * The browser module as a program other than the page uses it, through the same object and the
 * same commands (web/bindings/module.js): its boxes note what they show and answer OK, its files
 * are held here by name.
 */
class NodeSession {
    /** @param {any} core the module @param {ReturnType<typeof nodeServices>} page its services */
    constructor(core, page) {
        this.core = core;
        this.page = page;
        this.serial = core.serial;
    }

    /** @param {string} comm the port, as typed into "Com Port Select :" */
    setPort(comm) {
        this.core.typeText("Comm", comm);
    }

    /** @param {string} settings the host's line settings, as typed into "Baud Rate :" */
    setLineSettings(settings) {
        this.core.typeText("Baud", settings);
    }

    /**
     * Loads `bytes` as a settings file, answering its question OK.
     * @param {Uint8Array} bytes @returns {Promise<boolean>} false when the load refused them
     */
    async setImage(bytes) {
        this.page.files.held.set("image.vfd", bytes.slice());
        this.page.files.next = "image.vfd";
        this.page.boxes.taken();
        await this.core.command("load");
        return !this.page.boxes.taken().includes("Error");
    }

    /** @returns {Promise<Uint8Array>} the 126 bytes a save writes now */
    async image() {
        const files = this.page.files;
        files.next = "image-saved.vfd";
        files.held.delete(files.next);
        await this.core.command("save");
        this.page.boxes.taken();
        return files.held.get("image-saved.vfd");
    }

    /** Writes the image into the display; resolves with the messages shown. */
    async writeToDisplay() {
        await this.core.command("write");
        return this.page.boxes.taken();
    }

    /** Reads the display into the editor; resolves with the messages shown. */
    async readFromDisplay() {
        await this.core.command("read");
        return this.page.boxes.taken();
    }
}

/** The Node.js program's half of the services, as module.js asks it. */
function nodeServices() {
    /** @type {string[]} */
    const shown = [];
    /** @type {Record<string, string>} */
    const strings = {};
    const files = {
        /** @type {Map<string, Uint8Array>} */
        held: new Map(),
        next: "",
        read_bytes: new Uint8Array(),
        choose: async () => files.next,
        /** @param {string} name @param {number} most */
        read: async (name, most) => {
            const bytes = files.held.get(name);
            if (!bytes) {
                strings["file_reason"] = "no such file";
                return -1;
            }
            files.read_bytes = bytes.slice(0, most);
            return files.read_bytes.length;
        },
        taken: () => files.read_bytes,
        /** @param {string} name @param {Uint8Array} bytes */
        replace: async (name, bytes) => {
            files.held.set(name, bytes.slice());
            return true;
        },
    };
    const boxes = {
        /** @param {string} text */
        show: async (text) => {
            shown.push(text);
            return true;
        },
        /** The texts shown since the last call, oldest first. */
        taken: () => shown.splice(0),
    };
    return { strings, boxes, files, showGuide: () => {} };
}

/** A fresh browser module, its editor started as the page starts it. */
async function loadCore() {
    const create = require(coreModule);
    const page = nodeServices();
    const core = await create({ page });
    await core.command("start_up");
    return new NodeSession(core, page);
}

module.exports = { startBridge, loadCore, coreModule, displayProgram };
