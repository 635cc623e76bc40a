#pragma once

// A main window on a fake port with a fixed clock and random sequence; its timers never fire,
// so tests drive the handlers themselves.

#include "app/fm_kestrune.h"
#include "app/look.h"
#include "app/traffic_window.h"
#include "core/clock.h"
#include "core/random_source.h"
#include "serial/fake_comm_port.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <memory>
#include <vector>

namespace kestrune::app::testing {

struct WindowFixture {
    serial::FakeCommPort port;
    FixedClock clock{QDateTime(QDate(2026, 12, 8), QTime(9, 5, 7))};
    SequenceRandomSource random;
    QTemporaryDir folder;
    int endProgramCalls = 0;
    // Set before make() to put the window on another port, such as a real line, and the
    // environment that names its devices.
    serial::MSComm* line = nullptr;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    std::unique_ptr<fm_kestrune> window;

    // The shipped templates beside the "program"; `draws` is the random sequence, repeated.
    explicit WindowFixture(std::vector<double> draws = {0.5}) : random(std::move(draws)) {
        for (const char* name : {"Full_Wits_Packet.txt", "Half_Wits_Packet.txt"}) {
            QFile::copy(QStringLiteral(KESTRUNE_TEMPLATE_DIR "/") + name,
                        folder.filePath(QString::fromLatin1(name)));
        }
    }

    fm_kestrune& make() {
        WindowServices services;
        services.port = line ? line : &port;
        services.environment = environment;
        services.clock = &clock;
        services.random = &random;
        services.programFolder = folder.path();
        services.liveTimers = false;
        services.endProgram = [this] { ++endProgramCalls; };
        window = std::make_unique<fm_kestrune>(services);
        return *window;
    }
    fm_kestrune& load() {
        make();
        window->Form_Load();
        return *window;
    }

    template <class T = QWidget> T* control(const char* name) const {
        return window->findChild<T*>(QString::fromLatin1(name));
    }
    QPushButton* button(const char* name) const { return control<QPushButton>(name); }
    QLineEdit* box(const char* name) const { return control<QLineEdit>(name); }
    QByteArray sent() const { return control<TrafficWindow>("text_window_send")->trafficText(); }
    QByteArray received() const {
        return control<TrafficWindow>("text_window_receive")->trafficText();
    }
};

} // namespace kestrune::app::testing
