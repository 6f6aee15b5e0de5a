#include "sharp/exact/decimal.h"

namespace unionbound::sharp {
namespace {

// Tokens whose scale would exceed this many decimal places are taken as the
// double read: every finite double needs fewer.
constexpr int32_t kMaxPlaces = 1200;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

mpz_class PowerOf(unsigned long base, unsigned long exponent) {
  mpz_class r;
  mpz_ui_pow_ui(r.get_mpz_t(), base, exponent);
  return r;
}

mpz_class TokenDigits(const DecimalToken& token) {
  if (!token.inWord) return token.big;
  mpz_class v;
  mpz_set_ui(v.get_mpz_t(), static_cast<unsigned long>(token.word));
  return v;
}

bool ParseDecimalToken(const std::string& text, size_t start,
                       DecimalToken* token, size_t* used) {
  size_t i = start;
  const size_t size = text.size();
  bool negative = false;
  if (i < size && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Up to 18 digits accumulate in a machine word; longer mantissas go
  // through text.
  uint64_t word = 0;
  int32_t wordDigits = 0;
  std::string digits;
  int64_t places = 0;
  bool any = false;
  auto take = [&](char c) {
    if (word == 0 && c == '0' && digits.empty()) return;  // leading zero
    if (wordDigits < 18 && digits.empty()) {
      word = word * 10 + static_cast<uint64_t>(c - '0');
      ++wordDigits;
      return;
    }
    if (digits.empty()) digits = std::to_string(word);
    digits += c;
  };
  while (i < size && IsDigit(text[i])) {
    take(text[i++]);
    any = true;
  }
  if (i < size && text[i] == '.') {
    ++i;
    while (i < size && IsDigit(text[i])) {
      take(text[i++]);
      ++places;
      any = true;
    }
  }
  if (!any) return false;
  if (i < size && (text[i] == 'e' || text[i] == 'E')) {
    size_t j = i + 1;
    bool expNegative = false;
    if (j < size && (text[j] == '+' || text[j] == '-')) {
      expNegative = text[j] == '-';
      ++j;
    }
    if (j < size && IsDigit(text[j])) {
      int64_t exponent = 0;
      while (j < size && IsDigit(text[j])) {
        if (exponent < 1000000) exponent = exponent * 10 + (text[j] - '0');
        ++j;
      }
      places += expNegative ? exponent : -exponent;
      i = j;
    }
  }
  token->negative = negative;
  token->inWord = digits.empty();
  token->word = word;
  if (!token->inWord) token->big.set_str(digits, 10);
  const bool zero = token->inWord ? word == 0 : sgn(token->big) == 0;
  if (places > kMaxPlaces || places < -kMaxPlaces) {
    if (!zero) return false;
    places = 0;
  }
  token->places = static_cast<int32_t>(places);
  if (token->places < 0) {
    token->big = TokenDigits(*token) *
                 PowerOf(10, static_cast<unsigned long>(-token->places));
    token->inWord = false;
    token->places = 0;
  }
  *used = i - start;
  return true;
}

bool ParseExactDecimal(const std::string& text, Rational* value) {
  DecimalToken token;
  size_t used = 0;
  if (!ParseDecimalToken(text, 0, &token, &used) || used != text.size()) {
    return false;
  }
  Rational q(TokenDigits(token),
             PowerOf(10, static_cast<unsigned long>(token.places)));
  q.canonicalize();
  *value = token.negative ? Rational(-q) : q;
  return true;
}

}  // namespace unionbound::sharp
