#include "app/fm_kestrune.h"

#include "app/draw_hold.h"
#include "app/drilling_controls.h"
#include "app/look.h"
#include "app/pump_controls.h"
#include "app/traffic_window.h"
#include "app/window_icon.h"
#include "app/window_layout.h"
#include "app/window_texts.h"
#include "app/wits_controls.h"
#include "core/numeric_text.h"
#include "drilling/bottom_cycle.h"
#include "drilling/depth_engine.h"
#include "drilling/drilling_constants.h"
#include "pumps/pump_policy.h"
#include "pumps/pump_strokes.h"
#include "serial/port_control.h"
#include "serial/port_names.h"
#include "templates/template_editor.h"
#include "templates/template_files.h"
#include "wits/send_scheduler.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>

namespace kestrune::app {

QByteArray bytesOf(const QLineEdit* box) {
    return box->text().toLatin1();
}

void setBytes(QLineEdit* box, QByteArrayView text) {
    box->setText(QString::fromLatin1(text.data(), text.size()));
}

namespace {

QString latin1(QByteArrayView text) {
    return QString::fromLatin1(text.data(), text.size());
}

} // namespace

fm_kestrune::fm_kestrune(WindowServices services, QWidget* parent)
    : QWidget(parent), services_(std::move(services)) {
    setObjectName(QString::fromLatin1(kWindowName));
    setFixedSize(px(kClientWidthTwips), px(kClientHeightTwips));
    setWindowIcon(QIcon(windowIconPicture()));
    buildControls(this);
    if (!services_.endProgram) {
        services_.endProgram = [] { QCoreApplication::exit(0); };
    }

    auto find = [this](const char* name) { return findChild<QWidget*>(QString::fromLatin1(name)); };
    cmd_comm_ = qobject_cast<QPushButton*>(find("cmd_comm"));
    cmd_start_wits_ = qobject_cast<QPushButton*>(find("cmd_start_wits"));
    cmd_wits_type_ = qobject_cast<QPushButton*>(find("cmd_wits_type"));
    txt_comport_ = qobject_cast<QLineEdit*>(find("txt_comport"));
    txt_baudrate_ = qobject_cast<QLineEdit*>(find("txt_baudrate"));
    txt_depth_ = qobject_cast<QLineEdit*>(find("txt_depth"));
    txt_bit_depth_ = qobject_cast<QLineEdit*>(find("txt_bit_depth"));
    lbl_connection_info_ = qobject_cast<QLabel*>(find("lbl_connection_info"));
    text_window_send_ = qobject_cast<TrafficWindow*>(find("text_window_send"));
    text_window_receive_ = qobject_cast<TrafficWindow*>(find("text_window_receive"));

    // All six timers run from load to unload; their first ticks come after start-up returns.
    const bool live = services_.liveTimers;
    tmrDataArrival_ = new Ticker("tmrDataArrival", kDataArrivalPeriod, live, this);
    old_tmr_data_chage_ = new Ticker("old_tmr_data_chage", kDataChangePeriod, live, this);
    tmr_maintaince_ = new Ticker("tmr_maintaince", kMaintenancePeriod, live, this);
    tmr_pump1_ = new Ticker("tmr_pump1", kPump1StartPeriod, live, this);
    tmr_pump2_ = new Ticker("tmr_pump2", kPump2StartPeriod, live, this);
    tmr_pump3_ = new Ticker("tmr_pump3", kPump3StartPeriod, live, this);
    connect(tmrDataArrival_, &Ticker::tick, this, &fm_kestrune::tmrDataArrival_Timer);
    connect(old_tmr_data_chage_, &Ticker::tick, this, &fm_kestrune::old_tmr_data_chage_Timer);
    connect(tmr_maintaince_, &Ticker::tick, this, &fm_kestrune::tmr_maintaince_Timer);
    connect(tmr_pump1_, &Ticker::tick, this, &fm_kestrune::tmr_pump1_Timer);
    connect(tmr_pump2_, &Ticker::tick, this, &fm_kestrune::tmr_pump2_Timer);
    connect(tmr_pump3_, &Ticker::tick, this, &fm_kestrune::tmr_pump3_Timer);

    pumps_ = new PumpControls(
        this, {tmr_pump1_, tmr_pump2_, tmr_pump3_},
        [this](int pump) { pumps::checkRate(*pumps_, pump); },
        [this](QLineEdit* box) { pumpBoxLostFocus(box); });
    connect(findChild<QPushButton*>(QStringLiteral("cmd_Reset_TS")), &QPushButton::clicked, this,
            &fm_kestrune::cmd_Reset_TS_Click);
    drilling_ = new DrillingControls(
        this, {[this](QByteArrayView text) { disply_text(text); }, [this] { blinkStep(); },
               [this] { return pumps::pumpRunPolicy(state_, *pumps_, *services_.random); }});
    connectOptions();
    wits_ = new WitsControls(this);

    connect(cmd_start_wits_, &QPushButton::clicked, this, &fm_kestrune::cmd_start_wits_Click);
    connect(cmd_wits_type_, &QPushButton::clicked, this, &fm_kestrune::cmd_wits_type_Click);
    connect(cmd_comm_, &QPushButton::clicked, this, &fm_kestrune::cmd_comm_Click);
    connect(findChild<QPushButton*>(QStringLiteral("cmd_edit_wits")), &QPushButton::clicked, this,
            &fm_kestrune::cmd_edit_wits_Click);
    connect(text_window_send_, &TrafficWindow::keyTyped, this,
            &fm_kestrune::text_window_send_KeyPress);
    connect(services_.port, &serial::MSComm::portLost, this, &fm_kestrune::portLost);
    connect(txt_comport_, &QLineEdit::textChanged, this, &fm_kestrune::showPortDevice);
    showPortDevice();
}

void fm_kestrune::showPortDevice() {
    const Result<std::int16_t> number = serial::portNumberFromText(bytesOf(txt_comport_));
    txt_comport_->setToolTip(number ? serial::portToolTip(*number, services_.environment)
                                    : QStringLiteral("Not a port number: ") + number.description());
}

fm_kestrune::~fm_kestrune() {
    // The controls outlive this body: hiding a shown window moves the focus, and a pump box
    // losing it must not reach a handler of a window already half gone.
    delete pumps_;
    pumps_ = nullptr;
    hide();
}

Ticker* fm_kestrune::timer(const char* name) const {
    return findChild<Ticker*>(QString::fromLatin1(name));
}

void fm_kestrune::Form_Load() {
    // First phase: every step is tried; any failure gives one fixed message.
    setWindowTitle(QString::fromLatin1(kTitlePrefix) + QString::number(kMajorVersion));
    state_.wits_running = false;
    state_.auto_send_elapsed = 0;
    lbl_connection_info_->clear();
    state_.off_bottom = false;
    state_.off_bottom_timer = 300;
    state_.on_bottom_timer = 0;
    state_.footage_since_connection = 0;
    serial::MSComm& port = *services_.port;
    if (serial::openAtStartup(port, bytesOf(txt_comport_), bytesOf(txt_baudrate_))) {
        showPortLook(serial::PortLook::Active);
    } else {
        disply_text(serial::kPortInUseMessage);
    }

    // Second phase: the first failure ends start-up.
    auto secondPhase = [this]() -> Status {
        const Result<double> hole = text::numericValue(bytesOf(txt_depth_));
        if (!hole) {
            return hole.status();
        }
        state_.current_depth = *hole;
        const Result<double> bit = text::numericValue(bytesOf(txt_depth_));
        if (!bit) {
            return bit.status();
        }
        state_.bit_depth = *bit;
        const Result<QByteArray> bitText = text::pattern(state_.bit_depth, 2);
        if (!bitText) {
            return bitText.status();
        }
        setBytes(txt_bit_depth_, *bitText);
        for (int slot = 0; slot < kTemplateSentSlots; ++slot) {
            state_.half_wits_lines[slot].clear();
            state_.full_wits_lines[slot].clear();
        }
        LoadWitsFiles();
        state_.rop_reload = drilling::kRop1MinPerFt;
        state_.rop_countdown = state_.rop_reload;
        return {};
    };
    if (const Status started = secondPhase(); !started) {
        disply_text(kStartupErrLabel + started.description().toLatin1());
    }
    show();
}

void fm_kestrune::LoadWitsFiles() {
    templates::LoadWitsFiles(state_, services_.programFolder, *services_.clock,
                             [this](QByteArrayView text) { disply_text(text); });
}

void fm_kestrune::cmd_edit_wits_Click() {
    const QString caption = cmd_wits_type_->text();
    if (caption != QLatin1String(kFullWitsCaption) && caption != QLatin1String(kHalfWitsCaption)) {
        return;
    }
    const templates::EditorCommand command = templates::editorCommand(
        caption == QLatin1String(kFullWitsCaption), services_.programFolder, services_.environment);
    Status started = Failure{QString::fromLatin1(templates::kNoDesktopEditor)};
    if (command.kind == templates::EditorCommand::Kind::DesktopDefault) {
        if (QDesktopServices::openUrl(QUrl::fromLocalFile(command.path))) {
            started = {};
        }
    } else {
        started = templates::startEditor(command);
    }
    if (!started) {
        QMessageBox::information(this, QString::fromLatin1(templates::kEditorErrorTitle),
                                 templates::editorFailureText(started.description(), command));
    }
}

void fm_kestrune::closeEvent(QCloseEvent* event) {
    std::int16_t cancel = 1;
    Form_Unload(cancel);
    event->setAccepted(cancel == 0);
}

void fm_kestrune::Form_Unload(std::int16_t& cancel) {
    cancel = 0;
    if (services_.port->PortOpen()) {
        (void)services_.port->setPortOpen(false); // failures are ignored at shutdown
    }
    UnloadAllForms(QString::fromLatin1(kWindowName));
    // No further event of any kind is handled: stop the ticks and let a packet being built
    // see that the program has ended.
    unloaded_ = true;
    for (Ticker* ticker : findChildren<Ticker*>()) {
        ticker->halt();
    }
    services_.endProgram();
}

void fm_kestrune::UnloadAllForms(const QString& keepName) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() != keepName) {
            window->close();
            window->deleteLater();
        }
    }
}

