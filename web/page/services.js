// What the core's browser services (browser_services.cpp) ask of the page: the serial line
// over Web Serial, modal boxes, the file pickers and the user guide. No byte is made here:
// the line passes on what the core queues and keeps what arrives for the core to take.
"use strict";

const applicationTitle = "Pole Display Setup";

// PortFailure::Kind in services/serial_port.h.
const PortFailureKind = { NoSuchPort: 1, Permission: 3, InUse: 4, Other: 5 };

class SerialLine {
    constructor(strings) {
        this.strings = strings;
        this.ports = [];
        this.port = null;
    }

    async open(number, options) {
        const port = this.ports[number - 1];
        if (!port) {
            this.strings.port_reason = "the port is no longer offered by the browser";
            return PortFailureKind.NoSuchPort;
        }
        try {
            await port.open(options);
        } catch (error) {
            this.strings.port_reason = error.message || String(error);
            if (error.name === "InvalidStateError") return PortFailureKind.InUse;
            if (error.name === "SecurityError") return PortFailureKind.Permission;
            return PortFailureKind.Other;
        }
        this.port = port;
        this.received = [];
        this.queued = 0;
        this.gone = false;
        this.closing = false;
        this.waiters = [];
        this.writer = port.writable.getWriter();
        this.pumping = this.pump(port);
        return -1;
    }

    async pump(port) {
        while (port.readable && !this.closing) {
            this.reader = port.readable.getReader();
            try {
                for (;;) {
                    const { value, done } = await this.reader.read();
                    if (done) break;
                    if (value && value.length) {
                        for (const byte of value) this.received.push(byte);
                        this.notify();
                    }
                }
            } catch (error) {
                if (!this.closing && !port.readable) this.lose();
            } finally {
                this.reader.releaseLock();
                this.reader = null;
            }
        }
        if (!this.closing) this.lose();
    }

    lose() {
        this.gone = true;
        this.notify();
    }

    notify() {
        const waiters = this.waiters;
        this.waiters = [];
        for (const wake of waiters) wake();
    }

    async close() {
        const port = this.port;
        if (!port) return;
        this.closing = true;
        this.notify();
        // The locks must go before close(), or the port cannot be opened again.
        try { if (this.reader) await this.reader.cancel(); } catch (_) { /* already gone */ }
        await this.pumping;
        try { this.writer.releaseLock(); } catch (_) { /* already released */ }
        try { await port.close(); } catch (_) { /* gone with the device */ }
        this.port = null;
    }

    waiting() { return this.received.length; }
    take(most) { return Uint8Array.from(this.received.splice(0, most)); }
    pending() { return this.queued; }
    lost() { return this.gone; }

    queue(bytes) {
        this.queued += bytes.length;
        this.writer.write(bytes).then(() => {
            this.queued -= bytes.length;
            this.notify();
        }, () => this.lose());
    }

    wait(ms) {
        if (this.gone) return Promise.resolve();
        return new Promise((done) => {
            const timer = setTimeout(done, ms);
            this.waiters.push(() => { clearTimeout(timer); done(); });
        });
    }
}

// Modal boxes without icon: OK alone, or OK and Cancel with OK the default. Escape answers
// Cancel where there is one.
class Boxes {
    constructor(dialog) {
        this.dialog = dialog;
    }

    show(text, title, withCancel) {
        const dialog = this.dialog;
        dialog.querySelector(".box-title").textContent = title || applicationTitle;
        dialog.querySelector(".box-text").textContent = text.replace(/\r\n?/g, "\n");
        dialog.querySelector(".box-cancel").hidden = !withCancel;
        dialog.returnValue = "cancel";
        // Tells one box from the next that follows it at once.
        dialog.dataset.shown = String(Number(dialog.dataset.shown || 0) + 1);
        return new Promise((answer) => {
            dialog.addEventListener("close", () => answer(dialog.returnValue === "ok"), { once: true });
            dialog.showModal();
            dialog.querySelector(".box-ok").focus();
        });
    }
}

