// The list view, up-down, shapes, a picture button and the file dialog in one
// test window, driven by simulated clicks and keys; the pop-up menu and modal
// window doubles; a screenshot of the window in build/test-output/.
#include "CommonDialog.h"
#include "Controls.h"
#include "Form.h"
#include "ListView.h"
#include "Shape.h"
#include "TestEnv.h"
#include "UpDown.h"
#include "VbError.h"
#include "Windows.h"

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

class Frm_controls : public forms::Form {
public:
    Frm_controls() : Form("Frm_controls") {
        ListView_prop.ItemClick = [this](int32_t i) {
            Label_selected_friendly.Caption(ListView_prop.SubItems(i, 1));
            log.push_back("ItemClick " + std::to_string(i));
        };
        UpDown_Lanes.MouseUp = [this](int32_t, int32_t, float, float) {
            Lbl_num_lanes.Caption(std::to_string(UpDown_Lanes.Value()));
        };
        for (int i = 0; i < 3; ++i)
            Shp_lane.Add(i);
        Cmd_open.Click = [this] {
            Dlg_open.FileName.clear();
            Lbl_file.Caption(Dlg_open.ShowOpen() ? Dlg_open.FileName : "cancelled");
        };
        item_zoom.Click = [this] { log.push_back("item_zoom_Click"); };
    }

    forms::ListView ListView_prop{this, "ListView_prop"};
    forms::Label Label_selected_friendly{this, "Label_selected_friendly"};
    forms::UpDown UpDown_Lanes{this, "UpDown_Lanes"};
    forms::Label Lbl_num_lanes{this, "Lbl_num_lanes"};
    forms::ControlArray<forms::Shape> Shp_lane{this, "Shp_lane"};
    forms::CommandButton Cmd_open{this, "Cmd_open"};
    forms::Label Lbl_file{this, "Lbl_file"};
    forms::CommonDialog Dlg_open{this, "Dlg_open"};
    forms::Menu menu_form{this, "menu_form", nullptr, "Form"};
    forms::Menu item_zoom{this, "item_zoom", &menu_form, "Zoom"};
    std::vector<std::string> log;

protected:
    void Design() override {
        Caption("Controls");
        Move(0, 0, 9600, 6000);
        ListView_prop.Move(120, 120, 6500, 2400);
        ListView_prop.ColumnHeaders_Add("srcnum", "Sn", 400);
        ListView_prop.ColumnHeaders_Add("source", "Video Source", 3500);
        ListView_prop.ColumnHeaders_Add("propnum", "Pn", 400);
        ListView_prop.ColumnHeaders_Add("prop", "Properties", 2000);
        Label_selected_friendly.Move(120, 2640, 6500, 300);
        UpDown_Lanes.Move(6800, 120, 300, 600);
        UpDown_Lanes.Min(1);
        UpDown_Lanes.Max(8);
        UpDown_Lanes.Value(6);
        Lbl_num_lanes.Move(7200, 240, 800, 300);
        for (int i = 0; i < 3; ++i) {
            forms::Shape& s = Shp_lane(i);
            s.Move(6800 + 900 * (i % 2), 1200 + 900 * i / 2, 720, 720);
            s.Kind(i == 1 ? forms::vbShapeOval : forms::vbShapeRectangle);
            s.FillStyle(forms::vbFSSolid);
            s.FillColor(i == 0 ? 0x0000FF : i == 1 ? 0x00FF00 : 0xFF0000);
        }
        Cmd_open.Move(120, 3100, 2400, 500);
        Cmd_open.Caption("Open...");
        QImage mark(16, 16, QImage::Format_RGB32);
        mark.fill(Qt::darkCyan);
        Cmd_open.Picture(forms::Picture::FromImage(mark));
        Lbl_file.Move(2700, 3200, 6500, 300);
        Dlg_open.DialogTitle = "Open";
        Dlg_open.Filter = "Tidewick Files (*.qf3)|*.qf3";
        Dlg_open.InitDir = "/data/heats";
    }
    void Form_Load() override {
        const char* rows[][4] = {{"1", "Synthetic camera", "0", "1920*1080/25"},
                                 {"1", "Synthetic camera", "1", "1280*720/50"},
                                 {"2", "USB capture", "0", "720*576/25"}};
        for (const auto& r : rows) {
            const int32_t i = ListView_prop.ListItems_Add(r[0]);
            for (int sub = 1; sub < 4; ++sub)
                ListView_prop.SubItems(i, sub, r[sub]);
        }
    }
};

class Controls : public ::testing::Test {
protected:
    void SetUp() override {
        forms::Instance<Frm_controls>().Unload();
        forms::Instance<Frm_controls>().log.clear();
        test_env::dialogs().clear();
        forms::Instance<Frm_controls>().Show();
        QApplication::processEvents();
    }
};

TEST_F(Controls, ListViewRowsClickedAndWalkedByKeys) {
    Frm_controls& f = forms::Instance<Frm_controls>();
    auto* tree = test_env::widget_as<QTreeWidget>(f, "ListView_prop");
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(f.ListView_prop.ColumnHeaders_Count(), 4);
    EXPECT_EQ(f.ListView_prop.ColumnHeader_Text(2), "Video Source");
    EXPECT_EQ(tree->columnWidth(1), 3500 / 15);
    const QRect row3 = tree->visualItemRect(tree->topLevelItem(2));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, row3.center() + QPoint(150, 0));
    EXPECT_EQ(f.log, std::vector<std::string>{"ItemClick 3"});
    EXPECT_EQ(f.Label_selected_friendly.Caption(), "USB capture");
    EXPECT_EQ(f.ListView_prop.SelectedItem(), 3) << "the whole row is selected";
    QTest::keyClick(tree, Qt::Key_Up);
    EXPECT_EQ(f.log.back(), "ItemClick 2");
    // Selecting from code raises nothing; a row past the end is an error.
    f.ListView_prop.SelectedItem(1);
    EXPECT_EQ(f.log.size(), 2u);
    try {
        f.ListView_prop.SubItems(4, 1);
        ADD_FAILURE() << "no error";
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.number(), 35600);
    }
    f.ListView_prop.ListItems_Clear();
    EXPECT_EQ(f.ListView_prop.ListItems_Count(), 0);
}

