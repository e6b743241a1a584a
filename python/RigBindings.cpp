// The rig readers and the preparation of a fit, bound for gripsim/rig.py:
// a run crosses as plain Python data (its channels as float arrays, in our
// units and convention), and every rule (reading, cutting, binning, checks,
// the files written) stays the library's.

#include "python/RigBindings.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "prepare/Prepare.h"
#include "python/MessageCollector.h"
#include "python/PythonMessages.h"
#include "rig/RigMessages.h"

namespace py = pybind11;

namespace grip {

namespace {

using Column = py::array_t<double, py::array::c_style | py::array::forcecast>;

/// Bytes of a file (its name, channel names, units, messages quoting them)
/// as a Python str: UTF-8, any other byte kept as a surrogate, as Python
/// keeps a file name's bytes (os.fsdecode), so that it goes back unchanged
/// (rig files written in Latin-1 are common: "°C").
py::str text(std::string_view bytes) {
  PyObject* decoded = PyUnicode_DecodeUTF8(bytes.data(), static_cast<Py_ssize_t>(bytes.size()), "surrogateescape");
  if (decoded == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(decoded);
}

py::list texts(const std::vector<std::string>& lines) {
  py::list list;
  for (const std::string& line : lines) list.append(text(line));
  return list;
}

[[noreturn]] void raise(PyObject* kind, const std::string& message) {
  PyErr_SetObject(kind, text(message).ptr());
  throw py::error_already_set();
}

/// A reader's refusal: OSError when the file could not be opened at all
/// (the library's own text), ValueError with the library's message else.
[[noreturn]] void raiseReadFault(const std::string& file, const std::string& message) {
  raise(message == rigmsg::fillMessage(rigmsg::kCannotOpen, {file}) ? PyExc_OSError : PyExc_ValueError, message);
}

using ChannelPairs = std::vector<std::pair<std::string, std::string>>;

/// What the caller says about the files: the convention by name, the
/// channel map as (quantity, name) pairs (a quantity named as the
/// program's --channel names it), and units by channel name (names and
/// units as bytes, paths too: a file's own bytes).
RigReadOptions readOptionsOf(const std::optional<std::string>& convention, const ChannelPairs& channels,
                             const std::map<std::string, std::string>& units) {
  RigReadOptions options;
  if (convention) {
    options.convention = signConventionFromName(*convention);
    if (!options.convention) throw py::value_error(formatText(msg::kPyConvention, convention->c_str()));
  }
  for (const auto& [quantityText, name] : channels) {
    const std::optional<Quantity> quantity = quantityFromName(quantityText);
    if (!quantity)
      raise(PyExc_ValueError, rigmsg::fillMessage(rigmsg::kMapQuantity, {quantityText, quantityText + "=" + name}));
    options.channels.map(name, *quantity);
  }
  for (const auto& [channel, unit] : units) options.units.emplace(channel, unit);
  return options;
}

/// A run as Python data: file, conventions, metadata and per channel its
/// name, quantity, units and values.
py::dict runDict(const RigRun& run) {
  py::list channels;
  for (const Channel& c : run.channels) {
    py::dict d;
    d["name"] = text(c.name);
    d["quantity"] = std::string(quantityName(c.quantity));
    d["file_unit"] = text(c.fileUnit);
    d["unit"] = text(c.unit);
    d["values"] = py::array_t<double>(static_cast<py::ssize_t>(c.values.size()), c.values.data());
    channels.append(d);
  }
  py::dict d;
  d["file"] = text(run.fileName);
  d["source_convention"] = std::string(signConventionName(run.sourceConvention));
  d["convention"] = std::string(signConventionName(run.convention));
  py::list metadata;
  for (const auto& [keyword, rest] : run.metadata) metadata.append(py::make_tuple(text(keyword), text(rest)));
  d["metadata"] = metadata;
  d["channels"] = channels;
  return d;
}

/// A run given as Python data (file, source_convention, and channels as
/// (name, quantity, values); file and names as bytes), in our units and convention.
RigRun runOf(const py::dict& data) {
  RigRun run;
  run.fileName = data["file"].cast<std::string>();
  const auto source = signConventionFromName(data["source_convention"].cast<std::string>());
  if (!source) throw py::value_error(formatText(msg::kPyConvention, data["source_convention"].cast<std::string>().c_str()));
  run.sourceConvention = *source;
  run.convention = SignConvention::Ours;
  for (const py::handle item : data["channels"]) {
    const auto entry = item.cast<py::tuple>();
    Channel channel;
    channel.name = entry[0].cast<std::string>();
    const auto quantityText = entry[1].cast<std::string>();
    const std::optional<Quantity> quantity = quantityFromName(quantityText);
    if (!quantity) raise(PyExc_ValueError, formatText(msg::kPyRunQuantity, channel.name.c_str(), quantityText.c_str()));
    channel.quantity = *quantity;
    channel.unit = std::string(ourUnit(channel.quantity));
    const auto values = entry[2].cast<Column>();
    channel.values.assign(values.data(), values.data() + values.size());
    if (!run.channels.empty() && channel.values.size() != run.samples())
      raise(PyExc_ValueError, formatText(msg::kPyRunLengths, channel.name.c_str(), channel.values.size(), run.samples()));
    run.channels.push_back(std::move(channel));
  }
  return run;
}

/// PrepareOptions from keyword names (checked for their kinds in Python);
/// keys left out keep the library's defaults.
PrepareOptions prepareOptionsOf(const py::dict& given) {
  PrepareOptions o;
  const auto take = [&](const char* key, auto& field) {
    if (given.contains(key)) field = given[key].cast<std::remove_reference_t<decltype(field)>>();
  };
  take("load_fraction", o.loadFraction);
  take("load_margin", o.loadMargin);
  take("camber_tolerance", o.camberTolerance);
  take("pressure_tolerance", o.pressureTolerance);
  take("speed_tolerance", o.speedTolerance);
  take("break_samples", o.breakSamples);
  take("minimum_duration", o.minimumDuration);
  take("lifted_load", o.liftedLoad);
  take("slip_angle_bin", o.slipAngleBin);
  take("slip_ratio_bin", o.slipRatioBin);
  take("slip_angle_span", o.slipAngleSpan);
  take("slip_ratio_span", o.slipRatioSpan);
  take("minimum_bins", o.minimumBins);
  take("model", o.modelType);
  take("tyre", o.tyreSize);
  take("force", o.force);
  std::string error;
  if (!o.isValid(&error)) throw py::value_error(error);
  return o;
}

py::dict sweepDict(const Sweep& s) {
  const auto n = static_cast<py::ssize_t>(s.points.size());
  py::array_t<double> points({n, static_cast<py::ssize_t>(7)});
  py::array_t<int> samples(n);
  auto p = points.mutable_unchecked<2>();
  auto k = samples.mutable_unchecked<1>();
  for (py::ssize_t i = 0; i < n; ++i) {
    const SweepPoint& q = s.points[static_cast<std::size_t>(i)];
    p(i, 0) = q.slipRatio, p(i, 1) = q.slipAngle, p(i, 2) = q.camber, p(i, 3) = q.fx, p(i, 4) = q.fy;
    p(i, 5) = q.fz, p(i, 6) = q.mz, k(i) = q.samples;
  }
  py::dict d;
  d["name"] = text(s.name);
  d["file"] = text(s.sourceFile);
  d["force_channel"] = text(s.forceChannel);
  d["moment_channel"] = text(s.momentChannel);
  d["swept"] = s.lateral ? "slip_angle" : "slip";
  d["direction"] = s.direction();
  d["start_time"] = s.startTime;
  d["end_time"] = s.endTime;
  d["load"] = s.load;
  d["camber"] = s.camber;
  d["pressure"] = s.pressure;
  d["speed"] = s.speed;
  d["rolled_speed"] = s.rolledSpeed;
  d["loaded_radius"] = s.loadedRadius;
  d["points"] = points;
  d["samples"] = samples;
  return d;
}

py::dict summaryDict(const PrepareSummary& summary) {
  py::list sweeps;
  for (const Sweep& s : summary.sweeps) sweeps.append(sweepDict(s));
  py::list files;
  for (const auto& [name, content] : summary.files) files.append(py::make_tuple(text(name), py::bytes(content)));
  py::dict d;
  d["sweeps"] = sweeps;
  d["dropped"] = texts(summary.dropped);
  d["failures"] = texts(summary.failures);
  d["notes"] = texts(summary.notes);
  d["files"] = files;
  d["exit_status"] = summary.exitStatus;
  return d;
}

/// A rig file read without the interpreter's lock; its reader's message raised.
RigRun readRigOrRaise(const std::string& path, const RigReadOptions& options) {
  RigRun run;
  std::string message;
  bool read = false;
  {
    py::gil_scoped_release release;
    read = readRigFile(path, options, run, message);
  }
  if (!read) raiseReadFault(path, message);
  return run;
}

/// One rig file in our units and convention; a channel the caller maps
/// that the file does not hold is refused (the readers pass it over).
py::dict readRig(const std::string& path, const std::optional<std::string>& convention, const ChannelPairs& channels,
                 const std::map<std::string, std::string>& units) {
  const RigRun run = readRigOrRaise(path, readOptionsOf(convention, channels, units));
  for (const auto& [quantity, name] : channels) {
    if (run.find(std::string_view(name)) != nullptr) continue;
    std::string names;
    for (const Channel& c : run.channels) names += (names.empty() ? "" : ", ") + c.name;
    raise(PyExc_ValueError, formatText(msg::kPyRigNoChannel, path.c_str(), name.c_str(), quantity.c_str(), names.c_str()));
  }
  return runDict(run);
}

/// The sweeps of one run, as findSweeps cuts them: a run without the
/// channels to cut by is refused with the library's message.
py::dict findRunSweeps(const py::dict& data, const py::dict& given) {
  const PrepareOptions options = prepareOptionsOf(given);
  const RigRun run = runOf(data);
  PrepareSummary summary;
  {
    py::gil_scoped_release release;
    findSweeps(run, options, summary);
  }
  if (!summary.failures.empty()) raise(PyExc_ValueError, summary.failures.front());
  return summaryDict(summary);
}

/// The preparation of files (paths, read as gripfit prepare reads them) and
/// of runs (Python data), nothing written: the summary with the files.
/// A path comes as bytes, a run as a dict.
py::dict prepareRunsOf(const py::list& sources, const std::optional<std::string>& convention, const ChannelPairs& channels,
                       const std::map<std::string, std::string>& units, const py::dict& given) {
  const PrepareOptions options = prepareOptionsOf(given);
  const RigReadOptions read = readOptionsOf(convention, channels, units);
  std::vector<RigRun> runs;
  for (const py::handle source : sources) {
    if (!py::isinstance<py::bytes>(source)) {
      runs.push_back(runOf(source.cast<py::dict>()));
      continue;
    }
    runs.push_back(readRigOrRaise(source.cast<std::string>(), read));
  }
  PrepareSummary summary;
  {
    py::gil_scoped_release release;
    prepareRuns(runs, options, summary);
  }
  return summaryDict(summary);
}

}  // namespace

void bindRig(py::module_& m) {
  m.def("read_rig", &readRig, py::arg("path"), py::arg("convention"), py::arg("channels"), py::arg("units"));
  m.def("find_sweeps", &findRunSweeps, py::arg("run"), py::arg("options"));
  m.def("prepare_runs", &prepareRunsOf, py::arg("sources"), py::arg("convention"), py::arg("channels"),
        py::arg("units"), py::arg("options"));
  m.def("check_prepare_options", [](const py::dict& given) { prepareOptionsOf(given); }, py::arg("options"));
  m.def("quantity_names", [] {
    std::vector<std::string> names;
    for (int q = static_cast<int>(Quantity::Other); q <= static_cast<int>(Quantity::Temperature); ++q)
      names.emplace_back(quantityName(static_cast<Quantity>(q)));
    return names;
  });
  m.def("our_unit", [](const std::string& quantity) {
    const std::optional<Quantity> q = quantityFromName(quantity);
    return q ? std::string(ourUnit(*q)) : std::string();
  }, py::arg("quantity"));
}

}  // namespace grip