// Files the operator chose, by the name the core knows them under.
class Files {
    constructor(strings, boxes, nameDialog) {
        this.strings = strings;
        this.nameDialog = nameDialog;
        this.opened = new Map();
        this.targets = new Map();
        this.read_bytes = new Uint8Array();
    }

    async choose(saving, description, pattern) {
        try {
            return saving ? await this.chooseSave(description, pattern)
                          : await this.chooseOpen(pattern);
        } catch (error) {
            if (error.name !== "AbortError") console.error(error);
            return "";
        }
    }

    async chooseSave(description, pattern) {
        const extension = pattern.replace(/^\*/, "");
        if (typeof window.showSaveFilePicker === "function") {
            const handle = await window.showSaveFilePicker({
                types: [{ description, accept: { "application/octet-stream": [extension] } }],
            });
            this.targets.set(handle.name, handle);
            return handle.name;
        }
        // Without the picker the file is a download; the operator names it here.
        const name = await this.askName(description);
        if (name) this.targets.delete(name);
        return name;
    }

    askName(description) {
        const dialog = this.nameDialog;
        const input = dialog.querySelector("input");
        dialog.querySelector(".name-filter").textContent = description;
        dialog.returnValue = "cancel";
        return new Promise((answer) => {
            dialog.addEventListener("close", () =>
                answer(dialog.returnValue === "ok" ? input.value.trim() : ""), { once: true });
            dialog.showModal();
            input.select();
        });
    }

    chooseOpen(pattern) {
        const input = document.createElement("input");
        input.type = "file";
        input.accept = pattern.replace(/^\*/, "");
        return new Promise((answer) => {
            input.addEventListener("change", () => {
                const file = input.files[0];
                if (!file) return answer("");
                this.opened.set(file.name, file);
                answer(file.name);
            }, { once: true });
            input.addEventListener("cancel", () => answer(""), { once: true });
            input.click();
        });
    }

    async read(name, most) {
        const file = this.opened.get(name);
        if (!file) {
            this.strings.file_reason = "the file is no longer at hand";
            return -1;
        }
        try {
            this.read_bytes = new Uint8Array(await file.slice(0, most).arrayBuffer());
            return this.read_bytes.length;
        } catch (error) {
            this.strings.file_reason = error.message || String(error);
            return -1;
        }
    }

    taken() { return this.read_bytes; }

    async replace(name, bytes) {
        try {
            const handle = this.targets.get(name);
            if (handle) {
                // The browser writes a copy and puts it in the file's place on close().
                const writable = await handle.createWritable();
                await writable.write(bytes);
                await writable.close();
                return true;
            }
            const link = document.createElement("a");
            link.href = URL.createObjectURL(new Blob([bytes], { type: "application/octet-stream" }));
            link.download = name;
            document.body.appendChild(link);
            link.click();
            link.remove();
            setTimeout(() => URL.revokeObjectURL(link.href), 60000);
            return true;
        } catch (error) {
            this.strings.file_reason = error.message || String(error);
            return false;
        }
    }
}

// A device reached through the WebSocket bridge (web/page/serial_bridge.mjs), shaped as a Web
// Serial port; the page offers it when opened with ?bridge=ws://...&device=/dev/pts/N.
class BridgePort {
    constructor(bridge, device) {
        this.url = `${bridge}?device=${encodeURIComponent(device)}`;
        this.device = device;
        this.readable = null;
        this.writable = null;
    }
    getInfo() { return {}; }
    async open() {
        const socket = new WebSocket(this.url);
        socket.binaryType = "arraybuffer";
        await new Promise((opened, failed) => {
            socket.onopen = opened;
            socket.onerror = () => failed(new DOMException(`no bridge at ${this.url}`, "NetworkError"));
        });
        this.socket = socket;
        this.readable = new ReadableStream({
            start(stream) {
                socket.onmessage = (event) => stream.enqueue(new Uint8Array(event.data));
                socket.onclose = () => { try { stream.close(); } catch (_) { /* cancelled */ } };
            },
        });
        this.writable = new WritableStream({ write: (chunk) => socket.send(chunk) });
    }
    async close() {
        this.socket.close();
        this.readable = null;
        this.writable = null;
    }
}
