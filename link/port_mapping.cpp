#include "link/port_mapping.h"

#include "link/port_map.h"

#include <QtGlobal>

namespace velmora {

ResolvedPort resolvePort(int portNumber) {
    const QString chosen = qEnvironmentVariable(
        QStringLiteral("VELMORA_COM%1").arg(portNumber).toLatin1().constData());
    if (!chosen.isEmpty()) {
        return {chosen, PortSource::Environment};
    }
    if (const auto mapped = PortMap::load().device(portNumber)) {
        return {*mapped, PortSource::Map};
    }
#ifdef Q_OS_WIN
    return {QStringLiteral("COM%1").arg(portNumber), PortSource::Default};
#else
    return {QStringLiteral("/dev/ttyS%1").arg(portNumber - 1), PortSource::Default};
#endif
}

const char* sourceName(PortSource source) {
    switch (source) {
    case PortSource::Environment:
        return "environment";
    case PortSource::Map:
        return "map";
    case PortSource::Default:
        break;
    }
    return "default";
}

} // namespace velmora
