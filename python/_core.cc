// The compiled part of the Python module unionbound: thin bindings of the
// public library (include/unionbound/unionbound.h) that move numbers between
// numpy arrays and the library's vectors. The Python part (unionbound/)
// turns statuses and messages into results, warnings and exceptions.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <unionbound/unionbound.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace py = pybind11;
namespace ub = unionbound::api;

namespace {

using DoubleArray =
    py::array_t<double, py::array::c_style | py::array::forcecast>;
using TableArray =
    py::array_t<uint8_t, py::array::c_style | py::array::forcecast>;

py::array_t<double> ToArray(const std::vector<double>& values) {
  py::array_t<double> array(static_cast<py::ssize_t>(values.size()));
  std::copy(values.begin(), values.end(), array.mutable_data());
  return array;
}

std::vector<double> ToVector(const DoubleArray& array) {
  return std::vector<double>(array.data(), array.data() + array.size());
}

// The run as a dict of plain values and arrays.
py::dict RunOnValues(const DoubleArray& values, int32_t n, int32_t m,
                     const std::string& name) {
  ub::RunResult run;
  {
    py::gil_scoped_release release;
    run = ub::RunOnValues(ToVector(values), n, m, name);
  }
  std::vector<double> ls, lower, upper, lowerSeconds, upperSeconds;
  for (const ub::PassBounds& pass : run.passes) {
    ls.push_back(pass.l);
    lower.push_back(pass.lower.value);
    upper.push_back(pass.upper.value);
    lowerSeconds.push_back(pass.lower.seconds);
    upperSeconds.push_back(pass.upper.seconds);
  }
  py::array_t<int32_t> lArray(static_cast<py::ssize_t>(run.passes.size()));
  for (size_t i = 0; i < run.passes.size(); ++i) {
    lArray.mutable_data()[i] = run.passes[i].l;
  }
  py::dict result;
  result["status"] = run.status;
  result["messages"] = run.messages;
  result["any"] = run.best.any;
  result["lower"] = run.best.lower;
  result["lower_l"] = run.best.lowerL;
  result["upper"] = run.best.upper;
  result["upper_l"] = run.best.upperL;
  result["l"] = lArray;
  result["lower_per_l"] = ToArray(lower);
  result["upper_per_l"] = ToArray(upper);
  result["lower_seconds"] = ToArray(lowerSeconds);
  result["upper_seconds"] = ToArray(upperSeconds);
  result["report"] = run.report;
  result["summary"] = run.summary;
  return result;
}

py::array_t<double> IntersectionProbabilities(const TableArray& table,
                                              int32_t m,
                                              const DoubleArray& weights) {
  if (table.ndim() != 2) {
    throw py::value_error("data must be a two-dimensional 0/1 table");
  }
  const int64_t rows = table.shape(0);
  const int32_t n = static_cast<int32_t>(table.shape(1));
  std::vector<uint8_t> cells(table.data(), table.data() + table.size());
  std::vector<double> w = ToVector(weights);
  std::vector<double> p;
  {
    py::gil_scoped_release release;
    p = ub::IntersectionProbabilities(cells, rows, n, m, w);
  }
  return ToArray(p);
}

py::tuple ReadProbabilities(const std::string& path, int32_t n, int32_t m) {
  const ub::Probabilities p = ub::ReadProbabilityFile(path, n, m);
  return py::make_tuple(ToArray(p.values), p.read, p.error);
}

#ifdef UNIONBOUND_HAS_SHARP

ub::SharpKind KindOf(const std::string& kind) {
  if (kind == "bivariate") return ub::SharpKind::kBivariate;
  if (kind == "full") return ub::SharpKind::kFull;
  if (kind == "best") return ub::SharpKind::kBest;
  if (kind == "multivariate") return ub::SharpKind::kMultivariate;
  return ub::SharpKind::kUnivariate;
}

py::dict SharpDict(const ub::SharpResult& r) {
  py::dict result;
  result["status"] = r.status;
  result["messages"] = r.messages;
  result["computed"] = r.computed;
  result["lower"] = r.lower;
  result["upper"] = r.upper;
  result["lower_text"] = r.lowerText;
  result["upper_text"] = r.upperText;
  result["lower_l"] = r.lowerL;
  result["upper_l"] = r.upperL;
  result["lower_status"] = r.lowerStatus;
  result["upper_status"] = r.upperStatus;
  result["lower_groups"] = r.lowerGroups;
  result["upper_groups"] = r.upperGroups;
  result["widened"] = r.widened;
  result["consistent"] = r.consistent;
  result["epsilon"] = r.epsilon;
  result["epsilon_text"] = r.epsilonText;
  result["typed_numbers"] = r.typedNumbers;
  result["typed_decimals"] = r.typedDecimals;
  result["rounding_hint"] = r.roundingHint;
  return result;
}

ub::SharpOptions MakeSharpOptions(
    const std::string& kind, const std::string& toleranceText,
    bool hasTolerance, double tolerance, double timeLimit, int32_t atLeast,
    bool exactly, const std::vector<std::vector<int32_t>>& groups,
    int32_t groupCount) {
  ub::SharpOptions options;
  options.groups = groups;
  options.groupCount = groupCount;
  options.atLeast = atLeast;
  options.exactly = exactly;
  options.kind = KindOf(kind);
  options.toleranceText = toleranceText;
  options.hasTolerance = hasTolerance;
  options.tolerance = tolerance;
  options.timeLimit = timeLimit;
  return options;
}

// The sharp bounds of numbers in memory (source is an array) or of a file
// (source is its path), as a dict of plain values.
py::dict SharpBounds(const DoubleArray& values, const std::string& path,
                     int32_t n, int32_t m, const std::string& kind,
                     const std::string& toleranceText, bool hasTolerance,
                     double tolerance, double timeLimit, int32_t atLeast,
                     bool exactly,
                     const std::vector<std::vector<int32_t>>& groups,
                     int32_t groupCount) {
  ub::SharpOptions options =
      MakeSharpOptions(kind, toleranceText, hasTolerance, tolerance, timeLimit,
                       atLeast, exactly, groups, groupCount);
  // Ctrl-C: the computation runs without the GIL and asks, every 20 ms on
  // this thread (signal handlers run on the main thread only), whether a
  // signal handler raised; the raised exception is kept and raised here.
  const std::thread::id caller = std::this_thread::get_id();
  auto lastCheck = std::chrono::steady_clock::now();
  PyObject* errorType = nullptr;
  PyObject* errorValue = nullptr;
  PyObject* errorTrace = nullptr;
  options.cancel = [&]() {
    if (std::this_thread::get_id() != caller) return false;
    const auto now = std::chrono::steady_clock::now();
    if (now - lastCheck < std::chrono::milliseconds(20)) return false;
    lastCheck = now;
    py::gil_scoped_acquire acquire;
    if (PyErr_CheckSignals() == 0) return false;
    PyErr_Fetch(&errorType, &errorValue, &errorTrace);
    return true;
  };
  const std::vector<double> v =
      path.empty() ? ToVector(values) : std::vector<double>();
  ub::SharpResult result;
  {
    py::gil_scoped_release release;
    result = path.empty() ? ub::SharpBounds(v, n, m, options)
                          : ub::SharpBoundsOfFile(path, n, m, options);
  }
  if (errorType != nullptr) {
    PyErr_Restore(errorType, errorValue, errorTrace);
    throw py::error_already_set();
  }
  // Before the computation began, a signal may still wait for its handler.
  if (PyErr_CheckSignals() != 0) throw py::error_already_set();
  return SharpDict(result);
}

#endif  // UNIONBOUND_HAS_SHARP

}  // namespace

