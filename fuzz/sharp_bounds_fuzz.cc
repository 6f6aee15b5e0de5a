// Fuzz target for the companion's exact reader and its library call
// SharpBounds / SharpBoundsOfFile, on small sizes so that every input runs
// in milliseconds.
//
// Input: byte 0 gives n = 1 + byte mod 8; byte 1 gives m = 1 + byte mod 3;
// byte 2 the kind (mod 4: univariate, bivariate, best, full) and the source
// of the numbers (byte / 4 mod 3): 0 the rest as the text of a probability
// file, 1 the rest as raw doubles, 2 the rest as the weights of the 2^n
// atoms of a genuine event system (one byte each). Byte 3 picks the
// tolerance: none, a text, a double or both (mod 4), from small tables
// ((byte / 4) mod 8), hostile entries included; its bit 5 sends a genuine
// system through a file of exact decimals rather than memory, and bit 6
// gives the full program 0.5 s rather than 0.02 s.
//
// Checks, beyond no crash, no sanitizer report and no hang:
// - no exception leaves the library; every status other than sound has at
//   least one message, and every message is one non-empty line;
// - a refusal computes nothing; numbers that are no probabilities (not
//   finite, or outside [0, 1] without a tolerance) never give bounds;
// - every computed bound, as a double and as its text, lies in [0, 1];
// - sound bounds of consistent numbers do not cross;
// - the exact reader follows the numbers read: a number taken as typed
//   rounds to the double read, any other is that double's exact value;
// - numbers made from a genuine event system are consistent, and every
//   bound given for them, as a double and as its text, contains the true
//   probability of the union.
#include <unionbound/unionbound.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "sharp/data/exact_data.h"
#include "sharp/data/input_text.h"
#include "sharp/exact/decimal.h"
#include "sharp/exact/rational.h"

