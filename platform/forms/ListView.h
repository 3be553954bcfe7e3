#pragma once
// A list view in report view: column headers, rows of a text and sub-items,
// whole rows selected. Rows count from 1; a row that is not there raises
// run-time error 35600 "Index out of bounds", as the common control does.
#include "Controls.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace forms {

class ListView : public WidgetControl {
public:
    using WidgetControl::WidgetControl;

    // A column with its key, header text and width in the window's scale
    // (< 0: a width of its own).
    void ColumnHeaders_Add(const std::string& key, const std::string& text, double width = -1);
    void ColumnHeaders_Clear();
    int32_t ColumnHeaders_Count() const;
    std::string ColumnHeader_Text(int32_t column) const;

    // Adds a row with its text (the first column); returns its index.
    int32_t ListItems_Add(const std::string& text);
    void ListItems_Clear();
    int32_t ListItems_Count() const;
    std::string ListItem_Text(int32_t index) const;
    void ListItem_Text(int32_t index, const std::string& text);
    // Sub-item n of a row is the text in column n + 1.
    std::string SubItems(int32_t index, int32_t sub) const;
    void SubItems(int32_t index, int32_t sub, const std::string& text);

    // The selected row; 0 when none. Selecting from code raises no ItemClick.
    int32_t SelectedItem() const;
    void SelectedItem(int32_t index);
    void GridLines(bool on);

    // The operator chose a row (a click, or the arrow keys).
    std::function<void(int32_t Index)> ItemClick;

protected:
    QWidget* make_widget(QWidget* parent) override;

private:
    void check_row(int32_t index) const;
    bool from_code_ = false;
    std::vector<std::string> keys_;
};

} // namespace forms
