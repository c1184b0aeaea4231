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
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/kit/list_mirror.h"
#include "platform/model/listview.h"

namespace kestrova {

class ListTreeView;

class ListModel final : public QAbstractTableModel, public ListMirror {
    Q_OBJECT
public:
    ListModel(ListView& list, const LoopState& loop, QObject* parent = nullptr);

    // Starts mirroring the list into the view; the list reports to this model from now on.
    void Attach(ListTreeView* view);

    // The inline editor closed; without a commit before, that is a cancel.
    void EditorClosed();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    void ImagesChanged() override;
    void IconsChanged() override;
    std::int32_t HitTest(int x, int y) override;

private:
    void ScheduleFlush(int ms) override;
    void CancelFlush() override;
    void ShowAttached() override;
    void BeginRowsAdded(std::int32_t first0, std::int32_t last0) override;
    void EndRowsAdded() override;
    void BeginRowRemoved(std::int32_t row0) override;
    void EndRowRemoved() override;
    void BeginReset() override;
    void EndReset() override;
    void BeginColumnsAdded(int first0, int last0) override;
    void EndColumnsAdded() override;
    void ShowColumns() override;
    void ShowSortIndicator() override;
    void ShowSelection(const std::vector<RowRun>& runs, std::int32_t rows) override;
    void ShowCurrent(std::int32_t row0) override;
    void ShowRowChanged(std::int32_t row0) override;
    bool OpenEditor(std::int32_t row0) override;
    void OpenEditorLater(std::int32_t index1) override;

    void UserSelection(const QItemSelection& selected, const QItemSelection& deselected);
    void UserCurrent(const QModelIndex& current);
    QPixmap PicturePixmap(int distinct) const;

    ListTreeView* view_ = nullptr;
    QTimer flush_timer_;
    // The row being edited in place; editing_row_ stays set when the row
    // itself was removed meanwhile, so the editor's close still ends the edit.
    QPersistentModelIndex editing_;
    bool editing_row_ = false;

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
    bool Reporting() const { return model_ && model_->Mirroring(); }
    ListView& list_;
    ListModel* model_ = nullptr;
    bool left_pressed_ = false;
};

}  // namespace kestrova
