// Steady sweeps from the time series of a rig run.

#include <algorithm>
#include <cmath>
#include <map>

#include "core/FormatText.h"
#include "prepare/Prepare.h"

namespace grip {

namespace {

/// The channels a piece is cut by, nullptr where the run has none.
struct Columns {
  const std::vector<double>* time = nullptr;
  const std::vector<double>* load = nullptr;
  const std::vector<double>* camber = nullptr;
  const std::vector<double>* pressure = nullptr;
  const std::vector<double>* speed = nullptr;
  const std::vector<double>* alpha = nullptr;
  const std::vector<double>* kappa = nullptr;
  const std::vector<double>* fx = nullptr;
  const std::vector<double>* fy = nullptr;
  const std::vector<double>* mz = nullptr;
  const std::vector<double>* spin = nullptr;
  const std::vector<double>* rolling = nullptr;
  const std::vector<double>* loaded = nullptr;
};

const std::vector<double>* column(const RigRun& run, Quantity quantity) {
  const Channel* channel = run.find(quantity);
  return channel == nullptr ? nullptr : &channel->values;
}

double at(const std::vector<double>* values, std::size_t i) { return values == nullptr ? 0.0 : (*values)[i]; }

/// Running mean of one steady quantity and whether a sample lies within the tolerance of it.
struct Steady {
  double sum = 0.0;
  std::size_t count = 0;
  double mean() const { return count == 0 ? 0.0 : sum / static_cast<double>(count); }
  bool holds(double value, double tolerance) const { return count == 0 || std::fabs(value - mean()) <= tolerance; }
  void add(double value) { sum += value, ++count; }
};

struct Bin {
  SweepPoint sum;
  int count = 0;
};

std::string sweepName(bool lateral, double load, double camber) {
  const double camberStep = std::round(camber * 2.0) / 2.0;  // half degrees
  return formatted("%s_Fz%.0f_IA%g", lateral ? "fy" : "fx", std::round(load / 100.0) * 100.0,
                   camberStep == 0.0 ? 0.0 : camberStep);
}

std::string uniqueName(const std::vector<Sweep>& sweeps, const std::string& stem) {
  for (int k = 1;; ++k) {
    const std::string name = k == 1 ? stem + ".dat" : formatted("%s_%d.dat", stem.c_str(), k);
    if (std::none_of(sweeps.begin(), sweeps.end(), [&](const Sweep& s) { return s.name == name; })) return name;
  }
}

/// Bins the samples [begin, end) of a piece into a sweep, or says why not.
void binPiece(const RigRun& run, const Columns& c, std::size_t begin, std::size_t end, const PrepareOptions& options,
              PrepareSummary& summary) {
  const auto timeText = [&] {
    return c.time == nullptr ? formatted("samples %zu to %zu", begin + 1, end)
                             : formatted("%.2f s to %.2f s", (*c.time)[begin], (*c.time)[end - 1]);
  };
  const double duration = c.time == nullptr ? static_cast<double>(end - begin) / 100.0
                                            : (*c.time)[end - 1] - (*c.time)[begin];
  if (duration < options.minimumDuration) {
    summary.dropped.push_back(formatted("%s %s: steady for %.2f s only (a transition)", run.fileName.c_str(),
                                        timeText().c_str(), duration));
    return;
  }
  double alphaLow = 0, alphaHigh = 0, kappaLow = 0, kappaHigh = 0;
  for (std::size_t i = begin; i < end; ++i) {
    alphaLow = std::min(alphaLow, at(c.alpha, i)), alphaHigh = std::max(alphaHigh, at(c.alpha, i));
    kappaLow = std::min(kappaLow, at(c.kappa, i)), kappaHigh = std::max(kappaHigh, at(c.kappa, i));
  }
  // A quarter of the least span tells a sweep from a slip held near zero.
  const bool lateral = alphaHigh - alphaLow >= options.slipAngleSpan / 4.0;
  const bool longitudinal = kappaHigh - kappaLow >= options.slipRatioSpan / 4.0;
  if (!lateral && !longitudinal) {
    summary.dropped.push_back(formatted("%s %s: no slip sweep (a warm-up or a hold)", run.fileName.c_str(),
                                        timeText().c_str()));
    return;
  }
  if (lateral && longitudinal) {
    summary.dropped.push_back(formatted("%s %s: slip angle and slip ratio swept together (combined slip is not "
                                        "prepared)", run.fileName.c_str(), timeText().c_str()));
    return;
  }
  const double width = lateral ? options.slipAngleBin : options.slipRatioBin;
  const std::vector<double>* slip = lateral ? c.alpha : c.kappa;
  std::map<long, Bin> bins;
  Sweep sweep;
  sweep.sourceFile = run.fileName;
  sweep.lateral = lateral;
  sweep.hasMz = c.mz != nullptr;
  sweep.startTime = at(c.time, begin);
  sweep.endTime = at(c.time, end - 1);
  double rolledSum = 0.0;
  std::size_t rolledCount = 0;
  for (std::size_t i = begin; i < end; ++i) {
    Bin& bin = bins[std::lround((*slip)[i] / width)];
    bin.sum.slipRatio += at(c.kappa, i), bin.sum.slipAngle += at(c.alpha, i), bin.sum.camber += at(c.camber, i);
    bin.sum.fx += at(c.fx, i), bin.sum.fy += at(c.fy, i), bin.sum.fz += at(c.load, i), bin.sum.mz += at(c.mz, i);
    ++bin.count;
    sweep.load += at(c.load, i), sweep.camber += at(c.camber, i);
    sweep.pressure += at(c.pressure, i), sweep.speed += at(c.speed, i), sweep.loadedRadius += at(c.loaded, i);
    // The wheel's rotation is compared with the speed where it rolls free.
    if (c.spin != nullptr && c.rolling != nullptr && std::fabs(at(c.kappa, i)) < 0.01)
      rolledSum += (*c.spin)[i] * (*c.rolling)[i], ++rolledCount;
  }
  const double n = static_cast<double>(end - begin);
  sweep.load /= n, sweep.camber /= n, sweep.pressure /= n, sweep.speed /= n, sweep.loadedRadius /= n;
  if (rolledCount > 0) sweep.rolledSpeed = rolledSum / static_cast<double>(rolledCount);
  for (const auto& [index, bin] : bins) {
    // Two samples at least: one pass up and one down, whose lags cancel.
    if (bin.count < 2) continue;
    const double k = 1.0 / bin.count;
    SweepPoint p = bin.sum;
    p.slipRatio *= k, p.slipAngle *= k, p.camber *= k, p.fx *= k, p.fy *= k, p.fz *= k, p.mz *= k;
    p.samples = bin.count;
    sweep.points.push_back(p);
  }
  sweep.name = uniqueName(summary.sweeps, sweepName(lateral, sweep.load, sweep.camber));
  summary.sweeps.push_back(std::move(sweep));
}

}  // namespace

void findSweeps(const RigRun& run, const PrepareOptions& options, PrepareSummary& summary) {
  Columns c;
  c.time = column(run, Quantity::Time);
  c.load = column(run, Quantity::Fz);
  c.camber = column(run, Quantity::Camber);
  c.pressure = column(run, Quantity::Pressure);
  c.speed = column(run, Quantity::Speed);
  c.alpha = column(run, Quantity::SlipAngle);
  c.kappa = column(run, Quantity::SlipRatio);
  c.fx = column(run, Quantity::Fx);
  c.fy = column(run, Quantity::Fy);
  c.mz = column(run, Quantity::Mz);
  c.spin = column(run, Quantity::WheelSpeed);
  c.rolling = column(run, Quantity::EffectiveRadius);
  c.loaded = column(run, Quantity::LoadedRadius);
  if (c.load == nullptr || (c.alpha == nullptr && c.kappa == nullptr)) {
    summary.failures.push_back(formatted("%s: no channel of %s: nothing to prepare", run.fileName.c_str(),
                                         c.load == nullptr ? "load (fz)" : "slip angle or slip ratio"));
    return;
  }
  const std::size_t samples = run.samples();
  std::size_t begin = 0;
  std::size_t lifted = 0;
  while (begin < samples) {
    if ((*c.load)[begin] < options.liftedLoad) {
      ++lifted, ++begin;
      continue;
    }
    Steady load, camber, pressure, speed;
    std::size_t end = begin;
    std::size_t lastInside = begin;
    int outside = 0;
    for (; end < samples; ++end) {
      const double fz = (*c.load)[end];
      if (fz < options.liftedLoad) break;
      const double loadTolerance = std::max(options.loadMargin, options.loadFraction * load.mean());
      const bool inside = load.holds(fz, loadTolerance) &&
                          camber.holds(at(c.camber, end), options.camberTolerance) &&
                          pressure.holds(at(c.pressure, end), options.pressureTolerance) &&
                          speed.holds(at(c.speed, end), options.speedTolerance);
      if (!inside) {
        if (++outside >= options.breakSamples) break;
        continue;
      }
      outside = 0;
      lastInside = end;
      load.add(fz), camber.add(at(c.camber, end)), pressure.add(at(c.pressure, end)), speed.add(at(c.speed, end));
    }
    binPiece(run, c, begin, lastInside + 1, options, summary);
    begin = lastInside + 1;
  }
  if (lifted > 0)
    summary.dropped.push_back(formatted("%s: %zu samples with a load below %g N (the tyre lifted)",
                                        run.fileName.c_str(), lifted, options.liftedLoad));
}

}  // namespace grip
