#include "app/drilling_controls.h"

#include "app/fm_kestrune.h"
#include "app/look.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace kestrune::app {
DrillingControls::DrillingControls(QWidget* window, Steps steps)
    : QObject(window), steps_(std::move(steps)) {
    auto find = [window]<class T>(T*& into, const char* name) {
        into = window->findChild<T*>(QString::fromLatin1(name));
    };
    find(txt_depth_, "txt_depth");
    find(txt_bit_depth_, "txt_bit_depth");
    find(lbl_drilling_status_, "lbl_drilling_status");
    find(lbl_connection_info_, "lbl_connection_info");
    find(lbl_sec_timer_, "lbl_sec_timer");
    find(lbl_TimerReload_, "lbl_TimerReload");
    find(txt_on_bot_timer_, "txt_on_bot_timer");
    find(txt_off_bot_timer_, "txt_off_bot_timer");
    find(op_RNDsec_, "op_RNDsec");
    using enum drilling::BottomMode;
    const std::pair<const char*, drilling::BottomMode> modes[] = {
        {"op_on_bottom", OnBottom},    {"op_off_bottom", OffBottom},
        {"op_off_bottom_10", Every10}, {"op_off_bottom_30", Every30},
        {"op_off_bottom_60", Every60}, {"op_off_bottom_every32", Every32}};
    for (std::size_t i = 0; i < modes_.size(); ++i) {
        find(modes_[i].first, modes[i].first);
        modes_[i].second = modes[i].second;
    }
}

QByteArray DrillingControls::txt_depth_text() const {
    return bytesOf(txt_depth_);
}
void DrillingControls::set_txt_depth_text(QByteArrayView text) {
    setBytes(txt_depth_, text);
}
void DrillingControls::set_txt_depth_back(Rgb colour) {
    setBackColour(txt_depth_, toQColor(colour));
}
void DrillingControls::set_txt_bit_depth_text(QByteArrayView text) {
    setBytes(txt_bit_depth_, text);
}
void DrillingControls::set_lbl_drilling_status_caption(QByteArrayView caption) {
    setCaption(lbl_drilling_status_, caption);
}
void DrillingControls::set_lbl_drilling_status_back(Rgb colour) {
    setBackColour(lbl_drilling_status_, toQColor(colour));
}
void DrillingControls::set_lbl_drilling_status_text_colour(Rgb colour) {
    setTextColour(lbl_drilling_status_, toQColor(colour));
}
void DrillingControls::set_lbl_connection_info_caption(QByteArrayView caption) {
    setCaption(lbl_connection_info_, caption);
}
void DrillingControls::set_lbl_sec_timer_caption(QByteArrayView caption) {
    setCaption(lbl_sec_timer_, caption);
}
void DrillingControls::set_lbl_TimerReload_caption(QByteArrayView caption) {
    setCaption(lbl_TimerReload_, caption);
}

drilling::BottomMode DrillingControls::bottom_mode() const {
    for (const auto& [option, mode] : modes_) {
        if (option->isChecked()) {
            return mode;
        }
    }
    return drilling::BottomMode::Every32;
}

bool DrillingControls::op_RNDsec_selected() const {
    return op_RNDsec_->isChecked();
}
void DrillingControls::set_txt_on_bot_timer_text(QByteArrayView text) {
    setBytes(txt_on_bot_timer_, text);
}
void DrillingControls::set_txt_off_bot_timer_text(QByteArrayView text) {
    setBytes(txt_off_bot_timer_, text);
}
void DrillingControls::disply_text(QByteArrayView text) {
    steps_.disply_text(text);
}
void DrillingControls::blinkStep() {
    steps_.blinkStep();
}
Status DrillingControls::pumpRunPolicy() {
    return steps_.pumpRunPolicy();
}

} // namespace kestrune::app
