#include "events/probability_file.h"

#include <charconv>
#include <cstddef>
#include <vector>

#include "numeric/subset_order.h"

namespace unionbound {

namespace {

// Numbers collected in a large buffer and written in big blocks.
class NumberWriter {
 public:
  NumberWriter(std::FILE* out, NumberFormat format)
      : out_(out), format_(format) {}

  void Number(double value) {
    if (buffer_.size() - used_ < 64) Flush();
    char* begin = buffer_.data() + used_;
    char* end = buffer_.data() + buffer_.size();
    if (format_ == NumberFormat::kThreeDecimals) {
      end = std::to_chars(begin, end, value, std::chars_format::fixed, 3).ptr;
    } else {
      end = std::to_chars(begin, end, value).ptr;
    }
    used_ += static_cast<std::size_t>(end - begin);
    ++written_;
    const bool endLine =
        format_ == NumberFormat::kThreeDecimals || written_ % 5 == 0;
    buffer_[used_++] = endLine ? '\n' : ' ';
  }

  // Ends a last line that holds fewer than five numbers, writes out the
  // buffer; false when some write failed.
  bool Finish() {
    if (format_ == NumberFormat::kRoundTrip && written_ % 5 != 0) {
      buffer_[used_++] = '\n';
    }
    Flush();
    return ok_;
  }

 private:
  void Flush() {
    if (std::fwrite(buffer_.data(), 1, used_, out_) != used_) ok_ = false;
    used_ = 0;
  }

  std::FILE* out_;
  NumberFormat format_;
  std::vector<char> buffer_ = std::vector<char>(1 << 20);
  std::size_t used_ = 0;
  uint64_t written_ = 0;
  bool ok_ = true;
};

}  // namespace

bool WriteProbabilityFile(const MixtureModel& model, int32_t n, int32_t m,
                          NumberFormat format, std::FILE* out) {
  const ExactModel exact = MakeExactModel(model);
  NumberWriter writer(out, format);
  for (int32_t size = 1; size <= m && size <= n; ++size) {
    IndexVector subset = FirstSubset(size);
    do {
      writer.Number(IntersectionProbability(exact, subset));
    } while (NextSubset(&subset, n));
  }
  return writer.Finish();
}

}  // namespace unionbound
