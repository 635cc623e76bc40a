#pragma once

#include "app/ticker.h"
#include "core/clock.h"
#include "core/random_source.h"
#include "core/sim_state.h"
#include "drilling/random_rop.h"
#include "serial/comm_port.h"
#include "serial/port_control.h"

#include <QProcessEnvironment>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kestrune::app {

class DrillingControls;
class PumpControls;
class WitsControls;
class TrafficWindow;
class DrawHold;

// What the window works with besides its own controls; tests hand in fakes.
struct WindowServices {
    serial::MSComm* port = nullptr; // not owned
    const Clock* clock = nullptr;   // not owned
    RandomSource* random = nullptr; // not owned
    QString programFolder;          // where the templates are
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment(); // port names
    bool liveTimers = true;           // false: timers keep periods but never fire
    std::function<void()> endProgram; // default: leave the event loop
};

// The one window. Handlers carry the names of the control and the event they serve.
class fm_kestrune : public QWidget {
    Q_OBJECT
public:
    explicit fm_kestrune(WindowServices services, QWidget* parent = nullptr);
    ~fm_kestrune() override;

    void Form_Load();
    void Form_Unload(std::int16_t& cancel);
    void UnloadAllForms(const QString& keepName);

    void cmd_start_wits_Click();
    void cmd_wits_type_Click();
    void cmd_comm_Click();
    void cmd_edit_wits_Click();
    void text_window_send_KeyPress(int keyAscii);

    void tmrDataArrival_Timer();
    void old_tmr_data_chage_Timer();
    void tmr_maintaince_Timer();
    void tmr_pump1_Timer();
    void tmr_pump2_Timer();
    void tmr_pump3_Timer();
    void cmd_Reset_TS_Click();

    void disply_text(QByteArrayView text);
    void disply_rec(QByteArrayView text);
    // Holds the window's drawing until the scheduler's tick in progress ends, so a packet it
    // builds is written before its event pauses draw the window. Called by the tick's first
    // display or event pause; ticks that do neither hold nothing.
    void holdDrawingForTheTick();

    sim_state& state() { return state_; }
    const sim_state& state() const { return state_; }
    Ticker* timer(const char* name) const;
    bool unloaded() const { return unloaded_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void LoadWitsFiles();
    void blinkStep();
    void portLost(const QString& description);
    void showPortLook(serial::PortLook look);
    void showPortDevice();
    void pumpBoxLostFocus(QLineEdit* box);
    void connectOptions();

    WindowServices services_;
    sim_state state_;
    bool unloaded_ = false;

    QPushButton* cmd_comm_;
    QPushButton* cmd_start_wits_;
    QPushButton* cmd_wits_type_;
    QLineEdit* txt_comport_;
    QLineEdit* txt_baudrate_;
    QLineEdit* txt_depth_;
    QLineEdit* txt_bit_depth_;
    QLabel* lbl_connection_info_;
    TrafficWindow* text_window_send_;
    TrafficWindow* text_window_receive_;
    std::unique_ptr<DrawHold> tickDrawHold_;
    Ticker* tmrDataArrival_;
    Ticker* old_tmr_data_chage_;
    Ticker* tmr_maintaince_;
    Ticker* tmr_pump1_;
    Ticker* tmr_pump2_;
    Ticker* tmr_pump3_;
    PumpControls* pumps_;
    DrillingControls* drilling_;
    WitsControls* wits_;
    drilling::RandomRop randomRop_;
};

// Window text <-> the 8-bit text the simulator works with.
QByteArray bytesOf(const QLineEdit* box);
void setBytes(QLineEdit* box, QByteArrayView text);

} // namespace kestrune::app
