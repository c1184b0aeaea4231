#pragma once
// A started program whose list holds rows of real files in a temporary
// folder, and the pointer positions of those rows.
#include <initializer_list>
#include <string>

#include "listing/file_rows.h"
#include "platform/model/user_input.h"
#include "support/program_fixture.h"

namespace kestrova::testing {

class ListFixture : public ProgramTest {
protected:
    MainForm& f() { return p().Form1; }
    ListView& list() { return p().Form1.ListView1; }
    NextItemForm& dialog() { return p().Form6; }
    std::string Folder() const { return dir / "files"; }
    std::string PathOf(const std::string& name) const { return Folder() + kPathSeparator + name; }

    // A file of `bytes` bytes and its row; marked rows carry the size check's "*".
    std::int32_t AddFile(const std::string& name, std::size_t bytes = 5, bool marked = false) {
        dir.Write("files/" + name, std::string(bytes, 'x'));
        ListRow row;
        row.text = name;
        row.sub[0] = Folder();
        row.sub[1] = SizeText(static_cast<double>(bytes), marked ? "*" : " ");
        row.sub[2] = "2024/05/01 13:45:07";
        row.sub[3] = "01";
        return list().AddRow(std::move(row));
    }
    void AddFiles(int count) {
        for (int i = 1; i <= count; ++i) AddFile("file" + std::to_string(i) + ".txt");
    }
    void Select(std::initializer_list<std::int32_t> rows) {
        for (std::int32_t row : rows) list().SetSelected(row, true);
    }
    std::vector<std::int32_t> SelectedRows() {
        std::vector<std::int32_t> rows;
        for (std::int32_t i = 1; i <= list().Count(); ++i) {
            if (list().Selected(i)) rows.push_back(i);
        }
        return rows;
    }

    // The list's emulated rows: a 270-twip header, then 255 twips a row.
    static int RowY(std::int32_t row) { return 270 + 255 * (row - 1) + 100; }
    void Press(int button, std::int32_t row, int shift = 0) { UserMouseDown(list(), button, shift, 300, RowY(row)); }
};

}  // namespace kestrova::testing
