// The user guide's Markdown as HTML, for the page that carries it: headings, paragraphs,
// lists, tables, emphasis, code and pictures, which is all the guide uses.
import { readFileSync } from "node:fs";
import { dirname, join } from "node:path";

const escape = (text) => text.replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;");

function inline(text, folder) {
    const codes = [];
    let out = escape(text).replace(/`([^`]+)`/g, (_, code) => `\u0000${codes.push(code) - 1}\u0000`);
    out = out
        .replace(/!\[([^\]]*)\]\(([^)]+)\)/g, (_, alt, file) => {
            const data = readFileSync(join(folder, file)).toString("base64");
            return `<img alt="${alt}" src="data:image/png;base64,${data}">`;
        })
        .replace(/\[([^\]]+)\]\(([^)]+)\)/g, '<a href="$2">$1</a>')
        .replace(/\*\*([^*]+)\*\*/g, "<strong>$1</strong>")
        .replace(/\*([^*]+)\*/g, "<em>$1</em>");
    return out.replace(/\u0000(\d+)\u0000/g, (_, i) => `<code>${codes[Number(i)]}</code>`);
}

export function guideHtml(path) {
    const folder = dirname(path);
    const lines = readFileSync(path, "utf8").split("\n");
    const html = [];
    let i = 0;
    const cells = (row) =>
        row
            .trim()
            .replace(/^\||\|$/g, "")
            .split("|")
            .map((cell) => cell.trim());
    while (i < lines.length) {
        const line = lines[i];
        let match;
        if (!line.trim()) {
            ++i;
        } else if ((match = /^(#{1,6})\s+(.*)$/.exec(line))) {
            html.push(`<h${match[1].length}>${inline(match[2], folder)}</h${match[1].length}>`);
            ++i;
        } else if (line.startsWith("|")) {
            const head = cells(line);
            i += 2; // the header and its rule
            const rows = [];
            while (i < lines.length && lines[i].startsWith("|")) rows.push(cells(lines[i++]));
            html.push(
                "<table><thead><tr>" +
                    head.map((c) => `<th>${inline(c, folder)}</th>`).join("") +
                    "</tr></thead><tbody>" +
                    rows
                        .map((r) => "<tr>" + r.map((c) => `<td>${inline(c, folder)}</td>`).join("") + "</tr>")
                        .join("") +
                    "</tbody></table>",
            );
        } else if ((match = /^(\d+\.|-)\s/.exec(line))) {
            const ordered = match[1] !== "-";
            const items = [];
            while (i < lines.length && lines[i].trim()) {
                if (/^(\d+\.|-)\s/.test(lines[i])) items.push(lines[i].replace(/^(\d+\.|-)\s+/, ""));
                else items[items.length - 1] += " " + lines[i].trim();
                ++i;
            }
            const tag = ordered ? "ol" : "ul";
            html.push(
                `<${tag}>` + items.map((item) => `<li>${inline(item, folder)}</li>`).join("") + `</${tag}>`,
            );
        } else {
            const paragraph = [];
            while (i < lines.length && lines[i].trim() && !/^(#|\||\d+\.\s|-\s)/.test(lines[i]))
                paragraph.push(lines[i++].trim());
            html.push(`<p>${inline(paragraph.join(" "), folder)}</p>`);
        }
    }
    return html.join("\n");
}
