// What the files emscripten places inside the module see there.
declare var Module: any;
declare function lengthBytesUTF8(text: string): number;
declare function stringToUTF8(text: string, pointer: number, size: number): void;
declare function _malloc(size: number): number;
