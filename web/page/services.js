// The page's half of the browser module's services (web/bindings/module.js lists what the module
// asks): modal boxes, the file pickers and the user guide. The serial line is the module's own
// (adapters/web/web_serial.js), which the page reaches as `core.serial`.
"use strict";

const applicationTitle = "Pole Display Setup";

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

// Find's progress: which port and speed it asks next, and a Cancel (or Escape) that the core's
// probe sees the next time it asks, within a few milliseconds.
class FindBox {
    constructor(dialog) {
        this.dialog = dialog;
        this.stopped = false;
        dialog.querySelector("#FindCancel").addEventListener("click", () => {
            this.stopped = true;
        });
        dialog.addEventListener("cancel", (event) => {
            event.preventDefault();
            this.stopped = true;
        });
    }

    step(done, total, title, text) {
        const dialog = this.dialog;
        if (!dialog.open) {
            this.stopped = false;
            dialog.showModal();
            dialog.querySelector("#FindCancel").focus();
        }
        dialog.querySelector(".box-title").textContent = title;
        dialog.querySelector(".box-text").textContent = text;
        const bar = dialog.querySelector("progress");
        bar.max = total;
        bar.value = done;
    }

    cancelled() {
        return this.stopped;
    }

    finished() {
        if (this.dialog.open) this.dialog.close();
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
            return saving ? await this.chooseSave(description, pattern) : await this.chooseOpen(pattern);
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
            dialog.addEventListener(
                "close",
                () => answer(dialog.returnValue === "ok" ? input.value.trim() : ""),
                { once: true },
            );
            dialog.showModal();
            input.select();
        });
    }

    chooseOpen(pattern) {
        const input = document.createElement("input");
        input.type = "file";
        input.accept = pattern.replace(/^\*/, "");
        return new Promise((answer) => {
            input.addEventListener(
                "change",
                () => {
                    const file = input.files[0];
                    if (!file) return answer("");
                    this.opened.set(file.name, file);
                    answer(file.name);
                },
                { once: true },
            );
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

    taken() {
        return this.read_bytes;
    }

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
