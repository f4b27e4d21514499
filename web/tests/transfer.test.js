// @ts-check
// The browser module's Write and Read over Web Serial's interface, against the virtual display
// through the bridge: the same exchanges, messages and limits as on the desktop.
"use strict";

const test = require("node:test");
const assert = require("node:assert/strict");
const { startBridge, loadCore } = require("./fixture.js");

const downloadSuccessful =
    "                             Download successful!\r" +
    "Please restart the Pole Display for the changes to take affect.";
const downloadFail = "Download Fail ! Please retry again !";
const ircCheckError = "IRC check error ! Please retry again !";
const receiveCheckError = "Receive Check bit Error !!";
const uploadOk = "Upload O.K!";
const comm = "Com 1";
const checkAnswerLimitMs = 2000;
const firstReplyByteLimitMs = 2000;

/** The start-up image with both welcome lines written, so a stored copy shows it whole. */
async function sampleImage(core, text) {
    const image = await core.image();
    const line = new TextEncoder().encode(text.padEnd(60, "."));
    image.set(line, 6); // positions 7..66 hold the two lines
    return image;
}

/** A session on a fresh module, its port the bridge's. */
async function session(bridge) {
    const core = await loadCore();
    core.serial.usePort(bridge.port(), "virtual display");
    core.setPort(comm);
    return core;
}

async function withBridge(displayArgs, memory, body) {
    const bridge = await startBridge(displayArgs, memory);
    try {
        await body(bridge);
    } finally {
        await bridge.stop();
    }
}

test("a write stores exactly the image, and a read brings it back", async () => {
    await withBridge([], undefined, async (bridge) => {
        const core = await session(bridge);
        const image = await sampleImage(core, "WELCOME TO THE SHOP  Open every day from 8 to 20");
        assert.equal(await core.setImage(image), true);
        assert.deepEqual(await core.writeToDisplay(), [downloadSuccessful]);
        assert.deepEqual(bridge.memory(), image);

        const reader = await session(bridge);
        assert.notDeepEqual(await reader.image(), image);
        assert.deepEqual(await reader.readFromDisplay(), [uploadOk]);
        assert.deepEqual(await reader.image(), image);
    });
});

test("a read takes what the display held before", async () => {
    const core = await loadCore();
    const held = await sampleImage(core, "Held since yesterday");
    await withBridge([], held, async (bridge) => {
        const reader = await session(bridge);
        assert.deepEqual(await reader.readFromDisplay(), [uploadOk]);
        assert.deepEqual(await reader.image(), held);
    });
});

test("a silent display fails each way after the desktop's limit, and stays unwritten", async () => {
    await withBridge(["--silent"], undefined, async (bridge) => {
        const core = await session(bridge);
        let began = performance.now();
        assert.deepEqual(await core.writeToDisplay(), [downloadFail]);
        assert.ok(performance.now() - began >= checkAnswerLimitMs);
        assert.equal(bridge.memory(), null);

        began = performance.now();
        assert.deepEqual(await core.readFromDisplay(), [`${comm} can't be open !!`]);
        assert.ok(performance.now() - began >= firstReplyByteLimitMs);
    });
});

test("a wrong check byte stops the write before the image", async () => {
    const core = await loadCore();
    const before = await sampleImage(core, "Before");
    await withBridge(["--wrong-check"], before, async (bridge) => {
        const writer = await session(bridge);
        await writer.setImage(await sampleImage(writer, "After"));
        assert.deepEqual(await writer.writeToDisplay(), [ircCheckError]);
        assert.deepEqual(bridge.memory(), before);
    });
});

test("a hang-up mid-transfer ends it as on the desktop, and the port opens again", async () => {
    const cases = [
        // Mid-date: the configuration goes out too fast for a later drop to come before the end.
        { name: "write", after: 8, run: (core) => core.writeToDisplay(), message: downloadFail },
        // The request, then 8 reply bytes.
        { name: "read", after: 10, run: (core) => core.readFromDisplay(), message: receiveCheckError },
    ];
    for (const c of cases) {
        await withBridge(["--hang-up-after", String(c.after)], undefined, async (bridge) => {
            const core = await session(bridge);
            assert.deepEqual(await c.run(core), [c.message], c.name);
            assert.equal(bridge.memory(), null, c.name);
            // The line comes back; the same page opens the port again and is answered.
            await waitFor(() => bridge.lines.some((line) => line.includes("a fresh one is up")));
            assert.deepEqual(await core.readFromDisplay(), [uploadOk], c.name);
        });
    }
});

test("a port that cannot be opened gives the desktop's messages and sends nothing", async () => {
    await withBridge([], undefined, async (bridge) => {
        const holder = bridge.port();
        await holder.open({ baudRate: 9600 });
        try {
            const core = await session(bridge);
            assert.deepEqual(await core.writeToDisplay(), [
                'The serial port "Com 1" (virtual display) could not be opened.\n\n' +
                    "Another program is using this port. Close that program and try again.\n\n" +
                    "Nothing was sent to the display.",
            ]);
            core.setLineSettings("9600,n,8,1.5");
            assert.deepEqual(await core.readFromDisplay(), [
                'The serial port "Com 1" (virtual display) could not be set up.\n' +
                    "Reason: 1.5 stop bits are not available in the browser\n\n" +
                    'The line settings "9600,n,8,1.5" are not valid. Choose 9600,n,8,1 or 19200,n,8,1.\n\n' +
                    "Nothing was sent to the display.",
            ]);
        } finally {
            await holder.close();
        }
        assert.equal(bridge.memory(), null);
    });
});

async function waitFor(condition) {
    while (!condition()) await new Promise((resolve) => setTimeout(resolve, 10));
}
