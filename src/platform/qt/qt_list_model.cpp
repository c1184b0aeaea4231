#include "qt_list_model.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <algorithm>

#include "platform/model/user_input.h"
#include "qt_convert.h"
#include "qt_input_map.h"

namespace kestrova {
namespace {

Qt::Alignment ColumnAlignment(const ListView& list, int column0) {
    return RightAligned(list, column0) ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter;
}

}  // namespace

// Qt's model moves its selection with the rows it inserts and removes.
ListModel::ListModel(ListView& list, const LoopState& loop, QObject* parent)
    : QAbstractTableModel(parent), ListMirror(list, loop, SelectionKeeping::WithRows) {
    flush_timer_.setSingleShot(true);
    connect(&flush_timer_, &QTimer::timeout, this, [this] { ScheduledFlush(); });
}

void ListModel::Attach(ListTreeView* view) {
    view_ = view;
    ListMirror::Attach();
}

void ListModel::ShowAttached() {
    view_->SetListModel(this);
    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &ListModel::UserSelection);
    connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) { UserCurrent(current); });
    connect(view_->header(), &QHeaderView::sectionResized, this, [this](int section, int, int new_size) {
        // A hidden column reports a width of 0, which is not the user's.
        if (new_size > 0) UserColumnWidth(section, new_size);
    });
    connect(view_->header(), &QHeaderView::sectionClicked, this, [this](int section) { UserHeaderClick(section); });
    IconsChanged();
}

void ListModel::ScheduleFlush(int ms) {
    if (!flush_timer_.isActive() || flush_timer_.remainingTime() > ms) flush_timer_.start(ms);
}

void ListModel::CancelFlush() { flush_timer_.stop(); }

void ListModel::BeginRowsAdded(std::int32_t first0, std::int32_t last0) { beginInsertRows(QModelIndex(), first0, last0); }

void ListModel::EndRowsAdded() { endInsertRows(); }

void ListModel::BeginRowRemoved(std::int32_t row0) { beginRemoveRows(QModelIndex(), row0, row0); }

void ListModel::EndRowRemoved() { endRemoveRows(); }

void ListModel::BeginReset() { beginResetModel(); }

void ListModel::EndReset() {
    endResetModel();
    editing_ = QPersistentModelIndex();
    editing_row_ = false;
}

void ListModel::BeginColumnsAdded(int first0, int last0) { beginInsertColumns(QModelIndex(), first0, last0); }

void ListModel::EndColumnsAdded() { endInsertColumns(); }

// A reset forgets section sizes, so they are set again after every change.
void ListModel::ShowColumns() {
    if (!view_) return;
    const int count = ReportedColumns();
    if (count > 0) emit headerDataChanged(Qt::Horizontal, 0, count - 1);
    QHeaderView* header = view_->header();
    for (int i = 0; i < count && i < List().ColumnCount(); ++i) {
        const int width = List().Column(i + 1).width;
        if (width <= 0) {
            header->setSectionHidden(i, true);
        } else {
            if (header->isSectionHidden(i)) header->setSectionHidden(i, false);
            header->resizeSection(i, std::max(1, TwipsToPixels(width)));
        }
    }
    view_->viewport()->update();
}

void ListModel::ShowSortIndicator() {
    QHeaderView* header = view_->header();
    header->setSortIndicatorShown(List().Sorted());
    if (List().Sorted()) {
        header->setSortIndicator(List().SortKey(), List().SortOrder() == 1 ? Qt::DescendingOrder : Qt::AscendingOrder);
    }
}

void ListModel::ShowSelection(const std::vector<RowRun>& runs, std::int32_t) {
    const int last_column = ReportedColumns() - 1;
    QItemSelection selection;
    for (const RowRun& run : runs) selection.append(QItemSelectionRange(index(run.first, 0), index(run.last, last_column)));
    view_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void ListModel::ShowCurrent(std::int32_t row0) {
    if (row0 >= 0) {
        view_->selectionModel()->setCurrentIndex(index(row0, 0), QItemSelectionModel::NoUpdate);
    } else {
        view_->selectionModel()->clearCurrentIndex();
    }
}

void ListModel::ShowRowChanged(std::int32_t row0) {
    emit dataChanged(index(row0, 0), index(row0, ReportedColumns() - 1));
}

void ListModel::ImagesChanged() {
    if (view_) view_->viewport()->update();
}

void ListModel::EditorClosed() {
    if (!Mirroring() || (!editing_.isValid() && !editing_row_)) return;
    const std::int32_t row0 = editing_.isValid() ? editing_.row() : -1;
    editing_ = QPersistentModelIndex();
    editing_row_ = false;
    if (row0 >= 0) UserEndedEdit(row0, std::nullopt);
}

int ListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ReportedRows(); }

int ListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ReportedColumns(); }

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int row = index.row();
    const int column = index.column();
    if (row < 0 || row >= ReportedRows() || row >= List().Count()) return {};
    // Cells are read in place; only the Qt string is made.
    thread_local std::string scratch;
    switch (role) {
        case Qt::EditRole:
            if (column == 0) return ToQString(List().DisplayText(row + 1, 0, scratch));
            return {};
        case Qt::DisplayRole:
            if (column < 0 || column > kSubItemCount) return {};
            return ToQString(ShownCellText(List(), row + 1, column, scratch));
        case Qt::DecorationRole: {
            const int picture = column == 0 ? ShownPicture(List(), row + 1) : -1;
            if (picture >= 0) {
                QPixmap pixmap = PicturePixmap(picture);
                if (!pixmap.isNull()) return pixmap;
            }
            return {};
        }
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(ColumnAlignment(List(), column));
        default:
            return {};
    }
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= List().ColumnCount()) return {};
    if (role == Qt::DisplayRole) return ToQString(List().Column(section + 1).text);
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(ColumnAlignment(List(), section));
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
    if (!Mirroring() || role != Qt::EditRole || !editing_.isValid() || editing_ != index) return false;
    editing_ = QPersistentModelIndex();
    editing_row_ = false;
    // A name that is not UTF-8 keeps the bytes of what the user left as it was.
    UserEndedEdit(index.row(), FromEditedQString(value.toString(), List().RowText(index.row() + 1)));
    return true;
}

void ListModel::IconsChanged() {
    icons_for_ = nullptr;
    icons_.clear();
    if (!view_) return;
    const ImageList* icons = List().SmallIcons();
    view_->setIconSize(icons ? QSize(icons->ImageWidth(), icons->ImageHeight()) : QSize(16, 16));
    view_->viewport()->update();
}

void ListModel::OpenEditorLater(std::int32_t index1) {
    QTimer::singleShot(0, this, [this, index1] { StartLabelEdit(index1); });
}

bool ListModel::OpenEditor(std::int32_t row0) {
    const QModelIndex target = index(row0, 0);
    editing_ = QPersistentModelIndex(target);
    editing_row_ = true;
    view_->scrollTo(target);
    if (view_->OpenEditor(target)) return true;
    editing_ = QPersistentModelIndex();
    editing_row_ = false;
    return false;
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
    if (!AcceptsUserPick()) return;
    for (const QItemSelectionRange& range : deselected) UserSelected(range.top(), range.bottom(), false);
    for (const QItemSelectionRange& range : selected) UserSelected(range.top(), range.bottom(), true);
}

void ListModel::UserCurrent(const QModelIndex& current) {
    if (!AcceptsUserPick()) return;
    UserMovedCurrent(current.isValid() ? current.row() : -1);
}

QPixmap ListModel::PicturePixmap(int distinct) const {
    const ImageList* icons = List().SmallIcons();
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
