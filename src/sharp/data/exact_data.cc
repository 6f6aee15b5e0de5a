#include "sharp/data/exact_data.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <utility>

namespace unionbound::sharp {
namespace {

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

// A stream is read in pieces of this size.
constexpr size_t kChunk = size_t{1} << 16;
// A token longer than this is no number anyone typed (the reader of doubles
// refuses it long before): the scan stops there instead of holding it.
constexpr size_t kLongestToken = size_t{1} << 20;

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)); }

// One number of the store as the token it came from.
struct TokenView {
  bool inWord = false;  // digits of at most 18 places in `word`
  bool negative = false;
  uint64_t word = 0;
  const mpz_class* big = nullptr;  // the signed digits otherwise
  int32_t places = 0;
};

TokenView ViewOf(const ExactData& data, size_t u) {
  TokenView view;
  const int16_t c = data.code[u];
  if (c >= 0) {
    const int64_t m = data.mantissa[u];
    view.inWord = true;
    view.negative = m < 0;
    view.word = m < 0 ? static_cast<uint64_t>(0) - static_cast<uint64_t>(m)
                      : static_cast<uint64_t>(m);
    view.places = c;
    return view;
  }
  const WideNumber& w = data.wide[static_cast<size_t>(data.mantissa[u])];
  view.inWord = w.shortToken;
  view.negative = w.negativeZero || sgn(w.digits) < 0;
  view.big = &w.digits;
  view.places = w.places;
  return view;
}

// The token's text again, with the same value: its correctly rounded double
// is the one the text it came from gives.
std::string TextOf(const TokenView& token) {
  std::string text = token.negative ? "-" : "";
  if (token.inWord) {
    text += std::to_string(token.word);
  } else {
    mpz_class magnitude = abs(*token.big);
    text += magnitude.get_str();
  }
  return text + "e-" + std::to_string(token.places);
}

// Whether the token is the number read as `expected`: the scan and the
// formatted extraction must not drift apart. A token within a few units in
// the last place of the double is the same token; anything else is
// settled by a correctly rounded conversion.
bool MatchesDouble(const TokenView& token, double expected) {
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
  const std::string text = TextOf(token);
  const double parsed = std::strtod(text.c_str(), nullptr);
  return parsed == expected && std::signbit(parsed) == std::signbit(expected);
}

void PutWide(ExactData* data, size_t u, WideNumber number) {
  data->mantissa[u] = static_cast<int64_t>(data->wide.size());
  data->code[u] = ExactData::kWideCode;
  data->wide.push_back(std::move(number));
}

// Number u becomes x exactly, mantissa * 2^-places with places >= 0.
void PutDouble(ExactData* data, size_t u, double x) {
  if (x == 0.0) {
    data->mantissa[u] = 0;
    data->code[u] = ExactData::kBinaryCode;
    return;
  }
  int exponent = 0;
  double m = std::ldexp(std::frexp(x, &exponent), 53);
  int32_t shift = 53 - exponent;
  while (shift > 0 && m == std::floor(m / 2) * 2) {
    m /= 2;
    --shift;
  }
  if (shift < 0) {
    WideNumber number;
    number.kind = WideNumber::Kind::kBinary;
    number.digits = mpz_class(m);
    mpz_mul_2exp(number.digits.get_mpz_t(), number.digits.get_mpz_t(),
                 static_cast<mp_bitcnt_t>(-shift));
    PutWide(data, u, std::move(number));
    return;
  }
  data->mantissa[u] = static_cast<int64_t>(m);
  data->code[u] = static_cast<int16_t>(ExactData::kBinaryCode - shift);
}

// The common denominator of the store and its powers of ten.
void SetScale(ExactData* data) {
  int32_t decimalPlaces = 0;
  int32_t binaryPlaces = 0;
  for (size_t u = 0; u < data->size(); ++u) {
    const int16_t c = data->code[u];
    if (c >= 0) {
      decimalPlaces = std::max<int32_t>(decimalPlaces, c);
    } else if (c != ExactData::kWideCode) {
      binaryPlaces =
          std::max<int32_t>(binaryPlaces, ExactData::kBinaryCode - c);
    }
  }
  for (const WideNumber& w : data->wide) {
    if (w.kind == WideNumber::Kind::kDecimal) {
      decimalPlaces = std::max(decimalPlaces, w.places);
    } else if (w.kind == WideNumber::Kind::kBinary) {
      binaryPlaces = std::max(binaryPlaces, w.places);
    }
  }
  data->decimalPlaces = decimalPlaces;
  data->binaryPlaces = binaryPlaces;
  data->tenPowers.assign(static_cast<size_t>(decimalPlaces) + 1, 1);
  for (size_t k = 1; k < data->tenPowers.size(); ++k) {
    data->tenPowers[k] = data->tenPowers[k - 1] * 10;
  }
  data->scale = data->tenPowers.back();
  mpz_mul_2exp(data->scale.get_mpz_t(), data->scale.get_mpz_t(),
               static_cast<mp_bitcnt_t>(binaryPlaces));
}

}  // namespace

