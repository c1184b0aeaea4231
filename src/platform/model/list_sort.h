#pragma once
// The order of the list's rows by the text of one column. Letters compare
// without regard to ASCII case, everything else by code point (UTF-8 byte
// order); rows with equal texts keep their order in either direction.
#include <cstdint>
#include <string_view>
#include <vector>

#include "row_store.h"

namespace kestrova {

// The ordering itself, one pair at a time.
int CompareListText(std::string_view a, std::string_view b);

// The first count rows in sorted order, as their current indexes.
std::vector<std::int32_t> SortedRowOrder(const RowStore& rows, size_t count, int column, bool descending);
// Whether that order leaves the rows where they are. One pass, which stops
// at the first pair out of order and holds nothing: a list loaded from its
// file comes in the order it was saved in, which is mostly the order its
// sort gives.
bool RowsInOrder(const RowStore& rows, size_t count, int column, bool descending);

}  // namespace kestrova
