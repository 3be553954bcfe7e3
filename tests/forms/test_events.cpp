// The forms layer's event model, driven by simulated input: nothing raised
// while a window is laid out, a slider's drag, control arrays that change
// after load, keys through KeyPreview to the focused control.
#include "Controls.h"
#include "Form.h"
#include "TestEnv.h"
#include "VbError.h"
#include "Windows.h"

#include <QApplication>
#include <QSlider>
#include <QStyleOptionSlider>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

class Frm_events : public forms::Form {
public:
    Frm_events() : Form("Frm_events") {
        Chk_show.Click = [this] { log.push_back("Chk_show_Click"); };
        Txt_name.Change = [this] { log.push_back("Txt_name_Change"); };
        Sld_play.Scroll = [this] { log.push_back("Sld_play_Scroll"); };
        Sld_play.Change = [this] { log.push_back("Sld_play_Change"); };
        Sld_play.KeyDown = [this](int32_t& code, int32_t) {
            log.push_back("Sld_play_KeyDown " + std::to_string(code));
            if (stop_in_control) code = 0;
        };
        Sld_play.KeyPress = [this](int32_t& ascii) {
            log.push_back("Sld_play_KeyPress " + std::to_string(ascii));
        };
        for (int i = 0; i < 2; ++i)
            watch(Opt_lane.Add(i));
    }
    void watch(forms::OptionButton& o) {
        const int i = o.Index();
        o.Click = [this, i] { log.push_back("Opt_lane_Click " + std::to_string(i)); };
    }

    forms::CheckBox Chk_show{this, "Chk_show"};
    forms::TextBox Txt_name{this, "Txt_name"};
    forms::Slider Sld_play{this, "Sld_play"};
    forms::ControlArray<forms::OptionButton> Opt_lane{this, "Opt_lane"};
    std::vector<std::string> log;
    bool stop_in_form = false, stop_in_control = false;

protected:
    void Design() override {
        Move(0, 0, 7000, 3000);
        Sld_play.Move(120, 120, 6000, 600);
        Txt_name.Move(120, 900, 3000, 400);
        Chk_show.Move(120, 1500, 3000, 400);
        Opt_lane(0).Move(3300, 900, 1500, 400);
        Opt_lane(1).Move(3300, 1500, 1500, 400);
        // Design-time values: none of these raise an event.
        Chk_show.Value(forms::vbChecked);
        Txt_name.Text("heat");
        Sld_play.Max(100);
        Sld_play.Value(10);
        Opt_lane(1).Value(true);
    }
    void Form_Load() override { log.push_back("Form_Load"); }
    void Form_KeyDown(int32_t& code, int32_t) override {
        log.push_back("Form_KeyDown " + std::to_string(code));
        if (stop_in_form) code = 0;
    }
    void Form_KeyPress(int32_t& ascii) override { log.push_back("Form_KeyPress " + std::to_string(ascii)); }
};

class Events : public ::testing::Test {
protected:
    void SetUp() override {
        forms::Instance<Frm_events>().Unload();
        forms::Instance<Frm_events>().log.clear();
        forms::Instance<Frm_events>().KeyPreview(false);
        forms::Instance<Frm_events>().stop_in_form = forms::Instance<Frm_events>().stop_in_control = false;
    }
    // Loaded and shown, the log emptied.
    Frm_events& shown() {
        Frm_events& f = forms::Instance<Frm_events>();
        f.Show();
        QApplication::processEvents();
        f.log.clear();
        return f;
    }
};

TEST_F(Events, ValuesSetWhileDesigningRaiseNothingThenEventsFlow) {
    Frm_events& f = forms::Instance<Frm_events>();
    EXPECT_TRUE(f.Chk_show.Value() == forms::vbChecked) << "loads the window";
    EXPECT_EQ(f.log, std::vector<std::string>{"Form_Load"});
    EXPECT_TRUE(f.Opt_lane(1).Value());
    f.log.clear();
    f.Chk_show.Value(forms::vbUnchecked);
    f.Txt_name.Text("heat 2");
    f.Sld_play.Value(20);
    f.Opt_lane(0).Value(true);
    EXPECT_EQ(f.log, (std::vector<std::string>{"Chk_show_Click", "Txt_name_Change", "Sld_play_Change",
                                               "Opt_lane_Click 0"}));
}

