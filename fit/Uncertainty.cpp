// What the data of a fit pin down: standard errors, 95 % intervals and
// correlations of the design variables from the residuals' Jacobian at the
// fitted design, and the variables or groups the data cannot tell apart.
//
// The Jacobian is taken in the search's unit coordinates (each variable as a
// share of its bound range), where the columns of a stiffness near 0.05 and
// of a friction decay near 3000 are comparable; the covariance is turned
// back into the parameters' own units at the end.

#include "fit/Uncertainty.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <limits>
#include <numbers>
#include <numeric>

#include "model/MakeTyreModel.h"

namespace grip {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

/// A design variable this close to a bound, as a share of its range, is on
/// it (as the report judges it: the search's steps stop at 1e-7 of the range).
constexpr double kOnBound = 1e-6;

/// A column whose norm is below this share of the largest does not move the
/// residuals: over its whole bound range it changes them less than the
/// rounding of the others.
constexpr double kNoEffect = 1e-9;

/// Eigenvalues of the normalised J^T J below this share of the largest are
/// taken as zero by the pseudo-inverse: the finite differences leave the
/// columns of variables that trade exactly (cy0 and cy1 at one load) about
/// 1e-10 apart, so their eigenvalue is near 1e-20, far below; a real one is
/// far above.
constexpr double kSingular = 1e-12;

/// A variable counts in a direction when its share of the eigenvector is
/// above this (the squares of all shares add up to 1).
constexpr double kInDirection = 0.1;

/// Eigenvalues and eigenvectors of the symmetric n x n matrix a (row after
/// row, destroyed) by cyclic Jacobi rotations: values[k] with the column k
/// of vectors. Converges quadratically; n is at most 33.
void symmetricEigen(std::vector<double>& a, std::size_t n, std::vector<double>& values, std::vector<double>& vectors) {
  vectors.assign(n * n, 0.0);
  for (std::size_t i = 0; i < n; ++i) vectors[i * n + i] = 1.0;
  for (int sweep = 0; sweep < 100; ++sweep) {
    double off = 0.0, diagonal = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
      diagonal += a[i * n + i] * a[i * n + i];
      for (std::size_t j = i + 1; j < n; ++j) off += a[i * n + j] * a[i * n + j];
    }
    if (off <= 1e-30 * diagonal || off == 0.0) break;
    for (std::size_t p = 0; p < n; ++p) {
      for (std::size_t q = p + 1; q < n; ++q) {
        const double apq = a[p * n + q];
        if (apq == 0.0) continue;
        // The rotation that zeroes a[p][q]: t = tan(phi), the smaller root.
        const double theta = (a[q * n + q] - a[p * n + p]) / (2.0 * apq);
        const double t = (theta >= 0.0 ? 1.0 : -1.0) / (std::fabs(theta) + std::sqrt(theta * theta + 1.0));
        const double c = 1.0 / std::sqrt(t * t + 1.0), s = t * c;
        for (std::size_t k = 0; k < n; ++k) {  // columns p and q
          const double akp = a[k * n + p], akq = a[k * n + q];
          a[k * n + p] = c * akp - s * akq;
          a[k * n + q] = s * akp + c * akq;
        }
        for (std::size_t k = 0; k < n; ++k) {  // rows p and q
          const double apk = a[p * n + k], aqk = a[q * n + k];
          a[p * n + k] = c * apk - s * aqk;
          a[q * n + k] = s * apk + c * aqk;
        }
        for (std::size_t k = 0; k < n; ++k) {
          const double vkp = vectors[k * n + p], vkq = vectors[k * n + q];
          vectors[k * n + p] = c * vkp - s * vkq;
          vectors[k * n + q] = s * vkp + c * vkq;
        }
      }
    }
  }
  values.resize(n);
  for (std::size_t i = 0; i < n; ++i) values[i] = a[i * n + i];
}

