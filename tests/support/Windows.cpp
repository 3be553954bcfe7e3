#include "Windows.h"

#include "TestEnv.h"

#include <QApplication>
#include <QMainWindow>
#include <QPixmap>

namespace test_env {

QWidget* widget_of(forms::Form& form, const std::string& name) {
    auto* window = reinterpret_cast<QMainWindow*>(form.hWnd());
    return window->findChild<QWidget*>(QString::fromStdString(name));
}

void process_events() {
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

std::string screenshot(forms::Form& form, const std::string& name) {
    const std::string path = output_dir() + "/" + name + ".png";
    auto* window = reinterpret_cast<QMainWindow*>(form.hWnd());
    if (!window->grab().save(QString::fromStdString(path))) ADD_FAILURE() << "could not write " << path;
    return path;
}

ScriptedModals::ScriptedModals() {
    forms::set_modal_hook([this](forms::Form& f) {
        shown.push_back(f.Name());
        if (actions.empty()) {
            ADD_FAILURE() << "no answer for the modal window " << f.Name();
            f.Hide();
            return;
        }
        auto action = std::move(actions.front());
        actions.pop_front();
        action(f);
    });
}

ScriptedModals::~ScriptedModals() {
    forms::set_modal_hook({});
}

ScriptedPopups::ScriptedPopups() {
    forms::set_popup_hook([this](forms::Form& f, forms::Menu& menu) -> forms::Menu* {
        shown.push_back(menu.Name());
        if (commands.empty()) return nullptr;
        const std::string command = commands.front();
        commands.pop_front();
        for (forms::Control* c : f.Controls())
            if (auto* m = dynamic_cast<forms::Menu*>(c); m && m->Name() == command) return m;
        if (!command.empty()) ADD_FAILURE() << "no command " << command << " on " << f.Name();
        return nullptr;
    });
}

ScriptedPopups::~ScriptedPopups() {
    forms::set_popup_hook({});
}

} // namespace test_env
