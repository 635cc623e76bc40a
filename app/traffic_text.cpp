#include "app/traffic_text.h"

namespace kestrune::app {

bool TrafficText::append(QByteArrayView bytes) {
    text_.append(bytes);
    if (text_.size() <= trimAbove_) {
        return false;
    }
    text_ = text_.right(keepLast_);
    return true;
}

void TrafficText::backspace() {
    if (text_.endsWith("\r\n")) {
        text_.chop(2);
    } else if (!text_.isEmpty()) {
        text_.chop(1);
    }
}

QString displayText(QByteArrayView bytes, bool afterCr) {
    constexpr char16_t kControlPictures = 0x2400;
    constexpr char16_t kDeletePicture = 0x2421;
    QString shown;
    shown.reserve(bytes.size());
    bool lastWasCr = afterCr;
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        if (code == '\n') {
            if (!lastWasCr) {
                shown.append(QChar('\n'));
            }
        } else if (code == '\r') {
            shown.append(QChar('\n'));
        } else if (code == '\t') {
            shown.append(QChar('\t'));
        } else if (code < 0x20) {
            shown.append(QChar(static_cast<char16_t>(kControlPictures + code)));
        } else if (code == 0x7F) {
            shown.append(QChar(kDeletePicture));
        } else {
            shown.append(QChar(static_cast<char16_t>(code)));
        }
        lastWasCr = code == '\r';
    }
    return shown;
}

} // namespace kestrune::app