/// The data that pin a parameter down, for the messages.
const char* dataFor(std::size_t parameter) {
  switch (parameter) {
    case par::cx0: return "longitudinal slip sweeps (direction 1)";
    case par::cx1: return "longitudinal slip sweeps at more loads";
    case par::cy0: return "slip angle sweeps (direction 2 or 3)";
    case par::cy1: return "slip angle sweeps at more loads";
    case par::sx0: return "longitudinal slip sweeps through zero";
    case par::sy0: return "slip angle sweeps through zero";
    case par::soff: return "sweeps through zero slip at more loads";
    case par::mue0: return "sweeps into full sliding";
    case par::muexy:
    case par::Vmuexy: return "combined slip and slip angle";
    case par::mue1xp:
    case par::cmuexp: return "positive longitudinal slip well beyond the peak";
    case par::mue1xn:
    case par::cmuexn: return "negative longitudinal slip well beyond the peak";
    case par::mue1yp:
    case par::cmueyp: return "positive slip angles well beyond the peak";
    case par::mue1yn:
    case par::cmueyn: return "negative slip angles well beyond the peak";
    case par::mueFz: return "sweeps into sliding at more loads";
    case par::vslide: return "sweeps at more speeds";
    case par::pin: return "aligning moments (direction 3)";
    case par::Fzbar: return "sweeps at more loads";
    case par::MzScaleP: return "aligning moments (direction 3) at positive slip angles";
    case par::MzScaleN: return "aligning moments (direction 3) at negative slip angles";
    default: return "a load-deflection test of the tyre";
  }
}

/// Parameters whose effect grows with the load: against each other or their
/// base values only data at more loads tell them apart.
bool loadCoefficient(std::size_t parameter) {
  return parameter == par::cx1 || parameter == par::cy1 || parameter == par::mueFz || parameter == par::soff ||
         parameter == par::Fzbar;
}

/// value as printf writes it in the C locale with precision ("%.*e", "%.*f"
/// or "%.*g" by format), "+" before a value that is not negative when sign,
/// padded with blanks on the left to width. Not by printf: the text must
/// not follow the host's locale.
std::string number(double value, std::chars_format format, int precision, bool sign = false, std::size_t width = 0) {
  std::array<char, 400> text{};  // the longest fixed double: 309 digits and the precision
  const auto [end, error] = std::to_chars(text.data(), text.data() + text.size(), value, format, precision);
  std::string result = error == std::errc{} ? std::string(text.data(), end) : std::string("nan");
  if (sign && result.front() != '-') result.insert(0, "+");
  if (result.size() < width) result.insert(0, width - result.size(), ' ');
  return result;
}

/// "a", "a and b", "a, b and c".
std::string nameList(const std::vector<std::string>& names) {
  std::string list;
  for (std::size_t i = 0; i < names.size(); ++i)
    list += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
  return list;
}

/// What would pin the group's variables (design indices) down: "... would
/// separate them" or "... would pin it down", or why no data would.
std::string separatingData(const DesignUncertainty& u, const std::vector<std::size_t>& group, int modelType) {
  const auto has = [&](std::size_t parameter) {
    return std::any_of(group.begin(), group.end(),
                       [&](std::size_t i) { return u.variables[i].parameter == parameter; });
  };
  // The continuous model's forces depend on a stiffness only over pin: the
  // adhesion force grows with b k = Fz k / (4 pin h), while the sliding
  // force and the moment's sliding term take b pmax = 1.5 Fz / (4 h).
  if (modelType == kContinuousModel && has(par::pin) && group.size() > 1 &&
      (has(par::cx0) || has(par::cx1) || has(par::cy0) || has(par::cy1)))
    return "keep pin fixed: the continuous model's forces depend on the stiffnesses only over pin";
  const char* them = group.size() == 1 ? " would pin it down" : " would separate them";
  if (std::any_of(group.begin(), group.end(), [&](std::size_t i) { return loadCoefficient(u.variables[i].parameter); }))
    return std::string("sweeps at more loads") + them;
  std::string text;
  for (std::size_t i : group) {
    const std::string data = dataFor(u.variables[i].parameter);
    if (text.find(data) == std::string::npos) text += (text.empty() ? "" : "; ") + data;
  }
  return text + them;
}

