#include "sorting.h"

namespace kestrova {

void ApplySortSettings(Program& p, bool sorting_on) {
    ListView& list = p.Form1.ListView1;
    list.SetSorted(false);
    list.SetSortKey(p.state.SortKey);
    list.SetSortOrder(p.state.SortOrder);
    list.SetSorted(sorting_on);
}

void ListView1_ColumnClick(Program& p, int column_index1) {
    ListView& list = p.Form1.ListView1;
    list.SetSorted(false);
    list.SetSortOrder(list.SortOrder() == 0 ? 1 : 0);
    list.SetSortKey(column_index1 - 1);
    list.SetSorted(true);
}

}  // namespace kestrova
