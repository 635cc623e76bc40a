#pragma once

#include "wits/wits_window.h"

#include <QObject>
#include <array>
#include <functional>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QWidget;

namespace kestrune::app {

class fm_kestrune;

// The controls the record builder and the send scheduler read and write.
class WitsControls final : public QObject, public wits::WitsWindow {
    Q_OBJECT
public:
    explicit WitsControls(fm_kestrune* window);

    QByteArray witsTypeCaption() const override;
    bool pasonModeSelected() const override;
    bool requestModeSelected() const override;
    QByteArray pumpRateText(int pump) const override;
    bool randomNoiseChecked() const override;
    QByteArray msgTimerText() const override;
    void setLastPacketSentCaption(QByteArrayView caption) override;
    void setPktSizeCaption(QByteArrayView caption) override;
    void disply_text(QByteArrayView text) override;
    void disply_rec(QByteArrayView text) override;
    void letPendingEventsRun() override;
    bool programEnded() const override;

private:
    fm_kestrune* window_;
    QAbstractButton* cmd_wits_type_;
    QAbstractButton* op_sim_pason_req_;
    QAbstractButton* op_sim_pason_auto_;
    QAbstractButton* chk_random_noise_;
    std::array<QLineEdit*, 3> rates_;
    QLineEdit* txt_msg_timer_;
    QLabel* lbl_last_packet_sent_;
    QLabel* lbl_PktSize_;
};

} // namespace kestrune::app
