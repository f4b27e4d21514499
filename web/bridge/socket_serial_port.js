// @ts-check
// A SerialPort-shaped object over a WebSocket to the bridge (bridge.js), so the browser module
// talks to the virtual display exactly as it talks to a port from navigator.serial. It fails
// as Web Serial does: a port another connection holds refuses to open, and a line that goes
// down ends the readable stream in an error.

/**
 * @typedef {{new (url: string): WebSocketLike}} WebSocketClass
 * @typedef {object} WebSocketLike
 * @property {string} binaryType
 * @property {number} readyState
 * @property {number} bufferedAmount
 * @property {(data: Uint8Array, callback?: (error?: Error) => void) => void} send
 * @property {() => void} close
 * @property {((event: any) => void) | null} onopen
 * @property {((event: any) => void) | null} onclose
 * @property {((event: any) => void) | null} onerror
 * @property {((event: {data: ArrayBuffer}) => void) | null} onmessage
 * @property {Function} [on] only in Node's ws, whose send() takes a callback
 */

/** @param {string} message @param {string} name */
function domError(message, name) {
    const error = new Error(message);
    error.name = name;
    return error;
}

const OPEN = 1;

class SocketSerialPort {
    /**
     * @param {string} url the bridge, e.g. ws://127.0.0.1:8765
     * @param {{WebSocket?: WebSocketClass}} [options] Node.js passes ws's class
     */
    constructor(url, options = {}) {
        this.url = url;
        /** @type {WebSocketClass} */
        this.WebSocketImpl = options.WebSocket || /** @type {any} */ (globalThis).WebSocket;
        /** @type {WebSocketLike | null} */
        this.socket = null;
        /** @type {ReadableStream<Uint8Array> | null} */
        this.readable = null;
        /** @type {WritableStream<Uint8Array> | null} */
        this.writable = null;
        this.connected = true;
    }

    /**
     * The speed goes to the bridge, which sets the line to it as a system's port would be set:
     * a display at another speed hears garbage. The other settings mean nothing to the display.
     * @param {{baudRate?: number}} [options]
     */
    async open(options = {}) {
        if (this.socket) throw domError("The port is already open.", "InvalidStateError");
        const url = options.baudRate ? `${this.url}/?baud=${options.baudRate}` : this.url;
        const socket = new this.WebSocketImpl(url);
        socket.binaryType = "arraybuffer";
        await new Promise((resolve, reject) => {
            socket.onopen = resolve;
            socket.onerror = () => {};
            socket.onclose = () => reject(domError("Failed to open serial port.", "NetworkError"));
        });
        this.socket = socket;
        let closing = false;
        this.readable = new ReadableStream({
            start(controller) {
                socket.onmessage = (event) => controller.enqueue(new Uint8Array(event.data));
                socket.onclose = () => {
                    if (closing) return;
                    closing = true;
                    controller.error(domError("The device has been lost.", "NetworkError"));
                };
            },
            cancel() {
                closing = true;
            },
        });
        this.writable = new WritableStream({
            write(chunk) {
                if (socket.readyState !== OPEN)
                    return Promise.reject(domError("The device has been lost.", "NetworkError"));
                if (socket.on) {
                    return new Promise((resolve, reject) =>
                        socket.send(chunk, (error) => (error ? reject(error) : resolve(undefined))),
                    );
                }
                socket.send(chunk);
                return drained(socket);
            },
        });
        this.stopReading = () => {
            closing = true;
        };
    }

    async close() {
        const socket = this.socket;
        if (!socket) throw domError("The port is already closed.", "InvalidStateError");
        this.stopReading();
        this.socket = null;
        this.readable = null;
        this.writable = null;
        if (socket.readyState === OPEN) {
            const closed = new Promise((resolve) => {
                socket.onclose = resolve;
            });
            socket.close();
            await closed;
        }
    }

    stopReading() {}

    getInfo() {
        return {};
    }
}

/** A browser's WebSocket says when sent data has gone only through bufferedAmount. */
async function drained(/** @type {WebSocketLike} */ socket) {
    while (socket.bufferedAmount > 0 && socket.readyState === OPEN)
        await new Promise((resolve) => setTimeout(resolve, 1));
}

if (typeof module !== "undefined") module.exports = { SocketSerialPort };