namespace unionbound {
namespace {

using api::SharpKind;
using api::SharpOptions;
using api::SharpResult;
using sharp::Rational;

std::string* file_path = nullptr;

// Seconds for the full program: short enough to stop it part way (its
// bounds are then partial), long enough to let small ones finish.
constexpr double kTimeLimits[] = {0.02, 0.5};

const char* const kToleranceTexts[] = {
    "0", "1e-9", "0.001", "0.5", "-1", "abc", "1e-400", "1e400",
};
const double kToleranceDoubles[] = {
    0.0, 1e-300, 4.9e-324, 1e-9, -0.0, NAN, INFINITY, 2.0,
};

void RequireOneLine(const std::string& message) {
  Require(!message.empty(), "a message is not empty");
  Require(message.find('\n') == std::string::npos &&
              message.find('\r') == std::string::npos,
          "a message is one line");
}

// The bound's text as an exact decimal, within [0, 1].
Rational TextValue(const std::string& text) {
  Rational value;
  Require(sharp::ParseExactDecimal(text, &value), "a bound's text is decimal");
  Require(value >= 0 && value <= 1, "a bound's text lies in [0, 1]");
  return value;
}

void RequireClose(const Rational& a, const Rational& b, const char* side) {
  const Rational larger = a > b ? a : b;
  const Rational gap = a > b ? Rational(a - b) : Rational(b - a);
  const Rational slack = larger / Rational(1000000000000000) +
                         sharp::ExactValue(std::ldexp(1.0, -1070));
  if (gap <= slack) return;
  std::fprintf(stderr, "%s bound: double and text differ\n", side);
  Require(false, "a bound's double and text agree to 15 digits");
}

// Properties every result has; `noProbability` says that some number is no
// probability at all (not finite, or outside [0, 1] with no tolerance), and
// `tolerance` that one was asked for.
void CheckResult(const SharpResult& r, bool noProbability, bool tolerance) {
  Require(r.status == api::kStatusSound || r.status == api::kStatusRefused ||
              r.status == api::kStatusUntrustworthy,
          "status is sound, refused or untrustworthy");
  if (r.status != api::kStatusSound) {
    Require(!r.messages.empty(), "a status other than sound has a message");
  }
  for (const std::string& message : r.messages) RequireOneLine(message);
  if (r.status == api::kStatusRefused) {
    Require(!r.computed, "a refusal computes nothing");
  }
  if (noProbability) {
    Require(!r.computed && r.status != api::kStatusSound,
            "no bounds from numbers that are no probabilities");
  }
  for (const std::string* side : {&r.lowerStatus, &r.upperStatus}) {
    if (side->find("failed") != std::string::npos) {
      Require(r.status != api::kStatusSound, "a failed bound is not sound");
    }
    if (!tolerance) {
      Require(side->find("widened") == std::string::npos,
              "no widened bound without a tolerance");
    }
  }
  if (!tolerance) Require(!r.widened, "nothing widened without a tolerance");
  Require(r.lowerText == "0" || r.computed, "no lower bound text uncomputed");
  Require(r.upperText == "1" || r.computed, "no upper bound text uncomputed");
  if (!r.computed) return;
  Require(std::isfinite(r.lower) && std::isfinite(r.upper),
          "computed bounds are finite");
  Require(r.lower >= 0 && r.lower <= 1, "the lower bound lies in [0, 1]");
  Require(r.upper >= 0 && r.upper <= 1, "the upper bound lies in [0, 1]");
  const Rational lowerText = TextValue(r.lowerText);
  const Rational upperText = TextValue(r.upperText);
  // The double and the text are both the exact optimum rounded outward,
  // one to a double, the other to 17 significant digits: they agree to
  // about 16 digits.
  RequireClose(sharp::ExactValue(r.lower), lowerText, "lower");
  RequireClose(sharp::ExactValue(r.upper), upperText, "upper");
  if (r.status == api::kStatusSound && r.consistent) {
    Require(r.lower <= r.upper, "sound bounds of consistent data don't cross");
  }
}

// The bounds given for a genuine event system hold its truth.
void CheckTruth(const SharpResult& r, const Rational& truth) {
  Require(r.consistent, "a genuine event system is consistent");
  if (r.status == api::kStatusRefused) return;  // sizes or options
  Require(r.computed, "a genuine event system gets bounds");
  Require(sharp::ExactValue(r.lower) <= truth, "lower bound holds the truth");
  Require(sharp::ExactValue(r.upper) >= truth, "upper bound holds the truth");
  Require(TextValue(r.lowerText) <= truth, "lower text holds the truth");
  Require(TextValue(r.upperText) >= truth, "upper text holds the truth");
}

// The exact reader beside the doubles read from the same text.
void CheckExactReader(const std::string& text, int32_t count) {
  sharp::InputText input;
  input.opened = true;
  input.text = text;
  const ProbabilityRead read = sharp::ReadNumbersOfText(input, count);
  Require(read.read >= 0 && read.read <= count, "read no more than asked");
  const RealVector p(
      read.p.begin(),
      read.p.begin() + std::min<size_t>(read.p.size(), read.read));
  const sharp::ExactData exact = sharp::ReadExactText(text, p);
  Require(exact.size() == p.size(), "one exact value per number");
  Require(exact.typed >= 0 && static_cast<size_t>(exact.typed) <= p.size(),
          "no more typed than read");
  for (size_t u = 0; u < p.size(); ++u) {
    if (!std::isfinite(p[u])) continue;
    const Rational value = sharp::ValueOf(exact, u);
    if (u >= static_cast<size_t>(exact.typed)) {
      Require(value == sharp::ExactValue(p[u]),
              "a number not taken as typed is its double's exact value");
      continue;
    }
    // Taken as typed: within half a unit in the last place of the double.
    const Rational here = sharp::ExactValue(p[u]);
    const double below = std::nextafter(p[u], -INFINITY);
    const double above = std::nextafter(p[u], INFINITY);
    if (std::isfinite(below)) {
      Require(value >= (here + sharp::ExactValue(below)) / 2,
              "a typed number rounds to the double read (below)");
    }
    if (std::isfinite(above)) {
      Require(value <= (here + sharp::ExactValue(above)) / 2,
              "a typed number rounds to the double read (above)");
    }
  }
}

void WriteScratch(const std::string& text) {
  FILE* file = std::fopen(file_path->c_str(), "wb");
  Require(file != nullptr, "scratch file can be written");
  Require(std::fwrite(text.data(), 1, text.size(), file) == text.size(),
          "scratch file takes the whole text");
  std::fclose(file);
}

SharpResult Call(const std::vector<double>* values, int32_t n, int32_t m,
                 const SharpOptions& options) {
  try {
    return values != nullptr
               ? api::SharpBounds(*values, n, m, options)
               : api::SharpBoundsOfFile(*file_path, n, m, options);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "exception: %s\n", e.what());
  } catch (...) {
  }
  Require(false, "no exception leaves the library");
  return SharpResult();
}

// Whether some number is not finite or, without a tolerance, outside
// [0, 1].
bool NoProbability(const std::vector<double>& values, int64_t count,
                   bool tolerance) {
  if (static_cast<int64_t>(values.size()) < count) return false;
  for (int64_t i = 0; i < count; ++i) {
    const double x = values[static_cast<size_t>(i)];
    if (!std::isfinite(x)) return true;
    if (!tolerance && (x < 0 || x > 1)) return true;
  }
  return false;
}

// The atoms' weights from the bytes, padded on the empty atom to a power of
// two so that every probability is an exact double (and an exact short
// decimal). Returns the probabilities and sets the truth.
std::vector<double> GenuineSystem(const uint8_t* data, size_t size, int32_t n,
                                  int32_t m, Rational* truth) {
  const int64_t atoms = int64_t{1} << n;
  std::vector<uint8_t> table;
  std::vector<double> weights;
  int64_t total = 0;
  int64_t empty = 0;
  for (int64_t a = 0; a < atoms; ++a) {
    const int64_t w = static_cast<size_t>(a) < size ? data[a] : 0;
    total += w;
    if (a == 0) empty = w;
    for (int32_t i = 0; i < n; ++i) table.push_back((a >> i) & 1);
    weights.push_back(static_cast<double>(w));
  }
  int64_t power = 1;
  while (power < total) power *= 2;
  weights[0] += static_cast<double>(power - total);
  empty += power - total;
  *truth = Rational(power - empty, power);
  truth->canonicalize();
  return api::IntersectionProbabilities(table, atoms, n, m, weights);
}

}  // namespace
}  // namespace unionbound

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::string folder = "/tmp/unionbound-fuzz-sharp-XXXXXX";
  unionbound::Require(mkdtemp(folder.data()) != nullptr,
                      "scratch folder can be made");
  unionbound::file_path = new std::string(folder + "/prob.txt");
  std::atexit([] {
    std::remove(unionbound::file_path->c_str());
    rmdir(unionbound::file_path->substr(0, unionbound::file_path->rfind('/'))
              .c_str());
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace unionbound;
  if (size < 4) return 0;
  const int32_t n = 1 + data[0] % 8;
  const int32_t m = 1 + data[1] % 3;
  const SharpKind kinds[] = {SharpKind::kUnivariate, SharpKind::kBivariate,
                             SharpKind::kBest, SharpKind::kFull};
  SharpOptions options;
  options.kind = kinds[data[2] % 4];
  options.timeLimit = kTimeLimits[(data[3] >> 6) & 1];
  options.threads = 1;
  const int source = (data[2] / 4) % 3;
  const int tolerance = data[3] % 4;
  const size_t pick = (data[3] / 4) % 8;
  if (tolerance & 1) options.toleranceText = kToleranceTexts[pick];
  if (tolerance & 2) {
    options.hasTolerance = true;
    options.tolerance = kToleranceDoubles[pick];
  }
  const bool hasTolerance = tolerance != 0;
  const uint8_t* rest = data + 4;
  const size_t restSize = size - 4;
  const int64_t count = api::ProbabilityCount(n, m);

  if (source == 0) {
    const std::string text(reinterpret_cast<const char*>(rest), restSize);
    CheckExactReader(text, static_cast<int32_t>(count));
    WriteScratch(text);
    const SharpResult r = Call(nullptr, n, m, options);
    // The doubles read decide what is no probability.
    sharp::InputText input;
    input.opened = true;
    input.text = text;
    const ProbabilityRead read =
        sharp::ReadNumbersOfText(input, static_cast<int32_t>(count));
    std::vector<double> values(
        read.p.begin(),
        read.p.begin() + std::min<size_t>(read.p.size(), read.read));
    CheckResult(r, NoProbability(values, count, hasTolerance), hasTolerance);
    return 0;
  }
  if (source == 1) {
    std::vector<double> values(restSize / sizeof(double));
    if (!values.empty()) std::memcpy(values.data(), rest, values.size() * 8);
    CheckResult(Call(&values, n, m, options),
                NoProbability(values, count, hasTolerance), hasTolerance);
    return 0;
  }
  Rational truth;
  const std::vector<double> values =
      GenuineSystem(rest, restSize, n, m, &truth);
  Require(static_cast<int64_t>(values.size()) == count,
          "a genuine system gives every probability");
  if ((data[3] & 32) == 0) {
    const SharpResult r = Call(&values, n, m, options);
    CheckResult(r, false, hasTolerance);
    CheckTruth(r, truth);
    return 0;
  }
  // The same numbers as exact decimals in a file (every one is k / 2^16 or
  // coarser, so 20 places write it exactly).
  std::string text;
  char number[64];
  for (double x : values) {
    std::snprintf(number, sizeof number, "%.20f\n", x);
    text += number;
  }
  WriteScratch(text);
  const SharpResult fromFile = Call(nullptr, n, m, options);
  CheckResult(fromFile, false, hasTolerance);
  CheckTruth(fromFile, truth);
  if (fromFile.status != api::kStatusRefused) {
    Require(fromFile.typedNumbers == count, "every decimal is taken as typed");
  }
  return 0;
}