void fm_kestrune::cmd_start_wits_Click() {
    if (state_.wits_running) {
        setBackColour(cmd_start_wits_, kRed);
        cmd_start_wits_->setText(QString::fromLatin1(kStoppedCaption));
        state_.wits_running = false;
    } else {
        setBackColour(cmd_start_wits_, kGreen);
        cmd_start_wits_->setText(QString::fromLatin1(kRunningCaption));
        state_.wits_running = true;
    }
}

void fm_kestrune::cmd_wits_type_Click() {
    const QString caption = cmd_wits_type_->text();
    if (caption == QLatin1String(kFullWitsCaption)) {
        cmd_wits_type_->setText(QString::fromLatin1(kHalfWitsCaption));
    } else if (caption == QLatin1String(kHalfWitsCaption)) {
        cmd_wits_type_->setText(QString::fromLatin1(kFullWitsCaption));
    }
}

void fm_kestrune::blinkStep() {
    if (state_.wits_running) {
        return;
    }
    if (state_.start_button_blink) {
        setBackColour(cmd_start_wits_, kRed);
        state_.start_button_blink = false;
    } else {
        setBackColour(cmd_start_wits_, kBlinkRed);
        state_.start_button_blink = true;
    }
}

void fm_kestrune::cmd_comm_Click() {
    const Result<serial::PortLook> look =
        serial::togglePort(*services_.port, bytesOf(txt_comport_), bytesOf(txt_baudrate_));
    if (!look) {
        disply_text(serial::kCommErrLabel + look.description().toLatin1());
        return;
    }
    showPortLook(*look);
}

