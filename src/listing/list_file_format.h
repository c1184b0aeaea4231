#pragma once
// The text of the list file "Kestrova.csv": one line per row, five quoted
// fields separated by commas, CR LF at the end. The first line is a header
// whose first field is the summary line at saving time.
//
// Two readers take the rows back. The standard one reads five fields at a
// time with the shared quoted-field rule. The quote-counting one
// (ParseQuotedLine) takes field k as the text between the (2k-1)-th and the
// 2k-th double quote of a line, skipping whatever lies outside quotes.
#include <array>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "platform/text/file_text_stream.h"
#include "platform/text/quoted_fields.h"

namespace kestrova {

inline constexpr int kListFields = 5;
using ListFields = std::array<std::string, kListFields>;
// A row's fields as read, without a copy: views into the text read, or into
// the reader's own room for a field that had to be rebuilt (a doubled quote).
using ListFieldViews = std::array<std::string_view, kListFields>;

// No field the program writes comes near this (a name is at most 255 bytes,
// a Windows path 32,767 characters); a damaged file's longer field is cut
// here so that one bad line cannot flood the list.
inline constexpr size_t kMaxListFieldBytes = 32 * 1024;

// The shortest line the writer gives a row: a name and a folder of one
// byte, the size text, the time and the folder row number, each quoted, with
// the commas between them and CR LF.
inline constexpr int kShortestRowLine = 1 + 1 + 20 + 19 + 2 + 2 * kListFields + (kListFields - 1) + 2;

// Appends one line of quoted fields and its CR LF.
void AppendListLine(std::string& out, std::initializer_list<std::string_view> fields);

// The quote-counting reader of one line. A doubled quote inside a field (how
// the writer keeps a quote that is part of a name) stands for one quote, so
// both readers agree on every line the writer produces; a line without
// doubled quotes is read by counting alone.
ListFields ParseQuotedLine(std::string_view line);
// The same into views of the line, or of scratch where a field holds a
// doubled quote.
void ParseQuotedLine(std::string_view line, ListFieldViews& fields, ListFields& scratch);

// Reads a whole text, or a file a piece at a time: only the rows not yet
// taken are held, so a list of millions of rows needs no second copy.
class ListFileReader {
public:
    explicit ListFileReader(std::string_view text) : text_(text) {}
    explicit ListFileReader(FileTextStream& file) : file_(&file) {}

    // Reads the header's five fields with the standard reader.
    ListFields ReadHeader() { return ReadRow(); }
    // Nothing but blanks left.
    bool AtEnd();
    // The next row with the standard reader; missing fields stay empty.
    ListFields ReadRow() { return Copied(NextRow()); }
    // The next line split by ParseQuotedLine. A line end inside quotes
    // belongs to the field, as the writer puts it there.
    ListFields ReadQuotedRow() { return Copied(NextQuotedRow()); }
    // The same two without copies: the fields are valid until the next read.
    const ListFieldViews& NextRow();
    const ListFieldViews& NextQuotedRow();

private:
    static ListFields Copied(const ListFieldViews& views);
    // Reads one row with read(rest) -> bytes used, into views_. A row whose
    // reading reached the end of what is loaded may go on in the part not
    // yet loaded: it is read again once more is there.
    template <typename Read>
    const ListFieldViews& ReadWhole(Read read);
    // Drops what was taken and loads at least as much again as is left;
    // false at the end of the file.
    bool LoadMore();

    std::string text_;
    size_t pos_ = 0;
    FileTextStream* file_ = nullptr;
    bool exhausted_ = false;  // nothing more to load
    ListFieldViews views_;
    ListFields scratch_;
};

}  // namespace kestrova
