// Writes the one HTML file of the page: node build_page.mjs CORE_JS GUIDE_MD OUTPUT_HTML.
// The core's script carries its WebAssembly inside itself; the page's script, its style and
// the user guide are put into the page around it.
import { readFileSync, writeFileSync, renameSync } from "node:fs";
import { dirname, join } from "node:path";
import { fileURLToPath } from "node:url";
import { guideHtml } from "./guide.mjs";
import { projectVersion } from "./project_version.mjs";

const [coreScript, guide, output] = process.argv.slice(2);
const here = dirname(fileURLToPath(import.meta.url));
const source = (name) => readFileSync(join(here, name), "utf8");

// A script must not close its own element early.
const geometry = `const windowGeometry = ${readFileSync(join(here, "../../ui/window_geometry.json"), "utf8")};`;
const script = [
    geometry,
    source("layout.js"),
    source("services.js"),
    source("../bridge/socket_serial_port.js"),
    readFileSync(coreScript, "utf8"),
    source("page.js"),
]
    .join("\n")
    .replace(/<\/script/gi, "<\\/script");

const html = source("page.html")
    .replace(/@VERSION@/g, projectVersion)
    .replace("@STYLE@", () => source("page.css"))
    .replace("@GUIDE@", () => guideHtml(guide))
    .replace("@SCRIPT@", () => script);
writeFileSync(`${output}.part`, html);
renameSync(`${output}.part`, output);