void fm_kestrune::showPortLook(serial::PortLook look) {
    switch (look) {
    case serial::PortLook::Active:
        setBackColour(cmd_comm_, kGreen);
        cmd_comm_->setText(latin1(serial::activeCaption(services_.port->CommPort())));
        break;
    case serial::PortLook::Inactive:
        setBackColour(cmd_comm_, kPortInactiveGrey);
        cmd_comm_->setText(QString::fromLatin1(serial::kPortInactiveCaption));
        break;
    case serial::PortLook::Initial:
        break;
    }
}

void fm_kestrune::portLost(const QString& description) {
    disply_text(serial::kCommErrLabel + description.toLatin1());
    showPortLook(serial::PortLook::Inactive);
}

void fm_kestrune::text_window_send_KeyPress(int keyAscii) {
    if (const Status sent = serial::sendTypedKey(*services_.port, keyAscii); !sent) {
        disply_text(serial::kKeypressErrLabel + sent.description().toLatin1());
    }
}

void fm_kestrune::connectOptions() {
    using Click = void (*)(sim_state&);
    const std::pair<const char*, Click> ropOptions[] = {
        {"op_600sec", drilling::op_600sec_Click}, {"op_300sec", drilling::op_300sec_Click},
        {"op_120sec", drilling::op_120sec_Click}, {"op_60sec", drilling::op_60sec_Click},
        {"op_10sec", drilling::op_10sec_Click},   {"op_05sec", drilling::op_05sec_Click},
        {"op_02sec", drilling::op_02sec_Click},   {"op_01sec", drilling::op_01sec_Click}};
    for (const auto& [name, click] : ropOptions) {
        connect(findChild<QRadioButton*>(QString::fromLatin1(name)), &QRadioButton::clicked, this,
                [this, handler = click] { handler(state_); });
    }
    connect(findChild<QRadioButton*>(QStringLiteral("op_RNDsec")), &QRadioButton::clicked, this,
            [this] { drilling::op_RNDsec_Click(state_, randomRop_); });

    using BottomClick = void (*)(sim_state&, drilling::DrillingWindow&);
    const std::pair<const char*, BottomClick> bottomOptions[] = {
        {"op_on_bottom", drilling::op_on_bottom_Click},
        {"op_off_bottom", drilling::op_off_bottom_Click},
        {"op_off_bottom_10", drilling::op_off_bottom_10_Click},
        {"op_off_bottom_30", drilling::op_off_bottom_30_Click},
        {"op_off_bottom_60", drilling::op_off_bottom_60_Click},
        {"op_off_bottom_every32", drilling::op_off_bottom_every32_Click}};
    for (const auto& [name, click] : bottomOptions) {
        connect(findChild<QRadioButton*>(QString::fromLatin1(name)), &QRadioButton::clicked, this,
                [this, handler = click] { handler(state_, *drilling_); });
    }
}

