#pragma once
// Driving windows as the operator does, for the window tests.
#include "Controls.h"
#include "Form.h"

#include <QWidget>
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace test_env {

// The widget of a control by its name ("Cmd_go", an array element "Opt_lane(1)"); nullptr when none.
QWidget* widget_of(forms::Form& form, const std::string& name);
// The same, cast to a Qt class (QSlider, QTreeWidget...); fails the test when missing or of another class.
template <class W> W* widget_as(forms::Form& form, const std::string& name) {
    W* w = qobject_cast<W*>(widget_of(form, name));
    if (!w) ADD_FAILURE() << "no " << name << " of that kind on " << form.Name();
    return w;
}
// Lets Qt deliver what the simulated input queued: clicks, repaints, timers due.
void process_events();
// Saves what a window shows as build/test-output/<name>.png; returns the path.
std::string screenshot(forms::Form& form, const std::string& name);

// Modal windows answered by a script: Show(vbModal) runs the queued action for that window (which hides or
// unloads it) instead of waiting; records the windows shown.
class ScriptedModals {
public:
    ScriptedModals();
    ~ScriptedModals();
    void answer(std::function<void(forms::Form&)> action) { actions.push_back(std::move(action)); }
    std::vector<std::string> shown;
    std::deque<std::function<void(forms::Form&)>> actions;
};

// Pop-up menus answered by a script: PopupMenu runs the queued command (by name; "" dismisses the menu);
// records the menus shown.
class ScriptedPopups {
public:
    ScriptedPopups();
    ~ScriptedPopups();
    void answer(std::string command) { commands.push_back(std::move(command)); }
    std::vector<std::string> shown;
    std::deque<std::string> commands;
};

// The file dialog's double is ScriptedDialogs::answer_file (test_env::dialogs()); a dialog with nothing
// queued is cancelled.

} // namespace test_env
