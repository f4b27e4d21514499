// @ts-check
// The JavaScript half of WebSerialPort (web_serial_port.cpp): a Web Serial SerialPort, or any
// object shaped like one, with a reader that gathers every chunk as it comes and a writer that
// counts what has not yet left. Emscripten places this file inside the module, where `Module`
// is the module being made; the page reaches it as `module.serial`.
//
// The ports the page may use are offered as a list in the order of the port box's entries;
// each transfer opens the one the box chooses, by its entry or by its label typed.

/**
 * @typedef {object} SerialPortLike
 * @property {(options: {baudRate: number, dataBits?: number, stopBits?: number,
 *   parity?: string, flowControl?: string}) => Promise<void>} open
 * @property {() => Promise<void>} close
 * @property {ReadableStream<Uint8Array> | null} readable
 * @property {WritableStream<Uint8Array> | null} writable
 * @property {boolean} [connected]
 */

/** The kinds of PortFailure::Kind, in its order. */
const PortFailureKind = Object.freeze({
    BadSettings: 0,
    NoSuchPort: 1,
    NotAPort: 2,
    Permission: 3,
    InUse: 4,
    Other: 5,
    NeverQuiet: 6,
});

const noPortChosen = 'no port is chosen: choose one in "Com Port Select :"';

class WebSerialLink {
    constructor() {
        /** @type {{port: SerialPortLike, label: string}[]} */
        this.offered = [];
        /** @type {SerialPortLike | null} */
        this.port = null;
        /** How the failure messages name the port, as the desktop names its device. */
        this.label = "";
        this.failureReason = "";
        /**
         * The last open that failed, for the page to say what stands in the way; none once an
         * open succeeds.
         * @type {{kind: number, label: string} | null}
         */
        this.lastFailure = null;
        /** @type {ReadableStreamDefaultReader<Uint8Array> | null} */
        this.reader = null;
        /** @type {WritableStreamDefaultWriter<Uint8Array> | null} */
        this.writer = null;
        /** @type {Uint8Array[]} */
        this.received = [];
        this.pending = 0;
        this.lost = false;
        /** @type {Promise<void> | null} */
        this.reading = null;
        /** @type {(() => void)[]} */
        this.waiters = [];
    }

    /**
     * The ports the port box lists, its first entry first, e.g. those of
     * navigator.serial.getPorts(); `label` names one in the box and in the messages.
     * @param {{port: SerialPortLike, label: string}[]} ports
     */
    offer(ports) {
        this.offered = ports.slice();
    }

    /**
     * One port alone, which the box's first entry or its label chooses.
     * @param {SerialPortLike} port
     * @param {string} [label]
     */
    usePort(port, label = "") {
        this.offer([{ port, label }]);
    }

    /**
     * Takes the port the box chose for the next open: entry `number` (from 1), or with 0 the
     * offered port whose label is `typed`; none when neither names one.
     * @param {number} number @param {string} typed
     * @returns {boolean} whether a port is chosen; if not, failureReason says so
     */
    choose(number, typed) {
        const chosen =
            number > 0
                ? this.offered[number - 1]
                : typed && this.offered.find((offered) => offered.label === typed);
        this.port = chosen ? chosen.port : null;
        this.label = chosen ? chosen.label : "";
        this.failureReason = chosen ? "" : noPortChosen;
        return Boolean(chosen);
    }

    /**
     * The USB ids of offered port `index`, as vendor * 65536 + product; -1 for a port that is
     * not a USB one.
     * @param {number} index
     */
    offeredUsbIds(index) {
        const offered = this.offered[index];
        const port = /** @type {any} */ (offered && offered.port);
        const info = port && typeof port.getInfo === "function" ? port.getInfo() : {};
        if (info.usbVendorId === undefined) return -1;
        return info.usbVendorId * 65536 + (info.usbProductId || 0);
    }

    /**
     * @param {number} baudRate @param {number} dataBits @param {number} stopBits
     * @param {string} parity
     * @returns {Promise<number>} -1 once open, else a PortFailureKind
     */
    async open(baudRate, dataBits, stopBits, parity) {
        const kind = await this.openPort(baudRate, dataBits, stopBits, parity);
        this.lastFailure = kind < 0 ? null : { kind, label: this.label };
        return kind;
    }

