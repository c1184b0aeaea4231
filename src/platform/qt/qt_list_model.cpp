#include "qt_list_model.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <algorithm>

#include "platform/model/user_input.h"
#include "qt_convert.h"
#include "qt_input_map.h"

namespace kestrova {
namespace {

// Appends are shown at most this often: each insert makes the view lay out
// all rows again, which a million-row list must not pay per file.
constexpr auto kAppendBatch = std::chrono::milliseconds(50);

Qt::Alignment ColumnAlignment(const ListView& list, int column0) {
    if (column0 >= 0 && column0 < list.ColumnCount() && list.Column(column0 + 1).align == ColumnAlign::Right) {
        return Qt::AlignRight | Qt::AlignVCenter;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

}  // namespace

ListModel::ListModel(ListView& list, const LoopState& loop, QObject* parent)
    : QAbstractTableModel(parent), list_(list), loop_(loop) {
    flush_timer_.setSingleShot(true);
    connect(&flush_timer_, &QTimer::timeout, this, [this] { Update(loop_.pumping == 0, true); });
}

void ListModel::Attach(ListTreeView* view) {
    reported_ = list_.Count();
    columns_reported_ = list_.ColumnCount();
    view_ = view;
    view->SetListModel(this);
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this, &ListModel::UserSelection);
    connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) { UserCurrent(current); });
    connect(view->header(), &QHeaderView::sectionResized, this,
            [this](int section, int, int new_size) { UserColumnWidth(section, new_size); });
    connect(view->header(), &QHeaderView::sectionClicked, this, &ListModel::UserHeaderClick);
    ApplyColumnWidths();
    SortChanged();
    IconsChanged();
    selection_dirty_ = true;
    current_dirty_ = true;
    list_.SetViewObserver(this);
    Flush();
}

void ListModel::Detach() {
    if (list_.ViewObserver() == this) list_.SetViewObserver(nullptr);
    flush_timer_.stop();
    detached_ = true;
    ++syncing_;  // from here on nothing the view does is the user's
}

void ListModel::ScheduleFlush(int ms) {
    if (!flush_timer_.isActive() || flush_timer_.remainingTime() > ms) flush_timer_.start(ms);
}

void ListModel::Flush() { Update(true, true); }

void ListModel::FlushIfDue() {
    Update(false, std::chrono::steady_clock::now() - last_append_flush_ >= kAppendBatch);
}

// The list defers a requested sort until its rows are read by index, so a
// refresh that sorts after every folder sorts once. The view reads only the
// rows as displayed and never forces that sort while a handler is at work;
// once the loop is idle, the list is put in order for the user to see.
void ListModel::Update(bool sort_now, bool appends_now) {
    if (detached_) return;
    if (list_.SortPending()) {
        if (sort_now) {
            (void)list_.Rows();  // sorts; the list then reports RowsReset
        } else {
            ScheduleFlush(static_cast<int>(kAppendBatch.count()));
        }
    }
    if (appends_now) FlushAppends();
    if (selection_dirty_) SyncSelection();
    if (current_dirty_) SyncCurrent();
}

void ListModel::FlushAppends() {
    const std::int32_t count = list_.Count();
    if (count <= reported_) return;
    const std::int32_t first = reported_;
    ++syncing_;
    beginInsertRows(QModelIndex(), first, count - 1);
    reported_ = count;
    endInsertRows();
    --syncing_;
    last_append_flush_ = std::chrono::steady_clock::now();
    for (std::int32_t i = first + 1; i <= count; ++i) {
        if (list_.DisplaySelected(i)) {
            selection_dirty_ = true;
            break;
        }
    }
    current_dirty_ = true;
}

