#pragma once
// A list view that ignores every notice; tests override only what they watch.
#include "platform/model/listview.h"

namespace kestrova::testing {

class ListObserverStub : public ListViewObserver {
public:
    void ColumnsChanged() override {}
    void RowsAppended(std::int32_t, std::int32_t) override {}
    void RowAboutToBeRemoved(std::int32_t) override {}
    void RowRemoved(std::int32_t) override {}
    void RowsReset() override {}
    void RowChanged(std::int32_t) override {}
    void SelectionChanged() override {}
    void CurrentChanged() override {}
    void IconsChanged() override {}
    void StartLabelEdit(std::int32_t) override {}
    std::int32_t HitTest(int, int) override { return 0; }
};

}  // namespace kestrova::testing
