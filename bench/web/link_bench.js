#!/usr/bin/env node
// @ts-check
// Times the browser module's writes and reads through the bridge against the virtual display
// paced at 9600 bit/s, from the display's own log of each byte as the desktop's link_bench
// does; then the size of the module's one file, and how long the module takes to start.
//
//   node bench/web/link_bench.js [transfers]
"use strict";

const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const zlib = require("node:zlib");
const { startBridge, loadCore, coreModule } = require("../../web/tests/fixture.js");

const imageSize = 126;
const writeBytes = 2 + 8 + 1 + 1 + imageSize; // 1B EF, the date, the check byte, AA, image
const readBytes = 2 + 1 + imageSize;
const byteMs = (10 * 1000) / 9600;

/** @param {string} file */
function loadLog(file) {
    return fs
        .readFileSync(file, "utf8")
        .split("\n")
        .map((line) => line.split(" "))
        .flatMap((f) => {
            if (f[0] === "in" && f.length === 5)
                return [
                    {
                        in: true,
                        start: Number(f[2]) / 1000,
                        done: Number(f[3]) / 1000,
                        byte: parseInt(f[4], 16),
                    },
                ];
            if (f[0] === "out" && f.length === 3)
                return [
                    {
                        in: false,
                        start: Number(f[1]) / 1000,
                        done: Number(f[1]) / 1000,
                        byte: parseInt(f[2], 16),
                    },
                ];
            return [];
        });
}

/** Each exchange from the start of its first byte in to the end of its last byte. */
function timeExchanges(log) {
    const write = [],
        read = [];
    for (let i = 0; i + 1 < log.length; ++i) {
        if (!log[i].in || log[i].byte !== 0x1b || !log[i + 1].in) continue;
        if (log[i + 1].byte === 0xef && i + writeBytes <= log.length && log[i + writeBytes - 1].in)
            write.push(log[i + writeBytes - 1].done - log[i].start);
        else if (log[i + 1].byte === 0xee && i + readBytes <= log.length && !log[i + readBytes - 1].in)
            read.push(log[i + readBytes - 1].done - log[i].start);
    }
    return { write, read };
}

const median = (v) => {
    const s = [...v].sort((a, b) => a - b);
    return s.length % 2 ? s[(s.length - 1) / 2] : (s[s.length / 2 - 1] + s[s.length / 2]) / 2;
};

async function main() {
    const transfers = Number(process.argv[2] || 20);

    const starts = [];
    for (let i = 0; i < 11; ++i) {
        delete require.cache[require.resolve(coreModule)];
        const began = performance.now();
        await loadCore();
        starts.push(performance.now() - began);
    }

    const folder = fs.mkdtempSync(path.join(os.tmpdir(), "pds-web-bench-"));
    const logPath = path.join(folder, "timing.log");
    const bridge = await startBridge(["--baud", "9600", "--timing-log", logPath]);
    let failures = 0;
    try {
        const core = await loadCore();
        core.serial.usePort(bridge.port(), "virtual display");
        core.setPort("Com 1");
        for (let i = 0; i < transfers; ++i) {
            const written = await core.writeToDisplay();
            const read = await core.readFromDisplay();
            if (!written[0].includes("Download successful!") || read[0] !== "Upload O.K!") ++failures;
        }
    } finally {
        await bridge.stop();
    }
    const t = timeExchanges(loadLog(logPath));
    fs.rmSync(folder, { recursive: true, force: true });

    const writeMin = writeBytes * byteMs;
    const readMin = readBytes * byteMs;
    const file = fs.readFileSync(coreModule);
    const gzip = zlib.gzipSync(file, { level: 9 });
    const verdict = (met) => (met ? "met" : "MISSED");
    const wr = median(t.write) / writeMin,
        ww = Math.max(...t.write) / writeMin;
    const rr = median(t.read) / readMin,
        rw = Math.max(...t.read) / readMin;
    console.log(`transfers: ${t.write.length} writes and ${t.read.length} reads timed, ${failures} failed`);
    console.log(
        `write: median ${median(t.write).toFixed(2)} ms; wire minimum ${writeMin.toFixed(2)} ms (${writeBytes} bytes)`,
    );
    console.log(
        `       ratio median ${wr.toFixed(4)}, worst ${ww.toFixed(4)} (target <= 1.10: ${verdict(ww <= 1.1)})`,
    );
    console.log(
        `read:  median ${median(t.read).toFixed(2)} ms; wire minimum ${readMin.toFixed(2)} ms (${readBytes} bytes)`,
    );
    console.log(
        `       ratio median ${rr.toFixed(4)}, worst ${rw.toFixed(4)} (target <= 1.10: ${verdict(rw <= 1.1)})`,
    );
    console.log(
        `module file: ${(file.length / 1024).toFixed(1)} KiB, gzip ${(gzip.length / 1024).toFixed(1)} KiB (target <= 700 KB: ${verdict(file.length <= 700 * 1000)})`,
    );
    console.log(
        `start-up in Node.js: median ${median(starts).toFixed(1)} ms, first ${starts[0].toFixed(1)} ms (${starts.length} loads)`,
    );
}

main().catch((error) => {
    console.error(error);
    process.exit(1);
});
