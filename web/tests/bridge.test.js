// @ts-check
// The bridge itself: what each connection opens on the display's side is let go again.
"use strict";

const test = require("node:test");
const assert = require("node:assert/strict");
const fs = require("node:fs");
const { startBridge } = require("./fixture.js");

/** How many of the process's descriptors are open on `device`. */
function descriptorsOn(pid, device) {
    const folder = `/proc/${pid}/fd`;
    return fs.readdirSync(folder).filter((fd) => {
        try {
            return fs.readlinkSync(`${folder}/${fd}`) === device;
        } catch {
            return false; // closed while listed
        }
    }).length;
}

/** The bridge acts on a connection's open and close in a turn of its own; a loaded machine may
 * take a while, so this waits for `condition` up to a generous limit. */
async function settles(condition) {
    for (const limit = Date.now() + 10000; !condition() && Date.now() < limit;)
        await new Promise((resolve) => setTimeout(resolve, 20));
}

test("the bridge holds the display's line only while a connection is open", async () => {
    const bridge = await startBridge();
    try {
        const named = bridge.lines.map((line) => /^Virtual pole display on (\S+)/.exec(line)).find(Boolean);
        assert.ok(named, "the display names its device");
        const device = named[1];
        const held = () => descriptorsOn(bridge.pid, device);
        assert.equal(held(), 0);

        for (let connection = 1; connection <= 5; ++connection) {
            const port = bridge.port();
            await port.open({ baudRate: 9600 });
            await settles(() => held() > 0);
            assert.ok(held() > 0, `connection ${connection} holds the line`);
            await port.close();
            await settles(() => held() === 0);
            assert.equal(held(), 0, `after connection ${connection}`);
        }
    } finally {
        await bridge.stop();
    }
});