// Selected rows are sent as runs, so selecting all of a million rows is one
// range and not a million.
void ListModel::SyncSelection() {
    selection_dirty_ = false;
    if (!view_ || columns_reported_ == 0) return;
    const std::int32_t n = std::min<std::int32_t>(reported_, list_.Count());
    const int last_column = columns_reported_ - 1;
    auto selected = [this](std::int32_t row0) { return list_.DisplaySelected(row0 + 1); };
    QItemSelection selection;
    for (std::int32_t i = 0; i < n;) {
        if (!selected(i)) {
            ++i;
            continue;
        }
        std::int32_t j = i;
        while (j + 1 < n && selected(j + 1)) ++j;
        selection.append(QItemSelectionRange(index(i, 0), index(j, last_column)));
        i = j + 1;
    }
    ++syncing_;
    view_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    --syncing_;
}

void ListModel::SyncCurrent() {
    // Reading the current row would force a deferred sort; the sort's reset
    // brings the current row along anyway.
    if (!view_ || list_.SortPending()) return;
    current_dirty_ = false;
    const std::int32_t current = list_.SelectedItem();
    ++syncing_;
    if (current >= 1 && current <= reported_ && columns_reported_ > 0) {
        view_->selectionModel()->setCurrentIndex(index(current - 1, 0), QItemSelectionModel::NoUpdate);
    } else {
        view_->selectionModel()->clearCurrentIndex();
    }
    --syncing_;
}

void ListModel::ApplyColumnWidths() {
    if (!view_) return;
    QHeaderView* header = view_->header();
    ++syncing_;
    for (int i = 0; i < columns_reported_ && i < list_.ColumnCount(); ++i) {
        const int width = list_.Column(i + 1).width;
        if (width <= 0) {
            header->setSectionHidden(i, true);
        } else {
            if (header->isSectionHidden(i)) header->setSectionHidden(i, false);
            header->resizeSection(i, std::max(1, TwipsToPixels(width)));
        }
    }
    --syncing_;
}

void ListModel::SortChanged() {
    if (!view_) return;
    QHeaderView* header = view_->header();
    header->setSortIndicatorShown(list_.Sorted());
    if (list_.Sorted()) {
        header->setSortIndicator(list_.SortKey(), list_.SortOrder() == 1 ? Qt::DescendingOrder : Qt::AscendingOrder);
    }
    // A sort the list deferred is shown at the next idle turn.
    if (list_.SortPending()) ScheduleFlush(0);
}

void ListModel::ImagesChanged() {
    if (view_) view_->viewport()->update();
}

void ListModel::EditorClosed() {
    if (detached_ || (!editing_.isValid() && !editing_row_)) return;
    const std::int32_t row1 = editing_.isValid() ? editing_.row() + 1 : 0;
    editing_ = QPersistentModelIndex();
    editing_row_ = false;
    if (row1 > 0) list_.BackendEndLabelEdit(row1, std::nullopt);
}

int ListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : reported_; }

int ListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : columns_reported_; }

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int row = index.row();
    const int column = index.column();
    if (row < 0 || row >= reported_ || row >= list_.Count()) return {};
    // Cells are read in place; only the Qt string is made.
    thread_local std::string scratch;
    switch (role) {
        case Qt::EditRole:
            if (column == 0) return ToQString(list_.DisplayText(row + 1, 0, scratch));
            return {};
        case Qt::DisplayRole: {
            if (column < 0 || column > kSubItemCount) return {};
            std::string_view text = list_.DisplayText(row + 1, column, scratch);
            // Right alignment does what the leading blanks of a padded text
            // are for; shown with them, a fixed-pitch face needs more room.
            if (column > 0 && (ColumnAlignment(list_, column) & Qt::AlignRight)) {
                const size_t first = text.find_first_not_of(' ');
                text.remove_prefix(first == std::string_view::npos ? text.size() : first);
            }
            return ToQString(text);
        }
        case Qt::DecorationRole: {
            const int icon = column == 0 ? list_.DisplayIcon(row + 1) : 0;
            if (icon > 0) {
                QPixmap pixmap = IconPixmap(icon);
                if (!pixmap.isNull()) return pixmap;
            }
            return {};
        }
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(ColumnAlignment(list_, column));
        default:
            return {};
    }
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= list_.ColumnCount()) return {};
    if (role == Qt::DisplayRole) return ToQString(list_.Column(section + 1).text);
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(ColumnAlignment(list_, section));
    return {};
}