/// Union-find over the design variables, for groups that trade.
struct Groups {
  explicit Groups(std::size_t n) : parent(n) { std::iota(parent.begin(), parent.end(), 0); }
  std::size_t root(std::size_t i) {
    while (parent[i] != i) i = parent[i] = parent[parent[i]];
    return i;
  }
  void join(std::size_t i, std::size_t j) { parent[root(i)] = root(j); }
  std::vector<std::size_t> parent;
};

/// How a group of variables fails to be determined, the worst first.
enum class Failure { none, wideInterval, correlated, nearSingular, singular };

}  // namespace

double studentT95(int degreesOfFreedom) {
  // Tabled up to 6; beyond, the Cornish-Fisher expansion about the normal
  // quantile, within 5e-5 of the quantile from 7 on.
  constexpr std::array<double, 6> kTable = {12.706204736432095, 4.302652729911275, 3.182446305284263,
                                            2.7764451051977987, 2.5705818366147395, 2.4469118487916806};
  if (degreesOfFreedom <= 6) return kTable[static_cast<std::size_t>(std::max(degreesOfFreedom, 1) - 1)];
  const double z = 1.959963984540054, v = degreesOfFreedom;
  const double z2 = z * z;
  return z + z * (z2 + 1.0) / (4.0 * v) + z * ((5.0 * z2 + 16.0) * z2 + 3.0) / (96.0 * v * v) +
         z * (((3.0 * z2 + 19.0) * z2 + 17.0) * z2 - 15.0) / (384.0 * v * v * v) +
         z * ((((79.0 * z2 + 776.0) * z2 + 1482.0) * z2 - 1920.0) * z2 - 945.0) / (92160.0 * v * v * v * v);
}

namespace {

/// The working state of one judgement, shared by its steps. Design indices
/// d count the design variables; free[c] is the design index of column c of
/// the Jacobian, kept[i] the column of row i of the covariance.
struct Judgement {
  Judgement(DesignUncertainty& result, std::size_t n) : u(result), groups(n), failure(n), worstCorrelation(n) {}
  DesignUncertainty& u;
  std::vector<std::size_t> free, kept;
  std::vector<double> jacobian;      ///< m values per free column, column after column
  std::vector<double> norm;          ///< per free column
  std::vector<double> values, vectors;  ///< eigenvalues and eigenvectors (columns) of the normalised J^T J
  std::vector<double> covariance;    ///< of the kept variables, unit coordinates over the column norms
  double rss = 0.0, top = 0.0, t = 0.0;
  Groups groups;
  std::vector<Failure> failure;
  std::vector<double> worstCorrelation;

