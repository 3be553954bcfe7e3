// The start-up window and the exit question on a real X display (Xvfb),
// with the program's own message boxes: the menu opened and the question
// answered by mouse clicks, and a picture of the whole screen taken by an
// outside tool while each is shown.
#include "QtDialogs.h"
#include "StartupFixture.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace {

using namespace startup_test;

// A picture of the whole X screen: ImageMagick's import when it is there,
// else the screen as Qt reads it.
std::string screenshot(const std::string& name) {
    const std::string path = test_env::output_dir() + "/" + name;
    std::filesystem::remove(path);
    if (test_env::have_tool("import")) test_env::run("import -window root '" + path + "'");
    if (!std::filesystem::exists(path)) QGuiApplication::primaryScreen()->grabWindow(0).save(path.c_str());
    return path;
}

// Once the program's message box is on the screen: a picture of it, then a
// click on the button with that text.
void answer_box_when_shown(const QString& button, const std::string& picture, std::string* prompt) {
    QTimer::singleShot(50, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return answer_box_when_shown(button, picture, prompt);
        (void)QTest::qWaitForWindowExposed(box);
        QTest::qWait(200);
        if (!picture.empty()) screenshot(picture);
        *prompt = box->text().toStdString();
        for (QAbstractButton* b : box->buttons())
            if (b->text().remove('&') == button) return QTest::mouseClick(b, Qt::LeftButton);
        ADD_FAILURE() << "no button " << button.toStdString();
        box->reject();
    });
}

// Opens "Form" on the window's menu bar and clicks "Exit", as the operator does.
void click_exit(class Form_Tidewick_Full_Startup& s) {
    auto* window = reinterpret_cast<QMainWindow*>(s.hWnd());
    QMenuBar* bar = window->menuBar();
    QAction* form_menu = nullptr;
    for (QAction* a : bar->actions())
        if (a->text() == "Form") form_menu = a;
    ASSERT_NE(form_menu, nullptr);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(form_menu).center());
    QMenu* menu = form_menu->menu();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    QAction* exit = nullptr;
    for (QAction* a : menu->actions())
        if (a->text() == "Exit") exit = a;
    ASSERT_NE(exit, nullptr);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(exit).center());
}

class StartupOnX11 : public Startup {
protected:
    void SetUp() override {
        Startup::SetUp();
        forms::set_dialog_service(&dialogs);
        // A station that ran before: its settings file is there.
        g_Ini_File_Path = data_dir + "/Tidewick_HDMI.ini";
        Write_Ini("Settings", "cropsizeindex", "3", g_Ini_File_Path);
    }
    void TearDown() override {
        forms::set_dialog_service(&test_env::dialogs());
        Startup::TearDown();
    }
    forms::QtDialogs dialogs;
};

TEST_F(StartupOnX11, StartUpWindowAndTheExitQuestionOnTheScreen) {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    startup().Show();
    auto& s = startup();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(reinterpret_cast<QWidget*>(s.hWnd())));
    QTest::qWait(300);
    EXPECT_TRUE(s.Label_ROTATED.Visible()) << "400*1400 chosen";
    const std::string shot = screenshot("startup_window_x11.png");
    EXPECT_GT(std::filesystem::file_size(shot), 5000u);

    // Cancel: the program goes on.
    std::string prompt;
    answer_box_when_shown("Cancel", "exit_question_x11.png", &prompt);
    click_exit(s);
    EXPECT_EQ(prompt, "Exiting Tidewick_HDMI, are you sure?");
    EXPECT_FALSE(g_Exiting);
    EXPECT_NE(Form_capture_multi_file().obj_Capture_HDMI(), nullptr) << "the capture object is kept";
    EXPECT_EQ(ended, 0);
    EXPECT_TRUE(s.Visible());

    // OK: every window goes and the process ends.
    answer_box_when_shown("OK", "", &prompt);
    click_exit(s);
    EXPECT_EQ(ended, 1);
    EXPECT_TRUE(forms::Forms().empty());
}

} // namespace
