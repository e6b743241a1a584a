// The compiled part of the Python package gripsim: the tyre, the design state
// of a fit and the plug-in's design call, over numpy arrays. The package's
// Python files (gripsim/__init__.py and its neighbours) give the public API:
// broadcasting, names, exceptions by kind, results and Dask.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <exception>
#include <filesystem>
#include <future>
#include <memory>
#include <stdexcept>
#include <string_view>

#include "core/KeyedLine.h"
#include "core/LineReader.h"
#include "core/MeasurementLine.h"
#include "core/ParameterSet.h"
#include "core/ResultSet.h"
#include "core/TextFile.h"
#include "fit/DesignState.h"
#include "model/MakeTyreModel.h"
#include "python/MessageCollector.h"
#include "python/PythonDesign.h"
#include "python/PythonMessages.h"
#include "python/PythonTyre.h"
#include "python/RigBindings.h"

namespace py = pybind11;

namespace grip {

namespace {

using Column = py::array_t<double, py::array::c_style | py::array::forcecast>;

ParameterSet parameterSetOf(const std::vector<double>& values) {
  if (values.size() != kParameterCount) throw std::invalid_argument(formatText(msg::kPyParameterCount, values.size()));
  ParameterSet set{};
  std::copy(values.begin(), values.end(), set.begin());
  return set;
}

std::span<const double> spanOf(const Column& column) {
  return {column.data(), static_cast<std::size_t>(column.size())};
}

/// The five operating-point columns; all of one length.
OperatingColumns columnsOf(const Column& slip, const Column& angle, const Column& camber, const Column& load,
                           const Column& speed) {
  OperatingColumns in{spanOf(slip), spanOf(angle), spanOf(camber), spanOf(load), spanOf(speed)};
  if (!in.consistent()) throw std::invalid_argument(msg::kPyColumnLengths);
  return in;
}

py::tuple evaluateColumns(PythonTyre& tyre, const Column& slip, const Column& angle, const Column& camber,
                          const Column& load, const Column& speed) {
  const OperatingColumns in = columnsOf(slip, angle, camber, load, speed);
  const auto n = static_cast<py::ssize_t>(in.size());
  py::array_t<double> Fx(n), Fy(n), Mz(n);
  ForceColumns out{{Fx.mutable_data(), in.size()}, {Fy.mutable_data(), in.size()}, {Mz.mutable_data(), in.size()}};
  {
    py::gil_scoped_release release;
    tyre.evaluate(in, out);
  }
  return py::make_tuple(Fx, Fy, Mz);
}

using OutColumn = py::array_t<double, py::array::c_style>;

/// The same into three arrays of the caller (checked in Python: C-contiguous
/// float64 of the broadcast shape, passed here flat).
void evaluateInto(PythonTyre& tyre, const Column& slip, const Column& angle, const Column& camber, const Column& load,
                  const Column& speed, OutColumn& Fx, OutColumn& Fy, OutColumn& Mz) {
  const OperatingColumns in = columnsOf(slip, angle, camber, load, speed);
  const auto n = static_cast<py::ssize_t>(in.size());
  if (Fx.size() != n || Fy.size() != n || Mz.size() != n) throw std::invalid_argument(msg::kPyOutLengths);
  ForceColumns out{{Fx.mutable_data(), in.size()}, {Fy.mutable_data(), in.size()}, {Mz.mutable_data(), in.size()}};
  py::gil_scoped_release release;
  tyre.evaluate(in, out);
}

/// Seconds of the batch evaluation alone, measured in C++ (best of repeats):
/// the yardstick of the Python call's overhead in the benchmark. fresh:
/// new result columns for every call, timed with it, as a caller who keeps
/// each result meets them (the system hands fresh memory to its first
/// writes); else one set of columns, written once before.
double timeBatch(PythonTyre& tyre, const Column& slip, const Column& angle, const Column& camber, const Column& load,
                 const Column& speed, int repeats, bool fresh) {
  const OperatingColumns in = columnsOf(slip, angle, camber, load, speed);
  std::vector<double> Fx(in.size()), Fy(in.size()), Mz(in.size());
  py::gil_scoped_release release;
  double best = 0.0;
  for (int r = 0; r < repeats; ++r) {
    const auto start = std::chrono::steady_clock::now();
    if (fresh) {
      const auto x = std::make_unique_for_overwrite<double[]>(in.size());
      const auto y = std::make_unique_for_overwrite<double[]>(in.size());
      const auto z = std::make_unique_for_overwrite<double[]>(in.size());
      tyre.evaluate(in, ForceColumns{{x.get(), in.size()}, {y.get(), in.size()}, {z.get(), in.size()}});
    } else {
      tyre.evaluate(in, ForceColumns{Fx, Fy, Mz});
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (r == 0 || seconds < best) best = seconds;
  }
  return best;
}

// The report as dicts: FitReport.json's own text read by Python's json, so
// that a script reads a Python report and the program's file alike, key for
// key and double for double (a number that is not finite is None there).
py::dict reportDict(const FitReport& report) {
  return py::module_::import("json").attr("loads")(reportJson(report));
}

/// What a variant makes of each of the 33 parameters, in file order, as its
/// description gives it: one dict per parameter (bounds None where it
/// recommends none).
py::list parameterDescriptions(int model) {
  const VariantDescription* description = variantDescription(model);
  if (description == nullptr) throw std::invalid_argument(formatText(msg::kPyModelNumber, static_cast<double>(model)));
  py::list rows;
  for (const ParameterDescription& p : description->parameters) {
    py::dict row;
    row["name"] = p.name;
    row["alternative_name"] = p.alternativeName != nullptr ? py::object(py::str(p.alternativeName)) : py::none();
    row["unit"] = p.unit;
    row["magnitude"] = p.magnitude;
    row["whole_number"] = p.wholeNumber;
    row["fixed_at_set_up"] = p.fixedAtSetUp;
    row["read"] = p.read;
    row["lower"] = p.bounds.recommended() ? py::object(py::float_(p.bounds.lower)) : py::none();
    row["upper"] = p.bounds.recommended() ? py::object(py::float_(p.bounds.upper)) : py::none();
    rows.append(row);
  }
  return rows;
}

/// The search options of a Python fit; zero counts and an empty method
/// leave the choice to the fit library (its defaults by the problem). The
/// ranges are the library's (SearchOptions::isValid): a value it refuses
/// throws std::invalid_argument with its message, as gripfit prints it.
SearchOptions searchOptionsOf(const std::string& method, int starts, long maxEvaluations, unsigned long seed,
                              int threads, bool centralDifferences, double differenceStep) {
  SearchOptions options;
  if (!method.empty()) {
    options.method = searchMethodOf(method);
    if (!options.method) throw std::invalid_argument(formatText(msg::kPySearchMethod, method.c_str()));
  }
  options.starts = starts;
  options.maxEvaluations = maxEvaluations;
  options.seed = seed;
  options.threads = threads;
  options.centralDifferences = centralDifferences;
  options.differenceStep = differenceStep;
  std::string refused;
  if (!options.isValid(&refused)) throw std::invalid_argument(refused);
  return options;
}

/// The report of design x as it stands, no search: what gripfit --evaluate
/// reports; with page, its report page too, as "html" beside the report's keys.
py::dict reportAt(PythonDesign& design, const Column& x, bool page) {
  SearchResult given;
  const auto values = spanOf(x);
  given.design.assign(values.begin(), values.end());
  given.evaluations = 1;
  FitReport report;
  std::string html;
  {
    py::gil_scoped_release release;
    report = design.report(given);
    if (page) html = design.reportPage(report, design.sweeps(given));
  }
  py::dict result = reportDict(report);
  if (page) result["html"] = html;
  return result;
}

/// A sweep behind the report page as plain Python data: numbers and lists
/// of numbers, by channel "Fx", "Fy", "Mz" [N, N*mm].
py::dict sweepDict(const SweepCurve& s) {
  const auto channels = [](const std::array<std::vector<double>, 3>& values) {
    py::dict d;
    d["Fx"] = values[0];
    d["Fy"] = values[1];
    d["Mz"] = values[2];
    return d;
  };
  py::list compared;
  const std::array<const char*, 3> names = {"Fx", "Fy", "Mz"};
  for (std::size_t c = 0; c < names.size(); ++c)
    if (TargetDirection(s.direction).compares(static_cast<ForceChannel>(c))) compared.append(names[c]);
  py::dict d;
  d["file"] = s.file;
  d["direction"] = s.direction;
  d["swept"] = s.sweepsSlip ? "slip" : "slip_angle";
  d["channels"] = compared;
  d["mean"] = py::dict(py::arg("slip") = s.mean.longitudinalSlip, py::arg("slip_angle") = s.mean.slipAngle,
                       py::arg("camber") = s.mean.camber, py::arg("load") = s.mean.verticalLoad,
                       py::arg("speed") = s.mean.speed);
  d["x"] = s.swept;
  d["measured"] = channels(s.measured);
  d["model"] = channels(s.model);
  d["curve_x"] = s.curveSwept;
  d["curve"] = channels(s.curve);
  d["stiffness"] = py::make_tuple(s.measuredStiffness, s.modelStiffness);
  d["aligning_stiffness"] = py::make_tuple(s.measuredAligning, s.modelAligning);
  d["peak_friction"] = py::make_tuple(s.measuredPeakFriction, s.modelPeakFriction);
  return d;
}

/// How often the calling thread looks for signals while a search runs [ms]:
/// Ctrl-C is honoured well within half a second.
constexpr auto kSignalPoll = std::chrono::milliseconds(25);

/// Validates and searches, then reports on the best design: plain Python
/// data, so that results travel between processes. The search runs on a
/// thread of its own with the GIL released while the calling thread checks
/// for signals; on one (Ctrl-C) the search is stopped, keeping the best
/// design found, and the pending exception is handed back beside the
/// result: (result, exception or None).
py::tuple fitDesign(PythonDesign& design, const std::string& method, int starts, long maxEvaluations,
                    unsigned long seed, int threads, bool centralDifferences, double differenceStep) {
  const SearchOptions options =
      searchOptionsOf(method, starts, maxEvaluations, seed, threads, centralDifferences, differenceStep);
  std::atomic<bool> stop{false};
  py::object signalled = py::none();
  struct Done {
    FitOutcome outcome;
    FitReport report;
    std::string page;
    std::vector<SweepCurve> sweeps;
  };
  Done done;
  {
    py::gil_scoped_release release;
    auto search = std::async(std::launch::async, [&design, &options, &stop] {
      FitOutcome outcome = design.fit(options, &stop);
      FitReport report = design.report(outcome.search);
      std::vector<SweepCurve> sweeps = design.sweeps(outcome.search);
      std::string page = design.reportPage(report, sweeps);
      return Done{std::move(outcome), std::move(report), std::move(page), std::move(sweeps)};
    });
    while (search.wait_for(kSignalPoll) != std::future_status::ready) {
      if (stop.load()) continue;
      py::gil_scoped_acquire acquire;
      if (PyErr_CheckSignals() != 0) {
        stop.store(true);
        // The exception a handler raised (KeyboardInterrupt for Ctrl-C),
        // taken off the interpreter until the result is made.
        py::error_already_set raised;
        signalled = raised.value();
      }
    }
    done = search.get();  // rethrows a fault of the validation or the search
  }
  const auto& [outcome, report, page, sweeps] = done;
  py::dict result = reportDict(report);
  result["html"] = page;
  py::list sweepList;
  for (const SweepCurve& s : sweeps) sweepList.append(sweepDict(s));
  result["sweeps"] = sweepList;
  result["x"] = outcome.search.design;
  py::list warnings;
  for (const DesignIssue& issue : outcome.issues) warnings.append(issue.message);
  result["warnings"] = warnings;
  return py::make_tuple(result, signalled);
}

/// The plug-in's design call over a state of its own, for tests that hold
/// the Python fit against it: files are read from and written to the
/// working directory, as the plug-in does.
class DesignCallState {
 public:
  py::tuple call(const Column& design, double identifier) {
    MessageCollector messages;
    double value = 0.0;
    {
      py::gil_scoped_release release;
      value = handleDesignCall(state_, spanOf(design), identifier);
    }
    return py::make_tuple(value, messages.text());
  }

 private:
  DesignState state_;
};

/// A measurement file read by the core's rule of a measurement line (the
/// rule of gripsim and the fit): the points as an (n, 7) array, the number
/// of the first line that is no point (0 when there is none), what that line
/// is ("not_a_point", "decimal_comma", or "open" for a file that cannot be
/// opened) and its bytes. gripsim.read_measurements raises from these.
py::tuple readMeasurementPoints(const std::string& path) {
  std::vector<double> values;
  int faultLine = 0;
  std::string fault;
  std::string text;
  {
    py::gil_scoped_release release;
    TextFile file = openForReading(path);
    if (!file) fault = "open";
    std::array<double, kPointNumbers> point{};
    for (LineReader lines(file.get(), path); file && lines.next();) {
      const MeasurementLineKind kind = readMeasurementLine(lines.line(), point);
      if (kind == MeasurementLineKind::blank) continue;
      if (kind == MeasurementLineKind::point) {
        values.insert(values.end(), point.begin(), point.end());
        continue;
      }
      faultLine = lines.lineNumber();
      fault = kind == MeasurementLineKind::decimalComma ? "decimal_comma" : "not_a_point";
      text = withoutLineEnd(lines.line());
      break;
    }
  }
  const auto rows = static_cast<py::ssize_t>(values.size() / kPointNumbers);
  py::array_t<double> table({rows, static_cast<py::ssize_t>(kPointNumbers)});
  std::copy(values.begin(), values.end(), table.mutable_data());
  return py::make_tuple(table, faultLine, fault, py::bytes(text));
}

}  // namespace

}  // namespace grip

PYBIND11_MODULE(_gripsim, m) {
  using namespace grip;
  m.doc() = "Compiled core of gripsim: brush-model tyre forces and their fit";
  m.attr("__version__") = GRIP_VERSION;
  m.attr("MOMENT_LEVER_MM") = kMomentLever;

  m.def("parameter_names", &parameterNames);
  m.def("parameter_index", [](const std::string& name) { return parameterIndex(name); }, py::arg("name"));
  m.def("parameter_name_list", &parameterNameList);
  m.def("whole_number_parameters", [] {
    const std::vector<std::string> all = parameterNames();
    std::vector<std::string> names;
    for (std::size_t k = 0; k < kParameterCount; ++k)
      if (wholeNumberParameter(k)) names.push_back(all[k]);
    return names;
  });
  m.def("parameter_descriptions", &parameterDescriptions, py::arg("model"));
  // The result files of a fit as one set (core/ResultSet.h): all replaced, or
  // none, with an OSError naming the file that could not be written.
  m.def("write_result_files", [](const std::string& folder, const std::vector<std::pair<std::string, py::bytes>>& files) {
    ResultSet set(folder);
    for (const auto& [name, text] : files) {
      const ResultSet::Outcome outcome = set.add(name, static_cast<std::string>(text));
      if (!outcome) {
        errno = outcome.error;
        PyErr_SetFromErrnoWithFilename(PyExc_OSError, (std::filesystem::path(folder) / name).c_str());
        throw py::error_already_set();
      }
    }
    if (!set.commit()) {
      errno = set.renameFault().error;
      PyErr_SetFromErrnoWithFilename(PyExc_OSError, (std::filesystem::path(folder) / set.renameFault().name).c_str());
      throw py::error_already_set();
    }
  });
  m.def("read_measurement_points", &readMeasurementPoints, py::arg("path"));
  // The fit library's check of the search options alone (ValueError with
  // its message); the budget against a design is checked by the fit.
  m.attr("MAX_STARTS") = SearchOptions::kMaxStarts;
  m.attr("MAX_THREADS") = SearchOptions::kMaxThreads;
  m.def("check_search_options",
        [](const std::string& method, int starts, long maxEvaluations, unsigned long seed, int threads,
           bool centralDifferences, double differenceStep) {
          searchOptionsOf(method, starts, maxEvaluations, seed, threads, centralDifferences, differenceStep);
        },
        py::arg("method"), py::arg("starts"), py::arg("max_evals"),
        py::arg("seed"), py::arg("threads"), py::arg("central_differences"), py::arg("difference_step"));

  py::class_<PythonTyre>(m, "TyreCore")
      .def(py::init<>())
      .def("read", &PythonTyre::read, py::arg("path"))
      .def(
          "set_up",
          [](PythonTyre& t, const std::vector<double>& values, double model) { t.setUp(parameterSetOf(values), model); },
          py::arg("parameters"), py::arg("model"))
      .def("write", &PythonTyre::write, py::arg("path"))
      .def_property_readonly("model_type", &PythonTyre::modelType)
      .def_property_readonly("model_number", &PythonTyre::modelNumber)
      .def_property_readonly("parameters", [](const PythonTyre& t) {
        const ParameterSet p = t.parameters();
        return std::vector<double>(p.begin(), p.end());
      })
      .def("set_parameter", &PythonTyre::setParameter, py::arg("index"), py::arg("value"))
      .def_property_readonly("written_names", &PythonTyre::writtenNames)
      .def("evaluate", &evaluateColumns, py::arg("slip"), py::arg("slip_angle"), py::arg("camber"), py::arg("load"), py::arg("speed"))
      .def("evaluate_into", &evaluateInto, py::arg("slip"), py::arg("slip_angle"), py::arg("camber"), py::arg("load"), py::arg("speed"), py::arg("Fx"), py::arg("Fy"),
           py::arg("Mz"))
      .def("evaluate_point",
           [](PythonTyre& t, double slip, double angle, double camber, double load, double speed) {
             const TyreForces f = t.evaluate(OperatingPoint{slip, angle, camber, load, speed});
             return py::make_tuple(f.Fx, f.Fy, f.Mz);
           },
           py::arg("slip"), py::arg("slip_angle"), py::arg("camber"), py::arg("load"), py::arg("speed"))
      .def("contact_patch",
           [](PythonTyre& t, double slip, double angle, double camber, double load, double speed) {
             const ContactPatch p = t.contactPatch(OperatingPoint{slip, angle, camber, load, speed});
             return py::make_tuple(p.area, p.h, p.b);
           },
           py::arg("slip"), py::arg("slip_angle"), py::arg("camber"), py::arg("load"), py::arg("speed"))
      .def("trace",
           [](PythonTyre& t, double slip, double angle, double camber, double load, double speed) {
             std::vector<double> values;
             std::vector<int> column;
             t.trace(OperatingPoint{slip, angle, camber, load, speed}, values, column);
             const auto n = static_cast<py::ssize_t>(column.size());
             py::array_t<double> table({n, static_cast<py::ssize_t>(kTraceValues)});
             std::copy(values.begin(), values.end(), table.mutable_data());
             return py::make_tuple(table, py::array_t<int>(n, column.data()));
           },
           py::arg("slip"), py::arg("slip_angle"), py::arg("camber"), py::arg("load"), py::arg("speed"))
      .def("_time_batch", &timeBatch, py::arg("slip"), py::arg("slip_angle"), py::arg("camber"), py::arg("load"), py::arg("speed"), py::arg("repeats"), py::arg("fresh"));

  py::class_<PythonDesign>(m, "DesignCore")
      .def(py::init([](const py::object& start, const py::object& target) {
        // Each half is a file name (str) or data: (parameters, model, [(index, lower, upper)])
        // and [(name, (n, 7) array, direction, speed)].
        StartSource startSource;
        if (py::isinstance<py::str>(start)) {
          startSource = start.cast<std::string>();
        } else {
          const auto data = start.cast<py::tuple>();
          StartData startData;
          startData.parameters = parameterSetOf(data[0].cast<std::vector<double>>());
          startData.modelNumber = data[1].cast<double>();
          for (const auto& [parameter, lower, upper] : data[2].cast<std::vector<std::tuple<std::size_t, double, double>>>())
            startData.design.push_back({parameter, lower, upper});
          startSource = std::move(startData);
        }
        TargetSource targetSource;
        if (py::isinstance<py::str>(target)) {
          targetSource = target.cast<std::string>();
        } else {
          std::vector<TargetData> targets;
          for (const py::handle item : target) {
            const auto entry = item.cast<py::tuple>();
            const auto table = entry[1].cast<Column>();
            const auto values = spanOf(table);
            targets.push_back({entry[0].cast<std::string>(), {values.begin(), values.end()}, entry[2].cast<int>(),
                               entry[3].cast<double>()});
          }
          targetSource = std::move(targets);
        }
        return std::make_unique<PythonDesign>(startSource, targetSource);
      }),
           py::arg("start"), py::arg("target"))
      .def_property_readonly("design_count", &PythonDesign::designCount)
      .def_property_readonly("residual_count", &PythonDesign::residualCount)
      .def_property_readonly("model_type", &PythonDesign::modelType)
      .def_property_readonly("model_number", &PythonDesign::modelNumber)
      .def_property_readonly("names", &PythonDesign::names)
      .def_property_readonly("start_values", &PythonDesign::startValues)
      .def_property_readonly("lower_bounds", &PythonDesign::lowerBounds)
      .def_property_readonly("upper_bounds", &PythonDesign::upperBounds)
      .def_property_readonly("points_per_target", &PythonDesign::pointsPerTarget)
      .def_property_readonly("target_names", &PythonDesign::targetNames)
      .def_property_readonly("directions_per_target", &PythonDesign::directionsPerTarget)
      .def_property_readonly("speeds_per_target", &PythonDesign::speedsPerTarget)
      .def_property_readonly("measurements",
                             [](const PythonDesign& d) {
                               const std::vector<double>& values = d.measurements();
                               const auto rows = static_cast<py::ssize_t>(values.size() / kMeasurementColumns);
                               py::array_t<double> table({rows, static_cast<py::ssize_t>(kMeasurementColumns)});
                               std::copy(values.begin(), values.end(), table.mutable_data());
                               return table;
                             })
      .def_property_readonly("messages", &PythonDesign::messages)
      .def("target",
           [](PythonDesign& d, const Column& x) {
             py::gil_scoped_release release;
             return d.target(spanOf(x));
           },
           py::arg("x"))
      .def("residuals",
           [](PythonDesign& d, const Column& x) {
             py::array_t<double> out(static_cast<py::ssize_t>(d.residualCount()));
             std::span<double> values(out.mutable_data(), d.residualCount());
             {
               py::gil_scoped_release release;
               d.residuals(spanOf(x), values);
             }
             return out;
           },
           py::arg("x"))
      .def("parameters_at",
           [](PythonDesign& d, const Column& x) {
             const ParameterSet p = d.parametersAt(spanOf(x));
             return std::vector<double>(p.begin(), p.end());
           },
           py::arg("x"))
      .def(
          "result_files", [](PythonDesign& d, const Column& x) { return d.resultFiles(spanOf(x)); }, py::arg("x"))
      .def_property_readonly("defaults",
                             [](const PythonDesign& d) {
                               py::dict defaults;
                               defaults["method"] = std::string(searchMethodName(d.defaultMethod()));
                               defaults["starts"] = d.defaultStartCount();
                               defaults["max_evals"] = d.defaultEvaluationCount();
                               return defaults;
                             })
      .def("report", &reportAt, py::arg("x"), py::arg("page") = false)
      .def("fit", &fitDesign, py::arg("method"), py::arg("starts"), py::arg("max_evals"), py::arg("seed"),
           py::arg("threads"), py::arg("central_differences"), py::arg("difference_step"));

  py::class_<DesignCallState>(m, "DesignCallState")
      .def(py::init<>())
      .def("call", &DesignCallState::call, py::arg("x"), py::arg("identifier"));

  bindRig(m);
}
