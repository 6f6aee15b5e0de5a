// generate_prob: writes the intersection probabilities of a genuine event
// system in the order of prob.txt, streaming: subsets are stepped through in
// order one at a time, so millions of numbers need no list of subsets.
//
//   generate_prob independent|mixture N M SEED [OUT]
//
// independent: N independent events with marginals drawn from 0.3/N .. 1.5/N.
// mixture: four components of independent events with random weights and
// marginals (one component raises every marginal), so the events are
// dependent. Every number is the double nearest to the model's probability
// up to the rounding of a few products, written with round-trip precision,
// five to a line. Without OUT the numbers go to standard output.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

struct Model {
  std::vector<double> weights;                 // sum to 1
  std::vector<std::vector<double>> marginals;  // per component, per event
};

Model IndependentModel(int n, std::mt19937_64& rng) {
  std::uniform_real_distribution<double> marginal(0.3 / n, 1.5 / n);
  Model model;
  model.weights = {1.0};
  model.marginals.resize(1);
  for (int i = 0; i < n; ++i) model.marginals[0].push_back(marginal(rng));
  return model;
}

Model MixtureModel(int n, std::mt19937_64& rng) {
  constexpr int kComponents = 4;
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  Model model;
  double total = 0.0;
  for (int c = 0; c < kComponents; ++c) {
    model.weights.push_back(0.2 + unit(rng));
    total += model.weights.back();
    // Component 0 is the rare shock: every event becomes likely.
    const double scale = c == 0 ? 6.0 : 1.0;
    std::vector<double> row;
    for (int i = 0; i < n; ++i) {
      row.push_back(std::min(0.9, scale * (0.2 + 1.3 * unit(rng)) / n));
    }
    model.marginals.push_back(row);
  }
  for (double& w : model.weights) w /= total;
  model.weights[0] *= 0.1;
  double rest = 0.0;
  for (size_t c = 1; c < model.weights.size(); ++c) rest += model.weights[c];
  for (size_t c = 1; c < model.weights.size(); ++c) {
    model.weights[c] *= (1.0 - model.weights[0]) / rest;
  }
  return model;
}

double IntersectionProbability(const Model& model,
                               const std::vector<int>& subset) {
  double sum = 0.0;
  for (size_t c = 0; c < model.weights.size(); ++c) {
    double product = model.weights[c];
    for (int event : subset) product *= model.marginals[c][event - 1];
    sum += product;
  }
  return sum;
}

// The next subset of the same size in lexicographic order; false after the
// last one.
bool NextSubset(std::vector<int>& subset, int n) {
  const int k = static_cast<int>(subset.size());
  int i = k - 1;
  while (i >= 0 && subset[i] == n - (k - 1 - i)) --i;
  if (i < 0) return false;
  ++subset[i];
  for (int t = i + 1; t < k; ++t) subset[t] = subset[t - 1] + 1;
  return true;
}

class Writer {
 public:
  explicit Writer(std::FILE* out) : out_(out) {}
  ~Writer() { Flush(); }
  void Number(double value, bool endLine) {
    if (buffer_.size() - used_ < 64) Flush();
    char* begin = buffer_.data() + used_;
    const auto result =
        std::to_chars(begin, buffer_.data() + buffer_.size(), value);
    used_ += static_cast<size_t>(result.ptr - begin);
    buffer_[used_++] = endLine ? '\n' : ' ';
  }
  void EndLine() {
    if (used_ == buffer_.size()) Flush();
    buffer_[used_++] = '\n';
  }
  void Flush() {
    std::fwrite(buffer_.data(), 1, used_, out_);
    used_ = 0;
  }

 private:
  std::FILE* out_;
  std::vector<char> buffer_ = std::vector<char>(1 << 20);
  size_t used_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5 && argc != 6) {
    std::fprintf(stderr,
                 "usage: generate_prob independent|mixture N M SEED [OUT]\n");
    return 1;
  }
  const std::string family = argv[1];
  const int n = std::atoi(argv[2]);
  const int m = std::atoi(argv[3]);
  std::mt19937_64 rng(std::strtoull(argv[4], nullptr, 10));
  if (n < 1 || m < 1 || (family != "independent" && family != "mixture")) {
    std::fprintf(stderr, "generate_prob: need a known family and N, M >= 1\n");
    return 1;
  }
  const Model model =
      family == "independent" ? IndependentModel(n, rng) : MixtureModel(n, rng);

  std::FILE* out = argc == 6 ? std::fopen(argv[5], "w") : stdout;
  if (out == nullptr) {
    std::fprintf(stderr, "generate_prob: cannot write %s\n", argv[5]);
    return 1;
  }
  {
    Writer writer(out);
    uint64_t written = 0;
    for (int size = 1; size <= m && size <= n; ++size) {
      std::vector<int> subset(size);
      for (int t = 0; t < size; ++t) subset[t] = t + 1;
      do {
        ++written;
        writer.Number(IntersectionProbability(model, subset), written % 5 == 0);
      } while (NextSubset(subset, n));
    }
    if (written % 5 != 0) writer.EndLine();
  }
  if (out != stdout && std::fclose(out) != 0) return 1;
  return 0;
}
