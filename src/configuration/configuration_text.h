// Reading a configuration string site by site. The string is a format code, for format 2 the
// pattern's width and height, then one entry per site of the pattern, row by row, cell by cell,
// site by site, separated by spaces:
//
//   1 CO V O V ...          the whole patch
//   2 2 1 CO V O V          a pattern two cells wide and one row high, repeated over the patch
//
// The text can hold millions of entries, so it is read lazily and only as far as needed: each
// pattern row's start is found once, and each row keeps a cursor after the last entry read, so
// that reading a row in order is one pass over it. Reading backwards within a row restarts
// inside the row, never from the start of the text: from the nearest of the marks the row
// keeps every few entries as it is read, so that reads in any order cost a few entries each.
// Nothing is sized by the numbers the text gives: every step consumes text, so a hostile
// string costs no more time or memory than its length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "com/base.h"

namespace kmc {

// The patch a configuration covers: cells along each lattice vector and sites per cell.
struct PatchSize {
    LONG cellsU = 0;
    LONG cellsV = 0;
    LONG sitesPerCell = 0;
};

class ConfigurationText {
public:
    // Forgets everything read: the text or the patch changed.
    void Reset();

    // The entry for cell (i, j), site s of `patch`, each index already checked against it.
    // Raised: E_UNEXPECTED for a format code other than 1 or 2 ("Unexpected format code in
    // KMCConfiguration - only 1 or 2 can be read"), for a pattern size below 1 or beyond 32 bits
    // ("Unexpected values for size of pattern in KMCConfiguration") and for rows before the
    // wanted one that the text does not hold ("Insufficient values found in configuration
    // string"); E_FAIL, naming the missing entry, when the text ends within the wanted row.
    std::string_view Entry(std::string_view text, const PatchSize& patch, LONG i, LONG j, LONG s);

    // Makes the start of every pattern row up to `row` known, with the failures above. Rows
    // found stay known when a later one fails. Raised as well: E_UNEXPECTED "Unexpected index
    // requested in KMCConfiguration::EnsureCacheEnabled" for a row beyond the pattern.
    void EnsureRows(std::string_view text, const PatchSize& patch, int64_t row);

    // How many pattern rows have a known start: how far the text has been read.
    size_t KnownRows() const { return rows_.size(); }

private:
    // One pattern row as far as it has been read.
    struct Row {
        explicit Row(size_t start) : cursor(start), marks{start} {}
        // Moves the cursor back to the closest known place at or before entry `column`, unless
        // the cursor already is between that place and the entry.
        void MoveBefore(int64_t column);
        // Reads on until `target` entries lie before the cursor; false when the text ends first.
        bool Advance(std::string_view text, int64_t target);
        // Reads the entry at the cursor.
        std::optional<std::string_view> Step(std::string_view text);

        size_t cursor;              // just after the last entry read, or at the row's start
        int64_t consumed = 0;       // how many of the row's entries lie before the cursor
        std::vector<size_t> marks;  // marks[m]: where entry m * kMarkSpacing is read from
    };
    static constexpr int64_t kMarkSpacing = 32;

    void ReadHeader(std::string_view text, const PatchSize& patch);
    int64_t EntriesPerRow(const PatchSize& patch) const { return patternU_ * patch.sitesPerCell; }

    bool parsed_ = false;
    int64_t patternU_ = 0;
    int64_t patternV_ = 0;
    std::vector<Row> rows_;  // the rows whose start is known, from row 0 on
};

}  // namespace kmc
