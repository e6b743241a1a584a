// The models allocate nothing per evaluation, point by point or in batches,
// and neither does the fit's target value: every allocation of this program
// is counted.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "TempDir.h"
#include "fit/DesignState.h"
#include "model/MakeTyreModel.h"

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

/// Allocations made by f.
template <class F>
long allocationsOf(F&& f) {
  const long before = allocations.load();
  f();
  return allocations.load() - before;
}

TEST(Allocations, NoneInAnEvaluationOrABatch) {
  for (const char* name : {"passenger.dat", "passenger_discrete.dat", "passenger_discrete_table.dat"}) {
    SCOPED_TRACE(name);
    TyreModel model = makeTyreModel();
    testing::internal::CaptureStdout();
    ASSERT_GT(model.readParameterFile(std::string(EXAMPLES_DIR "/") + name, nullptr), 0);
    testing::internal::GetCapturedStdout();
    model.setTrace(0, nullptr);
    std::vector<double> slip(300), angle(300), camber(300, 1.0), load(300, 4000.0), speed(300, 20000.0);
    std::vector<double> Fx(300), Fy(300), Mz(300);
    for (std::size_t k = 0; k < slip.size(); ++k) {
      slip[k] = -0.3 + 0.002 * static_cast<double>(k);
      angle[k] = -12.0 + 0.08 * static_cast<double>(k);
    }
    TyreForces sink;
    EXPECT_EQ(allocationsOf([&] {
                for (std::size_t k = 0; k < slip.size(); ++k)
                  sink = model.evaluate(OperatingPoint{slip[k], angle[k], camber[k], load[k], speed[k]});
              }),
              0);
    EXPECT_EQ(allocationsOf([&] { model.evaluate(OperatingColumns{slip, angle, camber, load, speed}, ForceColumns{Fx, Fy, Mz}); }),
              0);
    EXPECT_EQ(allocationsOf([&] { model.refreshVariant(); }), 0);
  }
}

TEST(Allocations, NoneInTheTargetValueOrTheResiduals) {
  test::WorkingDir dir;
  dir.write("DesignStart.dat", test::readFile(EXAMPLES_DIR "/fit/DesignStart.dat"));
  for (const char* name : {"DesignTarget.dat", "slip3000.dat", "slip5000.dat", "alpha3000.dat", "alpha5000.dat",
                           "moment4000.dat"})
    dir.write(name, test::readFile(std::string(EXAMPLES_DIR "/fit/") + name));
  DesignState state;
  testing::internal::CaptureStdout();
  ASSERT_EQ(initialiseDesign(state), 0.0);
  testing::internal::GetCapturedStdout();
  TargetEvaluator& evaluator = *state.evaluator;
  std::vector<double> x(state.startValues.begin(), state.startValues.begin() + state.designCount);
  std::vector<double> r(evaluator.residualCount());
  double target = 0.0;
  EXPECT_EQ(allocationsOf([&] { target = evaluator.target(x); }), 0);
  EXPECT_EQ(allocationsOf([&] { evaluator.residuals(x, r); }), 0);
  EXPECT_GT(target, 0.0);
}

}  // namespace
}  // namespace grip
