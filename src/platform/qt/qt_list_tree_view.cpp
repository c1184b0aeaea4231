// The list's widget: mouse and keys reach the program's ListView through it.
#include "qt_list_model.h"

#include <QHeaderView>
#include <QMouseEvent>

#include "platform/model/user_input.h"
#include "qt_convert.h"
#include "qt_input_map.h"

namespace kestrova {

ListTreeView::ListTreeView(ListView& list, QWidget* parent) : QTreeView(parent), list_(list) {
    // Sizes and dates are columns of digits: the fixed-pitch face of the same
    // family gives every digit half an em, so "yyyy/mm/dd HH:MM:SS" fits the
    // date column's width as it does with the system font it was made for.
    QFont cells = font();
    QStringList families = cells.families();
    families.prepend(QStringLiteral("IPAGothic"));
    cells.setFamilies(families);
    setFont(cells);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAllColumnsShowFocus(true);
    setSortingEnabled(false);
    setTextElideMode(Qt::ElideRight);
    header()->setStretchLastSection(false);
    header()->setSectionsClickable(true);
    header()->setSectionsMovable(false);
    header()->setMinimumSectionSize(1);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void ListTreeView::SetListModel(ListModel* model) {
    model_ = model;
    setModel(model);
    // The header asks the selection whether each column is wholly selected
    // whenever it paints a section, which walks every row: with a million
    // rows selected a header click took seconds. It highlights nothing, so
    // it gets a selection of its own that stays empty.
    header()->setSelectionModel(new QItemSelectionModel(model, header()));
}

bool ListTreeView::OpenEditor(const QModelIndex& index) {
    return edit(index, QAbstractItemView::AllEditTriggers, nullptr);
}

QPoint ListTreeView::ToControl(const QPoint& viewport_pos) const { return viewport()->mapTo(this, viewport_pos); }

// The view selects first, as the list control does, so a MouseDown handler
// already sees the row under the mouse as the current one. Only the left
// button is Qt's to handle: Qt would select with the middle and right
// buttons by its own rules too, and UserMouseDown does what the list
// control does with those, the same with every backend.
void ListTreeView::mousePressEvent(QMouseEvent* event) {
    left_pressed_ = false;
    if (model_ && model_->SortBeforeUserPick()) {
        // The rows moved under the mouse: this press aimed at a row that is
        // elsewhere now, so it only brings the list in order.
        event->accept();
        return;
    }
    const int button = MouseButtonCode(event->button());
    const bool reported = button != 0 && Reporting();
    if (event->button() == Qt::LeftButton || !reported) QTreeView::mousePressEvent(event);
    left_pressed_ = event->button() == Qt::LeftButton;
    if (!reported) return;
    event->accept();
    const QPoint at = ToControl(event->position().toPoint());
    UserMouseDown(list_, button, ShiftMask(event->modifiers()), PixelsToTwips(at.x()), PixelsToTwips(at.y()));
}

void ListTreeView::mouseReleaseEvent(QMouseEvent* event) {
    QTreeView::mouseReleaseEvent(event);
    const bool click = left_pressed_ && event->button() == Qt::LeftButton && viewport()->rect().contains(event->position().toPoint());
    left_pressed_ = false;
    if (click && Reporting()) UserClick(list_);
}

void ListTreeView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (model_ && model_->SortBeforeUserPick()) {
        event->accept();
        return;
    }
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton && Reporting()) UserDblClick(list_);
}

void ListTreeView::keyPressEvent(QKeyEvent* event) {
    // Moving from a row as shown unsorted would land on a row that moved.
    if (model_ && model_->SortBeforeUserPick()) {
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void ListTreeView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    QTreeView::closeEditor(editor, hint);
    if (model_) model_->EditorClosed();
}

}  // namespace kestrova
