#pragma once
// The file list on screen: a table model that reads the ListView's rows in
// place (no item per row, so a million rows cost no more than their vector)
// and a tree view in report style over it.
#include <QAbstractTableModel>
#include <QItemSelection>
#include <QPersistentModelIndex>
#include <QPixmap>
#include <QTimer>
#include <QTreeView>
#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/model/listview.h"
#include "qt_loop_state.h"

namespace kestrova {

class ListTreeView;

class ListModel final : public QAbstractTableModel, public ListViewObserver {
    Q_OBJECT
public:
    ListModel(ListView& list, const LoopState& loop, QObject* parent = nullptr);

    // Starts mirroring the list into the view; the list reports to this model from now on.
    void Attach(ListTreeView* view);
    // Stops listening to the list (its window is being taken down).
    void Detach();

    // Brings the view up to date: a deferred sort of the list, pending
    // appends, then selection and current row.
    void Flush();
    // As Flush, but leaves appends pending when the last batch is very recent,
    // so a scan calling DoEvents per file still inserts in large batches.
    void FlushIfDue();

    // The image list's pictures changed; repaint with the new ones.
    void ImagesChanged();
    // Sorted, sort key or order changed: the header shows it.
    void SortChanged();
    // The inline editor closed; without a commit before, that is a cancel.
    void EditorClosed();
    // Before the user picks rows: a sort the list deferred is done now, so
    // the rows stay where the user sees them. True when the rows moved.
    bool SortBeforeUserPick();

    std::int32_t ReportedRows() const { return reported_; }
    bool Detached() const { return detached_; }
    // Bumped whenever the model is reset, so a caller can tell that indexes it holds are gone.
    std::uint64_t ResetCount() const { return reset_count_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    void ColumnsChanged() override;
    void RowsAppended(std::int32_t first_index1, std::int32_t count) override;
    void RowAboutToBeRemoved(std::int32_t index1) override;
    void RowRemoved(std::int32_t index1) override;
    void RowsReset() override;
    void RowChanged(std::int32_t index1) override;
    void SelectionChanged() override;
    void CurrentChanged() override;
    void IconsChanged() override;
    void StartLabelEdit(std::int32_t index1) override;
    std::int32_t HitTest(int x, int y) override;

private:

    void Update(bool sort_now, bool appends_now);
    void FlushAppends();
    void SyncSelection();
    void SyncCurrent();
    void ApplyColumnWidths();
    void ScheduleFlush(int ms);
    void UserSelection(const QItemSelection& selected, const QItemSelection& deselected);
    void UserCurrent(const QModelIndex& current);
    void UserColumnWidth(int section, int new_size);
    bool RevertWhileSortPending();
    void UserHeaderClick(int section);
    QPixmap IconPixmap(int icon1) const;

    ListView& list_;
    const LoopState& loop_;
    ListTreeView* view_ = nullptr;
    std::int32_t reported_ = 0;
    int columns_reported_ = 0;
    bool selection_dirty_ = false;
    bool current_dirty_ = false;
    bool removing_ = false;
    bool detached_ = false;
    // Non-zero while the model itself changes the view; the view's signals
    // then describe our own change and must not come back as user actions.
    int syncing_ = 0;
    std::uint64_t reset_count_ = 0;
    QTimer flush_timer_;
    std::chrono::steady_clock::time_point last_append_flush_{};
    // The row being edited in place; editing_row_ stays set when the row
    // itself was removed meanwhile, so the editor's close still ends the edit.
    QPersistentModelIndex editing_;
    bool editing_row_ = false;
    // Set while the end of an edit is reported to the list.
    bool ending_edit_ = false;

    // One icon per distinct picture of the image list, made when first shown.
    mutable const ImageList* icons_for_ = nullptr;
    mutable std::uint64_t icons_generation_ = 0;
    mutable QSize icons_size_;
    mutable qreal icons_ratio_ = 1;
    mutable std::vector<QPixmap> icons_;
};

class ListTreeView final : public QTreeView {
    Q_OBJECT
public:
    ListTreeView(ListView& list, QWidget* parent);
    ListView& List() const { return list_; }
    void SetListModel(ListModel* model);
    // Converts a point of the viewport to the control's coordinates, header included.
    QPoint ToControl(const QPoint& viewport_pos) const;
    // Opens the inline editor on a cell regardless of the edit triggers.
    bool OpenEditor(const QModelIndex& index);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    bool Reporting() const { return model_ && !model_->Detached(); }
    ListView& list_;
    ListModel* model_ = nullptr;
    bool left_pressed_ = false;
};

}  // namespace kestrova
