// Steady sweeps from the time series of a rig run.

#include <algorithm>
#include <cmath>
#include <limits>
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

/// The samples of one slip value, kept apart by the way the slip moves:
/// the force lags behind the slip, ahead on one pass and behind on the
/// other, so the two passes weigh alike whatever their sample counts.
struct Bin {
  SweepPoint sum[2];
  int count[2] = {0, 0};
};

void addSample(SweepPoint& sum, const SweepPoint& sample) {
  sum.slipRatio += sample.slipRatio, sum.slipAngle += sample.slipAngle, sum.camber += sample.camber;
  sum.fx += sample.fx, sum.fy += sample.fy, sum.fz += sample.fz, sum.mz += sample.mz;
}

void scaleSample(SweepPoint& p, double k) {
  p.slipRatio *= k, p.slipAngle *= k, p.camber *= k, p.fx *= k, p.fy *= k, p.fz *= k, p.mz *= k;
}

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

/// Where a piece that sweeps both slips sweeps one after the other (a
/// slip-angle sweep, then a slip-ratio sweep at the same load and camber):
/// the sample halfway between the two, or 0 where both move at once.
std::size_t betweenSweeps(const Columns& c, std::size_t begin, std::size_t end, const PrepareOptions& options) {
  std::size_t alphaFirst = end, alphaLast = begin, kappaFirst = end, kappaLast = begin;
  for (std::size_t i = begin; i < end; ++i) {
    // Off zero by half a bin: the threshold that cuts a sweep's ends.
    if (std::fabs(at(c.alpha, i)) >= options.slipAngleBin / 2.0) alphaFirst = std::min(alphaFirst, i), alphaLast = i;
    if (std::fabs(at(c.kappa, i)) >= options.slipRatioBin / 2.0) kappaFirst = std::min(kappaFirst, i), kappaLast = i;
  }
  if (alphaLast < kappaFirst) return (alphaLast + 1 + kappaFirst) / 2;
  if (kappaLast < alphaFirst) return (kappaLast + 1 + alphaFirst) / 2;
  return 0;
}

