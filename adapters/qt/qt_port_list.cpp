#include "adapters/qt/qt_port_list.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>

namespace pds {

std::vector<std::pair<std::string, std::string>> stable_names(const std::string& folder) {
    std::vector<std::pair<std::string, std::string>> names;
    const QDir links(QString::fromStdString(folder));
    for (const QFileInfo& link : links.entryInfoList(QDir::System | QDir::Files, QDir::Name)) {
        const QString target = link.canonicalFilePath();
        if (!target.isEmpty())
            names.emplace_back(target.toStdString(), link.absoluteFilePath().toStdString());
    }
    return names;
}

std::vector<SystemPort> QtPortList::ports() {
#ifdef Q_OS_LINUX
    const auto by_id = stable_names("/dev/serial/by-id");
#else
    const std::vector<std::pair<std::string, std::string>> by_id;
#endif
    std::vector<SystemPort> listed;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        SystemPort port;
        port.kernel_name = info.systemLocation().toStdString();
        port.device = port.kernel_name;
        const auto stable = std::find_if(by_id.begin(), by_id.end(), [&](const auto& name) {
            return name.first == port.device;
        });
        if (stable != by_id.end())
            port.device = stable->second;
        port.description = info.description().toStdString();
        port.manufacturer = info.manufacturer().toStdString();
        if (info.hasVendorIdentifier() && info.hasProductIdentifier()) {
            port.vendor_id = info.vendorIdentifier();
            port.product_id = info.productIdentifier();
        }
        port.serial_number = info.serialNumber().toStdString();
        listed.push_back(std::move(port));
    }
    // ttyS2 before ttyS10, as a person counts.
    QCollator order;
    order.setNumericMode(true);
    std::sort(listed.begin(), listed.end(), [&](const SystemPort& a, const SystemPort& b) {
        return order.compare(QString::fromStdString(a.device), QString::fromStdString(b.device)) <
               0;
    });
    return listed;
}

} // namespace pds