Qt::ItemFlags ListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (editing_.isValid() && editing_ == index) f |= Qt::ItemIsEditable;
    return f;
}

bool ListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    // Taking the window down closes an open editor, which commits: no
    // handler may run for that.
    if (detached_ || role != Qt::EditRole || !editing_.isValid() || editing_ != index) return false;
    const std::int32_t row1 = index.row() + 1;
    editing_ = QPersistentModelIndex();
    editing_row_ = false;
    ending_edit_ = true;
    // A name that is not UTF-8 keeps the bytes of what the user left as it was.
    list_.BackendEndLabelEdit(row1, FromEditedQString(value.toString(), list_.RowText(row1)));
    ending_edit_ = false;
    return true;
}

void ListModel::ColumnsChanged() {
    const int count = list_.ColumnCount();
    if (count < columns_reported_) {
        RowsReset();
        return;
    }
    if (count > columns_reported_) {
        ++syncing_;
        beginInsertColumns(QModelIndex(), columns_reported_, count - 1);
        columns_reported_ = count;
        endInsertColumns();
        --syncing_;
        // Rows could not be selected while there was no column to select.
        selection_dirty_ = true;
        current_dirty_ = true;
        ScheduleFlush(0);
    }
    if (count > 0) emit headerDataChanged(Qt::Horizontal, 0, count - 1);
    ApplyColumnWidths();
    if (view_) view_->viewport()->update();
}

void ListModel::RowsAppended(std::int32_t, std::int32_t) { ScheduleFlush(static_cast<int>(kAppendBatch.count())); }

void ListModel::RowAboutToBeRemoved(std::int32_t index1) {
    if (index1 < 1 || index1 > reported_) return;
    ++syncing_;
    removing_ = true;
    beginRemoveRows(QModelIndex(), index1 - 1, index1 - 1);
}

void ListModel::RowRemoved(std::int32_t) {
    if (!removing_) return;
    removing_ = false;
    --reported_;
    endRemoveRows();
    --syncing_;
    // The view moved its current row elsewhere; the list decides where it is.
    current_dirty_ = true;
    ScheduleFlush(0);
}

void ListModel::RowsReset() {
    ++syncing_;
    beginResetModel();
    reported_ = list_.Count();
    columns_reported_ = list_.ColumnCount();
    endResetModel();
    --syncing_;
    ++reset_count_;
    editing_ = QPersistentModelIndex();
    editing_row_ = false;
    // A reset forgets section sizes and the sort indicator.
    ApplyColumnWidths();
    SortChanged();
    selection_dirty_ = true;
    current_dirty_ = true;
    ScheduleFlush(0);
}

void ListModel::RowChanged(std::int32_t index1) {
    if (index1 < 1 || index1 > reported_ || columns_reported_ == 0) return;
    emit dataChanged(index(index1 - 1, 0), index(index1 - 1, columns_reported_ - 1));
}

void ListModel::SelectionChanged() {
    selection_dirty_ = true;
    ScheduleFlush(0);
}

void ListModel::CurrentChanged() {
    current_dirty_ = true;
    ScheduleFlush(0);
}

void ListModel::IconsChanged() {
    icons_for_ = nullptr;
    icons_.clear();
    if (!view_) return;
    const ImageList* icons = list_.SmallIcons();
    view_->setIconSize(icons ? QSize(icons->ImageWidth(), icons->ImageHeight()) : QSize(16, 16));
    view_->viewport()->update();
}

void ListModel::StartLabelEdit(std::int32_t index1) {
    if (!view_) return;
    // Asked while an edit is being ended (a refused rename reopens it): the
    // view is still closing the old editor, so the new one opens after it.
    if (ending_edit_) {
        QTimer::singleShot(0, this, [this, index1] {
            if (!detached_) StartLabelEdit(index1);
        });
        return;
    }
    // The row is given as displayed: a deferred sort must not move it now.
    FlushAppends();
    if (index1 < 1 || index1 > reported_ || columns_reported_ == 0) return;
    const QModelIndex target = index(index1 - 1, 0);
    editing_ = QPersistentModelIndex(target);
    editing_row_ = true;
    view_->scrollTo(target);
    if (!view_->OpenEditor(target)) {
        editing_ = QPersistentModelIndex();
        editing_row_ = false;
    }
}

