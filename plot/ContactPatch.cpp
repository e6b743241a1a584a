#include "ContactPatch.h"

#include <algorithm>
#include <cmath>

#include "plot/Formatted.h"
#include "plot/PlotMessages.h"

namespace grip::plot {

namespace {

/// Relative tolerance for positions that the trace writes from one
/// computation: seven printed digits agree to far better than this.
constexpr double kSamePosition = 1e-6;

PatchPoint pointOf(const ResultRow& row) {
  const auto& v = row.value;
  return PatchPoint{v[0], v[1], v[2], v[3], v[4], v[5], v[6]};
}

struct Block {
  std::size_t first = 0;  ///< index of the block's first table row
  std::size_t count = 0;
};

}  // namespace

std::string readContactPatch(const ResultTable& table, ContactPatch& patch) {
  patch = ContactPatch{};
  const auto& rows = table.rows;
  const char* name = table.fileName.c_str();

  double extent = 0.0;
  for (const ResultRow& row : rows) extent = std::max({extent, std::fabs(row.value[0]), std::fabs(row.value[1])});
  const double tolerance = kSamePosition * std::max(extent, 1e-300);

  std::vector<Block> blocks;
  for (std::size_t k = 0; k < rows.size(); ++k) {
    if (blocks.empty() || rows[k].block != rows[k - 1].block) blocks.push_back(Block{k, 0});
    const ResultRow& first = rows[blocks.back().first];
    if (std::fabs(rows[k].value[1] - first.value[1]) > tolerance) {
      return formatted(msg::kPlotRowY, rows[k].lineNumber, name, rows[k].value[1], first.value[1]);
    }
    ++blocks.back().count;
  }

  // The rows of one evaluation run from +b down to -b.
  std::size_t start = 0;
  patch.evaluations = 1;
  for (std::size_t b = 1; b < blocks.size(); ++b) {
    if (rows[blocks[b].first].value[1] >= rows[blocks[b - 1].first].value[1]) {
      start = b;
      ++patch.evaluations;
    }
  }

  const Block& head = blocks[start];
  for (std::size_t b = start; b < blocks.size(); ++b) {
    const Block& block = blocks[b];
    if (block.count != head.count) {
      return formatted(msg::kPlotRowLength, static_cast<int>(b - start + 1), name, rows[block.first].lineNumber,
                       static_cast<int>(block.count), static_cast<int>(head.count));
    }
    for (std::size_t i = 0; i < block.count; ++i) {
      const ResultRow& row = rows[block.first + i];
      const double expected = rows[head.first + i].value[0];
      if (std::fabs(row.value[0] - expected) > tolerance) {
        return formatted(msg::kPlotRowX, row.lineNumber, name, row.value[0], expected);
      }
      patch.points.push_back(pointOf(row));
    }
  }
  patch.rows = static_cast<int>(blocks.size() - start);
  patch.columns = static_cast<int>(head.count);

  const PatchPoint& first = patch.points.front();
  const PatchPoint& endOfRow = patch.points[head.count - 1];
  const PatchPoint& last = patch.points.back();
  if (patch.columns > 1) patch.dx = std::fabs(endOfRow.x - first.x) / (patch.columns - 1);
  if (patch.rows > 1) patch.dy = std::fabs(first.y - last.y) / (patch.rows - 1);
  if (patch.dx <= 0.0) patch.dx = patch.dy;
  if (patch.dy <= 0.0) patch.dy = patch.dx;
  if (patch.dx <= 0.0) patch.dx = patch.dy = 1.0;  // a single point: any cell will do
  if (endOfRow.x < first.x) patch.travel = +1;
  if (endOfRow.x > first.x) patch.travel = -1;
  return {};
}

std::optional<double> utilisedFriction(const PatchPoint& point) {
  if (!(point.pz > 0.0)) return std::nullopt;
  return std::hypot(point.fx, point.fy) / point.pz;
}

PatchTotals totalsOf(const ContactPatch& patch) {
  PatchTotals totals;
  for (const PatchPoint& point : patch.points) {
    totals.Fx += point.fx;
    totals.Fy += point.fy;
    totals.Fz += point.pz;
    if (point.pz > 0.0) ++totals.loaded;
  }
  totals.area = totals.loaded * patch.dx * patch.dy;
  return totals;
}

}  // namespace grip::plot
