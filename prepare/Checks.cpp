// Checks of rig data before any fit: each names the file, the channel and
// the mistake that most likely made it.

#include <algorithm>
#include <cmath>

#include "core/FormatText.h"
#include "prepare/Prepare.h"

namespace grip {

namespace {

/// Least-squares slope of y against x over the points with |x| <= reach; false when too few.
template <typename X, typename Y>
bool slopeAtZero(const std::vector<SweepPoint>& points, double reach, X x, Y y, double& slope) {
  double sx = 0, sy = 0, sxx = 0, sxy = 0;
  int n = 0;
  for (const SweepPoint& p : points) {
    const double u = x(p);
    if (std::fabs(u) > reach) continue;
    const double v = y(p);
    sx += u, sy += v, sxx += u * u, sxy += u * v, ++n;
  }
  const double d = n * sxx - sx * sx;
  if (n < 3 || d <= 0.0) return false;
  slope = (n * sxy - sx * sy) / d;
  return true;
}

}  // namespace

bool sweepStiffness(const Sweep& sweep, double& stiffness) {
  // The linear range: 2 deg of slip angle, 0.02 of slip ratio.
  if (sweep.lateral)
    return slopeAtZero(sweep.points, 2.0, [](const SweepPoint& p) { return p.slipAngle; },
                       [](const SweepPoint& p) { return p.fy; }, stiffness);
  return slopeAtZero(sweep.points, 0.02, [](const SweepPoint& p) { return p.slipRatio; },
                     [](const SweepPoint& p) { return p.fx; }, stiffness);
}

double sweepPeak(const Sweep& sweep) {
  double peak = 0.0;
  for (const SweepPoint& p : sweep.points)
    if (p.fz > 0.0) peak = std::max(peak, std::fabs(sweep.lateral ? p.fy : p.fx) / p.fz);
  return peak;
}

void checkRun(const RigRun& run, PrepareSummary& summary) {
  const char* file = run.fileName.c_str();
  if (const Channel* fz = run.find(Quantity::Fz)) {
    std::size_t negative = 0;
    for (double v : fz->values) negative += v < 0.0 ? 1 : 0;
    if (negative * 2 > fz->values.size())
      summary.failures.push_back(formatted("%s channel %s: the load is below zero in %zu of %zu samples: a load of "
                                           "the wrong sign (the file's convention, or a flipped channel)",
                                           file, fz->name.c_str(), negative, fz->values.size()));
  }
  if (const Channel* v = run.find(Quantity::Speed); v != nullptr && !v->values.empty()) {
    double mean = 0.0;
    for (double x : v->values) mean += x;
    mean /= static_cast<double>(v->values.size()) * 1000.0;  // [m/s]
    if (!(std::fabs(mean) >= 0.5 && std::fabs(mean) <= 100.0))
      summary.failures.push_back(formatted("%s channel %s: mean speed %.4g m/s, outside 0.5 to 100 m/s (the unit "
                                           "of the channel: km/h read as m/s, or mm/s as m/s)",
                                           file, v->name.c_str(), mean));
  }
}

void checkSweep(const Sweep& sweep, const PrepareOptions& options, PrepareSummary& summary) {
  const char* file = sweep.sourceFile.c_str();
  const char* name = sweep.name.c_str();
  const char* force = sweep.lateral ? "Fy" : "Fx";
  const char* channel = sweep.forceChannel.c_str();
  const double span = sweep.points.empty() ? 0.0
                      : sweep.lateral      ? sweep.points.back().slipAngle - sweep.points.front().slipAngle
                                           : sweep.points.back().slipRatio - sweep.points.front().slipRatio;
  const double least = sweep.lateral ? options.slipAngleSpan : options.slipRatioSpan;
  if (static_cast<int>(sweep.points.size()) < options.minimumBins || span < least) {
    summary.failures.push_back(formatted("%s sweep %s (%.2f s to %.2f s): %zu points over %.4g %s, fewer than %d or "
                                         "less than %g: too short or too sparse to fit",
                                         file, name, sweep.startTime, sweep.endTime, sweep.points.size(), span,
                                         sweep.lateral ? "deg" : "of slip ratio", options.minimumBins, least));
    return;
  }
  double stiffness = 0.0;
  if (sweepStiffness(sweep, stiffness) && stiffness <= 0.0)
    summary.failures.push_back(formatted("%s sweep %s channel %s: %s stiffness at zero slip %.4g N/%s, of the wrong "
                                         "sign for our convention (a flipped convention, or a flipped %s or slip channel)",
                                         file, name, channel, sweep.lateral ? "cornering" : "slip", stiffness,
                                         sweep.lateral ? "deg" : "1", force));
  const double peak = sweepPeak(sweep);
  if (!(peak >= 0.3 && peak <= 3.5))
    summary.failures.push_back(formatted("%s sweep %s channel %s: friction peak |%s|/Fz = %.4g, outside 0.3 to 3.5 (a "
                                         "force or the load in kN read as N)",
                                         file, name, channel, force, peak));
  if (sweep.lateral && sweep.hasMz) {
    double fySlope = 0.0, mzSlope = 0.0;
    // With our signs Fy and Mz both take the slip angle's sign: the trail
    // behind the centre is Mz/Fy, the ISO reading -Mz/Fy turned round.
    if (slopeAtZero(sweep.points, 2.0, [](const SweepPoint& p) { return p.slipAngle; },
                    [](const SweepPoint& p) { return p.fy; }, fySlope) &&
        slopeAtZero(sweep.points, 2.0, [](const SweepPoint& p) { return p.slipAngle; },
                    [](const SweepPoint& p) { return p.mz; }, mzSlope) &&
        fySlope > 0.0) {
      const double trail = mzSlope / fySlope;  // [mm]
      if (!(trail >= 2.0 && trail <= 150.0))
        summary.failures.push_back(formatted("%s sweep %s channel %s: pneumatic trail %.4g mm at small slip angle, "
                                             "outside 2 to 150 mm (N*m read as N*mm, kN*m, or Mz of the wrong sign)",
                                             file, name, sweep.momentChannel.c_str(), trail));
    }
  }
  if (sweep.speed > 0.0 && sweep.rolledSpeed > 0.0) {
    const double ratio = sweep.speed / sweep.rolledSpeed;
    // 20 % covers the slip of a free-rolling tyre and a guessed rolling radius.
    if (!(ratio >= 0.8 && ratio <= 1.25))
      summary.failures.push_back(formatted("%s sweep %s: speed %.4g m/s against %.4g m/s of wheel spin times "
                                           "effective radius (a speed in km/h read as m/s, or a radius or spin unit)",
                                           file, name, sweep.speed / 1000.0, sweep.rolledSpeed / 1000.0));
  }
}

}  // namespace grip
