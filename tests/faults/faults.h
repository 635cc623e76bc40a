#pragma once

// What the fault tests look for in the send window: the labelled reports of the system and
// nothing else besides the packets that went out.

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QString>
#include <algorithm>
#include <cctype>

namespace kestrune::faults {

// Every report the system writes into the send window starts with one of these; the one without
// a trailing blank is the start-up message, which carries no description.
inline const QByteArrayList kReportLabels = {"Startup Err: ",
                                             "The comm port is being used by another app.",
                                             "COMM Err: ",
                                             "Keypress Error: ",
                                             "LOAD ERR: ",
                                             "Send WITS Error: ",
                                             "Timer Data Arrival Err: ",
                                             "Data Change Timer Err: ",
                                             "Maintainance timer Err: "};

// A number printed without a check shows as one of these words.
inline bool hasNonNumberWord(const QByteArray& text) {
    QByteArray word;
    auto flagged = [&word] {
        const QByteArray w = word.toLower();
        return w == "inf" || w == "nan" || w == "infinity";
    };
    for (const char c : text) {
        if (std::isalpha(static_cast<unsigned char>(c))) {
            word += c;
            continue;
        }
        if (flagged()) {
            return true;
        }
        word.clear();
    }
    return flagged();
}

// Splits the send window into the packets (which must be `packets`, in order, each whole) and
// labelled reports. Returns an empty string when that works, otherwise what went wrong.
inline QString unlabelledText(const QByteArray& window, const QList<QByteArray>& packets) {
    qsizetype pos = 0;
    qsizetype next = 0;
    auto nextLabelOrPacket = [&](qsizetype from) {
        qsizetype end = window.size();
        for (const QByteArray& label : kReportLabels) {
            const qsizetype at = window.indexOf(label, from);
            if (at >= 0) {
                end = std::min(end, at);
            }
        }
        if (next < packets.size() && !packets[next].isEmpty()) {
            const qsizetype at = window.indexOf(packets[next], from);
            if (at >= 0) {
                end = std::min(end, at);
            }
        }
        return end;
    };
    while (pos < window.size()) {
        while (next < packets.size() && packets[next].isEmpty()) {
            ++next;
        }
        if (next < packets.size() && window.mid(pos).startsWith(packets[next])) {
            pos += packets[next].size();
            ++next;
            continue;
        }
        const auto label =
            std::find_if(kReportLabels.begin(), kReportLabels.end(),
                         [&](const QByteArray& l) { return window.mid(pos).startsWith(l); });
        if (label == kReportLabels.end()) {
            return QStringLiteral("unlabelled text at %1: %2")
                .arg(pos)
                .arg(QString::fromLatin1(window.mid(pos, 80).toPercentEncoding(" :")));
        }
        pos += label->size();
        const qsizetype end = nextLabelOrPacket(pos);
        if (label->endsWith(' ') && end == pos) {
            return QStringLiteral("report without a description: ") + QString::fromLatin1(*label);
        }
        pos = end;
    }
    while (next < packets.size() && packets[next].isEmpty()) {
        ++next;
    }
    if (next != packets.size()) {
        return QStringLiteral("%1 of %2 packets shown").arg(next).arg(packets.size());
    }
    return {};
}

} // namespace kestrune::faults
