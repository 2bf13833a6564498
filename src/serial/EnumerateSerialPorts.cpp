#include "serial/EnumerateSerialPorts.h"

#include <QSerialPortInfo>

bool EnumerateSerialPorts(std::vector<std::string>& ports, std::vector<std::string>& descriptions) {
    ports.clear();
    descriptions.clear();
    const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : infos) {
        const QString path = info.systemLocation();
        if (path.isEmpty())
            continue;
        ports.push_back(path.toStdString());
        descriptions.push_back(SerialPortDescription(info.description().toStdString(),
                                                     info.manufacturer().toStdString(),
                                                     info.serialNumber().toStdString()));
    }
    return true;
}

std::string SerialPortDescription(const std::string& description, const std::string& manufacturer,
                                  const std::string& serialNumber) {
    std::string text;
    for (const std::string* part : {&description, &manufacturer, &serialNumber}) {
        if (part->empty())
            continue;
        if (!text.empty())
            text += ", ";
        text += *part;
    }
    return text;
}
