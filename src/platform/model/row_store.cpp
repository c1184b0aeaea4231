#include "row_store.h"

#include "platform/system/free_memory.h"

namespace kestrova {
namespace {

// Names of removed and renamed rows are given back once they outweigh the
// live ones and amount to something.
constexpr size_t kCompactFrom = size_t{4} << 20;

}  // namespace

void RowStore::Reserve(size_t rows) {
    if (rows <= rows_.capacity()) return;
    rows_.reserve(rows);
    PreferLargePages(rows_.data(), rows_.capacity() * sizeof(Stored));
}

void RowStore::Append(const ListRow& row) {
    Stored stored;
    stored.name = names_.Add(row.text);
    stored.icon = row.icon;
    stored.selected = row.selected ? 1 : 0;
    for (int k = 1; k <= kSubItemCount; ++k) stored.SetSub(k, EncodeCell(row.sub[static_cast<size_t>(k - 1)], pool_));
    live_name_bytes_ += row.text.size();
    rows_.push_back(stored);
}

void RowStore::Append(std::string_view name, const std::array<Cell, kSubItemCount>& sub, int icon) {
    Stored stored;
    stored.name = names_.Add(name);
    stored.icon = icon;
    for (int k = 1; k <= kSubItemCount; ++k) stored.SetSub(k, sub[static_cast<size_t>(k - 1)]);
    live_name_bytes_ += name.size();
    rows_.push_back(stored);
}

void RowStore::Clear() {
    rows_.clear();
    rows_.shrink_to_fit();
    names_.Clear();
    pool_.Clear();
    dead_name_bytes_ = 0;
    live_name_bytes_ = 0;
}

std::string_view RowStore::Text(size_t i, int column, std::string& scratch) const {
    if (column == 0) return Name(i);
    return CellText(rows_[i].Sub(column), pool_, scratch);
}

void RowStore::SetText(size_t i, int column, std::string_view text) {
    Stored& row = rows_[i];
    if (column != 0) {
        row.SetSub(column, EncodeCell(text, pool_));
        return;
    }
    const std::uint32_t old_size = row.name.Size(names_);
    row.name = names_.Add(text);
    live_name_bytes_ += text.size();
    NameReplaced(old_size);
}

void RowStore::SetAllSelected(bool on) {
    for (Stored& row : rows_) row.selected = on ? 1 : 0;
}

ListRow RowStore::Row(size_t i) const {
    ListRow row;
    row.text = Name(i);
    std::string scratch;
    for (int k = 1; k <= kSubItemCount; ++k) row.sub[static_cast<size_t>(k - 1)] = Text(i, k, scratch);
    row.icon = rows_[i].icon;
    row.selected = rows_[i].selected != 0;
    return row;
}

void RowStore::Erase(size_t i) {
    const std::uint32_t old_size = rows_[i].name.Size(names_);
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(i));
    NameReplaced(old_size);
}

void RowStore::NameReplaced(std::uint32_t old_size) {
    live_name_bytes_ -= old_size;
    dead_name_bytes_ += old_size;
    if (dead_name_bytes_ < kCompactFrom || dead_name_bytes_ < live_name_bytes_) return;
    TextArena fresh;
    for (Stored& row : rows_) row.name = fresh.Add(names_.View(row.name));
    names_ = std::move(fresh);
    dead_name_bytes_ = 0;
}

// Gathered into a new vector: independent loads overlap, where following
// the permutation's cycles in place waits for one cache miss after another.
void RowStore::Reorder(const std::vector<std::int32_t>& order) {
    std::vector<Stored> moved;
    moved.reserve(rows_.size());
    for (const std::int32_t from : order) moved.push_back(rows_[static_cast<size_t>(from)]);
    for (size_t i = order.size(); i < rows_.size(); ++i) moved.push_back(rows_[i]);
    rows_ = std::move(moved);
}

}  // namespace kestrova
