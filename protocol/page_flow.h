// Breaking the protocol into pages before anything is drawn, so that every page can say
// "Seite X von Y" and no table row is split.
#pragma once

#include <QPainter>
#include <functional>
#include <vector>

namespace protocol {

// A piece of fixed height, drawn at the content area's left edge from the given top.
struct Block {
  double height = 0;
  std::function<void(QPainter&, double top)> draw;
};

// Blocks kept together on one page where they fit. Where they do not fit even on an empty page,
// they are broken between rows, never within one, and the lead (a heading and a table's head)
// is repeated at the top of the next page.
struct Group {
  double spaceBefore = 0;  // left out at the top of a page
  std::vector<Block> lead;
  std::vector<Block> rows;
};

struct PlacedBlock {
  const Block* block;
  double top;  // from the content area's top
};
using Page = std::vector<PlacedBlock>;

// At least one page, even without groups. A single row taller than a page gets a page of its own
// (and is cut off at the page's end by the caller's clip).
std::vector<Page> FlowPages(const std::vector<Group>& groups, double pageHeight);

}  // namespace protocol
