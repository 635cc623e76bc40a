#include "app/wits_controls.h"

#include "app/fm_kestrune.h"
#include "app/look.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>

namespace kestrune::app {

WitsControls::WitsControls(fm_kestrune* window) : QObject(window), window_(window) {
    auto find = [window]<class T>(T*& into, const QString& name) {
        into = window->findChild<T*>(name);
    };
    find(cmd_wits_type_, QStringLiteral("cmd_wits_type"));
    find(op_sim_pason_req_, QStringLiteral("op_sim_pason_req"));
    find(op_sim_pason_auto_, QStringLiteral("op_sim_pason_auto"));
    find(chk_random_noise_, QStringLiteral("chk_random_noise"));
    for (std::size_t i = 0; i < rates_.size(); ++i) {
        find(rates_[i], QStringLiteral("txt_Pump%1SPM").arg(i + 1));
    }
    find(txt_msg_timer_, QStringLiteral("txt_msg_timer"));
    find(lbl_last_packet_sent_, QStringLiteral("lbl_last_packet_sent"));
    find(lbl_PktSize_, QStringLiteral("lbl_PktSize"));
}

QByteArray WitsControls::witsTypeCaption() const {
    return cmd_wits_type_->text().toLatin1();
}

bool WitsControls::pasonModeSelected() const {
    return op_sim_pason_req_->isChecked() || op_sim_pason_auto_->isChecked();
}

bool WitsControls::requestModeSelected() const {
    return op_sim_pason_req_->isChecked();
}

QByteArray WitsControls::pumpRateText(int pump) const {
    return bytesOf(rates_[static_cast<std::size_t>(pump - 1)]);
}

bool WitsControls::randomNoiseChecked() const {
    return chk_random_noise_->isChecked();
}

QByteArray WitsControls::msgTimerText() const {
    return bytesOf(txt_msg_timer_);
}

void WitsControls::setLastPacketSentCaption(QByteArrayView caption) {
    setCaption(lbl_last_packet_sent_, caption);
}

void WitsControls::setPktSizeCaption(QByteArrayView caption) {
    setCaption(lbl_PktSize_, caption);
}

void WitsControls::disply_text(QByteArrayView text) {
    window_->disply_text(text);
}

void WitsControls::disply_rec(QByteArrayView text) {
    window_->holdDrawingForTheTick();
    window_->disply_rec(text);
}

void WitsControls::letPendingEventsRun() {
    window_->holdDrawingForTheTick();
    QCoreApplication::processEvents();
}

bool WitsControls::programEnded() const {
    return window_->unloaded();
}

} // namespace kestrune::app
