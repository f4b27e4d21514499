// What the page's scripts find beside them in the one HTML file, or in Chrome and Edge only.
declare function createPoleDisplaySetup(options: object): Promise<any>;
// ui/window_geometry.json, placed before the page's script: rectangles as [left, top, width,
// height] and numbers, in twips.
declare const windowGeometry: {
    rectangles: Record<string, [number, number, number, number]>;
    numbers: Record<string, number>;
};
// web/bridge/socket_serial_port.js, placed before the page's script.
declare class SocketSerialPort {
    constructor(url: string, options?: object);
}

interface Navigator {
    serial: {
        getPorts(): Promise<any[]>;
        requestPort(): Promise<any>;
        addEventListener?: (type: string, listener: () => void) => void;
    };
}

interface Window {
    showSaveFilePicker?: (options: object) => Promise<any>;
    poleDisplaySetup: unknown;
}
