// A serial device on a WebSocket, for the page under test or beside the virtual display: each connection to
// ws://127.0.0.1:PORT/?device=/dev/pts/N opens that device raw and passes bytes both ways
// until either side closes.
import { openSync, closeSync, write } from "node:fs";
import tty from "node:tty";
import { WebSocketServer } from "ws";

export async function startBridge() {
    const server = new WebSocketServer({ host: "127.0.0.1", port: 0 });
    await new Promise((ready) => server.once("listening", ready));
    server.on("connection", (socket, request) => {
        const device = new URL(request.url, "ws://bridge").searchParams.get("device");
        const input = new tty.ReadStream(openSync(device, "r+"));
        input.setRawMode(true);
        const output = openSync(device, "r+");
        input.on("data", (bytes) => socket.send(bytes));
        input.on("error", () => socket.close());
        socket.on("message", (bytes) => write(output, bytes, () => {}));
        socket.on("close", () => {
            input.destroy();
            closeSync(output);
        });
    });
    return {
        url: `ws://127.0.0.1:${server.address().port}/`,
        close: () => new Promise((done) => server.close(done)),
    };
}

// As a program (scripts/run.sh --web): serves until interrupted and prints its address.
if (import.meta.url === `file://${process.argv[1]}`) {
    const bridge = await startBridge();
    console.log(bridge.url);
}