TEST_F(Controls, UpDownStepsOnPressAndStopsAtItsEnds) {
    Frm_controls& f = forms::Instance<Frm_controls>();
    QWidget* updown = test_env::widget_of(f, "UpDown_Lanes");
    ASSERT_NE(updown, nullptr);
    auto* up = updown->findChild<QToolButton*>("up");
    auto* down = updown->findChild<QToolButton*>("down");
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(up, Qt::LeftButton);
    EXPECT_EQ(f.UpDown_Lanes.Value(), 8) << "stops at Max";
    EXPECT_EQ(f.Lbl_num_lanes.Caption(), "8") << "MouseUp sees the stepped value";
    QTest::mouseClick(down, Qt::LeftButton);
    EXPECT_EQ(f.Lbl_num_lanes.Caption(), "7");
    EXPECT_THROW(f.UpDown_Lanes.Value(9), vb::VbError);
}

TEST_F(Controls, FileDialogAnswersAndCancelTheScriptedWay) {
    Frm_controls& f = forms::Instance<Frm_controls>();
    test_env::dialogs().answer_file(std::string("/data/heats/Heat12.qf3"));
    QTest::mouseClick(test_env::widget_of(f, "Cmd_open"), Qt::LeftButton);
    EXPECT_EQ(f.Lbl_file.Caption(), "/data/heats/Heat12.qf3");
    ASSERT_EQ(test_env::dialogs().files_shown.size(), 1u);
    const forms::FileDialogRequest& r = test_env::dialogs().files_shown[0];
    EXPECT_FALSE(r.save);
    EXPECT_EQ(r.title, "Open");
    EXPECT_EQ(r.filter, "Tidewick Files (*.qf3)|*.qf3");
    EXPECT_EQ(r.initial_folder, "/data/heats");
    // Cancel told apart; with CancelError it is run-time error 32755.
    QTest::mouseClick(test_env::widget_of(f, "Cmd_open"), Qt::LeftButton);
    EXPECT_EQ(f.Lbl_file.Caption(), "cancelled");
    f.Dlg_open.CancelError = true;
    try {
        f.Dlg_open.ShowSave();
        ADD_FAILURE() << "no error";
    } catch (const vb::VbError& e) {
        EXPECT_EQ(e.number(), 32755);
    }
    f.Dlg_open.CancelError = false;
}

TEST_F(Controls, ShapesAndTheWindowAsShown) {
    Frm_controls& f = forms::Instance<Frm_controls>();
    QTest::mouseClick(test_env::widget_of(f, "UpDown_Lanes")->findChild<QToolButton*>("up"), Qt::LeftButton);
    const QImage shot(QString::fromStdString(test_env::screenshot(f, "forms_controls")));
    ASSERT_FALSE(shot.isNull());
    // Each shape's centre in its fill colour, found where the window put it.
    const struct {
        int index;
        QRgb colour;
    } fills[] = {{0, qRgb(255, 0, 0)}, {1, qRgb(0, 255, 0)}, {2, qRgb(0, 0, 255)}};
    for (const auto& s : fills) {
        QWidget* w = test_env::widget_of(f, "Shp_lane(" + std::to_string(s.index) + ")");
        ASSERT_NE(w, nullptr);
        const QPoint c = w->mapTo(w->window(), w->rect().center());
        EXPECT_EQ(shot.pixel(c) & 0xFFFFFF, s.colour & 0xFFFFFF) << s.index;
    }
    // The oval leaves its bounding box's corner unfilled.
    QWidget* oval = test_env::widget_of(f, "Shp_lane(1)");
    EXPECT_NE(shot.pixel(oval->mapTo(oval->window(), QPoint(2, 2))) & 0xFFFFFF, 0x00FF00u);
}

TEST_F(Controls, PopupAndModalDoublesAnswerWithoutWaiting) {
    Frm_controls& f = forms::Instance<Frm_controls>();
    test_env::ScriptedPopups popups;
    popups.answer("item_zoom");
    popups.answer("");
    f.PopupMenu(f.menu_form);
    f.PopupMenu(f.menu_form);
    EXPECT_EQ(f.log, std::vector<std::string>{"item_zoom_Click"});
    EXPECT_EQ(popups.shown, (std::vector<std::string>{"menu_form", "menu_form"}));

    test_env::ScriptedModals modals;
    f.Hide();
    modals.answer([](forms::Form& w) {
        EXPECT_TRUE(w.Visible()) << "shown while the script answers";
        QTest::mouseClick(test_env::widget_of(w, "Cmd_open"), Qt::LeftButton);
        w.Hide();
    });
    f.Show(forms::vbModal);
    EXPECT_EQ(modals.shown, std::vector<std::string>{"Frm_controls"});
    EXPECT_EQ(f.Lbl_file.Caption(), "cancelled");
}

} // namespace
