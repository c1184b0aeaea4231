#pragma once
// The file list: a report-view list control over one vector of rows, and the
// image list of its small icons. Row indexes and counts are 32-bit and
// 1-based, as the routines use them; 0 means "no row".
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "controls.h"
#include "list_sort.h"
#include "row_store.h"

namespace kestrova {

class ImageList : public Control {
public:
    using Control::Control;
    int Count() const { return static_cast<int>(images_.size()); }
    void Clear();
    void Add(std::shared_ptr<const Picture> picture);
    const std::shared_ptr<const Picture>& Item(int index1) const { return distinct_.at(DistinctOf(index1)); }
    int ImageWidth() const { return image_width_; }
    int ImageHeight() const { return image_height_; }
    void SetImageSize(int width, int height);

    // A picture added for many images (an icon extracted file by file) is
    // held once: an image costs four bytes, and a view makes one icon of it.
    // Its place among the distinct pictures (from 0) stays while images are
    // only added; Generation changes when it may not.
    int DistinctCount() const { return static_cast<int>(distinct_.size()); }
    const std::shared_ptr<const Picture>& Distinct(int index0) const { return distinct_.at(static_cast<size_t>(index0)); }
    int DistinctOf(int index1) const { return static_cast<int>(images_.at(static_cast<size_t>(index1 - 1))); }
    std::uint64_t Generation() const { return generation_; }

private:
    void Changed();
    std::vector<std::uint32_t> images_;
    std::vector<std::shared_ptr<const Picture>> distinct_;
    std::unordered_map<const Picture*, std::uint32_t> distinct_index_;
    int image_width_ = 16;
    int image_height_ = 16;
    std::uint64_t generation_ = 0;
};

enum class ColumnAlign { Left, Right };

struct ListColumn {
    std::string text;
    int width = 0;  // twips; 0 hides the column
    ColumnAlign align = ColumnAlign::Left;
};

class ListView;

// The rows of a list read one by one, each as a ListRow of its own.
class ListRowRange {
public:
    class Iterator {
    public:
        using value_type = ListRow;
        using difference_type = std::ptrdiff_t;
        Iterator(const ListView* list, std::int32_t index1) : list_(list), index1_(index1) {}
        ListRow operator*() const;
        Iterator& operator++() {
            ++index1_;
            return *this;
        }
        bool operator==(const Iterator& other) const { return index1_ == other.index1_; }
        bool operator!=(const Iterator& other) const { return index1_ != other.index1_; }

    private:
        const ListView* list_;
        std::int32_t index1_;
    };
    explicit ListRowRange(const ListView& list) : list_(&list) {}
    size_t size() const;
    bool empty() const { return size() == 0; }
    ListRow operator[](size_t index0) const;
    Iterator begin() const { return {list_, 1}; }
    Iterator end() const { return {list_, static_cast<std::int32_t>(size()) + 1}; }

private:
    const ListView* list_;
};

// What a view needs to hear to stay in step with the rows. Appends are
// reported as they happen; a view may batch them before repainting.
class ListViewObserver {
public:
    virtual ~ListViewObserver() = default;
    virtual void ColumnsChanged() = 0;
    virtual void RowsAppended(std::int32_t first_index1, std::int32_t count) = 0;
    virtual void RowAboutToBeRemoved(std::int32_t index1) = 0;
    virtual void RowRemoved(std::int32_t index1) = 0;
    virtual void RowsReset() = 0;  // cleared or reordered
    virtual void RowChanged(std::int32_t index1) = 0;
    virtual void SelectionChanged() = 0;
    virtual void CurrentChanged() = 0;
    virtual void IconsChanged() = 0;
    virtual void StartLabelEdit(std::int32_t index1) = 0;
    // Row under a point in the control's coordinates (twips), or 0.
    virtual std::int32_t HitTest(int x, int y) = 0;
};

class ListView : public Control {
public:
    using Control::Control;

    // Columns (1-based).
    void AddColumn(std::string text, int width, ColumnAlign align = ColumnAlign::Left);
    int ColumnCount() const { return static_cast<int>(columns_.size()); }
    const ListColumn& Column(int index1) const { return columns_.at(static_cast<size_t>(index1 - 1)); }
    int ColumnWidth(int index1) const { return Column(index1).width; }
    void SetColumnWidth(int index1, int width);
    // Reported by a view when the user drags a column edge.
    void BackendColumnWidth(int index1, int width);

