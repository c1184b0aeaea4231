#include "listview.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace kestrova {
namespace {

// Geometry used for hit tests when no view is attached (headless): a header
// and rows of one text line each, scrolled to the top.
constexpr int kEmulatedHeaderHeight = 270;
constexpr int kEmulatedRowHeight = 255;

}  // namespace

ListRow ListRowRange::Iterator::operator*() const { return list_->Row(index1_); }
size_t ListRowRange::size() const { return static_cast<size_t>(list_->Count()); }
ListRow ListRowRange::operator[](size_t index0) const { return list_->Row(static_cast<std::int32_t>(index0 + 1)); }

void ImageList::Changed() {
    Notify(Property::Items);
}

void ImageList::Clear() {
    images_.clear();
    distinct_.clear();
    distinct_index_.clear();
    ++generation_;
    Changed();
}

void ImageList::Add(std::shared_ptr<const Picture> picture) {
    const auto [known, added] =
        distinct_index_.try_emplace(picture.get(), static_cast<std::uint32_t>(distinct_.size()));
    if (added) distinct_.push_back(std::move(picture));
    images_.push_back(known->second);
    Changed();
}

void ImageList::SetImageSize(int width, int height) {
    image_width_ = width;
    image_height_ = height;
    ++generation_;
    Changed();
}

void ListView::AddColumn(std::string text, int width, ColumnAlign align) {
    columns_.push_back({std::move(text), ClampTwips(width, 0), align});
    if (view_) view_->ColumnsChanged();
}

void ListView::SetColumnWidth(int index1, int width) {
    columns_.at(static_cast<size_t>(index1 - 1)).width = ClampTwips(width, 0);
    if (view_) view_->ColumnsChanged();
}

void ListView::BackendColumnWidth(int index1, int width) {
    if (index1 >= 1 && index1 <= ColumnCount()) columns_[static_cast<size_t>(index1 - 1)].width = ClampTwips(width, 0);
}

size_t ListView::Checked(std::int32_t index1) const {
    Materialize();
    return DisplayChecked(index1);
}

size_t ListView::DisplayChecked(std::int32_t index1) const {
    if (index1 < 1 || index1 > Count()) throw std::out_of_range("list row out of range");
    return static_cast<size_t>(index1 - 1);
}

static void CheckSubItem(int k) {
    if (k < 1 || k > kSubItemCount) throw std::out_of_range("list sub-item out of range");
}

std::int32_t ListView::AddRow(std::string text, int icon) {
    ListRow row;
    row.text = std::move(text);
    row.icon = icon;
    return AddRow(row);
}

std::int32_t ListView::AddRow(const ListRow& row) {
    rows_.Append(row);
    const auto index1 = Count();
    if (view_) view_->RowsAppended(index1, 1);
    return index1;
}

std::int32_t ListView::AddRow(std::string_view text, const std::array<Cell, kSubItemCount>& sub, int icon) {
    rows_.Append(text, sub, icon);
    const auto index1 = Count();
    if (view_) view_->RowsAppended(index1, 1);
    return index1;
}

void ListView::SetRowText(std::int32_t index1, std::string text) {
    rows_.SetText(Checked(index1), 0, text);
    if (view_) view_->RowChanged(index1);
}

std::string ListView::SubItem(std::int32_t index1, int k) const {
    CheckSubItem(k);
    std::string scratch;
    return std::string(rows_.Text(Checked(index1), k, scratch));
}

void ListView::SetSubItem(std::int32_t index1, int k, std::string text) {
    CheckSubItem(k);
    rows_.SetText(Checked(index1), k, text);
    if (view_) view_->RowChanged(index1);
}

std::string_view ListView::CellText(std::int32_t index1, int column, std::string& scratch) const {
    if (column != 0) CheckSubItem(column);
    return rows_.Text(Checked(index1), column, scratch);
}

void ListView::SetRowIcon(std::int32_t index1, int icon) {
    rows_.SetIcon(Checked(index1), icon);
    if (view_) view_->RowChanged(index1);
}

void ListView::RemoveRow(std::int32_t index1) {
    const size_t at = Checked(index1);
    if (view_) view_->RowAboutToBeRemoved(index1);
    rows_.Erase(at);
    if (current_ == index1) current_ = 0;
    else if (current_ > index1) --current_;
    if (view_) view_->RowRemoved(index1);
}

void ListView::Clear() {
    rows_.Clear();
    pending_count_ = 0;
    current_ = 0;
    if (view_) view_->RowsReset();
}