    /**
     * @param {number} baudRate @param {number} dataBits @param {number} stopBits
     * @param {string} parity
     */
    async openPort(baudRate, dataBits, stopBits, parity) {
        this.failureReason = "";
        const port = this.port;
        if (!port) {
            this.failureReason = noPortChosen;
            return PortFailureKind.NoSuchPort;
        }
        try {
            await port.open({ baudRate, dataBits, stopBits, parity, flowControl: "none" });
        } catch (error) {
            return this.refused(port, error);
        }
        if (!port.readable || !port.writable) {
            await port.close().catch(() => {});
            this.failureReason = "the device has gone away";
            return PortFailureKind.NoSuchPort;
        }
        this.received = [];
        this.pending = 0;
        this.lost = false;
        this.reader = port.readable.getReader();
        this.writer = port.writable.getWriter();
        this.reading = this.gather(this.reader);
        return -1;
    }

    /**
     * What a refused open means, in the kinds the desktop tells the operator about.
     * @param {SerialPortLike} port @param {unknown} error
     */
    refused(port, error) {
        const name = error instanceof Error ? error.name : "";
        const message = error instanceof Error ? error.message : String(error);
        if (port.connected === false || name === "NotFoundError") {
            this.failureReason = "the device has gone away";
            return PortFailureKind.NoSuchPort;
        }
        if (name === "InvalidStateError" || name === "NetworkError") {
            // Chrome refuses a port that another program holds with "Failed to open serial port.",
            // and one that this page holds already as in an invalid state.
            return PortFailureKind.InUse;
        }
        this.failureReason = message;
        if (name === "SecurityError" || name === "NotAllowedError") return PortFailureKind.Permission;
        if (name === "TypeError") return PortFailureKind.BadSettings;
        return PortFailureKind.Other;
    }

    /** @param {ReadableStreamDefaultReader<Uint8Array>} reader */
    async gather(reader) {
        try {
            for (;;) {
                const { value, done } = await reader.read();
                if (done) break;
                if (value && value.length) this.received.push(value);
                this.wakeWaiters();
            }
        } catch {
            // The stream ends in an error only when the device is gone; a close cancels it cleanly.
        }
        if (this.reader === reader) this.lost = true;
        this.wakeWaiters();
    }

    /** @param {Uint8Array} bytes */
    queue(bytes) {
        const writer = this.writer;
        if (!writer) return;
        this.pending += bytes.length;
        writer.write(bytes).then(
            () => {
                this.pending -= bytes.length;
                this.wakeWaiters();
            },
            () => {
                if (this.writer === writer) this.lost = true;
                this.wakeWaiters();
            },
        );
    }

    bytesWaiting() {
        return this.received.reduce((sum, chunk) => sum + chunk.length, 0);
    }

    /** @param {Uint8Array} into @returns {number} how many bytes it took, oldest first */
    takeInto(into) {
        let taken = 0;
        while (this.received.length && taken < into.length) {
            const chunk = this.received[0];
            const count = Math.min(chunk.length, into.length - taken);
            into.set(chunk.subarray(0, count), taken);
            taken += count;
            if (count === chunk.length) this.received.shift();
            else this.received[0] = chunk.subarray(count);
        }
        return taken;
    }

    /**
     * Resolves on the next chunk in, write done or loss, or after at most maxMs.
     * @param {number} maxMs
     */
    waitForActivity(maxMs) {
        if (this.lost) return Promise.resolve();
        return new Promise((resolve) => {
            const timer = setTimeout(done, Math.max(0, maxMs));
            const waiters = this.waiters;
            function done() {
                clearTimeout(timer);
                const at = waiters.indexOf(done);
                if (at >= 0) waiters.splice(at, 1);
                resolve(undefined);
            }
            waiters.push(done);
        });
    }

    wakeWaiters() {
        for (const wake of this.waiters.splice(0)) wake();
    }

    /** Lets go of the reader and writer and closes the port, so it can be opened again. */
    async close() {
        const { port, reader, writer, reading } = this;
        this.reader = null;
        this.writer = null;
        if (reader) {
            await reader.cancel().catch(() => {});
            await reading;
            reader.releaseLock();
        }
        if (writer) {
            // What has not left by now never will; waiting for it would hold the close.
            await (this.pending ? writer.abort() : writer.close()).catch(() => {});
            writer.releaseLock();
        }
        this.received = [];
        this.pending = 0;
        this.wakeWaiters();
        if (port) await port.close().catch(() => {});
    }

    /** @param {string} text @returns {number} a malloc'ed UTF-8 copy for the core to free */
    mallocString(text) {
        const size = lengthBytesUTF8(text) + 1;
        const pointer = _malloc(size);
        stringToUTF8(text, pointer, size);
        return pointer;
    }
}

Module["serial"] = Module["pdsSerial"] = new WebSerialLink();
Module["PortFailureKind"] = PortFailureKind;
