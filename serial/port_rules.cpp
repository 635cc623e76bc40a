#include "serial/port_rules.h"

#include <limits>

namespace kestrune::serial {

Result<qint32> parseBaudRate(const QByteArray& settings) {
    const auto invalid = [&settings] {
        return Failure{QStringLiteral("Invalid settings: ") + QString::fromLatin1(settings)};
    };
    if (settings.isEmpty())
        return invalid();

    qint64 rate = 0;
    for (const char c : settings) {
        if (c < '0' || c > '9')
            return invalid();
        rate = rate * 10 + (c - '0');
        if (rate > std::numeric_limits<qint32>::max())
            return invalid();
    }
    if (rate == 0)
        return invalid();
    return static_cast<qint32>(rate);
}

Status checkInputLen(int length) {
    if (length < 0)
        return Failure{QStringLiteral("Invalid input length: %1").arg(length)};
    return {};
}

} // namespace kestrune::serial
