// Destroying the window while one of its pump boxes has the focus. QWidget's destructor closes
// the window and the box loses the focus; the box's focus handler must not then run on the
// window, whose own destructor has already finished (the undefined-behaviour sanitizer reports
// that member call as one on a mere QWidget).

#include "app/fm_kestrune.h"
#include "core/clock.h"
#include "core/random_source.h"
#include "serial/fake_comm_port.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <memory>

namespace kestrune::app {
namespace {

class Application : public ::testing::Environment {
public:
    void SetUp() override { app_ = std::make_unique<QApplication>(argc_, argv_); }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[32] = "fuzz_regressions_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] const auto* const kApplication =
    ::testing::AddGlobalTestEnvironment(new Application);

// A shown, active window with the focus in one of its boxes.
class WindowTeardown : public ::testing::Test {
protected:
    QLineEdit* focus(const char* name) {
        services.port = &port;
        services.clock = &clock;
        services.random = &random;
        services.liveTimers = false;
        services.endProgram = [] {};
        window = std::make_unique<fm_kestrune>(services);
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        auto* box = window->findChild<QLineEdit*>(QString::fromLatin1(name));
        EXPECT_NE(box, nullptr);
        if (box != nullptr) {
            box->setFocus();
            EXPECT_TRUE(box->hasFocus());
        }
        return box;
    }

    serial::FakeCommPort port;
    FixedClock clock{QDateTime(QDate(2026, 12, 8), QTime(9, 5, 7))};
    SequenceRandomSource random{{0.5}};
    WindowServices services;
    std::unique_ptr<fm_kestrune> window;
};

// Leaving a rate box of "00" writes "0" into it. Seen from the box, that write must not come
// once the window is no longer an fm_kestrune, that is after its destructor has finished.
TEST_F(WindowTeardown, LeavingARateBoxIsNotHandledByTheGoneWindow) {
    QLineEdit* box = focus("txt_Pump1SPM");
    ASSERT_NE(box, nullptr);
    box->setText(QStringLiteral("00"));
    ASSERT_EQ(box->text(), QStringLiteral("00"));
    bool changedByGoneWindow = false;
    QObject::connect(box, &QLineEdit::textChanged, box, [box, &changedByGoneWindow] {
        if (qobject_cast<fm_kestrune*>(box->window()) == nullptr) {
            changedByGoneWindow = true;
        }
    });
    window.reset();
    EXPECT_FALSE(changedByGoneWindow);
}

// The count boxes only write the window's own record, which is gone by then: in an ordinary
// build nothing shows, under the sanitizers the call itself fails the test.
class CountBoxTeardown : public WindowTeardown,
                         public ::testing::WithParamInterface<const char*> {};

TEST_P(CountBoxTeardown, LeavingACountBoxIsNotHandledByTheGoneWindow) {
    ASSERT_NE(focus(GetParam()), nullptr);
    window.reset();
}

INSTANTIATE_TEST_SUITE_P(Boxes, CountBoxTeardown,
                         ::testing::Values("txt_Pump2TS", "txt_TotalStrokes"));

} // namespace
} // namespace kestrune::app
