#pragma once
// The rows of a list, about sixty bytes each plus the bytes of the name:
// the name in a shared arena, each sub-item as a compact cell (see
// list_cells.h). Indexes here are 0-based.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "list_cells.h"

namespace kestrova {

inline constexpr int kSubItemCount = 4;

struct ListRow {
    std::string text;
    std::array<std::string, kSubItemCount> sub;
    int icon = 0;  // 1-based picture of the small-icon list, 0 = none
    bool selected = false;
};

class RowStore {
public:
    size_t Size() const { return rows_.size(); }
    // Room for this many rows in all, so a list that is known to grow large
    // is not copied on its way there.
    void Reserve(size_t rows);
    void Append(const ListRow& row);
    // A row whose sub-items are encoded already (see Encode), so adding it
    // makes and parses no texts.
    void Append(std::string_view name, const std::array<Cell, kSubItemCount>& sub, int icon);
    // The cell a sub-item of this text would get.
    Cell Encode(std::string_view text) { return EncodeCell(text, pool_); }
    void Clear();

    // column 0 is the row text, 1..4 the sub-items. The view is valid until
    // the next change of the rows or the next use of scratch.
    std::string_view Text(size_t i, int column, std::string& scratch) const;
    void SetText(size_t i, int column, std::string_view text);
    std::string_view Name(size_t i) const { return names_.View(rows_[i].name); }
    Cell SubCell(size_t i, int k) const { return rows_[i].Sub(k); }
    const TextPool& Pool() const { return pool_; }

    int Icon(size_t i) const { return rows_[i].icon; }
    void SetIcon(size_t i, int icon) { rows_[i].icon = icon; }
    bool Selected(size_t i) const { return rows_[i].selected != 0; }
    void SetSelected(size_t i, bool on) { rows_[i].selected = on ? 1 : 0; }
    void SetAllSelected(bool on);

    ListRow Row(size_t i) const;
    void Erase(size_t i);
    // The first order.size() rows take the order given (old indexes in
    // their new places); the rows after them stay where they are.
    void Reorder(const std::vector<std::int32_t>& order);

private:
    // Kinds and payloads apart, so no cell pays for padding: 48 bytes a row.
    struct Stored {
        TextArena::Ref name;
        std::array<std::uint64_t, kSubItemCount> payload{};
        std::int32_t icon : 31 = 0;
        std::uint32_t selected : 1 = 0;
        std::array<CellKind, kSubItemCount> kind{};

        Cell Sub(int k) const { return {kind[static_cast<size_t>(k - 1)], payload[static_cast<size_t>(k - 1)]}; }
        void SetSub(int k, Cell cell) {
            kind[static_cast<size_t>(k - 1)] = cell.kind;
            payload[static_cast<size_t>(k - 1)] = cell.payload;
        }
    };
    static_assert(sizeof(Stored) <= 48);
    void NameReplaced(std::uint32_t old_size);

    std::vector<Stored> rows_;
    TextArena names_;
    TextPool pool_;
    // Bytes of names no row refers to any more (renamed or removed rows).
    size_t dead_name_bytes_ = 0;
    size_t live_name_bytes_ = 0;
};

}  // namespace kestrova
