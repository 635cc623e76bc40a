#include "serial/port_names.h"

#include <array>

namespace kestrune::serial {

QString portVariableName(int number) {
    return QLatin1String(kPortVariablePrefix) + QString::number(number);
}

Result<QString> devicePathForPort(int number, const QProcessEnvironment& env) {
    const QString fromEnv = env.value(portVariableName(number));
    if (!fromEnv.isEmpty())
        return fromEnv;

    if (number < kFirstPortNumber || number > kLastPortNumber) {
        return Failure{QStringLiteral("Port %1 names no serial device (%2-%3, or set %4)")
                           .arg(number)
                           .arg(kFirstPortNumber)
                           .arg(kLastPortNumber)
                           .arg(portVariableName(number))};
    }

#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(number);
#else
    static constexpr std::array<const char*, 3> kFamilies{"/dev/ttyS", "/dev/ttyUSB",
                                                          "/dev/ttyACM"};
    static_assert(kFamilies.size() * kPortsPerFamily == kLastPortNumber - kFirstPortNumber + 1);
    const int index = number - kFirstPortNumber;
    return QLatin1String(kFamilies[static_cast<std::size_t>(index / kPortsPerFamily)]) +
           QString::number(index % kPortsPerFamily);
#endif
}

QString portToolTip(int number, const QProcessEnvironment& env) {
    const Result<QString> path = devicePathForPort(number, env);
    if (!path)
        return path.description();
    return QStringLiteral("Port %1 is %2").arg(number).arg(*path);
}

} // namespace kestrune::serial
