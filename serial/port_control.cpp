#include "serial/port_control.h"

#include "core/numeric_text.h"

namespace kestrune::serial {

QByteArray activeCaption(int portNumber) {
    return "Port " + text::plainInt(portNumber) + " Active";
}

Result<std::int16_t> portNumberFromText(QByteArrayView text) {
    const Result<double> value = text::numericValue(text);
    if (!value) {
        return Failure{value.description()};
    }
    return text::toInt16(*value);
}

Result<QByteArray> settingsFromText(QByteArrayView text) {
    const Result<double> value = text::numericValue(text);
    if (!value) {
        return Failure{value.description()};
    }
    return text::fifteenDigits(*value);
}

bool openAtStartup(MSComm& port, QByteArrayView portText, QByteArrayView baudText) {
    bool failed = false;
    auto attempt = [&failed](const Status& step) { failed = failed || !step.ok(); };

    const Result<std::int16_t> number = portNumberFromText(portText);
    attempt(number ? port.setCommPort(*number) : number.status());
    const Result<QByteArray> settings = settingsFromText(baudText);
    attempt(settings ? port.setSettings(*settings) : settings.status());
    attempt(port.setInputLen(0));
    if (!port.PortOpen()) {
        attempt(port.setPortOpen(true));
    }
    return !failed;
}

Result<PortLook> togglePort(MSComm& port, QByteArrayView portText, QByteArrayView baudText) {
    if (port.PortOpen()) {
        if (Status closed = port.setPortOpen(false); !closed) {
            return Failure{closed.description()};
        }
        return PortLook::Inactive;
    }
    const Result<std::int16_t> number = portNumberFromText(portText);
    if (!number) {
        return Failure{number.description()};
    }
    if (Status selected = port.setCommPort(*number); !selected) {
        return Failure{selected.description()};
    }
    const Result<QByteArray> settings = settingsFromText(baudText);
    if (!settings) {
        return Failure{settings.description()};
    }
    if (Status set = port.setSettings(*settings); !set) {
        return Failure{set.description()};
    }
    if (Status opened = port.setPortOpen(true); !opened) {
        return Failure{opened.description()};
    }
    if (Status length = port.setInputLen(0); !length) {
        return Failure{length.description()};
    }
    return PortLook::Active;
}

Status sendTypedKey(MSComm& port, int code) {
    if (!port.PortOpen()) {
        return {};
    }
    const char byte = static_cast<char>(code & 0xFF);
    return port.Output(QByteArray(1, byte));
}

} // namespace kestrune::serial
