// @ts-check
// The browser module, one for the page and the Node.js tests. `createPoleDisplaySetup({ page })`
// resolves to the module, the one object through which a program reaches both halves of it.
//
// What the module offers:
//   command(name, a, b)   runs one of the operator's commands as the window's buttons do, by the
//                         names of editor_bindings.cpp ("write", "read", "save", "load", ...);
//                         the one way in to every command, resolved when the command is done
//   snapshot()            the editor model as a plain object, to draw
//   setPorts, selectEntry, typeText, setCell, setCode, showTab, typeTestLine
//                         the edits of the controls, which never wait (embind)
//   usbSerialChip(vendor, product)
//                         the chip of a USB-serial adapter from the core's table: { maker, name,
//                         linuxDriver }, { maker } for a maker's unknown product, else null
//   serial                the serial line's JavaScript half (adapters/web/web_serial.js): the
//                         ports a transfer may open are offered to it
//
// What the program gives it as `page`, the JavaScript half of the other services
// (browser_services.cpp), each answer that waits for the operator as a promise:
//   strings               texts handed across by key (chosen, file_reason)
//   boxes.show(text, title, withCancel)          resolves true for OK
//   files.choose(saving, description, pattern)   resolves to a file's name, "" when none
//   files.read(name, most)                       resolves to the count of bytes read, -1 on failure
//   files.taken()                                the bytes of the last read
//   files.replace(name, bytes)                   resolves true once the file is replaced whole
//   showGuide()                                  shows the user guide
//   find.step(done, total, title, step)          Find's progress before each port and speed
//   find.cancelled()                             true once the operator cancelled Find
//   find.finished()                              Find's probe is over

/**
 * @param {string} name @param {number} [a] @param {number} [b]
 * @returns {Promise<number>} 1 when the module knows the command
 */
Module["command"] = function (name, a = 0, b = 0) {
    return Module.ccall("pds_command", "number", ["string", "number", "number"], [name, a, b], {
        async: true,
    });
};
