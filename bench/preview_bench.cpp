// Times one redraw of the dot preview as the window does it on every edit: the image the
// editor would write, its dots, and the panel painted, headless. Prints figures; not a test.
#include "commands/defaults.h"
#include "commands/preview.h"
#include "editor/editor.h"
#include "glyphs/dot_preview.h"
#include "ui/desktop_services.h"
#include "ui/preview_panel.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double micros(std::chrono::steady_clock::duration time) {
    return std::chrono::duration<double, std::micro>(time).count();
}

void report(const char* what, std::vector<double>& times) {
    std::sort(times.begin(), times.end());
    std::printf("%-16s median %8.1f  worst %8.1f\n", what, times[times.size() / 2], times.back());
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int redraws = argc > 1 ? std::max(1, std::atoi(argv[1])) : 400;

    pds::DesktopServices desktop;
    pds::Editor editor(desktop.services());
    pds::set_all_default(editor);
    editor.model.character_code = "41";

    pds::ui::PreviewPanel panel;
    panel.resize(464, 92); // its size in the window at 96 dots per inch
    panel.show();
    QApplication::processEvents();

    using Clock = std::chrono::steady_clock;
    std::vector<double> core, paint, total;
    for (int i = 0; i < redraws; ++i) {
        // Each redraw follows an edit that changes what is shown, as typing does.
        editor.model.line1.chars[1 + i % 20] = std::string(1, static_cast<char>('A' + i % 26));
        editor.model.character_dots.set(1 + i % 5, i % 7, i % 2 == 0);

        const auto start = Clock::now();
        pds::DotPreview preview = pds::render_preview(pds::preview_image(editor));
        const auto computed = Clock::now();
        panel.show_preview(std::move(preview));
        panel.repaint();
        const auto painted = Clock::now();
        core.push_back(micros(computed - start));
        paint.push_back(micros(painted - computed));
        total.push_back(micros(painted - start));
    }
    std::printf("%d preview redraws, in microseconds\n", redraws);
    report("image and dots", core);
    report("panel painted", paint);
    report("redraw", total);
    return 0;
}