/// Bins the samples [begin, end) of a piece into a sweep, or says why not.
void binPiece(const RigRun& run, const Columns& c, std::size_t begin, std::size_t end, const PrepareOptions& options,
              PrepareSummary& summary, std::size_t& transitionEnd, std::size_t& transitionBegin) {
  const auto timeText = [&] {
    return c.time == nullptr ? formatted("samples %zu to %zu", begin + 1, end)
                             : formatted("%.2f s to %.2f s", (*c.time)[begin], (*c.time)[end - 1]);
  };
  const double duration = c.time == nullptr ? static_cast<double>(end - begin) / 100.0
                                            : (*c.time)[end - 1] - (*c.time)[begin];
  if (duration < options.minimumDuration) {
    // Pieces too short to hold a sweep, one after the other, are one transition.
    if (transitionEnd != begin || summary.dropped.empty()) {
      transitionBegin = begin;
      summary.dropped.emplace_back();
      summary.pieces.push_back({run.fileName, begin, end, PieceKind::transition, ""});
    }
    summary.pieces.back().end = end;
    const std::size_t first = transitionBegin;
    const double steady = c.time == nullptr ? static_cast<double>(end - first) / 100.0
                                            : (*c.time)[end - 1] - (*c.time)[first];
    summary.dropped.back() =
        formatted("%s %s: steady for %.2f s only (a transition)", run.fileName.c_str(),
                  c.time == nullptr ? formatted("samples %zu to %zu", first + 1, end).c_str()
                                    : formatted("%.2f s to %.2f s", (*c.time)[first], (*c.time)[end - 1]).c_str(),
                  steady);
    transitionEnd = end;
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
    summary.pieces.push_back({run.fileName, begin, end, PieceKind::warmUp, ""});
    return;
  }
  if (const std::size_t split = lateral && longitudinal ? betweenSweeps(c, begin, end, options) : 0; split > begin) {
    binPiece(run, c, begin, split, options, summary, transitionEnd, transitionBegin);
    binPiece(run, c, split, end, options, summary, transitionEnd, transitionBegin);
    return;
  }
  if (lateral && longitudinal) {
    summary.dropped.push_back(formatted("%s %s: slip angle and slip ratio swept together (combined slip is not "
                                        "prepared)", run.fileName.c_str(), timeText().c_str()));
    summary.pieces.push_back({run.fileName, begin, end, PieceKind::combined, ""});
    return;
  }
  const double width = lateral ? options.slipAngleBin : options.slipRatioBin;
  const std::vector<double>* slip = lateral ? c.alpha : c.kappa;
  // The slip held at zero before and after the sweep (a warm-up, a hold) is
  // not part of it: it would weigh the zero bin with one load history.
  const std::size_t whole = begin, wholeEnd = end;
  while (begin < end && std::fabs((*slip)[begin]) < width / 2.0) ++begin;
  while (end > begin && std::fabs((*slip)[end - 1]) < width / 2.0) --end;
  if (begin > whole) --begin;  // the last sample at zero joins the sweep
  if (begin > whole) summary.pieces.push_back({run.fileName, whole, begin, PieceKind::heldAtZero, ""});
  if (begin - whole >= 50)
    summary.dropped.push_back(formatted("%s %s: slip held at zero before the sweep (a warm-up or a hold)",
                                        run.fileName.c_str(),
                                        c.time == nullptr ? formatted("samples %zu to %zu", whole + 1, begin).c_str()
                                                          : formatted("%.2f s to %.2f s", (*c.time)[whole],
                                                                      (*c.time)[begin - 1]).c_str()));
  std::map<long, Bin> bins;
  Sweep sweep;
  sweep.sourceFile = run.fileName;
  sweep.lateral = lateral;
  sweep.hasMz = c.mz != nullptr;
  if (const Channel* force = run.find(lateral ? Quantity::Fy : Quantity::Fx)) sweep.forceChannel = force->name;
  if (const Channel* moment = run.find(Quantity::Mz)) sweep.momentChannel = moment->name;
  sweep.startTime = at(c.time, begin);
  sweep.endTime = at(c.time, end - 1);
  double rolledSum = 0.0;
  std::size_t rolledCount = 0;
  for (std::size_t i = begin; i < end; ++i) {
    Bin& bin = bins[std::lround((*slip)[i] / width)];
    const int rising = (*slip)[std::min(i + 1, end - 1)] >= (*slip)[i > begin ? i - 1 : i] ? 1 : 0;
    addSample(bin.sum[rising], SweepPoint{at(c.kappa, i), at(c.alpha, i), at(c.camber, i), at(c.fx, i), at(c.fy, i),
                                          at(c.load, i), at(c.mz, i), 1});
    ++bin.count[rising];
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
    // Both passes, up and down, whose lags cancel to first order; a slip
    // passed one way only would keep its lag.
    if (bin.count[0] == 0 || bin.count[1] == 0) continue;
    SweepPoint p{};
    for (int pass = 0; pass < 2; ++pass) {
      SweepPoint mean = bin.sum[pass];
      scaleSample(mean, 0.5 / bin.count[pass]);
      addSample(p, mean);
    }
    p.samples = bin.count[0] + bin.count[1];
    sweep.points.push_back(p);
  }
  sweep.name = uniqueName(summary.sweeps, sweepName(lateral, sweep.load, sweep.camber));
  summary.pieces.push_back({run.fileName, begin, end, PieceKind::sweep, sweep.name});
  if (wholeEnd > end) summary.pieces.push_back({run.fileName, end, wholeEnd, PieceKind::heldAtZero, ""});
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
  // End of the last piece of this run dropped as a transition; none yet, so
  // that a run that starts with one does not take over the last line of the run before.
  std::size_t transitionEnd = std::numeric_limits<std::size_t>::max();
  std::size_t transitionBegin = 0;
  while (begin < samples) {
    if ((*c.load)[begin] < options.liftedLoad) {
      const RunPiece* last = summary.pieces.empty() ? nullptr : &summary.pieces.back();
      if (last != nullptr && last->kind == PieceKind::lifted && last->end == begin && last->file == run.fileName)
        ++summary.pieces.back().end;
      else summary.pieces.push_back({run.fileName, begin, begin + 1, PieceKind::lifted, ""});
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
    binPiece(run, c, begin, lastInside + 1, options, summary, transitionEnd, transitionBegin);
    begin = lastInside + 1;
  }
  if (lifted > 0)
    summary.dropped.push_back(formatted("%s: %zu samples with a load below %g N (the tyre lifted)",
                                        run.fileName.c_str(), lifted, options.liftedLoad));
}

}  // namespace grip