  std::size_t designOf(std::size_t i) const { return free[kept[i]]; }
  bool singular(std::size_t e) const { return values[e] <= kSingular * top; }
};

/// The variables, their bounds and which are free (within the bounds).
void listVariables(Judgement& j, const DesignState& state, const TyreModel& model, std::span<const double> design) {
  for (std::size_t p = 0, i = 0; p < kParameterCount; ++p) {
    if (state.designMask[p] != 1) continue;
    VariableUncertainty v;
    v.name = model.parameterName(p);
    v.parameter = p;
    v.value = design[i];
    v.lower = state.lowerBound[p];
    v.upper = state.upperBound[p];
    v.standardError = v.low95 = v.high95 = kNaN;
    const double margin = kOnBound * std::fabs(v.upper - v.lower);
    if (v.value <= v.lower + margin) v.boundFlag = -1;
    else if (v.value >= v.upper - margin) v.boundFlag = 1;
    if (v.boundFlag != 0) v.reason = v.boundFlag < 0 ? "on its lower bound" : "on its upper bound";
    else j.free.push_back(i);
    j.u.variables.push_back(v);
    ++i;
  }
}

/// The residuals at the design and the Jacobian's free columns in unit
/// coordinates: central differences, one-sided where a step would leave
/// the bounds (the model need not hold beyond them). False when a residual
/// is not a finite number.
bool differentiate(Judgement& j, TargetEvaluator& evaluator, std::span<const double> design) {
  const std::size_t m = evaluator.residualCount();
  std::vector<double> x(design.begin(), design.end()), r0(m), ahead(m), behind(m);
  j.jacobian.assign(m * j.free.size(), 0.0);
  evaluator.residuals(x, r0);
  ++j.u.evaluations;
  bool finite = true;
  for (double r : r0) {
    j.rss += r * r;
    finite = finite && std::isfinite(r);
  }
  for (std::size_t c = 0; c < j.free.size(); ++c) {
    const VariableUncertainty& v = j.u.variables[j.free[c]];
    const double range = v.upper - v.lower;
    const double unit = (v.value - v.lower) / range;
    const double up = std::min(unit + j.u.step, 1.0), down = std::max(unit - j.u.step, 0.0);
    x[j.free[c]] = v.lower + up * range;
    evaluator.residuals(x, ahead);
    x[j.free[c]] = v.lower + down * range;
    evaluator.residuals(x, behind);
    x[j.free[c]] = v.value;
    j.u.evaluations += 2;
    for (std::size_t k = 0; k < m; ++k) {
      const double slope = (ahead[k] - behind[k]) / (up - down);
      j.jacobian[c * m + k] = slope;
      finite = finite && std::isfinite(slope);
    }
  }
  return finite;
}

/// Columns without effect leave the covariance; the rest is normalised so
/// that J^T J has a unit diagonal (its eigenvalues are then comparable) and
/// decomposed. Returns the rank.
std::size_t decompose(Judgement& j, std::size_t m) {
  j.norm.assign(j.free.size(), 0.0);
  double largest = 0.0;
  for (std::size_t c = 0; c < j.free.size(); ++c) {
    double sum = 0.0;
    for (std::size_t k = 0; k < m; ++k) sum += j.jacobian[c * m + k] * j.jacobian[c * m + k];
    j.norm[c] = std::sqrt(sum);
    largest = std::max(largest, j.norm[c]);
  }
  for (std::size_t c = 0; c < j.free.size(); ++c) {
    if (j.norm[c] > kNoEffect * largest && j.norm[c] > 0.0) j.kept.push_back(c);
    else j.u.variables[j.free[c]].reason = "does not change the residuals";
  }
  const std::size_t q = j.kept.size();
  std::vector<double> a(q * q);
  for (std::size_t r = 0; r < q; ++r) {
    for (std::size_t s = r; s < q; ++s) {
      const double* left = &j.jacobian[j.kept[r] * m];
      const double* right = &j.jacobian[j.kept[s] * m];
      double sum = 0.0;
      for (std::size_t k = 0; k < m; ++k) sum += left[k] * right[k];
      a[r * q + s] = a[s * q + r] = sum / (j.norm[j.kept[r]] * j.norm[j.kept[s]]);
    }
  }
  symmetricEigen(a, q, j.values, j.vectors);
  j.top = q > 0 ? *std::max_element(j.values.begin(), j.values.end()) : 0.0;
  std::size_t rank = 0;
  for (std::size_t e = 0; e < q; ++e) rank += j.singular(e) ? 0 : 1;
  return rank;
}

/// Covariance f s^2 N^-1 (normalised J^T J)^+ N^-1 of the kept variables,
/// their standard errors and intervals in their own units; none along a
/// singular direction, where the data allow any value.
void estimate(Judgement& j, const UncertaintyOptions& options) {
  DesignUncertainty& u = j.u;
  const std::size_t q = j.kept.size();
  // The search minimises the sum of |residuals|: sqrt(pi/2) times the
  // scatter of a least-squares estimate for Gaussian errors.
  const double variance = u.residualSpread * u.residualSpread * (options.absoluteErrors ? std::numbers::pi / 2.0 : 1.0);
  j.covariance.assign(q * q, 0.0);
  for (std::size_t e = 0; e < q; ++e) {
    if (j.singular(e)) continue;
    for (std::size_t r = 0; r < q; ++r)
      for (std::size_t s = 0; s < q; ++s)
        j.covariance[r * q + s] += j.vectors[r * q + e] * j.vectors[s * q + e] / j.values[e];
  }
  j.t = studentT95(u.degreesOfFreedom);
  for (std::size_t i = 0; i < q; ++i) {
    VariableUncertainty& v = u.variables[j.designOf(i)];
    v.standardError = std::sqrt(variance * j.covariance[i * q + i]) * (v.upper - v.lower) / j.norm[j.kept[i]];
    v.low95 = v.value - j.t * v.standardError;
    v.high95 = v.value + j.t * v.standardError;
  }
  // Singular and near-singular directions: their variables trade.
  const std::size_t none = u.variables.size();
  for (std::size_t e = 0; e < q; ++e) {
    if (j.values[e] >= options.nearSingular * j.top) continue;
    std::size_t first = none;
    for (std::size_t i = 0; i < q; ++i) {
      if (std::fabs(j.vectors[i * q + e]) <= kInDirection) continue;
      const std::size_t d = j.designOf(i);
      j.failure[d] = std::max(j.failure[d], j.singular(e) ? Failure::singular : Failure::nearSingular);
      if (first == none) first = d;
      else j.groups.join(d, first);
    }
  }
  for (std::size_t i = 0; i < q; ++i) {
    if (j.failure[j.designOf(i)] != Failure::singular) continue;
    VariableUncertainty& v = u.variables[j.designOf(i)];
    v.standardError = kInfinity;
    v.low95 = v.high95 = kNaN;
  }
  // Correlations, and the pairs beyond the limit.
  u.correlation.assign(q * q, 0.0);
  for (std::size_t r = 0; r < q; ++r) {
    u.correlationNames.push_back(u.variables[j.designOf(r)].name);
    for (std::size_t s = 0; s < q; ++s) {
      const double scale = std::sqrt(j.covariance[r * q + r] * j.covariance[s * q + s]);
      const double rho = scale > 0.0 ? j.covariance[r * q + s] / scale : 0.0;
      u.correlation[r * q + s] = r == s ? 1.0 : std::clamp(rho, -1.0, 1.0);
      if (r == s || std::fabs(rho) <= options.correlationLimit) continue;
      const std::size_t d = j.designOf(r);
      j.groups.join(d, j.designOf(s));
      j.failure[d] = std::max(j.failure[d], Failure::correlated);
      if (std::fabs(rho) > std::fabs(j.worstCorrelation[d])) j.worstCorrelation[d] = rho;
    }
  }
  // Intervals wider than the share of the bounds.
  for (std::size_t i = 0; i < q; ++i) {
    const VariableUncertainty& v = u.variables[j.designOf(i)];
    if (std::isfinite(v.standardError) && 2.0 * j.t * v.standardError > options.intervalShare * (v.upper - v.lower))
      j.failure[j.designOf(i)] = std::max(j.failure[j.designOf(i)], Failure::wideInterval);
  }
}

/// The reason per variable and one message per variable or group not
/// determined (those on a bound are the report's).
void tell(Judgement& j, int modelType) {
  DesignUncertainty& u = j.u;
  const std::size_t n = u.variables.size();
  for (std::size_t d = 0; d < n; ++d) {
    VariableUncertainty& v = u.variables[d];
    switch (j.failure[d]) {
      case Failure::singular: v.reason = "trades exactly against others"; break;
      case Failure::nearSingular: v.reason = "nearly trades against others"; break;
      case Failure::correlated:
        v.reason = "correlation " + number(j.worstCorrelation[d], std::chars_format::fixed, 4, true) + " with another";
        break;
      case Failure::wideInterval:
        v.reason = "its 95 % interval spans " +
                   number(200.0 * j.t * v.standardError / (v.upper - v.lower), std::chars_format::fixed, 0) +
                   " % of its bounds";
        break;
      case Failure::none: break;
    }
    v.determined = v.reason.empty();
  }
  std::vector<bool> told(n, false);
  for (std::size_t d = 0; d < n; ++d) {
    const VariableUncertainty& v = u.variables[d];
    if (v.determined || v.boundFlag != 0 || told[d]) continue;
    std::vector<std::size_t> group;
    std::vector<std::string> names;
    Failure worst = Failure::none;
    double rho = 0.0;
    for (std::size_t e = d; e < n; ++e) {
      if (j.groups.root(e) != j.groups.root(d) || u.variables[e].determined) continue;
      group.push_back(e);
      names.push_back(u.variables[e].name);
      told[e] = true;
      worst = std::max(worst, j.failure[e]);
      if (std::fabs(j.worstCorrelation[e]) > std::fabs(rho)) rho = j.worstCorrelation[e];
    }
    std::string why = v.reason;
    if (group.size() > 1) {
      switch (worst) {
        case Failure::singular: why = "they trade exactly against each other"; break;
        case Failure::nearSingular: why = "they nearly trade against each other"; break;
        case Failure::correlated: why = "correlation " + number(rho, std::chars_format::fixed, 4, true); break;
        default: why = "their 95 % intervals span most of their bounds"; break;
      }
    }
    u.undetermined.push_back(nameList(names) + (group.size() == 1 ? " is" : " are") +
                             " not determined by these data (" + why + "): " + separatingData(u, group, modelType));
  }
}

}  // namespace