ExactScanner::ExactScanner(size_t limit) : limit_(limit) {}

void ExactScanner::Reserve(size_t count) {
  count = std::min(count, limit_);
  tokens_.mantissa.reserve(count);
  tokens_.code.reserve(count);
}

void ExactScanner::Take(const char* chunk, size_t size) {
  const char* const end = chunk + size;
  const char* from = chunk;
  if (!carried_.empty()) {
    // The token cut by the last chunk's end goes on to the first space.
    const char* space = std::find_if(from, end, IsSpace);
    carried_.append(from, space);
    if (space == end) {
      if (carried_.size() > kLongestToken) {
        stopped_ = true;
        carried_.clear();
      }
      return;
    }
    const std::string token = std::move(carried_);
    carried_.clear();
    ScanWords(token.data(), token.data() + token.size());
    from = space;
  }
  // What follows the last space may go on in the next chunk.
  const char* last = end;
  while (last > from && !IsSpace(last[-1])) --last;
  ScanWords(from, last);
  if (!stopped_ && tokens_.size() < limit_) carried_.assign(last, end);
}

void ExactScanner::ScanWords(const char* begin, const char* end) {
  if (stopped_ || begin == end || tokens_.size() >= limit_) return;
  const std::string text(begin, end);
  size_t pos = 0;
  while (tokens_.size() < limit_) {
    while (pos < text.size() && IsSpace(text[pos])) ++pos;
    if (pos >= text.size()) return;
    DecimalToken token;
    size_t used = 0;
    if (!ParseDecimalToken(text, pos, &token, &used)) {
      stopped_ = true;
      return;
    }
    pos += used;
    const size_t u = tokens_.size();
    tokens_.mantissa.push_back(0);
    tokens_.code.push_back(0);
    if (token.inWord && !(token.negative && token.word == 0)) {
      const auto word = static_cast<int64_t>(token.word);  // < 10^18
      tokens_.mantissa[u] = token.negative ? -word : word;
      tokens_.code[u] = static_cast<int16_t>(token.places);  // <= 1200
      continue;
    }
    WideNumber number;
    number.places = token.places;
    number.shortToken = token.inWord;
    number.negativeZero = token.negative && sgn(TokenDigits(token)) == 0;
    if (!token.inWord) {
      number.digits = token.negative ? mpz_class(-token.big) : token.big;
    }
    PutWide(&tokens_, u, std::move(number));
  }
}

ExactData ExactScanner::Finish(const RealVector& doubles) {
  if (!carried_.empty()) {
    const std::string token = std::move(carried_);
    carried_.clear();
    ScanWords(token.data(), token.data() + token.size());
  }
  ExactData data = std::move(tokens_);
  const size_t scanned = data.size();
  data.mantissa.resize(doubles.size());
  data.code.resize(doubles.size());
  // The tokens count while they follow the numbers read; from the first
  // that does not, every number is the double read.
  size_t u = 0;
  while (u < doubles.size() && u < scanned &&
         MatchesDouble(ViewOf(data, u), doubles[u])) {
    ++u;
  }
  data.typed = static_cast<int32_t>(u);
  for (; u < doubles.size(); ++u) PutDouble(&data, u, doubles[u]);
  // Big numbers of tokens no longer used are dropped.
  std::vector<WideNumber> kept;
  for (size_t v = 0; v < data.size(); ++v) {
    if (data.code[v] != ExactData::kWideCode) continue;
    kept.push_back(std::move(data.wide[static_cast<size_t>(data.mantissa[v])]));
    data.mantissa[v] = static_cast<int64_t>(kept.size() - 1);
  }
  data.wide = std::move(kept);
  SetScale(&data);
  if (static_cast<size_t>(data.typed) == data.size() &&
      data.binaryPlaces == 0) {
    data.typedDecimals = data.decimalPlaces;
  }
  return data;
}

ExactData ReadExactData(std::istream& in, const RealVector& doubles) {
  ExactScanner scanner(doubles.size());
  std::string chunk(kChunk, '\0');
  while (in.read(chunk.data(), static_cast<std::streamsize>(chunk.size())) ||
         in.gcount() > 0) {
    scanner.Take(chunk.data(), static_cast<size_t>(in.gcount()));
  }
  return scanner.Finish(doubles);
}

