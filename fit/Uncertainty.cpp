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
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
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

std::string number(const char* format, double value) {
  std::array<char, 64> text{};
  std::snprintf(text.data(), text.size(), format, value);
  return text.data();
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
    return std::any_of(group.begin(), group.end(), [&](std::size_t i) { return u.variables[i].parameter == parameter; });
  };
  // The continuous model's forces depend on a stiffness only over pin: the
  // adhesion force grows with b k = Fz k / (4 pin h), while the sliding
  // force and the moment's sliding part take b pmax = 1.5 Fz / (4 h).
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
  u.step = options.relativeStep > 0.0 ? options.relativeStep
           : state.model->modelType == kDiscreteModel ? kDiscreteStep
                                                      : kContinuousStep;

  // The variables, their bounds, and which are free (within the bounds).
  std::vector<std::size_t> free;
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
    else free.push_back(i);
    u.variables.push_back(v);
    ++i;
  }

  // Residuals at the design and the Jacobian's free columns in unit
  // coordinates: central differences, one-sided where a step would leave
  // the bounds (the model need not hold beyond them).
  std::vector<double> x(design.begin(), design.end()), r0(m), ahead(m), behind(m);
  std::vector<double> jacobian(m * free.size());  // column after column
  evaluator.residuals(x, r0);
  ++u.evaluations;
  double rss = 0.0;
  bool finite = true;
  for (double r : r0) {
    rss += r * r;
    finite = finite && std::isfinite(r);
  }
  for (std::size_t c = 0; c < free.size(); ++c) {
    const VariableUncertainty& v = u.variables[free[c]];
    const double range = v.upper - v.lower;
    const double unit = (v.value - v.lower) / range;
    const double up = std::min(unit + u.step, 1.0), down = std::max(unit - u.step, 0.0);
    x[free[c]] = v.lower + up * range;
    evaluator.residuals(x, ahead);
    x[free[c]] = v.lower + down * range;
    evaluator.residuals(x, behind);
    x[free[c]] = v.value;
    u.evaluations += 2;
    for (std::size_t k = 0; k < m; ++k) {
      const double slope = (ahead[k] - behind[k]) / (up - down);
      jacobian[c * m + k] = slope;
      finite = finite && std::isfinite(slope);
    }
  }
  if (!finite) {
    u.fault = "the model gives residuals that are not finite numbers at or near the design";
    for (VariableUncertainty& v : u.variables)
      if (v.reason.empty()) v.reason = "no residuals to judge it by";
    return u;
  }

  // Columns without effect leave the covariance; the rest is normalised so
  // that J^T J has a unit diagonal (its eigenvalues are then comparable).
  std::vector<double> norm(free.size());
  double largest = 0.0;
  for (std::size_t c = 0; c < free.size(); ++c) {
    double sum = 0.0;
    for (std::size_t k = 0; k < m; ++k) sum += jacobian[c * m + k] * jacobian[c * m + k];
    norm[c] = std::sqrt(sum);
    largest = std::max(largest, norm[c]);
  }
  std::vector<std::size_t> kept;  // indices into free
  for (std::size_t c = 0; c < free.size(); ++c) {
    if (norm[c] > kNoEffect * largest && norm[c] > 0.0) kept.push_back(c);
    else u.variables[free[c]].reason = "does not change the residuals";
  }
  const std::size_t q = kept.size();
  std::vector<double> a(q * q);
  for (std::size_t i = 0; i < q; ++i) {
    for (std::size_t j = i; j < q; ++j) {
      double sum = 0.0;
      for (std::size_t k = 0; k < m; ++k) sum += jacobian[kept[i] * m + k] * jacobian[kept[j] * m + k];
      a[i * q + j] = a[j * q + i] = sum / (norm[kept[i]] * norm[kept[j]]);
    }
  }
  std::vector<double> values, vectors;
  symmetricEigen(a, q, values, vectors);
  const double top = q > 0 ? *std::max_element(values.begin(), values.end()) : 0.0;
  std::size_t rank = 0;
  for (double value : values) rank += value > kSingular * top ? 1 : 0;

  // The residuals' own spread, and the covariance of the kept variables in
  // unit coordinates: f s^2 N^-1 (normalised J^T J)^+ N^-1.
  Groups groups(n);
  std::vector<Failure> failure(n, Failure::none);
  std::vector<double> worstCorrelation(n, 0.0);
  u.degreesOfFreedom = static_cast<int>(m) - static_cast<int>(rank);
  if (u.degreesOfFreedom <= 0) {
    for (std::size_t c : kept) u.variables[free[c]].reason = "fewer residuals than free design variables";
    u.undetermined.push_back("the " + std::to_string(m) + " residuals cannot determine " + std::to_string(q) +
                             " free design variables");
    kept.clear();
  } else {
    u.residualSpread = std::sqrt(rss / u.degreesOfFreedom);
  }
  const std::size_t kq = kept.size();
  const double variance = u.residualSpread * u.residualSpread * (options.absoluteErrors ? M_PI / 2.0 : 1.0);
  std::vector<double> covariance(kq * kq, 0.0);
  for (std::size_t e = 0; e < kq; ++e) {
    if (values[e] <= kSingular * top) continue;
    for (std::size_t i = 0; i < kq; ++i)
      for (std::size_t j = 0; j < kq; ++j) covariance[i * kq + j] += vectors[i * q + e] * vectors[j * q + e] / values[e];
  }
  const double t = studentT95(u.degreesOfFreedom);
  for (std::size_t i = 0; i < kq; ++i) {
    VariableUncertainty& v = u.variables[free[kept[i]]];
    const double range = v.upper - v.lower;
    v.standardError = std::sqrt(variance * covariance[i * kq + i]) * range / norm[kept[i]];
    v.low95 = v.value - t * v.standardError;
    v.high95 = v.value + t * v.standardError;
  }

  // Singular and near-singular directions: their variables trade.
  for (std::size_t e = 0; e < kq; ++e) {
    if (values[e] >= options.nearSingular * top) continue;
    const Failure kind = values[e] <= kSingular * top ? Failure::singular : Failure::nearSingular;
    std::size_t first = n;
    for (std::size_t i = 0; i < kq; ++i) {
      if (std::fabs(vectors[i * q + e]) <= kInDirection) continue;
      const std::size_t d = free[kept[i]];
      failure[d] = std::max(failure[d], kind);
      if (first == n) first = d;
      else groups.join(d, first);
    }
  }
  // Along a singular direction the data allow any value: no interval.
  for (std::size_t i = 0; i < kq; ++i) {
    VariableUncertainty& v = u.variables[free[kept[i]]];
    if (failure[free[kept[i]]] != Failure::singular) continue;
    v.standardError = kInfinity;
    v.low95 = v.high95 = kNaN;
  }

  // Correlations of the kept variables, and the pairs beyond the limit.
  u.correlation.assign(kq * kq, 0.0);
  for (std::size_t i = 0; i < kq; ++i) {
    u.correlationNames.push_back(u.variables[free[kept[i]]].name);
    for (std::size_t j = 0; j < kq; ++j) {
      const double scale = std::sqrt(covariance[i * kq + i] * covariance[j * kq + j]);
      const double rho = scale > 0.0 ? covariance[i * kq + j] / scale : 0.0;
      u.correlation[i * kq + j] = i == j ? 1.0 : std::clamp(rho, -1.0, 1.0);
      if (i == j || std::fabs(rho) <= options.correlationLimit) continue;
      const std::size_t di = free[kept[i]], dj = free[kept[j]];
      groups.join(di, dj);
      failure[di] = std::max(failure[di], Failure::correlated);
      if (std::fabs(rho) > std::fabs(worstCorrelation[di])) worstCorrelation[di] = rho;
    }
  }

  // Intervals wider than the share of the bounds.
  for (std::size_t i = 0; i < kq; ++i) {
    const std::size_t d = free[kept[i]];
    VariableUncertainty& v = u.variables[d];
    if (std::isfinite(v.standardError) && 2.0 * t * v.standardError > options.intervalShare * (v.upper - v.lower))
      failure[d] = std::max(failure[d], Failure::wideInterval);
  }

  // Reasons per variable and one message per group.
  for (std::size_t d = 0; d < n; ++d) {
    VariableUncertainty& v = u.variables[d];
    const std::string spans = std::isfinite(v.standardError)
                                  ? number("%.0f", 200.0 * t * v.standardError / (v.upper - v.lower))
                                  : std::string();
    switch (failure[d]) {
      case Failure::singular: v.reason = "trades exactly against others"; break;
      case Failure::nearSingular: v.reason = "nearly trades against others"; break;
      case Failure::correlated: v.reason = "correlation " + number("%+.4f", worstCorrelation[d]) + " with another"; break;
      case Failure::wideInterval: v.reason = "its 95 % interval spans " + spans + " % of its bounds"; break;
      case Failure::none: break;
    }
    v.determined = v.reason.empty();
  }
  std::vector<bool> told(n, false);
  for (std::size_t d = 0; d < n; ++d) {
    const VariableUncertainty& v = u.variables[d];
    if (v.determined || v.boundFlag != 0 || told[d]) continue;
    std::vector<std::size_t> group;
    Failure worst = failure[d];
    for (std::size_t e = d; e < n; ++e) {
      if (groups.root(e) != groups.root(d) || u.variables[e].determined) continue;
      group.push_back(e);
      told[e] = true;
      worst = std::max(worst, failure[e]);
    }
    std::vector<std::string> names;
    for (std::size_t e : group) names.push_back(u.variables[e].name);
    std::string why = group.size() == 1 ? v.reason : "";
    if (group.size() > 1 && worst == Failure::singular) why = "they trade exactly against each other";
    if (group.size() > 1 && worst == Failure::nearSingular) why = "they nearly trade against each other";
    if (group.size() > 1 && worst == Failure::correlated) {
      double rho = 0.0;
      for (std::size_t e : group) rho = std::fabs(worstCorrelation[e]) > std::fabs(rho) ? worstCorrelation[e] : rho;
      why = "correlation " + number("%+.4f", rho);
    }
    if (group.size() > 1 && worst == Failure::wideInterval) why = "their 95 % intervals span most of their bounds";
    if (v.reason == "fewer residuals than free design variables") continue;  // said once above
    u.undetermined.push_back(nameList(names) + (group.size() == 1 ? " is" : " are") + " not determined by these data (" +
                             why + "): " + separatingData(u, group, state.model->modelType));
  }
  u.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  return u;
}

namespace {

/// A number of a column, or "-" for one that is not finite.
std::string cell(double value) {
  return std::isfinite(value) ? number(" %+14.6e", value) : std::string(14, ' ') + "-";
}

}  // namespace

std::vector<std::string> uncertaintyColumns(const DesignUncertainty& u) {
  std::array<char, 96> header{};
  std::snprintf(header.data(), header.size(), " %14s %14s %14s  %s", "std.error", "low95", "high95", "determined");
  std::vector<std::string> lines{header.data()};
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
                  number("%.6g", u.residualSpread) + " %; intervals: 95 %, none on a bound\n");
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
      row += right(number("%+.4f", u.correlation[i * k + j]), std::max<std::size_t>(u.correlationNames[j].size(), 7));
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
