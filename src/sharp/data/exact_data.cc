#include "sharp/data/exact_data.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>
#include <utility>

namespace unionbound::sharp {
namespace {

// Inputs at least this large are read and scaled by two threads.
constexpr size_t kParallelBytes = 1 << 20;
constexpr size_t kParallelCount = 1 << 15;

// 10^k for k <= 19, the powers of ten that fit a 64-bit word.
constexpr uint64_t kWordTens[20] = {1ULL,
                                    10ULL,
                                    100ULL,
                                    1000ULL,
                                    10000ULL,
                                    100000ULL,
                                    1000000ULL,
                                    10000000ULL,
                                    100000000ULL,
                                    1000000000ULL,
                                    10000000000ULL,
                                    100000000000ULL,
                                    1000000000000ULL,
                                    10000000000000ULL,
                                    100000000000000ULL,
                                    1000000000000000ULL,
                                    10000000000000000ULL,
                                    100000000000000000ULL,
                                    1000000000000000000ULL,
                                    10000000000000000000ULL};

// The whole stream as text, in one read when its size is known.
std::string WholeText(std::istream& in) {
  const std::istream::pos_type here = in.tellg();
  if (here != std::istream::pos_type(-1) && in.seekg(0, std::ios::end)) {
    const std::istream::pos_type end = in.tellg();
    in.seekg(here);
    if (end != std::istream::pos_type(-1) && in) {
      std::string text(static_cast<size_t>(end - here), '\0');
      in.read(text.data(), static_cast<std::streamsize>(text.size()));
      text.resize(static_cast<size_t>(in.gcount()));
      return text;
    }
  }
  in.clear();
  std::ostringstream whole;
  whole << in.rdbuf();
  return whole.str();
}

// x = mantissa * 2^-shift exactly, with shift >= 0 (x finite).
void DyadicParts(double x, mpz_class* mantissa, int32_t* shift) {
  int exponent = 0;
  const double fraction = std::frexp(x, &exponent);
  double m = std::ldexp(fraction, 53);
  int32_t s = 53 - exponent;
  while (s > 0 && m == std::floor(m / 2) * 2 && m != 0) {
    m /= 2;
    --s;
  }
  *mantissa = mpz_class(m);
  if (s < 0) {
    mpz_mul_2exp(mantissa->get_mpz_t(), mantissa->get_mpz_t(),
                 static_cast<mp_bitcnt_t>(-s));
    s = 0;
  }
  *shift = s;
}

// One number: either a decimal token or a dyadic fallback.
struct Entry {
  bool decimal;
  DecimalToken token;  // decimal: the token; dyadic: big holds the signed
                       // mantissa and places the binary shift
};

// Whether the token is the number read as `expected`: the scan and the
// formatted extraction must not drift apart. A token within a few units in
// the last place of the double is the same token; anything else is
// settled by a correctly rounded conversion.
bool MatchesDouble(const std::string& text, size_t start, size_t used,
                   const DecimalToken& token, double expected) {
  static const double kTens[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                 1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  if (token.inWord && token.places <= 44) {
    double approx =
        static_cast<double>(token.word) / kTens[std::min(token.places, 22)];
    if (token.places > 22) approx /= kTens[token.places - 22];
    if (token.negative) approx = -approx;
    const double slack = 8 * std::ldexp(std::fabs(expected), -52);
    if (approx == expected ||
        (std::fabs(approx - expected) <= slack && expected != 0.0)) {
      return true;
    }
  }
  const std::string text2 = text.substr(start, used);
  const double parsed = std::strtod(text2.c_str(), nullptr);
  return parsed == expected && std::signbit(parsed) == std::signbit(expected);
}

// The scaled value of entries[from .. to).
void ScaleEntries(const std::vector<Entry>& entries, size_t from, size_t to,
                  int32_t decimalPlaces, int32_t binaryPlaces,
                  const std::vector<mpz_class>& tenPowers, ExactData* data) {
  for (size_t u = from; u < to; ++u) {
    const DecimalToken& e = entries[u].token;
    mpz_ptr v = data->scaled[u].get_mpz_t();
    const int32_t shift = decimalPlaces - e.places;
    if (entries[u].decimal && e.inWord && shift <= 19) {
      // word * 10^shift < 2^128: two limbs, allocated once.
      mpz_realloc2(v, 128);
      mpz_set_ui(v, static_cast<unsigned long>(e.word));
      mpz_mul_ui(v, v, static_cast<unsigned long>(kWordTens[shift]));
      if (binaryPlaces > 0) mpz_mul_2exp(v, v, binaryPlaces);
      if (e.negative) mpz_neg(v, v);
    } else if (entries[u].decimal) {
      if (e.inWord) {
        mpz_set_ui(v, static_cast<unsigned long>(e.word));
      } else {
        mpz_set(v, e.big.get_mpz_t());
      }
      if (shift > 0) mpz_mul(v, v, tenPowers[shift].get_mpz_t());
      if (binaryPlaces > 0) mpz_mul_2exp(v, v, binaryPlaces);
      if (e.negative) mpz_neg(v, v);
    } else {
      mpz_mul(v, e.big.get_mpz_t(), tenPowers[decimalPlaces].get_mpz_t());
      mpz_mul_2exp(v, v, binaryPlaces - e.places);
    }
  }
}

ExactData Assemble(const std::vector<Entry>& entries, int32_t typed) {
  int32_t decimalPlaces = 0;
  int32_t binaryPlaces = 0;
  for (const Entry& e : entries) {
    if (e.decimal) {
      decimalPlaces = std::max(decimalPlaces, e.token.places);
    } else {
      binaryPlaces = std::max(binaryPlaces, e.token.places);
    }
  }
  ExactData data;
  data.typed = typed;
  if (static_cast<size_t>(typed) == entries.size() && binaryPlaces == 0) {
    data.typedDecimals = decimalPlaces;
  }
  data.scale = PowerOf(10, static_cast<unsigned long>(decimalPlaces));
  mpz_mul_2exp(data.scale.get_mpz_t(), data.scale.get_mpz_t(),
               static_cast<mp_bitcnt_t>(binaryPlaces));
  std::vector<mpz_class> tenPowers(static_cast<size_t>(decimalPlaces) + 1);
  for (size_t k = 0; k < tenPowers.size(); ++k) {
    tenPowers[k] = PowerOf(10, static_cast<unsigned long>(k));
  }
  data.scaled.resize(entries.size());
  const size_t half =
      entries.size() >= kParallelCount ? entries.size() / 2 : entries.size();
  std::thread secondHalf;
  if (half < entries.size()) {
    secondHalf =
        std::thread(ScaleEntries, std::cref(entries), half, entries.size(),
                    decimalPlaces, binaryPlaces, std::cref(tenPowers), &data);
  }
  ScaleEntries(entries, 0, half, decimalPlaces, binaryPlaces, tenPowers, &data);
  if (secondHalf.joinable()) secondHalf.join();
  return data;
}

Entry DyadicEntry(double x) {
  Entry e{false, {}};
  e.token.inWord = false;
  if (x != 0.0) DyadicParts(x, &e.token.big, &e.token.places);
  return e;
}

}  // namespace

namespace {

// The decimal tokens of text[begin, end), at most limit of them; complete
// when the scan reached end without meeting anything else.
struct TokenRun {
  std::vector<DecimalToken> tokens;
  std::vector<std::pair<size_t, size_t>> spans;  // (start, length)
  bool complete = false;
};

TokenRun ScanTokens(const std::string& text, size_t begin, size_t end,
                    size_t limit) {
  TokenRun run;
  // A number takes at least two characters with its separator.
  const size_t expected = std::min(limit, (end - begin) / 2 + 1);
  run.tokens.reserve(expected);
  run.spans.reserve(expected);
  size_t pos = begin;
  while (run.tokens.size() < limit) {
    while (pos < end && std::isspace(static_cast<unsigned char>(text[pos]))) {
      ++pos;
    }
    if (pos >= end) {
      run.complete = true;
      break;
    }
    DecimalToken token;
    size_t used = 0;
    if (!ParseDecimalToken(text, pos, &token, &used)) break;
    run.tokens.push_back(std::move(token));
    run.spans.push_back({pos, used});
    pos += used;
  }
  return run;
}

}  // namespace

ExactData ReadExactData(std::istream& in, const RealVector& doubles) {
  return ReadExactText(WholeText(in), doubles);
}

ExactData ReadExactText(const std::string& text, const RealVector& doubles) {
  // Large files are scanned in two halves at once, split at white space.
  size_t split = text.size();
  if (text.size() >= kParallelBytes) {
    split = text.size() / 2;
    while (split < text.size() &&
           !std::isspace(static_cast<unsigned char>(text[split]))) {
      ++split;
    }
  }
  TokenRun second;
  std::thread secondHalf;
  if (split < text.size()) {
    secondHalf = std::thread(
        [&] { second = ScanTokens(text, split, text.size(), doubles.size()); });
  }
  TokenRun first = ScanTokens(text, 0, split, doubles.size());
  if (secondHalf.joinable()) secondHalf.join();
  // The tokens in file order: the second half counts only when the first
  // one was decimal numbers to its end.
  std::vector<Entry> entries;
  entries.reserve(doubles.size());
  bool inStep = true;  // the scan still follows the numbers read
  int32_t typed = 0;
  size_t k = 0;
  TokenRun* run = &first;
  for (double x : doubles) {
    if (inStep && k == run->tokens.size() && run == &first && first.complete &&
        split < text.size()) {
      run = &second;
      k = 0;
    }
    inStep = inStep && k < run->tokens.size() &&
             MatchesDouble(text, run->spans[k].first, run->spans[k].second,
                           run->tokens[k], x);
    if (!inStep) {
      entries.push_back(DyadicEntry(x));
      continue;
    }
    ++typed;
    entries.push_back({true, std::move(run->tokens[k])});
    ++k;
  }
  return Assemble(entries, typed);
}

ExactData ReadExactFile(const std::string& path, const RealVector& doubles) {
  std::ifstream file(path);
  if (!file) return ExactDataFromDoubles(doubles);
  return ReadExactData(file, doubles);
}

ExactData ExactDataFromDoubles(const RealVector& doubles) {
  std::vector<Entry> entries;
  entries.reserve(doubles.size());
  for (double x : doubles) entries.push_back(DyadicEntry(x));
  return Assemble(entries, 0);
}

ExactData ExactDataFromRationals(const RationalVector& values) {
  ExactData data;
  data.scale = 1;
  for (const Rational& q : values) {
    mpz_lcm(data.scale.get_mpz_t(), data.scale.get_mpz_t(), q.get_den_mpz_t());
  }
  for (const Rational& q : values) {
    data.scaled.push_back(q.get_num() * (data.scale / q.get_den()));
  }
  data.typed = static_cast<int32_t>(values.size());
  return data;
}

Rational ValueOf(const ExactData& data, size_t u) {
  Rational q(data.scaled[u], data.scale);
  q.canonicalize();
  return q;
}

}  // namespace unionbound::sharp
