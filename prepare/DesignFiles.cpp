// The design files of a preparation: start values from the data, the
// target list, the measurement files, and the whole set written at once.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <memory>
#include <regex>

#include "core/FormatText.h"
#include "core/ResultSet.h"
#include "core/TextFile.h"
#include "model/MakeTyreModel.h"
#include "prepare/Prepare.h"

namespace grip {

namespace {

/// A passenger-car tyre, for the parameters the data do not give.
constexpr ParameterSet kTypicalTyre = {
    7.2e-02, 1.0e-06, 3.6e-02, -1.0e-07,                            // stiffness
    0.0, 0.0, 0.0,                                                  // offsets
    0.9, 1.0, 1.0, 0.85, 3.0e3, 0.82, 3.0e3, 0.9, 4.0e3, 0.88, 4.0e3,  // friction
    2.0e-05, 20.0,
    0.2, 4000.0, 1.0, 1.0,                                          // other
    250.0, 310.0, 95.0, 20.0, 20.0, 4.0, 1.0, 1.0, 0.0,             // contact
};

constexpr const char* kDesignBoundsEnd = " designbounds  %+12.6e %+12.6e\n";

/// Least-squares line y = a + b x; false when x does not vary.
bool fitLine(const std::vector<double>& x, const std::vector<double>& y, double& a, double& b) {
  const double n = static_cast<double>(x.size());
  double sx = 0, sy = 0, sxx = 0, sxy = 0;
  for (std::size_t i = 0; i < x.size(); ++i) sx += x[i], sy += y[i], sxx += x[i] * x[i], sxy += x[i] * y[i];
  const double d = n * sxx - sx * sx;
  if (x.size() < 2 || d <= 1e-9 * n * sxx) return false;
  b = (n * sxy - sx * sy) / d;
  a = (sy - b * sx) / n;
  return true;
}

/// The slope at zero slip of the model as set up, at the sweep's points and
/// by the line the measured slope is taken with (sweepStiffness).
bool modelStiffness(TyreModel& model, const Sweep& sweep, double& stiffness) {
  Sweep modelled = sweep;
  for (SweepPoint& p : modelled.points) {
    const TyreForces f = model.evaluate(OperatingPoint{p.slipRatio, p.slipAngle, p.camber, p.fz, sweep.speed});
    p.fx = f.Fx, p.fy = f.Fy, p.mz = f.Mz;
  }
  return sweepStiffness(modelled, stiffness);
}

double clampInto(double value, const DesignBounds& bounds) {
  return bounds.recommended() ? std::clamp(value, bounds.lower, bounds.upper) : value;
}

}  // namespace

bool PrepareOptions::isValid(std::string* error) const {
  const auto fail = [&](const char* text) {
    if (error != nullptr) *error = text;
    return false;
  };
  if (!(loadFraction >= 0.0 && loadMargin >= 0.0 && camberTolerance >= 0.0 && pressureTolerance >= 0.0 &&
        speedTolerance >= 0.0))
    return fail("a tolerance should be 0 or more");
  if (breakSamples < 1) return fail("breakSamples should be 1 or more");
  if (!(minimumDuration >= 0.0)) return fail("minimumDuration should be 0 or more");
  if (!(slipAngleBin > 0.0 && slipRatioBin > 0.0)) return fail("a bin width should be above 0");
  if (!(liftedLoad >= 0.0)) return fail("liftedLoad should be 0 or more");
  if (modelType != 1 && modelType != 2) return fail("--model should be 1 or 2");
  double radius = 0.0, width = 0.0;
  if (!tyreSize.empty() && !parseTyreSize(tyreSize, radius, width))
    return fail("--tyre should be a size such as 205/60R15");
  return true;
}

bool parseTyreSize(const std::string& size, double& radius, double& width) {
  static const std::regex pattern(R"(^\s*(\d{3})\s*/\s*(\d{2,3})\s*Z?R?\s*(\d{2}(\.\d)?)\s*$)", std::regex::icase);
  std::smatch m;
  if (!std::regex_match(size, m, pattern)) return false;
  // Digits and a point, as the pattern took them: read whatever the locale.
  const auto number = [](const std::ssub_match& text) {
    double value = 0.0;
    std::from_chars(&*text.first, &*text.first + text.length(), value);
    return value;
  };
  width = number(m[1]);
  const double aspect = number(m[2]);
  const double rim = number(m[3]);
  if (size.find_first_of("Rr") == std::string::npos) return false;
  radius = rim * 25.4 / 2.0 + width * aspect / 100.0;
  return true;
}

ParameterSet startValues(const std::vector<Sweep>& sweeps, const std::vector<RigRun>& runs,
                         const PrepareOptions& options, std::vector<std::string>& notes) {
  ParameterSet values = kTypicalTyre;
  const VariantDescription* description = variantDescription(options.modelType);
  double width = 205.0;
  double radius = 0.0;
  if (!options.tyreSize.empty() && parseTyreSize(options.tyreSize, radius, width)) {
    values[par::R] = radius;
    notes.push_back(formatted("R = %.1f mm from the tyre size %s", radius, options.tyreSize.c_str()));
  }
  // The loaded radius against the load: its line meets zero load at the
  // free radius, its slope is the radial stiffness.
  std::vector<double> load, loaded;
  for (const RigRun& run : runs) {
    const Channel* fz = run.find(Quantity::Fz);
    const Channel* rl = run.find(Quantity::LoadedRadius);
    if (fz == nullptr || rl == nullptr) continue;
    for (std::size_t i = 0; i < fz->values.size(); i += 10)  // every tenth sample is plenty
      if (fz->values[i] > options.liftedLoad) load.push_back(fz->values[i]), loaded.push_back(rl->values[i]);
  }
  double free = 0.0, slope = 0.0;
  if (fitLine(load, loaded, free, slope) && slope < 0.0) {
    values[par::cR] = -1.0 / slope;
    notes.push_back(formatted("cR = %.1f N/mm from the loaded radius over the load", values[par::cR]));
    if (radius == 0.0) {
      values[par::R] = free;
      notes.push_back(formatted("R = %.1f mm, the loaded radius at zero load", free));
    }
  }
  double loadSum = 0.0;
  for (const Sweep& s : sweeps) loadSum += s.load;
  if (!sweeps.empty()) {
    values[par::Fzbar] = std::round(loadSum / static_cast<double>(sweeps.size()));
    notes.push_back(formatted("Fzbar = %.0f N, the mean load of the sweeps", values[par::Fzbar]));
  }
  const auto take = [&](std::size_t p, double value) {
    values[p] = description != nullptr ? clampInto(value, description->parameters[p].bounds) : value;
  };
  double mu = 0;
  int nmu = 0;
  for (const Sweep& s : sweeps)
    if (s.lateral) mu += sweepPeak(s), ++nmu;
  if (nmu > 0) take(par::mue0, mu / nmu);
  // The brush in its linear range: the slope at zero slip grows with the
  // stiffness per area nearly in proportion, over a patch whose length and
  // width are the model's own (the width follows pin, not the section). So
  // the model gives its slope at the sweep's points, fitted by the same
  // line as the measured one, and the measured slope over it scales the
  // stiffness; some sliding within that line's range bends the proportion,
  // which a second and a third pass take out.
  TyreModel model = makeTyreModel();
  int ny = 0, nx = 0;
  for (int pass = 0; pass < 3 && model.setUp(values, options.modelType) == 0; ++pass) {
    double cy = 0, cx = 0;
    ny = 0, nx = 0;
    for (const Sweep& s : sweeps) {
      double stiffness = 0.0, modelled = 0.0;
      if (!sweepStiffness(s, stiffness) || !(stiffness > 0.0) || !modelStiffness(model, s, modelled) ||
          !(modelled > 0.0))
        continue;
      if (s.lateral) cy += values[par::cy0] * stiffness / modelled, ++ny;
      else cx += values[par::cx0] * stiffness / modelled, ++nx;
    }
    if (ny > 0) take(par::cy0, cy / ny);
    if (nx > 0) take(par::cx0, cx / nx);
  }
  const auto note = [&](std::size_t p, int n, const char* from) {
    if (n > 0) notes.push_back(formatted("%s = %.4g from %s", kParameterTable[p].name, values[p], from));
  };
  note(par::cy0, ny, "the cornering stiffness at zero slip angle");
  note(par::cx0, nx, "the slip stiffness at zero slip ratio");
  note(par::mue0, nmu, "the peaks of |Fy|/Fz");
  return values;
}

std::string measurementText(const Sweep& sweep) {
  std::string text;
  for (const SweepPoint& p : sweep.points)
    appendFormatted(text, "%+e %+e %+e %+e %+e %+e %+e\n", p.slipRatio, p.slipAngle, p.camber, p.fx, p.fy, p.fz,
                    p.mz);
  return text;
}

std::string designTargetText(const std::vector<Sweep>& sweeps) {
  std::string text = "sweeps prepared from rig runs by gripfit prepare\n";
  appendFormatted(text, " number of files = %zu\n", sweeps.size());
  for (const Sweep& s : sweeps)
    appendFormatted(text, " file = %-20s points = %3zu direction = %d speed = %.0f\n", s.name.c_str(),
                    s.points.size(), s.direction(), s.speed);
  text += "[Eof]\n";
  return text;
}

std::string designStartText(const ParameterSet& values, int modelType) {
  TyreModel model = makeTyreModel();
  model.parameters = values;
  model.modelType = modelType;
  model.modelNumber = modelType;
  const VariantDescription* description = variantDescription(modelType);
  std::string text;
  // Written through a memory stream so that the parameter writer's layout is the one the fit reads.
  char* buffer = nullptr;  // the stream's, until it is closed
  std::size_t size = 0;
  TextFile file(open_memstream(&buffer, &size));
  if (!file) return text;
  writeParameterBlocks(file.get(), model, [&](std::FILE* f, std::size_t p) {
    const DesignBounds& b = description->parameters[p].bounds;
    if (b.recommended()) printFormatted(f, kDesignBoundsEnd, b.lower, b.upper);
    else std::fputs("\n", f);
  });
  std::fputs("[Eof]\n", file.get());
  file.reset();
  const std::unique_ptr<char, decltype(&std::free)> owned(buffer, &std::free);
  if (owned) text.assign(owned.get(), size);
  return text;
}

}  // namespace grip
