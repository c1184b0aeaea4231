#pragma once
// Compact storage of the list's texts. A million rows must not cost a
// million heap strings each: names go into large shared blocks, texts that
// repeat (folders) are kept once, and texts of a regular shape (padded sizes,
// dates, row numbers) are kept as numbers and formatted again when read.
// Every text reads back exactly as it was given; a text that would not
// round-trip is simply kept as it is.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kestrova {

// Texts appended into large blocks that never move, so views into them stay
// valid until Clear.
class TextArena {
public:
    // Eight bytes: block, offset within it and size. A text long enough for
    // a block of its own keeps its size beside the blocks.
    struct Ref {
        std::uint64_t bits = 0;
        std::uint32_t Size(const TextArena& arena) const {
            const auto size = static_cast<std::uint32_t>(bits & kSizeMask);
            return size == kOwnSize ? arena.own_sizes_[Block()] : size;
        }
        std::uint32_t Block() const { return static_cast<std::uint32_t>(bits >> 40); }
        std::uint32_t Offset() const { return static_cast<std::uint32_t>((bits >> 20) & kSizeMask); }
    };

    Ref Add(std::string_view text);
    std::string_view View(Ref ref) const {
        const std::uint32_t size = ref.Size(*this);
        return size == 0 ? std::string_view() : std::string_view(blocks_[ref.Block()] + ref.Offset(), size);
    }
    void Clear();

private:
    static constexpr std::uint64_t kSizeMask = (std::uint64_t{1} << 20) - 1;
    static constexpr std::uint32_t kOwnSize = static_cast<std::uint32_t>(kSizeMask);

    // A shared block, cut from the last chunk of memory. Chunks grow with
    // the arena, so a small list takes one block and a large one takes
    // chunks that can be backed by large pages.
    char* NewBlock();

    std::vector<char*> blocks_;
    std::vector<std::unique_ptr<char[]>> memory_;  // chunks, and own blocks
    std::vector<std::uint32_t> own_sizes_;  // by block; used for own blocks only
    std::uint32_t current_ = 0;  // block being filled
    size_t current_used_ = 0;
    size_t current_capacity_ = 0;
    char* spare_ = nullptr;  // blocks of the last chunk not yet handed out
    size_t spare_blocks_ = 0;
    size_t next_chunk_blocks_ = 1;
};

// Each distinct text once; an id names it.
class TextPool {
public:
    std::uint32_t Intern(std::string_view text);
    std::string_view View(std::uint32_t id) const { return arena_.View(refs_[id]); }
    std::uint32_t Count() const { return static_cast<std::uint32_t>(refs_.size()); }
    void Clear();

private:
    TextArena arena_;
    std::vector<TextArena::Ref> refs_;
    std::unordered_map<std::string_view, std::uint32_t> index_;
    // Rows of one folder arrive together: the last text saves a lookup.
    std::uint32_t last_ = 0;
};

enum class CellKind : std::uint8_t {
    Empty,
    Pooled,    // payload: id in the TextPool
    Digits,    // "0042": value and digit count
    Padded,    // blanks, a "#,##0" number and one mark byte (" " or "*")
    DateTime,  // "yyyy/mm/dd HH:MM:SS": the fourteen digits as one number
};

struct Cell {
    CellKind kind = CellKind::Empty;
    std::uint64_t payload = 0;
};

// The cell a text is kept as.
Cell EncodeCell(std::string_view text, TextPool& pool);

// The cell EncodeCell gives the text of a value without making the text:
// `value` with "#,##0" grouping right-aligned in `width` characters, the last
// of which is `mark`; nullopt when such a text would not be kept as a number.
std::optional<Cell> PaddedNumberCell(double value, size_t width, char mark);
// The same for a "yyyy/mm/dd HH:MM:SS" text of these fields.
std::optional<Cell> DateTimeCell(int year, int month, int day, int hour, int minute, int second);
// The cell's text: a view into the pool, or formatted into scratch.
std::string_view CellText(const Cell& cell, const TextPool& pool, std::string& scratch);

// Cells of one shape (kind and width) order by OrderKey exactly as their
// texts order, and have equal keys only when their texts are equal. Pooled
// cells order by a rank of the pool's texts instead (see the sort).
std::uint32_t CellShape(const Cell& cell);
inline std::uint64_t CellOrderKey(const Cell& cell) { return cell.payload; }

}  // namespace kestrova
