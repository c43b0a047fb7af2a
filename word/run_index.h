// RunIndex: finds the first run, in list order, whose range holds a position,
// trying the run found last time first. Runs sorted by start and not overlapping
// (as documents store them) are searched by halving; others one by one.
#ifndef LUMEN_WORD_RUN_INDEX_H_
#define LUMEN_WORD_RUN_INDEX_H_

#include <cstddef>
#include <cstdint>
#include <vector>

// Run has `uint32_t Run::*` bounds given as template arguments: [begin, end).
template <typename Run, uint32_t Run::*Begin, uint32_t Run::*End>
class RunIndex {
 public:
  explicit RunIndex(const std::vector<Run>* runs) : runs_(runs) {
    for (size_t i = 0; i < runs->size() && ordered_; ++i) {
      const Run& run = (*runs)[i];
      if (run.*End < run.*Begin || (i > 0 && run.*Begin < (*runs)[i - 1].*End)) ordered_ = false;
    }
  }

  // Index of the run holding position, or -1.
  int64_t find(uint64_t position) {
    const std::vector<Run>& runs = *runs_;
    if (last_ < runs.size() && holds(runs[last_], position)) {
      if (ordered_ || firstHolding(position) == last_) return static_cast<int64_t>(last_);
    }
    size_t found = firstHolding(position);
    if (found == runs.size()) return -1;
    last_ = found;
    return static_cast<int64_t>(found);
  }

 private:
  static bool holds(const Run& run, uint64_t position) {
    return run.*Begin <= position && position < run.*End;
  }

  size_t firstHolding(uint64_t position) const {
    const std::vector<Run>& runs = *runs_;
    if (ordered_) {
      // Runs are ordered and disjoint: only the last run starting at or before the
      // position can hold it (empty runs hold nothing).
      size_t low = 0, high = runs.size();
      while (low < high) {
        size_t middle = low + (high - low) / 2;
        if (runs[middle].*Begin <= position) {
          low = middle + 1;
        } else {
          high = middle;
        }
      }
      while (low > 0) {
        --low;
        if (holds(runs[low], position)) return low;
        if (runs[low].*Begin < runs[low].*End) break;
      }
      return runs.size();
    }
    for (size_t i = 0; i < runs.size(); ++i) {
      if (holds(runs[i], position)) return i;
    }
    return runs.size();
  }

  const std::vector<Run>* runs_;
  size_t last_ = SIZE_MAX;
  bool ordered_ = true;
};

#endif  // LUMEN_WORD_RUN_INDEX_H_