void fm_kestrune::tmrDataArrival_Timer() {
    wits::tmrDataArrival_Timer(state_, *wits_, *services_.port, *services_.clock,
                               *services_.random);
    tickDrawHold_.reset();
}

void fm_kestrune::holdDrawingForTheTick() {
    if (!tickDrawHold_) {
        tickDrawHold_ = std::make_unique<DrawHold>(
            std::initializer_list<TrafficWindow*>{text_window_send_, text_window_receive_});
    }
}

void fm_kestrune::old_tmr_data_chage_Timer() {
    drilling::old_tmr_data_chage_Timer(state_, *drilling_, randomRop_);
}

void fm_kestrune::tmr_maintaince_Timer() {
    drilling::tmr_maintaince_Timer(state_, *drilling_);
}

void fm_kestrune::tmr_pump1_Timer() {
    pumps::tmr_pump1_Timer(state_, *pumps_);
}
void fm_kestrune::tmr_pump2_Timer() {
    pumps::tmr_pump2_Timer(state_, *pumps_);
}
void fm_kestrune::tmr_pump3_Timer() {
    pumps::tmr_pump3_Timer(state_, *pumps_);
}
void fm_kestrune::cmd_Reset_TS_Click() {
    pumps::cmd_Reset_TS_Click(state_);
}

void fm_kestrune::pumpBoxLostFocus(QLineEdit* box) {
    using LostFocus = void (*)(sim_state&, pumps::PumpWindow&);
    static constexpr LostFocus countEdits[] = {
        pumps::txt_Pump1TS_LostFocus, pumps::txt_Pump2TS_LostFocus, pumps::txt_Pump3TS_LostFocus};
    for (int pump = 1; pump <= pumps::kPumpCount; ++pump) {
        if (box == pumps_->rateBox(pump)) {
            pumps::applyRate(*pumps_, pump);
        } else if (box == pumps_->countBox(pump)) {
            countEdits[pump - 1](state_, *pumps_);
        }
    }
    if (box == pumps_->totalBox()) {
        pumps::txt_TotalStrokes_LostFocus(state_, *pumps_);
    }
}

void fm_kestrune::disply_text(QByteArrayView text) {
    text_window_send_->display(text);
}

void fm_kestrune::disply_rec(QByteArrayView text) {
    text_window_receive_->display(text);
}

} // namespace kestrune::app
