#include "list_sort.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

namespace kestrova {
namespace {

// Sorting a million texts by comparing them pair by pair spends its time
// waiting for texts scattered through memory. Instead each row gets a 64-bit
// key once: the next eight folded bytes of its text, or for cells kept as
// numbers the number itself. Keys sort by radix; only rows whose keys tie
// look further into their texts.
struct Keyed {
    std::uint64_t key;
    std::int32_t index;
};

constexpr size_t kChunk = 8;
constexpr size_t kSmallRange = 64;
constexpr size_t kPrefetchAhead = 16;

unsigned char FoldAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

// Letters A-Z of eight bytes at once made lower case; bytes from 0x80 on
// (parts of UTF-8 characters) are left alone.
std::uint64_t FoldAscii8(std::uint64_t x) {
    constexpr std::uint64_t ones = 0x0101010101010101ULL;
    constexpr std::uint64_t high = 0x8080808080808080ULL;
    const std::uint64_t seven = x & ~high;
    const std::uint64_t at_least_a = seven + (0x80 - 'A') * ones;
    const std::uint64_t beyond_z = seven + (0x80 - 'Z' - 1) * ones;
    const std::uint64_t upper = at_least_a & ~beyond_z & ~x & high;
    return x | (upper >> 2);
}

// The folded bytes depth*8 .. depth*8+7 of text, big-endian, padded with
// zero bytes: keys order as the texts' prefixes do, a shorter text first.
std::uint64_t Chunk(std::string_view text, size_t depth) {
    const size_t from = depth * kChunk;
    unsigned char bytes[kChunk] = {};
    if (from < text.size()) std::memcpy(bytes, text.data() + from, std::min(kChunk, text.size() - from));
    std::uint64_t x;
    std::memcpy(&x, bytes, kChunk);
    if constexpr (std::endian::native == std::endian::little) return __builtin_bswap64(FoldAscii8(x));
    return FoldAscii8(x);
}

void InsertionSort(Keyed* a, size_t n) {
    for (size_t i = 1; i < n; ++i) {
        const Keyed x = a[i];
        size_t j = i;
        for (; j > 0 && a[j - 1].key > x.key; --j) a[j] = a[j - 1];
        a[j] = x;
    }
}

// Stable least-significant-digit radix sort by key; byte positions where all
// keys agree (common: one folder, one year) cost nothing but the count.
void RadixSort(Keyed* a, size_t n, Keyed* tmp) {
    if (n < kSmallRange) {
        InsertionSort(a, n);
        return;
    }
    std::vector<size_t> counts(8 * 256, 0);
    for (size_t i = 0; i < n; ++i) {
        const std::uint64_t k = a[i].key;
        for (size_t b = 0; b < 8; ++b) ++counts[b * 256 + ((k >> (8 * b)) & 0xFF)];
    }
    Keyed* src = a;
    Keyed* dst = tmp;
    for (size_t b = 0; b < 8; ++b) {
        size_t* bucket = counts.data() + b * 256;
        if (std::any_of(bucket, bucket + 256, [n](size_t c) { return c == n; })) continue;
        size_t sum = 0;
        for (size_t d = 0; d < 256; ++d) {
            const size_t c = bucket[d];
            bucket[d] = sum;
            sum += c;
        }
        for (size_t i = 0; i < n; ++i) dst[bucket[(src[i].key >> (8 * b)) & 0xFF]++] = src[i];
        std::swap(src, dst);
    }
    if (src != a) std::copy(src, src + n, a);
}

std::vector<std::int32_t> Indexes(const std::vector<Keyed>& items) {
    std::vector<std::int32_t> order(items.size());
    for (size_t i = 0; i < items.size(); ++i) order[i] = items[i].index;
    return order;
}

// Stable order of texts: radix by eight folded bytes at a time, deeper only
// within runs that tie.
std::vector<Keyed> SortTexts(const std::vector<std::string_view>& texts, bool descending) {
    std::vector<Keyed> items(texts.size());
    for (size_t i = 0; i < texts.size(); ++i) items[i] = {0, static_cast<std::int32_t>(i)};
    std::vector<Keyed> tmp(items.size());
    struct Range {
        size_t lo, hi, depth;
    };
    std::vector<Range> work{{0, items.size(), 0}};
    while (!work.empty()) {
        const Range r = work.back();
        work.pop_back();
        for (size_t j = r.lo; j < r.hi; ++j) {
            // The texts lie scattered; asking for a later one early lets the
            // cache misses overlap.
            if (j + kPrefetchAhead < r.hi) __builtin_prefetch(texts[static_cast<size_t>(items[j + kPrefetchAhead].index)].data() + r.depth * kChunk);
            const std::uint64_t chunk = Chunk(texts[static_cast<size_t>(items[j].index)], r.depth);
            items[j].key = descending ? ~chunk : chunk;
        }
        RadixSort(items.data() + r.lo, r.hi - r.lo, tmp.data());
        for (size_t a = r.lo; a < r.hi;) {
            size_t b = a + 1;
            while (b < r.hi && items[b].key == items[a].key) ++b;
            if (b - a > 1) {
                // Only tied texts are looked at again: a look at every text
                // here would cost a cache miss per row.
                bool ended = false;
                for (size_t i = a; i < b && !ended; ++i) {
                    ended = texts[static_cast<size_t>(items[i].index)].size() <= (r.depth + 1) * kChunk;
                }
                if (!ended) {
                    work.push_back({a, b, r.depth + 1});
                } else {
                    // A text ends inside the tie: the texts are equal but for
                    // zero bytes, which only the full comparison settles.
                    std::stable_sort(items.begin() + static_cast<std::ptrdiff_t>(a), items.begin() + static_cast<std::ptrdiff_t>(b),
                                     [&](const Keyed& x, const Keyed& y) {
                                         const int c = CompareListText(texts[static_cast<size_t>(x.index)],
                                                                       texts[static_cast<size_t>(y.index)]);
                                         return descending ? c > 0 : c < 0;
                                     });
                }
            }
            a = b;
        }
    }
    return items;
}

// Ranks of the pool's texts, equal texts sharing a rank, so rows of pooled
// cells sort by a number.
std::vector<std::uint32_t> PoolRanks(const TextPool& pool) {
    std::vector<std::string_view> texts(pool.Count());
    for (std::uint32_t id = 0; id < pool.Count(); ++id) texts[id] = pool.View(id);
    const std::vector<Keyed> sorted = SortTexts(texts, false);
    std::vector<std::uint32_t> ranks(texts.size());
    std::uint32_t rank = 0;
    for (size_t i = 0; i < sorted.size(); ++i) {
        const auto id = static_cast<size_t>(sorted[i].index);
        if (i > 0 && CompareListText(texts[static_cast<size_t>(sorted[i - 1].index)], texts[id]) != 0) ++rank;
        ranks[id] = rank;
    }
    return ranks;
}

// The one shape of every non-empty cell of the column, or kMixedShapes.
constexpr std::uint32_t kMixedShapes = std::numeric_limits<std::uint32_t>::max();

std::uint32_t ColumnShape(const RowStore& rows, size_t count, int column) {
    std::uint32_t shape = 0;
    for (size_t i = 0; i < count; ++i) {
        const Cell cell = rows.SubCell(i, column);
        if (cell.kind == CellKind::Empty) continue;
        const std::uint32_t s = CellShape(cell);
        if (shape == 0) shape = s;
        else if (s != shape) return kMixedShapes;
    }
    return shape;
}

// Where every cell of the column has one shape, its numbers (or its pool
// ranks) are the order. An empty text precedes every other.
class CellKeys {
public:
    CellKeys(const RowStore& rows, int column, bool descending, bool pooled)
        : rows_(rows), column_(column), descending_(descending), pooled_(pooled) {
        if (pooled) ranks_ = PoolRanks(rows.Pool());
    }
    std::uint64_t operator()(size_t i) const {
        const Cell cell = rows_.SubCell(i, column_);
        std::uint64_t key = 0;
        if (cell.kind != CellKind::Empty) key = 1 + (pooled_ ? ranks_[static_cast<size_t>(cell.payload)] : CellOrderKey(cell));
        return descending_ ? ~key : key;
    }

private:
    const RowStore& rows_;
    int column_;
    bool descending_;
    bool pooled_;
    std::vector<std::uint32_t> ranks_;
};

// The column's one shape, when it has one, and whether its cells are pooled.
std::optional<bool> PooledIfOneShape(const RowStore& rows, size_t count, int column) {
    if (column == 0) return std::nullopt;
    const std::uint32_t shape = ColumnShape(rows, count, column);
    if (shape == kMixedShapes) return std::nullopt;
    return (shape & 0xFF) == static_cast<std::uint32_t>(CellKind::Pooled);
}

std::vector<std::int32_t> SortByCellKeys(const RowStore& rows, size_t count, int column, bool descending, bool pooled) {
    const CellKeys key(rows, column, descending, pooled);
    std::vector<Keyed> items(count);
    for (size_t i = 0; i < count; ++i) items[i] = {key(i), static_cast<std::int32_t>(i)};
    std::vector<Keyed> tmp(count);
    RadixSort(items.data(), count, tmp.data());
    return Indexes(items);
}

std::vector<std::int32_t> SortByTexts(const RowStore& rows, size_t count, int column, bool descending) {
    std::vector<std::string_view> texts(count);
    if (column == 0) {
        for (size_t i = 0; i < count; ++i) texts[i] = rows.Name(i);
        return Indexes(SortTexts(texts, descending));
    }
    // Cells kept as numbers are formatted once into one buffer.
    std::string formatted;
    std::vector<size_t> offsets(count, std::string::npos);
    std::string scratch;
    for (size_t i = 0; i < count; ++i) {
        const Cell cell = rows.SubCell(i, column);
        if (cell.kind == CellKind::Empty || cell.kind == CellKind::Pooled) {
            texts[i] = CellText(cell, rows.Pool(), scratch);
        } else {
            offsets[i] = formatted.size();
            formatted += CellText(cell, rows.Pool(), scratch);
        }
    }
    size_t end = formatted.size();
    for (size_t i = count; i-- > 0;) {
        if (offsets[i] == std::string::npos) continue;
        texts[i] = std::string_view(formatted.data() + offsets[i], end - offsets[i]);
        end = offsets[i];
    }
    return Indexes(SortTexts(texts, descending));
}

}  // namespace

int CompareListText(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    size_t i = 0;
    // Equal keys are common (one folder, one time); memcmp settles them at
    // once. Where bytes differ, letters are folded before they decide.
    while (i < n && std::memcmp(a.data() + i, b.data() + i, n - i) != 0) {
        while (a[i] == b[i]) ++i;
        const unsigned char x = FoldAscii(static_cast<unsigned char>(a[i]));
        const unsigned char y = FoldAscii(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
        ++i;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::vector<std::int32_t> SortedRowOrder(const RowStore& rows, size_t count, int column, bool descending) {
    count = std::min(count, rows.Size());
    if (const std::optional<bool> pooled = PooledIfOneShape(rows, count, column)) {
        return SortByCellKeys(rows, count, column, descending, *pooled);
    }
    return SortByTexts(rows, count, column, descending);
}

bool RowsInOrder(const RowStore& rows, size_t count, int column, bool descending) {
    count = std::min(count, rows.Size());
    if (const std::optional<bool> pooled = PooledIfOneShape(rows, count, column)) {
        const CellKeys key(rows, column, descending, *pooled);
        for (size_t i = 1; i < count; ++i) {
            if (key(i - 1) > key(i)) return false;
        }
        return true;
    }
    // Two rooms by turns, so the last text stays valid beside the next.
    std::string rooms[2];
    auto text = [&](size_t i) {
        return column == 0 ? rows.Name(i) : CellText(rows.SubCell(i, column), rows.Pool(), rooms[i % 2]);
    };
    std::string_view last = count > 0 ? text(0) : std::string_view();
    for (size_t i = 1; i < count; ++i) {
        const std::string_view next = text(i);
        const int c = CompareListText(last, next);
        if (descending ? c < 0 : c > 0) return false;
        last = next;
    }
    return true;
}

}  // namespace kestrova