DesignUncertainty designUncertainty(const DesignState& state, std::span<const double> design,
                                    const UncertaintyOptions& options) {
  const auto started = std::chrono::steady_clock::now();
  DesignUncertainty u;
  if (!state.initialised || !state.model) {
    u.fault = "the design state is not initialised";
    return u;
  }
  const auto n = static_cast<std::size_t>(state.designCount);
  if (design.size() != n) {
    u.fault = "the design holds " + std::to_string(design.size()) + " values where " + std::to_string(n) +
              " design variables are expected";
    return u;
  }
  TyreModel model = makeTyreModel();
  model.setUp(state.model->parameters, state.model->modelNumber);
  model.setTrace(0, nullptr);
  TargetEvaluator evaluator(model, state);
  const std::size_t m = evaluator.residualCount();
  u.residualCount = static_cast<int>(m);
  u.step = options.relativeStep > 0.0                    ? options.relativeStep
           : state.model->modelType == kDiscreteModel ? kDiscreteStep
                                                      : kContinuousStep;
  Judgement j(u, n);
  listVariables(j, state, model, design);
  if (!differentiate(j, evaluator, design)) {
    u.fault = "the model gives residuals that are not finite numbers at or near the design";
    for (VariableUncertainty& v : u.variables)
      if (v.reason.empty()) v.reason = "no residuals to judge it by";
    return u;
  }
  const std::size_t rank = decompose(j, m);
  u.degreesOfFreedom = static_cast<int>(m) - static_cast<int>(rank);
  if (u.degreesOfFreedom <= 0) {
    for (std::size_t c : j.kept) u.variables[j.free[c]].reason = "fewer residuals than free design variables";
    u.undetermined.push_back("the " + std::to_string(m) + " residuals cannot determine " +
                             std::to_string(j.kept.size()) + " free design variables");
  } else {
    u.residualSpread = std::sqrt(j.rss / u.degreesOfFreedom);
    estimate(j, options);
    tell(j, state.model->modelType);
  }
  u.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  return u;
}

