#include "app/window_layout.h"

#include "app/caption_button.h"
#include "app/caption_label.h"
#include "app/frame_box.h"
#include "app/look.h"
#include "app/traffic_window.h"
#include "app/window_texts.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QWidget>
#include <algorithm>
#include <map>
#include <vector>

namespace kestrune::app {
namespace {

enum class Kind { Frame, Label, Text, LockedText, Traffic, Option, Check, Button };

struct Control {
    Kind kind;
    const char* name;
    const char* parent; // nullptr: directly on the window
    const char* caption;
    int left, top, width, height; // twips
    int tab;
    FontKind font = FontKind::Regular;
};

// Every frame and control, parents before their children.
const std::vector<Control>& controls() {
    using enum Kind;
    using enum FontKind;
    static const std::vector<Control> table = {
        {Frame, "Frame1", nullptr, "EDR Simuation Mode", 90, 495, 2940, 2790, 9, Bold},
        {Frame, "Frame5", nullptr, "ROP", 3060, 495, 2355, 2790, 23, Bold},
        {Frame, "Frame4", nullptr, "Off Bottom Bit Control", 5445, 495, 3300, 2790, 17, Bold},
        {Frame, "Frame7", "Frame4", "Timers", 120, 1800, 3120, 780, 33, Bold},
        {Frame, "Frame6", nullptr, "Pumps", 60, 3300, 8670, 1185, 46, Bold},
        {Frame, "Frame2", nullptr, "Current Depth", 45, 4545, 1725, 645, 13, Bold},
        {Frame, "Frame3", nullptr, "Bit Depth", 1800, 4545, 1725, 645, 15, Bold},

        {Button, "cmd_comm", nullptr, "Com Port", 135, 90, 1275, 285, 0},
        {Text, "txt_comport", nullptr, "1", 1440, 90, 285, 285, 3},
        {Text, "txt_baudrate", nullptr, "9600,n,8,1", 1710, 90, 1635, 285, 4},
        {Button, "cmd_start_wits", nullptr, kStoppedCaption, 3465, 90, 2490, 330, 2},
        {Button, "cmd_wits_type", nullptr, kHalfWitsCaption, 6120, 90, 1275, 330, 5},
        {Button, "cmd_edit_wits", nullptr, "Edit Wits File", 7470, 90, 1275, 330, 30},
        {Label, "lbl_sec_timer", nullptr, "Gseconds Counter", 3780, 4620, 1920, 240, 66, LargeBold},
        {Label, "lbl_TimerReload", nullptr, "Gtimer Reload", 3780, 4920, 1515, 240, 67, LargeBold},
        {Label, "lbl_PktSize", nullptr, "Pkt Size", 6540, 4980, 585, 195, 68},
        {Traffic, "text_window_send", nullptr, "", 45, 5280, 4290, 3075, 1, Bold},
        {Traffic, "text_window_receive", nullptr, "", 4590, 5310, 4155, 3075, 6, Bold},
        {Label, "Label2", nullptr, "Sending To Traskel", 765, 8415, 2520, 240, 7, LargeBold},
        {Label, "Label3", nullptr, "Receiving From Traskel", 5085, 8415, 2970, 240, 8, LargeBold},

        {Option, "op_sim_pason_req", "Frame1", "Sim Pason Request Mode", 90, 225, 2310, 195, 44},
        {Option, "op_sim_pason_auto", "Frame1", "Sim Pason Auto", 90, 450, 1680, 195, 10},
        {Option, "op_sim_epic", "Frame1", "Sim EPIC", 90, 675, 1140, 195, 12},
        {Option, "op_sim_totco", "Frame1", "Sim TOTCO", 90, 900, 1275, 195, 11},
        {Text, "txt_msg_timer", "Frame1", "2", 135, 1305, 465, 240, 42},
        {Label, "Label5", "Frame1", "Seconds Per Automatic WITS Packet Sent", 630, 1350, 2220, 375,
         43},
        {Check, "chk_random_noise", "Frame1", "Add Random Noise", 135, 1935, 1815, 285, 31},
        {Label, "lbl_last_packet_sent", "Frame1", "Last Packet sent 00:00:00", 135, 2295, 2715, 285,
         45, Bold},

        {Option, "op_600sec", "Frame5", "ROP 10 Min / Ft", 135, 270, 1545, 195, 24},
        {Option, "op_300sec", "Frame5", "ROP 5 Min / Ft", 135, 495, 1545, 195, 28},
        {Option, "op_120sec", "Frame5", "ROP 2 Min / Ft", 135, 720, 1545, 195, 27},
        {Option, "op_60sec", "Frame5", "ROP 1 Min / Ft", 135, 945, 1545, 195, 26},
        {Option, "op_10sec", "Frame5", "ROP 10 Sec/ Ft", 135, 1170, 1545, 195, 25},
        {Option, "op_05sec", "Frame5", "ROP 5 Sec/ Ft", 135, 1395, 1545, 195, 38},
        {Option, "op_02sec", "Frame5", "ROP 2 Sec/ Ft", 135, 1620, 1545, 195, 39},
        {Option, "op_01sec", "Frame5", "ROP 1 Sec/ Ft", 135, 1845, 1545, 195, 40},
        {Option, "op_RNDsec", "Frame5", "ROP Random Sec/ Ft", 135, 2070, 1905, 195, 41},
        {Label, "lbl_drilling_status", "Frame5", "  OFF BOTTOM  ", 60, 2280, 2250, 420, 50, Status},

        {Option, "op_on_bottom", "Frame4", "On Bottom", 135, 225, 1500, 195, 18},
        {Option, "op_off_bottom", "Frame4", "Off Bottom", 135, 450, 1500, 195, 19},
        {Option, "op_off_bottom_10", "Frame4", "Off Bottom Every 10min for 3 min", 135, 675, 2940,
         195, 22},
        {Option, "op_off_bottom_30", "Frame4", "Off Bottom Every 30min for 3 min", 135, 900, 2985,
         195, 20},
        {Option, "op_off_bottom_60", "Frame4", "Off Bottom Every 60min for 3 min", 135, 1125, 2940,
         195, 21},
        {Option, "op_off_bottom_every32", "Frame4", "Off Bottom Every 32 ft for 5 min", 135, 1350,
         2670, 195, 29},
        {Label, "lbl_connection_info", "Frame4", "Connection In x Ft", 1020, 1620, 1290, 195, 32},
        {Label, "Label1", "Frame7", "On Bottom Tmr", 270, 180, 1065, 195, 37},
        {Label, "Label4", "Frame7", "Off Bottom Tmr", 1755, 180, 1065, 195, 36},
        {LockedText, "txt_on_bot_timer", "Frame7", "0", 270, 405, 1140, 300, 35, LargeBold},
        {LockedText, "txt_off_bot_timer", "Frame7", "0", 1755, 405, 1140, 300, 34, LargeBold},

        {Label, "Label6", "Frame6", "Pump 1 SPM", 180, 240, 930, 195, 51},
        {Label, "Label7", "Frame6", "Pump 2 SPM", 180, 540, 930, 195, 52},
        {Label, "Label8", "Frame6", "Pump 3 SPM", 180, 840, 930, 195, 53},
        {Text, "txt_Pump1SPM", "Frame6", "77", 1260, 180, 555, 285, 54},
        {Text, "txt_Pump2SPM", "Frame6", "82", 1260, 480, 555, 285, 55},
        {Text, "txt_Pump3SPM", "Frame6", "15", 1260, 780, 555, 285, 56},
        {Label, "Label10", "Frame6", "Total Strokes", 1920, 240, 945, 195, 59},
        {Label, "Label11", "Frame6", "Total Strokes", 1920, 540, 945, 195, 60},
        {Label, "Label12", "Frame6", "Total Strokes", 1920, 840, 945, 195, 61},
        {Text, "txt_Pump1TS", "Frame6", "0", 2940, 180, 1755, 285, 62},
        {Text, "txt_Pump2TS", "Frame6", "0", 2940, 480, 1755, 285, 63},
        {Text, "txt_Pump3TS", "Frame6", "0", 2940, 780, 1755, 285, 64},
        {Button, "cmd_Reset_TS", "Frame6", "Reset Total Strokes", 4800, 180, 1095, 615, 65},
        {Label, "Label9", "Frame6", "Total Strokes", 4920, 840, 945, 195, 58},
        {Text, "txt_TotalStrokes", "Frame6", "0", 6000, 840, 2115, 255, 57},
        {Option, "op_pumps_on", "Frame6", "Pumps Always On", 6000, 180, 2100, 240, 49},
        {Option, "op_pumps_off", "Frame6", "Pumps Always Off", 6000, 420, 2145, 195, 48},
        {Option, "op_pumps_off_on_con", "Frame6", "Pumps Off When Off Bottom", 6000, 600, 2385, 255,
         47},

        {Text, "txt_depth", "Frame2", "2000.00", 90, 225, 1545, 330, 14, LargeBold},
        {LockedText, "txt_bit_depth", "Frame3", "2000.00", 90, 225, 1545, 330, 16, LargeBold},
    };
    return table;
}

QWidget* create(const Control& control, QWidget* parent) {
    const QString caption = QString::fromLatin1(control.caption);
    switch (control.kind) {
    case Kind::Frame:
        return new FrameBox(caption, parent);
    case Kind::Label:
        return new CaptionLabel(caption, parent);
    case Kind::Text:
    case Kind::LockedText: {
        auto* box = new QLineEdit(caption, parent);
        box->setReadOnly(control.kind == Kind::LockedText);
        return box;
    }
    case Kind::Traffic: {
        const bool send = QByteArrayView(control.name) == "text_window_send";
        return send ? new TrafficWindow(kSendTrimAbove, kSendKeepLast, parent)
                    : new TrafficWindow(kReceiveTrimAbove, kReceiveKeepLast, parent);
    }
    case Kind::Option:
        return new QRadioButton(caption, parent);
    case Kind::Check:
        return new QCheckBox(caption, parent);
    case Kind::Button:
        return new CaptionButton(caption, parent);
    }
    return nullptr;
}

template <class T = QWidget> T* named(QWidget* window, const char* name) {
    return window->findChild<T*>(QString::fromLatin1(name));
}

// Looks that differ from a control's kind: colours, tool tips, start selections.
void applyLooks(QWidget* window) {
    auto back = [window](const char* name, const QColor& colour) {
        setBackColour(named(window, name), colour);
    };
    auto text = [window](const char* name, const QColor& colour) {
        setTextColour(named(window, name), colour);
    };
    auto tip = [window](const char* name, const char* tooltip) {
        named(window, name)->setToolTip(QString::fromLatin1(tooltip));
    };

    back("cmd_start_wits", kRed);
    back("cmd_wits_type", kWitsTypeBack);
    back("cmd_edit_wits", kEditWitsBack);
    back("cmd_Reset_TS", kRed);
    for (const char* traffic : {"text_window_send", "text_window_receive"}) {
        back(traffic, kTrafficBack);
        text(traffic, kTrafficText);
    }
    tip("text_window_send", "This is data going to the Traskel");
    tip("text_window_receive", "This is data coming from the Traskel");
    tip("chk_random_noise",
        "This adds some random noise into the data stream to simulate noisy data lines");
    tip("txt_depth", "Edit your depth here");
    tip("txt_on_bot_timer", "Time before coming off bottom");
    tip("txt_off_bot_timer", "Time to stay off bottom");

    back("lbl_drilling_status", kOffBottomBack);
    text("lbl_drilling_status", kWhite);
    named<QLabel>(window, "lbl_drilling_status")->setAlignment(Qt::AlignCenter);
    text("lbl_connection_info", kConnectionText);
    named<QLabel>(window, "Label5")->setWordWrap(true);

    for (const char* locked : {"txt_on_bot_timer", "txt_off_bot_timer", "txt_bit_depth"}) {
        back(locked, kLockedBack);
        text(locked, kLockedText);
    }
    named<QLineEdit>(window, "txt_bit_depth")->setFrame(false);

    for (const char* selected :
         {"op_sim_pason_auto", "op_60sec", "op_off_bottom_every32", "op_pumps_off_on_con"}) {
        named<QRadioButton>(window, selected)->setChecked(true);
    }
}

// Whether a control lies on the window itself, clear of every control beneath it: then what is
// under it is the window's plain colour and nothing else.
bool liesClearOnTheWindow(const QWidget* widget, const QWidget* window) {
    if (widget->parentWidget() != window || !window->contentsRect().contains(widget->geometry())) {
        return false;
    }
    for (const QObject* sibling : window->children()) {
        if (sibling == widget) {
            return true; // the rest lie above it and draw over it anyway
        }
        const auto* below = qobject_cast<const QWidget*>(sibling);
        if (below && below->geometry().intersects(widget->geometry())) {
            return false;
        }
    }
    return true;
}

// A label or frame that is drawn again on a timer, directly or because a box inside it changed,
// would otherwise have the window under it drawn again each time. Where that is the window's
// plain colour the control paints it itself, which draws the same pixels: a label fills its
// background, a frame draws from a picture of itself. Frames tint their insides and boxes round
// their corners, so controls inside frames keep drawing over what is beneath them.
void paintOwnBackgrounds(QWidget* window) {
    for (QLabel* label : window->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        if (liesClearOnTheWindow(label, window)) {
            label->setAutoFillBackground(true);
        }
    }
    for (FrameBox* frame : window->findChildren<FrameBox*>(Qt::FindDirectChildrenOnly)) {
        frame->setDrawsFromPicture(liesClearOnTheWindow(frame, window));
    }
}

} // namespace

void buildControls(QWidget* window) {
    window->setFont(windowFont(FontKind::Regular));
    std::vector<std::pair<int, QWidget*>> focusOrder;
    for (const Control& control : controls()) {
        QWidget* parent = control.parent ? named(window, control.parent) : window;
        QWidget* widget = create(control, parent);
        widget->setObjectName(QString::fromLatin1(control.name));
        widget->setGeometry(twipsRect(control.left, control.top, control.width, control.height));
        widget->setFont(windowFont(control.font));
        if (widget->focusPolicy() != Qt::NoFocus) {
            focusOrder.emplace_back(control.tab, widget);
        }
    }
    // Frames draw their captions bold; their children keep the fonts set above.
    applyLooks(window);
    // The substitute fonts run wider than the original's: captions that would be clipped widen
    // their label or option to the right, keeping position and height.
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        const bool caption =
            qobject_cast<QRadioButton*>(widget) || qobject_cast<QCheckBox*>(widget) ||
            (qobject_cast<QLabel*>(widget) && !qobject_cast<QLabel*>(widget)->wordWrap());
        if (caption && widget->sizeHint().width() > widget->width()) {
            widget->resize(widget->sizeHint().width(), widget->height());
        }
    }

    paintOwnBackgrounds(window);

    std::sort(focusOrder.begin(), focusOrder.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < focusOrder.size(); ++i) {
        QWidget::setTabOrder(focusOrder[i - 1].second, focusOrder[i].second);
    }
}

} // namespace kestrune::app