    // Rows (1-based). The rows are kept compactly (see row_store.h); the
    // readers below hand out copies of their texts, and a view reads them in
    // place through the display readers further down.
    std::int32_t Count() const { return static_cast<std::int32_t>(rows_.Size()); }
    // Room for this many rows in all (see RowStore::Reserve).
    void ReserveRows(size_t rows) { rows_.Reserve(rows); }
    std::int32_t AddRow(std::string text, int icon = 0);
    // Adds a row with its sub-items in one step.
    std::int32_t AddRow(const ListRow& row);
    // Adds a row of sub-items encoded by EncodeSubItem: the way to add many
    // rows that share texts (a folder) or are made from numbers.
    std::int32_t AddRow(std::string_view text, const std::array<Cell, kSubItemCount>& sub, int icon = 0);
    Cell EncodeSubItem(std::string_view text) { return rows_.Encode(text); }
    ListRow Row(std::int32_t index1) const { return rows_.Row(Checked(index1)); }
    ListRowRange Rows() const {
        Materialize();
        return ListRowRange(*this);
    }
    std::string RowText(std::int32_t index1) const { return std::string(rows_.Name(Checked(index1))); }
    void SetRowText(std::int32_t index1, std::string text);
    // k = 1..4
    std::string SubItem(std::int32_t index1, int k) const;
    void SetSubItem(std::int32_t index1, int k, std::string text);
    // Column 0 is the row text, 1..4 the sub-items; no copy for the row text
    // and for repeated texts. The view is valid until the rows change or
    // scratch is used again.
    std::string_view CellText(std::int32_t index1, int column, std::string& scratch) const;
    int RowIcon(std::int32_t index1) const { return rows_.Icon(Checked(index1)); }
    void SetRowIcon(std::int32_t index1, int icon);
    void RemoveRow(std::int32_t index1);
    void Clear();

    // Selection: several rows may be selected; the current row is separate.
    bool Selected(std::int32_t index1) const { return rows_.Selected(Checked(index1)); }
    void SetSelected(std::int32_t index1, bool on);
    void SetAllSelected(bool on);
    std::int32_t SelectedItem() const {
        Materialize();
        return current_;
    }
    void SetSelectedItem(std::int32_t index1);  // 0 = none
    std::int32_t HitTest(int x, int y) const;
    void StartLabelEdit();

    // Sorting by the text of the key column (0 = row text, 1..4 sub-items).
    bool Sorted() const { return sorted_; }
    void SetSorted(bool on);
    int SortKey() const { return sort_key_; }
    void SetSortKey(int key);
    int SortOrder() const { return sort_order_; }  // 0 ascending, 1 descending
    void SetSortOrder(int order);

    ImageList* SmallIcons() const { return small_icons_; }
    void SetSmallIcons(ImageList* list);

    void SetViewObserver(ListViewObserver* observer) { view_ = observer; }
    ListViewObserver* ViewObserver() const { return view_; }

    // ---- for a view ----
    // While a sort is pending (see Materialize) a view shows the rows in the
    // order they were added; DisplayRow reads that order without sorting, and
    // the indexes a view reports below are in the order it displays.
    bool SortPending() const { return pending_count_ > 0; }
    ListRow DisplayRow(std::int32_t index1) const { return rows_.Row(DisplayChecked(index1)); }
    std::string_view DisplayText(std::int32_t index1, int column, std::string& scratch) const {
        return rows_.Text(DisplayChecked(index1), column, scratch);
    }
    bool DisplaySelected(std::int32_t index1) const { return rows_.Selected(DisplayChecked(index1)); }
    int DisplayIcon(std::int32_t index1) const { return rows_.Icon(DisplayChecked(index1)); }

    // ---- reported by a view: user selection, current row and label edit ----
    void BackendSelection(std::int32_t index1, bool on);
    void BackendCurrent(std::int32_t index1);
    // The user finished an in-place edit; nullopt when it was cancelled.
    void BackendEndLabelEdit(std::int32_t index1, std::optional<std::string> new_text);

    std::function<void(int column_index1)> ColumnClick;
    // cancel may be set to 1 to keep the old text; new_text is nullopt when
    // the user cancelled the edit.
    std::function<void(int& cancel, const std::optional<std::string>& new_text)> AfterLabelEdit;

private:
    // 0-based position of a row by its index, sorting first when a sort is pending.
    size_t Checked(std::int32_t index1) const;
    size_t DisplayChecked(std::int32_t index1) const;
    // Switching sorting on records the sort instead of doing it; the rows are
    // put in order the first time anyone reads them by index. A refresh that
    // switches sorting on after every folder then sorts once, not once per
    // folder. Rows appended after a pending sort with the same key and order
    // simply join it: a stable sort of (sorted A, then B) equals one of (A, B).
    void RequestSort();
    void Materialize() const;
    // The same, also moving *display_index1 from its old place to its new.
    void Materialize(std::int32_t* display_index1) const;
    // Maps an index a view displays to the index the rows have once sorted.
    std::int32_t DisplayToLogical(std::int32_t display_index1) const;

    std::vector<ListColumn> columns_;
    mutable RowStore rows_;
    mutable std::int32_t current_ = 0;
    mutable std::int32_t pending_count_ = 0;
    int pending_key_ = 0;
    int pending_order_ = 0;
    bool sorted_ = false;
    int sort_key_ = 0;
    int sort_order_ = 0;
    ImageList* small_icons_ = nullptr;
    ListViewObserver* view_ = nullptr;
};

}  // namespace kestrova
