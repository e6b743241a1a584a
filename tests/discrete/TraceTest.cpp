// The record of the grid points that an evaluation leaves (the trace): its
// layout, its agreement with the trace file and with the forces, and that
// recording allocates nothing.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "DiscreteTyre.h"
#include "discrete/DiscreteMessages.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace grip {
namespace {

/// The record's points as the trace file's lines.
std::string linesOf(const DiscreteTrace& t) {
  std::string text;
  char line[256];
  for (std::size_t j = 0; j < t.columns; ++j) {
    for (std::size_t k = j * t.rows; k < (j + 1) * t.rows; ++k) {
      std::snprintf(line, sizeof line, trace::kPointLine, t.x[k], t.y[k], t.ux[k], t.uy[k], t.pz[k], t.fx[k], t.fy[k]);
      text += line;
    }
    text += trace::kBlockEnd;
  }
  return text;
}

// Column j from y = b - j dy, each from its entry edge (x = +h for a
// negative speed, -h otherwise); the trace file is written from the record,
// whose last point is the one the evaluation keeps, and whose point forces
// and loads add up to the tyre's.
TEST(DiscreteTrace, RecordsEveryPointInSweepOrderAsTheTraceFileHasThem) {
  struct Case {
    int sliding, pressure;
    double speed;
  };
  for (const Case& c : {Case{1, 1, 20000.0}, Case{4, 1, -15000.0}, Case{2, 3, 0.0}, Case{1, 4, 20000.0},
                        Case{3, 4, -15000.0}}) {
    SCOPED_TRACE(testing::Message() << "sliding " << c.sliding << " pressure " << c.pressure << " speed " << c.speed);
    DiscreteModel m;
    ASSERT_EQ(m.setUp(test::discreteTyre(c.sliding, c.pressure)), 0);
    const OperatingPoint point{0.05, -3.0, 2.0, 4000.0, c.speed};
    const TyreForces forces = test::evaluate(m, point);
    const std::string text = test::traceOf(m, point);
    const DiscreteTrace& t = m.trace();
    const DiscretePatch& p = m.patch();
    ASSERT_EQ(t.rows, 21u);
    ASSERT_EQ(t.columns, 21u);
    EXPECT_EQ(linesOf(t), text);
    double Fx = 0.0, Fy = 0.0, Fz = 0.0;
    for (std::size_t j = 0; j < t.columns; ++j)
      for (std::size_t n = 0; n < t.rows; ++n) {
        const std::size_t k = j * t.rows + n;
        const double i = static_cast<double>(c.speed < 0.0 ? n : 20 - n);
        ASSERT_EQ(t.x[k], p.h - i * p.dx) << k;
        ASSERT_EQ(t.y[k], p.b - static_cast<double>(j) * p.dy) << k;
        ASSERT_GE(t.pz[k], 0.0) << k;
        Fx += t.fx[k];
        Fy += t.fy[k];
        Fz += t.pz[k];
      }
    const std::size_t last = t.points() - 1;
    EXPECT_TRUE(t.last.ux == t.ux[last] && t.last.uy == t.uy[last] && t.last.pz == t.pz[last] &&
                t.last.fx == t.fx[last] && t.last.fy == t.fy[last]);
    // The same point forces summed point by point instead of row by row:
    // some 400 roundings of 1e-16 each.
    EXPECT_NEAR(Fx, forces.Fx, 1e-12 * std::fabs(forces.Fx));
    EXPECT_NEAR(Fy, forces.Fy, 1e-12 * std::fabs(forces.Fy));
    EXPECT_GT(forces.Fx, 0.0);  // the slip 0.05 deflects the tread along +x from the entry edge
    EXPECT_LT(forces.Fy, 0.0);  // the slip angle -3 degrees along -y
    if (c.pressure == 4) {
      EXPECT_NEAR(Fz, 4000.0, 1e-12 * 4000.0);  // the geometric loads add up to the load
    }
  }
}

// Only the trace flag 1 records the points; a load too small to evaluate
// records none, as it writes no trace lines.
TEST(DiscreteTrace, HoldsNoPointsOfAnEvaluationThatRecordsNone) {
  struct Case {
    int flag;
    double load;
  };
  for (const Case& c : {Case{0, 4000.0}, Case{2, 4000.0}, Case{1, 0.0}, Case{1, 5e-11}}) {
    SCOPED_TRACE(testing::Message() << "flag " << c.flag << " load " << c.load);
    DiscreteModel m;
    ASSERT_EQ(m.setUp(test::discreteTyre(1, 4)), 0);
    m.setTrace(1, nullptr);
    test::evaluate(m, {0.05, 3.0, 1.0, 4000.0, 20000.0});
    ASSERT_EQ(m.trace().points(), 21u * 21u);
    m.setTrace(c.flag, nullptr);
    test::evaluate(m, {0.05, 3.0, 1.0, c.load, 20000.0});
    EXPECT_EQ(m.trace().points(), 0u);
  }
}

// The record is sized at set-up: neither a traced evaluation (with a
// stream or without) nor an untraced one allocates.
TEST(DiscreteTrace, RecordingAllocatesNothing) {
  TextFile stream(std::tmpfile());
  ASSERT_TRUE(stream);
  for (int pressure : {1, 4})
    for (int flag : {0, 1}) {
      SCOPED_TRACE(testing::Message() << "pressure " << pressure << " flag " << flag);
      DiscreteModel m;
      ASSERT_EQ(m.setUp(test::discreteTyre(1, pressure)), 0);
      for (std::FILE* traceStream : {static_cast<std::FILE*>(nullptr), stream.get()}) {
        m.setTrace(flag, traceStream);
        const long before = allocations.load();
        for (double slip : {-0.2, 0.0, 0.05}) test::evaluate(m, {slip, 3.0, 1.0, 4000.0, 20000.0});
        EXPECT_EQ(allocations.load() - before, 0);
      }
    }
}

}  // namespace
}  // namespace grip
