#include "link/port_mapping.h"

#include "link/file_name_bytes.h"
#include "link/port_map.h"

#include <QtGlobal>

namespace velmora {

Result<ResolvedPort, OpenFailure> resolvePort(int portNumber) {
    const QString chosen = nameFromBytes(
        qgetenv(QStringLiteral("VELMORA_COM%1").arg(portNumber).toLatin1().constData()));
    if (!chosen.isEmpty()) {
        return ResolvedPort{chosen, PortSource::Environment};
    }
    const auto map = PortMap::load();
    if (!map) {
        return OpenFailure{OpenProblem::BrokenMap,
                           QStringLiteral("Impossibile aprire la porta %1: %2. Correggere o "
                                          "rimuovere quel file (velmora-cli ports mostra la "
                                          "mappa), oppure indicare il dispositivo con "
                                          "VELMORA_COM%1.")
                               .arg(QString::number(portNumber), map.error().sentence),
                           map.error().detail};
    }
    if (const auto mapped = map->device(portNumber)) {
        return ResolvedPort{*mapped, PortSource::Map};
    }
#ifdef Q_OS_WIN
    return ResolvedPort{QStringLiteral("COM%1").arg(portNumber), PortSource::Default};
#else
    return ResolvedPort{QStringLiteral("/dev/ttyS%1").arg(portNumber - 1), PortSource::Default};
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