TEST_F(Events, SliderDragScrollsAndChangesOnceOnRelease) {
    Frm_events& f = shown();
    QSlider* s = test_env::widget_as<QSlider>(f, "Sld_play");
    ASSERT_NE(s, nullptr);
    QStyleOptionSlider opt;
    opt.initFrom(s);
    opt.orientation = s->orientation();
    opt.minimum = s->minimum();
    opt.maximum = s->maximum();
    opt.sliderPosition = opt.sliderValue = s->value();
    const QPoint thumb =
        s->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, s).center();
    QTest::mousePress(s, Qt::LeftButton, {}, thumb);
    for (int dx = 20; dx <= 100; dx += 20)
        QTest::mouseMove(s, thumb + QPoint(dx, 0));
    EXPECT_GT(f.log.size(), 1u);
    for (const auto& e : f.log)
        EXPECT_EQ(e, "Sld_play_Scroll") << "only Scroll while the thumb is held";
    QTest::mouseRelease(s, Qt::LeftButton, {}, thumb + QPoint(100, 0));
    EXPECT_EQ(f.log.back(), "Sld_play_Change");
    EXPECT_EQ(std::count(f.log.begin(), f.log.end(), "Sld_play_Change"), 1);
    EXPECT_GT(f.Sld_play.Value(), 10);
    // A page step from the keyboard: Scroll and Change at once.
    f.log.clear();
    QTest::keyClick(s, Qt::Key_PageUp);
    EXPECT_EQ(f.log, (std::vector<std::string>{"Sld_play_KeyDown 33", "Sld_play_Scroll", "Sld_play_Change"}));
}

TEST_F(Events, ControlArrayGrowsAndShrinksAfterLoad) {
    Frm_events& f = shown();
    forms::OptionButton& added = f.Opt_lane.Add(2);
    f.watch(added);
    added.Move(3300, 2100, 1500, 400);
    added.Caption("Lane 2");
    ASSERT_NE(test_env::widget_of(f, "Opt_lane(2)"), nullptr) << "its widget is built at once";
    QTest::mouseClick(test_env::widget_of(f, "Opt_lane(2)"), Qt::LeftButton);
    EXPECT_EQ(f.log, std::vector<std::string>{"Opt_lane_Click 2"});
    EXPECT_TRUE(f.Opt_lane(2).Value());
    f.Opt_lane.Unload(2);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(f.Opt_lane.Exists(2));
    EXPECT_EQ(test_env::widget_of(f, "Opt_lane(2)"), nullptr) << "its widget went with it";
    EXPECT_THROW(f.Opt_lane(2), vb::VbError);
    // Indexing an element of an unloaded window loads the window first.
    f.Unload();
    EXPECT_FALSE(f.Opt_lane(0).Value());
    EXPECT_TRUE(f.IsLoaded());
}

TEST_F(Events, KeysReachTheFocusedControlAfterThePreview) {
    struct Case {
        const char* what;
        bool preview, stop_in_form, stop_in_control;
        Qt::Key key;
        std::vector<std::string> keys; // the key events raised, in order
        int value;                     // the slider's value after the key
    };
    const Case cases[] = {
        {"digit, no preview",
         false,
         false,
         false,
         Qt::Key_5,
         {"Sld_play_KeyDown 53", "Sld_play_KeyPress 53"},
         10},
        {"digit with preview",
         true,
         false,
         false,
         Qt::Key_5,
         {"Form_KeyDown 53", "Sld_play_KeyDown 53", "Form_KeyPress 53", "Sld_play_KeyPress 53"},
         10},
        {"arrow moves the slider", false, false, false, Qt::Key_Right, {"Sld_play_KeyDown 39"}, 11},
        {"control stops the arrow", false, false, true, Qt::Key_Right, {"Sld_play_KeyDown 39"}, 10},
        {"window stops the arrow", true, true, false, Qt::Key_Right, {"Form_KeyDown 39"}, 10},
        {"preview passes the arrow",
         true,
         false,
         false,
         Qt::Key_Right,
         {"Form_KeyDown 39", "Sld_play_KeyDown 39"},
         11},
    };
    for (const Case& c : cases) {
        Frm_events& f = shown();
        f.Sld_play.Value(10);
        f.KeyPreview(c.preview);
        f.stop_in_form = c.stop_in_form;
        f.stop_in_control = c.stop_in_control;
        f.Sld_play.SetFocus();
        f.log.clear();
        QTest::keyClick(test_env::widget_of(f, "Sld_play"), c.key);
        std::vector<std::string> keys;
        for (const auto& e : f.log)
            if (e.find("Key") != std::string::npos) keys.push_back(e);
        EXPECT_EQ(keys, c.keys) << c.what;
        EXPECT_EQ(f.Sld_play.Value(), c.value) << c.what;
        f.Unload();
    }
}

} // namespace