ExactData ReadExactText(const std::string& text, const RealVector& doubles) {
  ExactScanner scanner(doubles.size());
  for (size_t at = 0; at < text.size(); at += kChunk) {
    scanner.Take(text.data() + at, std::min(kChunk, text.size() - at));
  }
  return scanner.Finish(doubles);
}

ExactData ReadExactFile(const std::string& path, const RealVector& doubles) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return ExactDataFromDoubles(doubles);
  return ReadExactData(file, doubles);
}

ExactData ExactDataFromDoubles(const RealVector& doubles) {
  ExactData data;
  data.mantissa.resize(doubles.size());
  data.code.resize(doubles.size());
  for (size_t u = 0; u < doubles.size(); ++u) PutDouble(&data, u, doubles[u]);
  SetScale(&data);
  if (data.size() == 0) data.typedDecimals = 0;
  return data;
}

ExactData ExactDataFromRationals(const RationalVector& values) {
  ExactData data;
  data.tenPowers = {1};
  data.scale = 1;
  for (const Rational& q : values) {
    mpz_lcm(data.scale.get_mpz_t(), data.scale.get_mpz_t(), q.get_den_mpz_t());
  }
  data.mantissa.resize(values.size());
  data.code.resize(values.size());
  for (size_t u = 0; u < values.size(); ++u) {
    WideNumber number;
    number.kind = WideNumber::Kind::kScaled;
    number.digits = values[u].get_num() * (data.scale / values[u].get_den());
    PutWide(&data, u, std::move(number));
  }
  data.typed = static_cast<int32_t>(values.size());
  return data;
}

void ScaledValue(const ExactData& data, size_t u, mpz_class* out) {
  mpz_ptr v = out->get_mpz_t();
  const int16_t c = data.code[u];
  const int32_t binary = data.binaryPlaces;
  if (c >= 0) {
    const int32_t shift = data.decimalPlaces - c;
    mpz_set_si(v, static_cast<long>(data.mantissa[u]));
    if (shift <= 19) {
      mpz_mul_ui(v, v, static_cast<unsigned long>(kWordTens[shift]));
    } else {
      mpz_mul(v, v, data.tenPowers[static_cast<size_t>(shift)].get_mpz_t());
    }
    if (binary > 0) mpz_mul_2exp(v, v, static_cast<mp_bitcnt_t>(binary));
    return;
  }
  if (c != ExactData::kWideCode) {
    const int32_t places = ExactData::kBinaryCode - c;
    mpz_set_si(v, static_cast<long>(data.mantissa[u]));
    mpz_mul(v, v, data.tenPowers.back().get_mpz_t());
    mpz_mul_2exp(v, v, static_cast<mp_bitcnt_t>(binary - places));
    return;
  }
  const WideNumber& w = data.wide[static_cast<size_t>(data.mantissa[u])];
  switch (w.kind) {
    case WideNumber::Kind::kDecimal:
      mpz_mul(v, w.digits.get_mpz_t(),
              data.tenPowers[static_cast<size_t>(data.decimalPlaces - w.places)]
                  .get_mpz_t());
      mpz_mul_2exp(v, v, static_cast<mp_bitcnt_t>(binary));
      return;
    case WideNumber::Kind::kBinary:
      mpz_mul(v, w.digits.get_mpz_t(), data.tenPowers.back().get_mpz_t());
      mpz_mul_2exp(v, v, static_cast<mp_bitcnt_t>(binary - w.places));
      return;
    case WideNumber::Kind::kScaled:
      mpz_set(v, w.digits.get_mpz_t());
      return;
  }
}

mpz_class ScaledValue(const ExactData& data, size_t u) {
  mpz_class v;
  ScaledValue(data, u, &v);
  return v;
}

int SignOf(const ExactData& data, size_t u) {
  if (data.code[u] != ExactData::kWideCode) {
    return (data.mantissa[u] > 0) - (data.mantissa[u] < 0);
  }
  return sgn(data.wide[static_cast<size_t>(data.mantissa[u])].digits);
}

int CompareValues(const ExactData& data, size_t u, size_t v,
                  mpz_class scratch[2]) {
  if (data.code[u] == data.code[v] && data.code[u] != ExactData::kWideCode) {
    return (data.mantissa[u] > data.mantissa[v]) -
           (data.mantissa[u] < data.mantissa[v]);
  }
  ScaledValue(data, u, &scratch[0]);
  ScaledValue(data, v, &scratch[1]);
  const int c = cmp(scratch[0], scratch[1]);
  return (c > 0) - (c < 0);
}

Rational ValueOf(const ExactData& data, size_t u) {
  Rational q(ScaledValue(data, u), data.scale);
  q.canonicalize();
  return q;
}

}  // namespace unionbound::sharp
