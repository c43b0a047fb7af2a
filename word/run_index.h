// RunIndex: finds the first run, in list order, whose range holds a position.
// Runs sorted by start and not overlapping (as documents store them) are searched
// by halving; for any other list a table of disjoint segments, each labelled
// with the first run holding it, is built once (n log n), so that hostile lists
// cost no more per lookup than ordered ones.
#ifndef LUMEN_WORD_RUN_INDEX_H_
#define LUMEN_WORD_RUN_INDEX_H_

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <queue>
#include <utility>
#include <vector>

// Run has `uint32_t Run::*` bounds given as template arguments: [begin, end).
template <typename Run, uint32_t Run::*Begin, uint32_t Run::*End>
class RunIndex {
 public:
  explicit RunIndex(const std::vector<Run>* runs) {
    bool ordered = true;
    for (size_t i = 0; i < runs->size() && ordered; ++i) {
      const Run& run = (*runs)[i];
      if (run.*End < run.*Begin || (i > 0 && run.*Begin < (*runs)[i - 1].*End)) ordered = false;
    }
    if (ordered) {
      for (size_t i = 0; i < runs->size(); ++i) {
        const Run& run = (*runs)[i];
        if (run.*Begin < run.*End) segments_.push_back(Segment{run.*Begin, run.*End, i});
      }
    } else {
      buildSegments(*runs);
    }
  }

  // Index of the run holding position, or -1.
  int64_t find(uint64_t position) {
    if (last_ < segments_.size() && holds(segments_[last_], position)) {
      return static_cast<int64_t>(segments_[last_].run);
    }
    auto after = std::upper_bound(
        segments_.begin(), segments_.end(), position,
        [](uint64_t value, const Segment& segment) { return value < segment.begin; });
    if (after == segments_.begin()) return -1;
    size_t at = static_cast<size_t>(after - segments_.begin()) - 1;
    if (!holds(segments_[at], position)) return -1;
    last_ = at;
    return static_cast<int64_t>(segments_[at].run);
  }

 private:
  struct Segment {
    uint64_t begin;
    uint64_t end;
    size_t run;
  };

  static bool holds(const Segment& segment, uint64_t position) {
    return segment.begin <= position && position < segment.end;
  }

  // Sweeps the run bounds in order, keeping the runs open at each point in a heap
  // by list index: the lowest open index labels the segment up to the next bound.
  void buildSegments(const std::vector<Run>& runs) {
    std::vector<size_t> byBegin;
    std::vector<uint64_t> bounds;
    for (size_t i = 0; i < runs.size(); ++i) {
      if (runs[i].*Begin >= runs[i].*End) continue;
      byBegin.push_back(i);
      bounds.push_back(runs[i].*Begin);
      bounds.push_back(runs[i].*End);
    }
    std::stable_sort(byBegin.begin(), byBegin.end(),
                     [&](size_t a, size_t b) { return runs[a].*Begin < runs[b].*Begin; });
    std::sort(bounds.begin(), bounds.end());
    bounds.erase(std::unique(bounds.begin(), bounds.end()), bounds.end());
    std::priority_queue<size_t, std::vector<size_t>, std::greater<size_t>> open;
    size_t next = 0;
    for (size_t b = 0; b + 1 < bounds.size(); ++b) {
      const uint64_t at = bounds[b];
      while (next < byBegin.size() && runs[byBegin[next]].*Begin <= at) open.push(byBegin[next++]);
      while (!open.empty() && runs[open.top()].*End <= at) open.pop();
      if (open.empty()) continue;
      const size_t run = open.top();
      if (!segments_.empty() && segments_.back().run == run && segments_.back().end == at) {
        segments_.back().end = bounds[b + 1];
      } else {
        segments_.push_back(Segment{at, bounds[b + 1], run});
      }
    }
  }

  std::vector<Segment> segments_;
  size_t last_ = SIZE_MAX;
};

#endif  // LUMEN_WORD_RUN_INDEX_H_
