#pragma once

#include "drilling/drilling_window.h"

#include <QObject>
#include <functional>

class QLabel;
class QLineEdit;
class QRadioButton;
class QWidget;

namespace kestrune::app {

// The drilling frames' controls as the depth engine and the bottom cycle see them. The two steps
// of other subsystems that the maintenance tick runs are handed in.
class DrillingControls final : public QObject, public drilling::DrillingWindow {
    Q_OBJECT
public:
    struct Steps {
        std::function<void(QByteArrayView)> disply_text;
        std::function<void()> blinkStep;
        std::function<Status()> pumpRunPolicy;
    };
    DrillingControls(QWidget* window, Steps steps);

    QByteArray txt_depth_text() const override;
    void set_txt_depth_text(QByteArrayView text) override;
    void set_txt_depth_back(Rgb colour) override;
    void set_txt_bit_depth_text(QByteArrayView text) override;
    void set_lbl_drilling_status_caption(QByteArrayView caption) override;
    void set_lbl_drilling_status_back(Rgb colour) override;
    void set_lbl_drilling_status_text_colour(Rgb colour) override;
    void set_lbl_connection_info_caption(QByteArrayView caption) override;
    void set_lbl_sec_timer_caption(QByteArrayView caption) override;
    void set_lbl_TimerReload_caption(QByteArrayView caption) override;
    drilling::BottomMode bottom_mode() const override;
    bool op_RNDsec_selected() const override;
    void set_txt_on_bot_timer_text(QByteArrayView text) override;
    void set_txt_off_bot_timer_text(QByteArrayView text) override;
    void disply_text(QByteArrayView text) override;
    void blinkStep() override;
    Status pumpRunPolicy() override;

private:
    QLineEdit* txt_depth_;
    QLineEdit* txt_bit_depth_;
    QLabel* lbl_drilling_status_;
    QLabel* lbl_connection_info_;
    QLabel* lbl_sec_timer_;
    QLabel* lbl_TimerReload_;
    QLineEdit* txt_on_bot_timer_;
    QLineEdit* txt_off_bot_timer_;
    QRadioButton* op_RNDsec_;
    std::array<std::pair<QRadioButton*, drilling::BottomMode>, 6> modes_;
    Steps steps_;
};

} // namespace kestrune::app
