// @ts-check
// The transfers as promises; emscripten places this file inside the module, beside the
// bindings of link_bindings.cpp.

/** Writes the editor's image into the display; resolves with the messages shown. */
Module["writeToDisplay"] = async function () {
    await Module.ccall("pds_write_to_display", null, [], [], { async: true });
    return Module.takeMessages();
};

/** Reads the display into the editor; resolves with the messages shown. */
Module["readFromDisplay"] = async function () {
    await Module.ccall("pds_read_from_display", null, [], [], { async: true });
    return Module.takeMessages();
};