void ListView::SetSelected(std::int32_t index1, bool on) {
    const size_t at = Checked(index1);
    if (rows_.Selected(at) == on) return;
    rows_.SetSelected(at, on);
    if (view_) view_->SelectionChanged();
}

void ListView::SetAllSelected(bool on) {
    Materialize();
    rows_.SetAllSelected(on);
    if (view_) view_->SelectionChanged();
}

void ListView::SetSelectedItem(std::int32_t index1) {
    if (index1 < 0 || index1 > Count()) throw std::out_of_range("list row out of range");
    Materialize();
    current_ = index1;
    if (view_) view_->CurrentChanged();
}

std::int32_t ListView::HitTest(int x, int y) const {
    // A view answers in the order it displays, which a pending sort changes.
    if (view_) return DisplayToLogical(view_->HitTest(x, y));
    if (x < 0 || y < kEmulatedHeaderHeight || x >= Width()) return 0;
    const std::int64_t row = (static_cast<std::int64_t>(y) - kEmulatedHeaderHeight) / kEmulatedRowHeight + 1;
    return row <= Count() ? static_cast<std::int32_t>(row) : 0;
}

void ListView::StartLabelEdit() {
    if (current_ == 0) return;
    if (view_) view_->StartLabelEdit(current_);
}

void ListView::RequestSort() {
    if (sort_key_ < 0 || sort_key_ > kSubItemCount) return;
    if (pending_count_ > 0 && (pending_key_ != sort_key_ || pending_order_ != sort_order_)) Materialize();
    pending_key_ = sort_key_;
    pending_order_ = sort_order_;
    pending_count_ = Count();
}

// Stable, so rows with equal key texts keep their relative order in either
// direction; the current row follows its row.
void ListView::Materialize() const { Materialize(nullptr); }

void ListView::Materialize(std::int32_t* display_index1) const {
    if (pending_count_ == 0) return;
    const auto n = static_cast<size_t>(pending_count_);
    pending_count_ = 0;
    if (RowsInOrder(rows_, n, pending_key_, pending_order_ == 1)) {
        if (view_) view_->RowsReset();
        return;
    }
    std::vector<std::int32_t> order = SortedRowOrder(rows_, n, pending_key_, pending_order_ == 1);
    // Where a row held by its old place went; two rows at most are asked
    // for, so a search beats a table of a million places kept around.
    auto new_place = [&order, n](std::int32_t old_index1) {
        if (old_index1 < 1 || static_cast<size_t>(old_index1) > n) return old_index1;
        const auto at = std::find(order.begin(), order.end(), old_index1 - 1);
        return static_cast<std::int32_t>(at - order.begin()) + 1;
    };
    if (current_ > 0) current_ = new_place(current_);
    if (display_index1) *display_index1 = new_place(*display_index1);
    rows_.Reorder(order);
    if (view_) view_->RowsReset();
}

std::int32_t ListView::DisplayToLogical(std::int32_t display_index1) const {
    if (pending_count_ == 0) return display_index1;
    if (display_index1 < 1 || display_index1 > Count()) {
        Materialize();
        return display_index1;
    }
    Materialize(&display_index1);
    return display_index1;
}

void ListView::SetSorted(bool on) {
    sorted_ = on;
    if (on) RequestSort();
    Notify(Property::ListSort);
}

void ListView::SetSortKey(int key) {
    sort_key_ = key;
    if (sorted_) RequestSort();
    Notify(Property::ListSort);
}

void ListView::SetSortOrder(int order) {
    sort_order_ = order;
    if (sorted_) RequestSort();
    Notify(Property::ListSort);
}

void ListView::SetSmallIcons(ImageList* list) {
    small_icons_ = list;
    if (view_) view_->IconsChanged();
}

void ListView::BackendSelection(std::int32_t index1, bool on) {
    index1 = DisplayToLogical(index1);
    if (index1 >= 1 && index1 <= Count()) rows_.SetSelected(static_cast<size_t>(index1 - 1), on);
}

void ListView::BackendCurrent(std::int32_t index1) {
    index1 = DisplayToLogical(index1);
    if (index1 >= 0 && index1 <= Count()) current_ = index1;
}

void ListView::BackendEndLabelEdit(std::int32_t index1, std::optional<std::string> new_text) {
    index1 = DisplayToLogical(index1);
    if (index1 < 1 || index1 > Count()) return;
    int cancel = 0;
    Raise(AfterLabelEdit, cancel, new_text);
    if (cancel == 0 && new_text) SetRowText(index1, *new_text);
}

}  // namespace kestrova
