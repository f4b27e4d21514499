// The version as CMake holds it, from project() in CMakeLists.txt, where it is written once:
// the page's title carries it, and its tests expect it.
import { readFileSync } from "node:fs";
import { dirname, join } from "node:path";
import { fileURLToPath } from "node:url";

const lists = readFileSync(join(dirname(fileURLToPath(import.meta.url)), "../../CMakeLists.txt"), "utf8");
export const projectVersion = /^project\(\S+ VERSION ([0-9.]+)/m.exec(lists)[1];
