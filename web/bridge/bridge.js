#!/usr/bin/env node
// @ts-check
// Offers the virtual display's pseudo-terminal as a WebSocket, so the browser module can reach
// the very display the desktop's tests use through SocketSerialPort.
//
//   node web/bridge/bridge.js --display build/tools/virtual_display/virtual_display \
//        [--listen PORT] [-- options of the virtual display]
//
// Prints "Bridge on ws://127.0.0.1:PORT" once both are up, then the display's own lines. One
// connection at a time holds the line, as one program at a time holds a port; a line the
// display drops closes the connection, and the next one gets the fresh line.
"use strict";

const { spawn, execFileSync } = require("node:child_process");
const fs = require("node:fs");
const tty = require("node:tty");
const readline = require("node:readline");
const { WebSocketServer } = require("ws");

function parseArguments(argv) {
    const split = argv.indexOf("--");
    const own = split >= 0 ? argv.slice(0, split) : argv;
    const options = { display: "", listen: 0, displayArgs: split >= 0 ? argv.slice(split + 1) : [] };
    for (let i = 0; i < own.length; ++i) {
        if (own[i] === "--display") options.display = own[++i];
        else if (own[i] === "--listen") options.listen = Number(own[++i]);
        else throw new Error(`unknown option ${own[i]}`);
    }
    if (!options.display) throw new Error("--display PROGRAM is required");
    return options;
}

/**
 * The display's side of one connection: its pseudo-terminal, raw, both ways, at the speed the
 * connection asks (?baud=19200), as a program sets the port it opens; without one, as it is.
 */
function connectLine(device, socket, speed) {
    // Raw, so that no byte is echoed, translated or taken as a signal on the way.
    execFileSync("stty", ["-F", device, "raw", "-echo", "-hupcl", ...(speed ? [String(speed)] : [])]);
    const fd = fs.openSync(device, fs.constants.O_RDWR | fs.constants.O_NOCTTY);
    // libuv reopens a terminal for its reader and leaves `fd` as a second descriptor of it,
    // which the reader's destroy() does not close: each connection closes both.
    let input;
    try {
        input = new tty.ReadStream(fd);
    } catch (error) {
        fs.closeSync(fd);
        throw error;
    }
    let open = true;
    const end = (code) => {
        if (!open) return;
        open = false;
        input.destroy();
        fs.closeSync(fd);
        if (socket.readyState === socket.OPEN) socket.close(code);
    };
    input.on("data", (chunk) => socket.send(chunk));
    input.on("error", () => end(1011)); // EIO: the display dropped the line
    input.on("end", () => end(1011));
    socket.on("message", (data) => {
        if (!open) return;
        const bytes = Buffer.isBuffer(data) ? data : Buffer.from(/** @type {ArrayBuffer} */ (data));
        for (let done = 0; done < bytes.length;) {
            try {
                done += fs.writeSync(fd, bytes, done);
            } catch (error) {
                if (/** @type {NodeJS.ErrnoException} */ (error).code !== "EAGAIN") {
                    end(1011);
                    return;
                }
            }
        }
    });
    socket.on("close", () => end(1000));
}

function main() {
    const options = parseArguments(process.argv.slice(2));
    const display = spawn(options.display, options.displayArgs, { stdio: ["ignore", "pipe", "inherit"] });
    let device = "";
    let busy = false;
    let announced = false;
    const server = new WebSocketServer({
        host: "127.0.0.1",
        port: options.listen,
        verifyClient: (_info, done) => done(Boolean(device) && !busy, 409, "The line is in use"),
    });
    server.on("connection", (socket, request) => {
        busy = true;
        socket.on("close", () => {
            busy = false;
        });
        try {
            const asked = new URL(request.url || "/", "ws://bridge").searchParams.get("baud");
            connectLine(device, socket, asked && /^\d+$/.test(asked) ? Number(asked) : 0);
        } catch (error) {
            socket.close(1011);
        }
    });
    const announce = () => {
        if (announced || !device || !server.address()) return;
        announced = true;
        const address = /** @type {import('node:net').AddressInfo} */ (server.address());
        process.stdout.write(`Bridge on ws://127.0.0.1:${address.port}\n`);
    };
    server.on("listening", announce);
    readline
        .createInterface({ input: /** @type {NodeJS.ReadableStream} */ (display.stdout) })
        .on("line", (line) => {
            const named = /^Virtual pole display on (\S+)/.exec(line);
            if (named) device = named[1];
            process.stdout.write(`${line}\n`);
            announce();
        });
    display.on("exit", (code) => {
        server.close();
        process.exit(code ?? 1);
    });
    for (const signal of ["SIGINT", "SIGTERM"]) process.on(signal, () => display.kill("SIGTERM"));
}

main();
