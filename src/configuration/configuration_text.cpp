#include "configuration/configuration_text.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "nox/format.h"
#include "nox/result.h"

namespace kmc {
namespace {

constexpr char kSeparator = ' ';

// The position of the first character at or after `position` that is not a separator; the end
// of the text when there is none.
size_t SkipSeparators(std::string_view text, size_t position) {
    while (position < text.size() && text[position] == kSeparator) ++position;
    return position;
}

// The entry at or after `position`, moving `position` just past it; nothing when only
// separators remain. Entries are short, so a plain loop beats a library search here.
std::optional<std::string_view> NextEntry(std::string_view text, size_t& position) {
    const size_t begin = SkipSeparators(text, position);
    if (begin == text.size()) {
        position = begin;
        return std::nullopt;
    }
    size_t end = begin + 1;
    while (end < text.size() && text[end] != kSeparator) ++end;
    position = end;
    return text.substr(begin, end - begin);
}

// A pattern size: the entry's leading decimal number (none reads as 0), which must lie between
// 1 and the largest 32-bit value.
int64_t PatternSize(std::string_view entry) {
    const size_t first = entry.find_first_not_of(" \t\n\v\f\r");
    entry.remove_prefix(first == std::string_view::npos ? entry.size() : first);
    if (!entry.empty() && entry.front() == '+') entry.remove_prefix(1);
    int64_t value = 0;
    const auto [end, error] = std::from_chars(entry.data(), entry.data() + entry.size(), value);
    if (error == std::errc::result_out_of_range || value < 1 || value > std::numeric_limits<LONG>::max())
        throw NoxResult(E_UNEXPECTED, "Unexpected values for size of pattern in KMCConfiguration");
    return value;
}

// Reading past the end of the text keeps the result code it always had, E_FAIL, with a
// description that says which entry is missing.
[[noreturn]] void ThrowMissingEntry(int64_t entry, int64_t row, int64_t entriesPerRow) {
    throw NoxResult(E_FAIL, NoxFormat("The configuration string ends before entry %1 of pattern row %2 "
                                      "(entries and rows count from 0; a row holds %3 entries).")
                                << entry << row << entriesPerRow);
}

}  // namespace

void ConfigurationText::Row::MoveBefore(int64_t column) {
    const size_t mark = std::min(static_cast<size_t>(column / kMarkSpacing), marks.size() - 1);
    const int64_t markEntry = static_cast<int64_t>(mark) * kMarkSpacing;
    if (column < consumed || markEntry > consumed) {
        cursor = marks[mark];
        consumed = markEntry;
    }
}

bool ConfigurationText::Row::Advance(std::string_view text, int64_t target) {
    while (consumed < target)
        if (!Step(text)) return false;
    return true;
}

std::optional<std::string_view> ConfigurationText::Row::Step(std::string_view text) {
    const std::optional<std::string_view> entry = NextEntry(text, cursor);
    if (entry && ++consumed % kMarkSpacing == 0 &&
        static_cast<int64_t>(marks.size()) == consumed / kMarkSpacing)
        marks.push_back(cursor);
    return entry;
}

void ConfigurationText::Reset() {
    parsed_ = false;
    patternU_ = patternV_ = 0;
    rows_.clear();
}

void ConfigurationText::ReadHeader(std::string_view text, const PatchSize& patch) {
    size_t position = 0;
    const std::optional<std::string_view> code = NextEntry(text, position);
    if (!code)
        throw NoxResult(E_FAIL,
                        "The configuration string is empty: it starts with its format code, 1 or 2, "
                        "followed by the entries.");
    int64_t width = patch.cellsU, height = patch.cellsV;
    if (*code == "2") {
        const std::optional<std::string_view> u = NextEntry(text, position);
        const std::optional<std::string_view> v = u ? NextEntry(text, position) : std::nullopt;
        if (!v)
            throw NoxResult(E_FAIL,
                            "The configuration string ends before its pattern size: format 2 gives the "
                            "pattern's width and height after the format code.");
        width = PatternSize(*u);
        height = PatternSize(*v);
    } else if (*code != "1") {
        throw NoxResult(E_UNEXPECTED, "Unexpected format code in KMCConfiguration - only 1 or 2 can be read");
    }
    patternU_ = width;
    patternV_ = height;
    rows_.assign(1, Row(position));
    parsed_ = true;
}

void ConfigurationText::EnsureRows(std::string_view text, const PatchSize& patch, int64_t row) {
    if (!parsed_) ReadHeader(text, patch);
    if (static_cast<int64_t>(rows_.size()) > row) return;
    if (row > patternV_)
        throw NoxResult(E_UNEXPECTED, "Unexpected index requested in KMCConfiguration::EnsureCacheEnabled");
    const int64_t entriesPerRow = EntriesPerRow(patch);
    while (static_cast<int64_t>(rows_.size()) <= row) {
        // Reading the rest of the last known row leaves it ready for reads in order.
        Row& last = rows_.back();
        const bool rowComplete = last.Advance(text, entriesPerRow);
        // A row that ends the text leaves no start for the next one, trailing spaces or not.
        const size_t next = SkipSeparators(text, last.cursor);
        if (!rowComplete || next == text.size())
            throw NoxResult(E_UNEXPECTED, "Insufficient values found in configuration string");
        rows_.emplace_back(next);
    }
}

std::string_view ConfigurationText::Entry(std::string_view text, const PatchSize& patch, LONG i, LONG j,
                                          LONG s) {
    EnsureRows(text, patch, 0);
    const int64_t rowIndex = j % patternV_;
    const int64_t column = patch.sitesPerCell * (i % patternU_) + s;
    EnsureRows(text, patch, rowIndex);
    Row& row = rows_[static_cast<size_t>(rowIndex)];
    row.MoveBefore(column);
    if (!row.Advance(text, column)) ThrowMissingEntry(row.consumed, rowIndex, EntriesPerRow(patch));
    const std::optional<std::string_view> entry = row.Step(text);
    if (!entry) ThrowMissingEntry(column, rowIndex, EntriesPerRow(patch));
    return *entry;
}

}  // namespace kmc
