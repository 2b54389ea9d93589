#include "page_flow.h"

#include <numeric>

namespace protocol {
namespace {

double heightOf(const std::vector<Block>& blocks) {
  return std::accumulate(blocks.begin(), blocks.end(), 0.0,
                         [](double sum, const Block& block) { return sum + block.height; });
}

class Flow {
 public:
  explicit Flow(double pageHeight) : pageHeight_(pageHeight), pages_(1) {}

  double room() const { return pageHeight_ - used_; }
  bool atPageTop() const { return pages_.back().empty(); }

  void newPage() {
    if (atPageTop()) return;
    pages_.emplace_back();
    used_ = 0;
  }
  void skip(double space) {
    if (!atPageTop()) used_ += space;
  }
  void place(const Block& block) {
    pages_.back().push_back({&block, used_});
    used_ += block.height;
  }
  void place(const std::vector<Block>& blocks) {
    for (const Block& block : blocks) place(block);
  }
  std::vector<Page> pages() && { return std::move(pages_); }

 private:
  double pageHeight_;
  double used_ = 0;
  std::vector<Page> pages_;
};

}  // namespace

std::vector<Page> FlowPages(const std::vector<Group>& groups, double pageHeight) {
  Flow flow(pageHeight);
  for (const Group& group : groups) {
    const double lead = heightOf(group.lead);
    const double whole = lead + heightOf(group.rows);
    if (whole + group.spaceBefore > flow.room() && whole <= pageHeight) flow.newPage();
    flow.skip(group.spaceBefore);
    if (whole <= flow.room()) {
      flow.place(group.lead);
      flow.place(group.rows);
      continue;
    }
    // Too long for one page: from here on row by row, the lead again on every new page.
    const double firstRow = group.rows.empty() ? 0 : group.rows.front().height;
    if (lead + firstRow > flow.room()) flow.newPage();
    flow.place(group.lead);
    for (const Block& row : group.rows) {
      if (row.height > flow.room() && !flow.atPageTop()) {
        flow.newPage();
        flow.place(group.lead);
      }
      flow.place(row);
    }
  }
  return std::move(flow).pages();
}

}  // namespace protocol
