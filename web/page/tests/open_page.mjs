// Opens the page named by PDS_PAGE in headless Chromium, as the release check does: fails
// unless it gets ready without an error and carries the version CMake holds in its title.
import { cleanUp, launchBrowser, openPage } from "./browser_fixture.mjs";
import { projectVersion } from "../project_version.mjs";

const browser = await launchBrowser();
try {
    const page = await openPage(browser);
    const title = await page.title();
    if (title !== `Vela Pole Display Setup v${projectVersion}`)
        throw new Error(`the page's title is "${title}"`);
    if (page.errors.length) throw new Error(`the page reported: ${page.errors.join("; ")}`);
    console.log(`the page loads: "${title}"`);
} finally {
    await browser.close();
    cleanUp();
}
