// The stable names Linux gives serial devices, as the Qt port list reads them.
#include "adapters/qt/qt_port_list.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace pds {
namespace {

TEST(StableNames, EachLinkGivesTheDeviceItPointsTo) {
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkpath("dev/serial/by-id"));
    QFile(root.filePath("dev/ttyUSB0")).open(QIODevice::WriteOnly);
    QFile(root.filePath("dev/ttyUSB1")).open(QIODevice::WriteOnly);
    const QString by_id = root.filePath("dev/serial/by-id");
    // As udev makes them: relative links.
    ASSERT_TRUE(QFile::link("../../ttyUSB1", by_id + "/usb-B-port0"));
    ASSERT_TRUE(QFile::link("../../ttyUSB0", by_id + "/usb-A-port0"));
    ASSERT_TRUE(QFile::link("../../gone", by_id + "/usb-C-port0"));

    const auto names = stable_names(by_id.toStdString());
    const std::string dev = QDir(root.filePath("dev")).canonicalPath().toStdString();
    EXPECT_EQ(names, (std::vector<std::pair<std::string, std::string>>{
                         {dev + "/ttyUSB0", by_id.toStdString() + "/usb-A-port0"},
                         {dev + "/ttyUSB1", by_id.toStdString() + "/usb-B-port0"}}))
        << "a dangling link names no device";
    EXPECT_TRUE(stable_names(root.filePath("missing").toStdString()).empty());
}

} // namespace
} // namespace pds
