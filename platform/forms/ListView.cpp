#include "ListView.h"

#include "FormsInternal.h"
#include "VbError.h"

#include <QHeaderView>
#include <QTreeWidget>

#include <cmath>

namespace forms {

namespace {
QTreeWidget* tree(QWidget* w) {
    return static_cast<QTreeWidget*>(w);
}

// Knows whether the current row moves because of a key.
class ReportTree : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;
    bool in_key = false;

protected:
    void keyPressEvent(QKeyEvent* e) override {
        in_key = true;
        QTreeWidget::keyPressEvent(e);
        in_key = false;
    }
};
} // namespace

QWidget* ListView::make_widget(QWidget* parent) {
    auto* t = new ReportTree(parent);
    t->setRootIsDecorated(false);
    t->setItemsExpandable(false);
    t->setUniformRowHeights(true);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setAllColumnsShowFocus(true);
    t->setColumnCount(0);
    t->header()->setStretchLastSection(false);
    t->header()->setSectionsMovable(false);
    keys_.clear();
    from_code_ = false;
    QObject::connect(t, &QTreeWidget::itemClicked, t, [this, t](QTreeWidgetItem* item) {
        if (item && ItemClick) {
            const int32_t index = t->indexOfTopLevelItem(item) + 1;
            fire([this, index] { ItemClick(index); });
        }
    });
    // The arrow keys choose a row as a click does; a click raises ItemClick above.
    QObject::connect(t, &QTreeWidget::currentItemChanged, t, [this, t](QTreeWidgetItem* item) {
        if (from_code_ || !item || !ItemClick || !t->in_key) return;
        const int32_t index = t->indexOfTopLevelItem(item) + 1;
        fire([this, index] { ItemClick(index); });
    });
    return t;
}

void ListView::ColumnHeaders_Add(const std::string& key, const std::string& text, double width) {
    QTreeWidget* t = tree(widget());
    const int col = t->columnCount();
    t->setColumnCount(col + 1);
    QTreeWidgetItem* h = t->headerItem();
    h->setText(col, QString::fromStdString(text));
    if (width >= 0) t->setColumnWidth(col, static_cast<int>(std::lround(container_to_pixels(width))));
    keys_.push_back(key);
}

void ListView::ColumnHeaders_Clear() {
    QTreeWidget* t = tree(widget());
    t->setColumnCount(0);
    keys_.clear();
}

int32_t ListView::ColumnHeaders_Count() const {
    return tree(widget())->columnCount();
}

std::string ListView::ColumnHeader_Text(int32_t column) const {
    QTreeWidget* t = tree(widget());
    if (column < 1 || column > t->columnCount()) vb::Raise(35600, "Index out of bounds");
    return t->headerItem()->text(column - 1).toStdString();
}

int32_t ListView::ListItems_Add(const std::string& text) {
    QTreeWidget* t = tree(widget());
    auto* item = new QTreeWidgetItem(t);
    item->setText(0, QString::fromStdString(text));
    return t->topLevelItemCount();
}

void ListView::ListItems_Clear() {
    from_code_ = true;
    tree(widget())->clear();
    from_code_ = false;
}

int32_t ListView::ListItems_Count() const {
    return tree(widget())->topLevelItemCount();
}

void ListView::check_row(int32_t index) const {
    if (index < 1 || index > ListItems_Count()) vb::Raise(35600, "Index out of bounds");
}

std::string ListView::ListItem_Text(int32_t index) const {
    check_row(index);
    return tree(widget())->topLevelItem(index - 1)->text(0).toStdString();
}

void ListView::ListItem_Text(int32_t index, const std::string& text) {
    check_row(index);
    tree(widget())->topLevelItem(index - 1)->setText(0, QString::fromStdString(text));
}

std::string ListView::SubItems(int32_t index, int32_t sub) const {
    check_row(index);
    if (sub < 1 || sub >= ColumnHeaders_Count()) vb::Raise(35600, "Index out of bounds");
    return tree(widget())->topLevelItem(index - 1)->text(sub).toStdString();
}

void ListView::SubItems(int32_t index, int32_t sub, const std::string& text) {
    check_row(index);
    if (sub < 1 || sub >= ColumnHeaders_Count()) vb::Raise(35600, "Index out of bounds");
    tree(widget())->topLevelItem(index - 1)->setText(sub, QString::fromStdString(text));
}

int32_t ListView::SelectedItem() const {
    QTreeWidget* t = tree(widget());
    const auto sel = t->selectedItems();
    return sel.isEmpty() ? 0 : t->indexOfTopLevelItem(sel.first()) + 1;
}

void ListView::SelectedItem(int32_t index) {
    QTreeWidget* t = tree(widget());
    from_code_ = true;
    if (index == 0) {
        t->clearSelection();
    } else {
        check_row(index);
        t->setCurrentItem(t->topLevelItem(index - 1));
    }
    from_code_ = false;
}

void ListView::GridLines(bool on) {
    tree(widget())->setStyleSheet(on ? "QTreeView::item { border: 1px solid #d0d0d0; }" : "");
}

} // namespace forms
