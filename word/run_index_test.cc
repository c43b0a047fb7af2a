#include "word/run_index.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

struct Span {
  uint32_t begin;
  uint32_t end;
};
using SpanIndex = RunIndex<Span, &Span::begin, &Span::end>;

// Against the plain rule on ordered, overlapping, reversed and empty runs.
TEST(RunIndex, FirstRunInListOrderHoldingThePosition) {
  std::mt19937 random(5);
  for (int round = 0; round < 200; ++round) {
    std::vector<Span> spans;
    uint32_t at = 0;
    const bool ordered = round % 2 == 0;
    for (int i = 0; i < 12; ++i) {
      uint32_t begin = ordered ? at + random() % 3 : random() % 40;
      uint32_t end = begin + random() % 8 - (ordered ? 0 : 2);
      spans.push_back(Span{begin, end});
      at = std::max(at, end);
    }
    SpanIndex index(&spans);
    for (uint32_t position = 0; position < 50; ++position) {
      int64_t expected = -1;
      for (size_t i = 0; i < spans.size() && expected < 0; ++i) {
        if (spans[i].begin <= position && position < spans[i].end)
          expected = static_cast<int64_t>(i);
      }
      EXPECT_EQ(index.find(position), expected) << "round " << round << " at " << position;
    }
  }
}

}  // namespace
