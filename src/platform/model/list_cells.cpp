#include "list_cells.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/system/free_memory.h"

namespace kestrova {
namespace {

// Offsets within a block and the sizes of texts sharing one fit in twenty
// bits (see TextArena::Ref).
constexpr size_t kBlockSize = size_t{1} << 20;
// Anything this long gets a block of its own rather than wasting the rest
// of a shared one.
constexpr size_t kOwnBlockFrom = kBlockSize / 8;

constexpr std::uint64_t kMaxPaddedValue = std::uint64_t{1} << 50;
constexpr size_t kMaxPaddedWidth = 31;
constexpr size_t kMaxDigits = 15;
constexpr size_t kDateTimeLength = 19;  // yyyy/mm/dd HH:MM:SS

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
// A mark that sorts below every digit and is no letter, so case folding
// never touches it.
bool IsMark(char c) { return c >= 0x20 && c <= 0x2F && c != ','; }

// value with "#,##0" grouping, written backwards from end; returns the start.
char* WriteGrouped(std::uint64_t value, char* end) {
    int group = 0;
    do {
        if (group == 3) {
            *--end = ',';
            group = 0;
        }
        *--end = static_cast<char>('0' + value % 10);
        value /= 10;
        ++group;
    } while (value != 0);
    return end;
}

void WriteZeroPadded(std::uint64_t value, size_t digits, char* out) {
    for (size_t i = digits; i-- > 0;) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

std::string_view FormatPadded(std::uint64_t payload, std::string& out) {
    const std::uint64_t value = payload >> 13;
    const size_t width = (payload >> 8) & 0x1F;
    char digits[32];
    char* const end = digits + sizeof digits;
    const char* start = WriteGrouped(value, end);
    const size_t n = static_cast<size_t>(end - start);
    out.assign(width - 1 - std::min(n, width - 1), ' ');
    out.append(start, n);
    out.push_back(static_cast<char>(payload & 0xFF));
    return out;
}

std::string_view FormatDigits(std::uint64_t payload, std::string& out) {
    const size_t count = payload & 0x1F;
    out.resize(count);
    WriteZeroPadded(payload >> 5, count, out.data());
    return out;
}

std::string_view FormatDateTime(std::uint64_t digits14, std::string& out) {
    out.assign("0000/00/00 00:00:00");
    WriteZeroPadded(digits14 % 100, 2, out.data() + 17);
    WriteZeroPadded(digits14 / 100 % 100, 2, out.data() + 14);
    WriteZeroPadded(digits14 / 10000 % 100, 2, out.data() + 11);
    WriteZeroPadded(digits14 / 1000000 % 100, 2, out.data() + 8);
    WriteZeroPadded(digits14 / 100000000 % 100, 2, out.data() + 5);
    WriteZeroPadded(digits14 / 10000000000, 4, out.data());
    return out;
}

bool ParseDigits(std::string_view text, Cell& cell) {
    if (text.empty() || text.size() > kMaxDigits) return false;
    std::uint64_t value = 0;
    for (char c : text) {
        if (!IsDigit(c)) return false;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    cell = {CellKind::Digits, (value << 5) | text.size()};
    return true;
}

// Only the text FormatPadded gives: blanks, the number grouped as "#,##0"
// (a comma before every third digit from the right, no leading zero), and
// the mark.
bool ParsePadded(std::string_view text, Cell& cell) {
    if (text.size() < 2 || text.size() > kMaxPaddedWidth || !IsMark(text.back())) return false;
    size_t start = 0;
    while (start + 1 < text.size() && text[start] == ' ') ++start;
    const std::string_view number = text.substr(start, text.size() - 1 - start);
    if (number.empty() || !IsDigit(number[0]) || (number[0] == '0' && number.size() > 1)) return false;
    std::uint64_t value = 0;
    for (size_t i = 0; i < number.size(); ++i) {
        const char c = number[i];
        const bool comma_place = (number.size() - i) % 4 == 0;
        if (comma_place) {
            if (c != ',') return false;
            continue;
        }
        if (!IsDigit(c) || value >= kMaxPaddedValue / 10) return false;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    cell = {CellKind::Padded, (value << 13) | (text.size() << 8) | static_cast<unsigned char>(text.back())};
    return true;
}

bool ParseDateTime(std::string_view text, Cell& cell) {
    if (text.size() != kDateTimeLength) return false;
    std::uint64_t value = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (i == 4 || i == 7) {
            if (c != '/') return false;
        } else if (i == 10) {
            if (c != ' ') return false;
        } else if (i == 13 || i == 16) {
            if (c != ':') return false;
        } else if (IsDigit(c)) {
            value = value * 10 + static_cast<std::uint64_t>(c - '0');
        } else {
            return false;
        }
    }
    cell = {CellKind::DateTime, value};
    return true;
}

}  // namespace

char* TextArena::NewBlock() {
    if (spare_blocks_ == 0) {
        constexpr size_t kMostChunkBlocks = 32;
        const size_t blocks = next_chunk_blocks_;
        next_chunk_blocks_ = std::min(2 * next_chunk_blocks_, kMostChunkBlocks);
        const size_t bytes = blocks * kBlockSize;
        // A chunk of several blocks starts on a large page, so that all of it
        // can be one; the room before that start is never touched.
        const size_t slack = blocks > 1 ? kLargePageBytes : 0;
        memory_.push_back(std::make_unique_for_overwrite<char[]>(bytes + slack));
        spare_ = memory_.back().get();
        if (slack > 0) {
            const auto address = reinterpret_cast<std::uintptr_t>(spare_);
            spare_ += (kLargePageBytes - address % kLargePageBytes) % kLargePageBytes;
            PreferLargePages(spare_, bytes);
        }
        spare_blocks_ = blocks;
    }
    char* block = spare_;
    spare_ += kBlockSize;
    --spare_blocks_;
    return block;
}

TextArena::Ref TextArena::Add(std::string_view text) {
    if (text.empty()) return {};
    auto ref = [](size_t block, size_t offset, std::uint64_t size) {
        return Ref{static_cast<std::uint64_t>(block) << 40 | static_cast<std::uint64_t>(offset) << 20 | size};
    };
    if (text.size() >= kOwnBlockFrom) {
        memory_.push_back(std::make_unique_for_overwrite<char[]>(text.size()));
        blocks_.push_back(memory_.back().get());
        own_sizes_.resize(blocks_.size());
        own_sizes_.back() = static_cast<std::uint32_t>(text.size());
        std::memcpy(blocks_.back(), text.data(), text.size());
        return ref(blocks_.size() - 1, 0, kOwnSize);
    }
    if (current_capacity_ - current_used_ < text.size()) {
        blocks_.push_back(NewBlock());
        current_ = static_cast<std::uint32_t>(blocks_.size() - 1);
        current_used_ = 0;
        current_capacity_ = kBlockSize;
    }
    const Ref added = ref(current_, current_used_, text.size());
    std::memcpy(blocks_[current_] + current_used_, text.data(), text.size());
    current_used_ += text.size();
    return added;
}

void TextArena::Clear() {
    blocks_.clear();
    memory_.clear();
    own_sizes_.clear();
    current_ = 0;
    current_used_ = 0;
    current_capacity_ = 0;
    spare_ = nullptr;
    spare_blocks_ = 0;
    next_chunk_blocks_ = 1;
}

std::uint32_t TextPool::Intern(std::string_view text) {
    if (last_ < refs_.size() && View(last_) == text) return last_;
    const auto found = index_.find(text);
    if (found != index_.end()) return last_ = found->second;
    const auto id = static_cast<std::uint32_t>(refs_.size());
    refs_.push_back(arena_.Add(text));
    index_.emplace(View(id), id);
    return last_ = id;
}

void TextPool::Clear() {
    index_.clear();
    refs_.clear();
    arena_.Clear();
    last_ = 0;
}

// Each parser takes only the texts its format gives back exactly, so a
// million cells are not formatted again to be compared.
Cell EncodeCell(std::string_view text, TextPool& pool) {
    if (text.empty()) return {};
    Cell cell;
    if (ParseDigits(text, cell) || ParseDateTime(text, cell) || ParsePadded(text, cell)) return cell;
    return {CellKind::Pooled, pool.Intern(text)};
}

std::optional<Cell> PaddedNumberCell(double value, size_t width, char mark) {
    // Grouped digits and the mark must fit the width, or the text is cut.
    if (!(value >= 0) || value >= 1e15 || value != static_cast<double>(static_cast<std::uint64_t>(value))) return std::nullopt;
    if (width < 2 || width > kMaxPaddedWidth || !IsMark(mark)) return std::nullopt;
    const auto number = static_cast<std::uint64_t>(value);
    char digits[32];
    const size_t n = static_cast<size_t>(digits + sizeof digits - WriteGrouped(number, digits + sizeof digits));
    if (n + 1 > width) return std::nullopt;
    return Cell{CellKind::Padded, (number << 13) | (width << 8) | static_cast<unsigned char>(mark)};
}

std::optional<Cell> DateTimeCell(int year, int month, int day, int hour, int minute, int second) {
    auto two = [](int v) { return v >= 0 && v <= 99; };
    if (year < 0 || year > 9999 || !two(month) || !two(day) || !two(hour) || !two(minute) || !two(second)) {
        return std::nullopt;
    }
    std::uint64_t digits = static_cast<std::uint64_t>(year);
    for (int v : {month, day, hour, minute, second}) digits = digits * 100 + static_cast<std::uint64_t>(v);
    return Cell{CellKind::DateTime, digits};
}

std::string_view CellText(const Cell& cell, const TextPool& pool, std::string& scratch) {
    switch (cell.kind) {
        case CellKind::Empty: return {};
        case CellKind::Pooled: return pool.View(static_cast<std::uint32_t>(cell.payload));
        case CellKind::Digits: return FormatDigits(cell.payload, scratch);
        case CellKind::Padded: return FormatPadded(cell.payload, scratch);
        case CellKind::DateTime: return FormatDateTime(cell.payload, scratch);
    }
    return {};
}

std::uint32_t CellShape(const Cell& cell) {
    std::uint32_t width = 0;
    if (cell.kind == CellKind::Padded) width = static_cast<std::uint32_t>((cell.payload >> 8) & 0x1F);
    if (cell.kind == CellKind::Digits) width = static_cast<std::uint32_t>(cell.payload & 0x1F);
    return static_cast<std::uint32_t>(cell.kind) | (width << 8);
}

}  // namespace kestrova
