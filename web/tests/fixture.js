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
const coreModule = process.env.PDS_WEB_CORE || path.join(root, "build-wasm", "web", "pole_display_core.js");

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

/** A fresh browser module, its editor started as the page starts it. */
async function loadCore() {
    const create = require(coreModule);
    return create();
}

module.exports = { startBridge, loadCore, coreModule, displayProgram };
