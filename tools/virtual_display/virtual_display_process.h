// The virtual display started as a program of its own, for tests and benchmarks that need a
// real peer on a pseudo-terminal. The caller provides the Qt application object.
#pragma once

#include "settings/settings_image.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>
#include <string>

namespace pds::display {

class VirtualDisplayProcess {
public:
    // Starts the display with `options`, its memory in a fresh folder (seeded when given), and
    // waits for the device line.
    explicit VirtualDisplayProcess(const QStringList& options = {},
                                   const std::optional<ImageBytes>& memory = std::nullopt);
    ~VirtualDisplayProcess();

    bool started() const { return !device_path.empty(); }
    const std::string& device() const { return device_path; }

    // Everything the display printed so far.
    QString output();
    // Reads and forgets what the display printed, so a long run neither stalls the display on
    // a full pipe nor keeps its reports.
    void drop_output();
    // Waits until the display printed `text` `times` times in all, or `limit_ms` passed.
    bool wait_for_output(const QString& text, int limit_ms, int times = 1);
    // The device of the last "Virtual pole display on" line.
    std::string latest_device();

    std::optional<ImageBytes> memory() const;
    QString memory_path() const { return folder.filePath("memory.vfd"); }

private:
    QTemporaryDir folder;
    QProcess process;
    QString printed;
    std::string device_path;
};

} // namespace pds::display