namespace {

/// A number of a column, or "-" for one that is not finite.
std::string cell(double value) {
  if (!std::isfinite(value)) return std::string(14, ' ') + "-";
  return " " + number(value, std::chars_format::scientific, 6, true, 14);
}

}  // namespace

std::vector<std::string> uncertaintyColumns(const DesignUncertainty& u) {
  std::vector<std::string> lines{"      std.error          low95         high95  determined"};
  for (const VariableUncertainty& v : u.variables) {
    const char* verdict = v.determined ? "yes" : v.boundFlag != 0 ? "no (bound)" : "no";
    lines.push_back(cell(v.standardError) + cell(v.low95) + cell(v.high95) + "  " + verdict);
  }
  return lines;
}

std::vector<std::string> uncertaintyNotes(const DesignUncertainty& u) {
  std::vector<std::string> lines;
  if (!u.fault.empty()) return {"uncertainty  none: " + u.fault + "\n"};
  lines.push_back("uncertainty  from " + std::to_string(u.residualCount) + " residuals, " +
                  std::to_string(u.degreesOfFreedom) + " degrees of freedom, spread " +
                  number(u.residualSpread, std::chars_format::general, 6) + " %; intervals: 95 %, none on a bound\n");
  if (u.undetermined.empty()) lines.emplace_back("not determined: none\n");
  for (const std::string& message : u.undetermined) lines.push_back("not determined: " + message + "\n");
  if (u.correlationNames.size() < 2) return lines;
  // Each column as wide as its name and at least a value; the row labels
  // as wide as the longest name and the word "correlation".
  const std::size_t k = u.correlationNames.size();
  std::size_t label = 11;
  for (const std::string& name : u.correlationNames) label = std::max(label, name.size());
  const auto right = [](const std::string& text, std::size_t width) {
    return " " + std::string(width > text.size() ? width - text.size() : 0, ' ') + text;
  };
  std::string header = "\ncorrelation" + std::string(label - 11, ' ');
  for (const std::string& name : u.correlationNames) header += right(name, std::max<std::size_t>(name.size(), 7));
  lines.push_back(header + "\n");
  for (std::size_t i = 0; i < k; ++i) {
    std::string row = u.correlationNames[i] + std::string(label - u.correlationNames[i].size(), ' ');
    for (std::size_t j = 0; j < k; ++j)
      row += right(number(u.correlation[i * k + j], std::chars_format::fixed, 4, true),
                   std::max<std::size_t>(u.correlationNames[j].size(), 7));
    lines.push_back(row + "\n");
  }
  return lines;
}

nlohmann::json uncertaintyJson(const DesignUncertainty& u) {
  const auto value = [](double x) { return std::isfinite(x) ? nlohmann::json(x) : nlohmann::json(nullptr); };
  nlohmann::json design = nlohmann::json::array();
  for (const VariableUncertainty& v : u.variables) {
    design.push_back({{"name", v.name},
                      {"standard_error", value(v.standardError)},
                      {"interval95", {value(v.low95), value(v.high95)}},
                      {"determined", v.determined},
                      {"reason", v.reason}});
  }
  nlohmann::json matrix = nlohmann::json::array();
  const std::size_t k = u.correlationNames.size();
  for (std::size_t i = 0; i < k; ++i) {
    nlohmann::json row = nlohmann::json::array();
    for (std::size_t j = 0; j < k; ++j) row.push_back(value(u.correlation[i * k + j]));
    matrix.push_back(row);
  }
  return {{"design", design},
          {"correlation", {{"names", u.correlationNames}, {"matrix", matrix}}},
          {"undetermined", u.undetermined},
          {"residual_spread", value(u.residualSpread)}};
}

}  // namespace grip