std::int32_t ListModel::HitTest(int x, int y) {
    if (!view_) return 0;
    QWidget* viewport = view_->viewport();
    const QPoint point = viewport->mapFrom(view_, QPoint(TwipsToPixels(x), TwipsToPixels(y)));
    if (!viewport->rect().contains(point)) return 0;
    QModelIndex hit = view_->indexAt(point);
    if (!hit.isValid()) {
        // Right of the last column still counts as the row.
        const int first_visual = view_->header()->logicalIndexAt(0);
        if (first_visual >= 0) hit = view_->indexAt(QPoint(view_->header()->sectionViewportPosition(first_visual), point.y()));
    }
    return hit.isValid() ? hit.row() + 1 : 0;
}

void ListModel::UserSelection(const QItemSelection& selected, const QItemSelection& deselected) {
    if (syncing_) return;
    if (RevertWhileSortPending()) return;
    for (const QItemSelectionRange& range : deselected) {
        for (int row = range.top(); row <= range.bottom(); ++row) list_.BackendSelection(row + 1, false);
    }
    for (const QItemSelectionRange& range : selected) {
        for (int row = range.top(); row <= range.bottom(); ++row) list_.BackendSelection(row + 1, true);
    }
}

void ListModel::UserCurrent(const QModelIndex& current) {
    if (syncing_) return;
    if (RevertWhileSortPending()) return;
    list_.BackendCurrent(current.isValid() ? current.row() + 1 : 0);
}

// The view sorts before it lets the user pick rows (see ListTreeView), so a
// pick against rows shown unsorted can only come from elsewhere; the view
// goes back to what the list holds.
bool ListModel::RevertWhileSortPending() {
    if (!list_.SortPending()) return false;
    selection_dirty_ = true;
    current_dirty_ = true;
    ScheduleFlush(0);
    return true;
}

bool ListModel::SortBeforeUserPick() {
    if (detached_ || !list_.SortPending()) return false;
    Flush();
    return true;
}

void ListModel::UserColumnWidth(int section, int new_size) {
    if (syncing_ || new_size <= 0) return;
    list_.BackendColumnWidth(section + 1, PixelsToTwips(new_size));
}

void ListModel::UserHeaderClick(int section) {
    if (syncing_ || detached_) return;
    UserColumnClick(list_, section + 1);
    // The header flips its indicator by itself on a click; the list's own
    // sort state is what it must show.
    SortChanged();
}

QPixmap ListModel::IconPixmap(int icon1) const {
    const ImageList* icons = list_.SmallIcons();
    if (!icons || icon1 < 1 || icon1 > icons->Count()) return {};
    const QSize size(icons->ImageWidth(), icons->ImageHeight());
    // Icons are made for the screen's density: sharp on a scaled screen.
    const qreal ratio = view_ ? view_->devicePixelRatioF() : 1.0;
    if (icons != icons_for_ || icons->Generation() != icons_generation_ || size != icons_size_ || ratio != icons_ratio_) {
        icons_.clear();
        icons_for_ = icons;
        icons_generation_ = icons->Generation();
        icons_size_ = size;
        icons_ratio_ = ratio;
    }
    const int distinct = icons->DistinctOf(icon1);
    if (icons_.size() <= static_cast<size_t>(distinct)) icons_.resize(static_cast<size_t>(icons->DistinctCount()));
    QPixmap& pixmap = icons_[static_cast<size_t>(distinct)];
    const std::shared_ptr<const Picture>& picture = icons->Distinct(distinct);
    if (pixmap.isNull() && picture && !picture->Empty()) {
        pixmap = size.isValid() ? PixmapAt(*picture, size, ratio, Qt::KeepAspectRatio)
                                : QPixmap::fromImage(ViewOf(*picture));
    }
    return pixmap;
}

}  // namespace kestrova