PYBIND11_MODULE(_core, module) {
  module.doc() = "Bindings of the unionbound library";
  module.attr("__version__") = ub::Version();
  module.attr("STATUS_SOUND") = ub::kStatusSound;
  module.attr("STATUS_REFUSED") = ub::kStatusRefused;
  module.attr("STATUS_UNTRUSTWORTHY") = ub::kStatusUntrustworthy;
  module.attr("STATUS_CANCELLED") = ub::kStatusCancelled;
  module.def("run_on_values", &RunOnValues, py::arg("values"), py::arg("n"),
             py::arg("m"), py::arg("name"));
  module.def("intersection_probabilities", &IntersectionProbabilities,
             py::arg("table"), py::arg("m"), py::arg("weights"));
  module.def("read_probabilities", &ReadProbabilities, py::arg("path"),
             py::arg("n"), py::arg("m"));
  module.def("probability_count", &ub::ProbabilityCount, py::arg("n"),
             py::arg("m"));
  module.attr("HAS_SHARP") = ub::HasSharp();
#ifdef UNIONBOUND_HAS_SHARP
  module.def("sharp_bounds", &SharpBounds, py::arg("values"), py::arg("path"),
             py::arg("n"), py::arg("m"), py::arg("kind"),
             py::arg("tolerance_text"), py::arg("has_tolerance"),
             py::arg("tolerance"), py::arg("time_limit"),
             py::arg("at_least") = 1, py::arg("exactly") = false,
             py::arg("groups") = std::vector<std::vector<int32_t>>(),
             py::arg("group_count") = 0);
#endif
}
