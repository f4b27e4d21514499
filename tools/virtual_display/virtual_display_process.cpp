#include "virtual_display_process.h"

#include <QElapsedTimer>
#include <QFile>

namespace pds::display {

namespace {
const QString device_line = QStringLiteral("Virtual pole display on ");
}

VirtualDisplayProcess::VirtualDisplayProcess(const QStringList& options,
                                             const std::optional<ImageBytes>& memory) {
    if (memory) {
        QFile file(memory_path());
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(reinterpret_cast<const char*>(memory->data()), image_size) != image_size)
            return;
    }
    process.setProgram(QStringLiteral(VIRTUAL_DISPLAY_PROGRAM));
    process.setArguments(QStringList{"--memory", memory_path()} + options);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start();
    if (!process.waitForStarted(5000))
        return;
    if (wait_for_output(device_line, 5000))
        device_path = latest_device();
}

VirtualDisplayProcess::~VirtualDisplayProcess() {
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}

QString VirtualDisplayProcess::output() {
    while (process.waitForReadyRead(0))
        ;
    printed += QString::fromUtf8(process.readAllStandardOutput());
    return printed;
}

void VirtualDisplayProcess::drop_output() {
    while (process.waitForReadyRead(0))
        process.readAllStandardOutput();
    process.readAllStandardOutput();
}

bool VirtualDisplayProcess::wait_for_output(const QString& text, int limit_ms, int times) {
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (output().count(text) >= times)
            return true;
        const qint64 left = limit_ms - clock.elapsed();
        if (left <= 0 || process.state() == QProcess::NotRunning)
            return false;
        process.waitForReadyRead(static_cast<int>(std::min<qint64>(left, 100)));
    }
}

std::string VirtualDisplayProcess::latest_device() {
    const QString all = output();
    const qsizetype start = all.lastIndexOf(device_line);
    if (start < 0)
        return {};
    const qsizetype from = start + device_line.size();
    const qsizetype end = all.indexOf('\n', from);
    return all.mid(from, end < 0 ? -1 : end - from).toStdString();
}

std::optional<ImageBytes> VirtualDisplayProcess::memory() const {
    QFile file(memory_path());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (bytes.size() != image_size)
        return std::nullopt;
    ImageBytes image{};
    std::copy(bytes.begin(), bytes.end(), image.begin());
    return image;
}

} // namespace pds::display
