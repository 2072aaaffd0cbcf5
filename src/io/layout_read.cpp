// Formatted reading: runs a parsed layout over input records and fills the targets. Numeric
// fields are converted with std::from_chars after blanks and implied decimals are settled,
// so the result is the correctly rounded value of the decimal text.
#include <charconv>
#include <cstdint>
#include <limits>
#include <string>

#include "io/layout_int.hpp"

namespace korvex::io {
namespace layout_detail {
namespace {

using Op = LayoutNode::Op;

// The field with blank handling applied: leading blanks dropped, other blanks dropped (BN)
// or taken as zeros (BZ).
std::string squeeze(std::string_view field, bool blank_zero) {
  std::string out;
  std::size_t i = 0;
  while (i < field.size() && (field[i] == ' ' || field[i] == '\t')) ++i;
  for (; i < field.size(); ++i) {
    const char c = field[i];
    if (c == ' ' || c == '\t') {
      if (blank_zero) out += '0';
    } else {
      out += c;
    }
  }
  return out;
}

enum class Flow { go, stop, eof };

class Reader {
 public:
  Reader(const std::string& layout, const RecordSource& source, std::span<const Target> targets)
      : layout_(layout), source_(source), targets_(targets) {}

  bool targets_left() const { return next_ < targets_.size(); }
  bool all_filled() const { return !targets_left(); }

  // Makes the next input record current; false at end of input.
  bool fetch() {
    std::optional<std::string> r = source_();
    if (!r) return false;
    rec_ = std::move(*r);
    if (!rec_.empty() && rec_.back() == '\r') rec_.pop_back();
    pos_ = 0;
    return true;
  }

  Flow exec(const LayoutNode& node) {
    if (!is_data_descriptor(node.op)) step();
    switch (node.op) {
      case Op::group:
        for (long r = 0; r < node.repeat; ++r) {
          if (r > 0) step();
          for (const LayoutNode& child : node.children) {
            if (const Flow f = exec(child); f != Flow::go) return f;
          }
        }
        return Flow::go;
      case Op::literal: pos_ += node.literal.size(); return Flow::go;  // skipped on input
      case Op::skip:
      case Op::tab_right: pos_ += static_cast<std::size_t>(node.width); return Flow::go;
      case Op::tab_left: {
        const auto n = static_cast<std::size_t>(node.width);
        pos_ = pos_ >= n ? pos_ - n : 0;
        return Flow::go;
      }
      case Op::tab: pos_ = static_cast<std::size_t>(node.width) - 1; return Flow::go;
      case Op::slash:
        for (long r = 0; r < node.repeat; ++r) {
          if (!fetch()) return Flow::eof;
        }
        return Flow::go;
      case Op::colon: return targets_left() ? Flow::go : Flow::stop;
      case Op::scale: scale_ = node.width; return Flow::go;
      case Op::blank_null: blank_zero_ = false; return Flow::go;
      case Op::blank_zero: blank_zero_ = true; return Flow::go;
      default: break;
    }
    for (long r = 0; r < node.repeat; ++r) {
      if (!targets_left()) return Flow::stop;
      store(node, targets_[next_]);
      ++next_;
      idle_ = 0;
    }
    return Flow::go;
  }

 private:
  // Counts an item (or a group repetition) done without taking a value.
  void step() {
    if (++idle_ > kMaxIdleSteps) fail(layout_, "the layout runs on without reading any value");
  }

  // The next w columns of the record, blank-padded past its end.
  std::string field(int w) {
    const auto width = static_cast<std::size_t>(w);
    std::string f(width, ' ');
    if (pos_ < rec_.size()) rec_.copy(f.data(), std::min(width, rec_.size() - pos_), pos_);
    pos_ += width;
    return f;
  }

  [[noreturn]] void bad_field(const std::string& f, const std::string& why) const {
    fail(layout_, "input field \"" + f + "\" " + why);
  }

  void store(const LayoutNode& node, const Target& t) {
    const Target::Kind kind = t.kind();
    const bool real_target = kind == Target::Kind::real32 || kind == Target::Kind::real64;
    auto wrong = [&] {
      static constexpr const char* names[] = {"an integer", "a single-precision real", "a double-precision real",
                                              "a text"};
      fail(layout_, describe(node) + " cannot read into " + names[static_cast<int>(kind)]);
    };
    if (node.op == Op::text || (node.op == Op::general && kind == Target::Kind::text)) {
      if (kind != Target::Kind::text) wrong();
      store_text(node, t);
      return;
    }
    if (node.width == 0) fail(layout_, describe(node) + " cannot read: a field needs a width");
    switch (node.op) {
      case Op::integer:
      case Op::hex:
        if (kind != Target::Kind::int32) wrong();
        *static_cast<std::int32_t*>(t.pointer()) = read_integer(field(node.width), node.op == Op::hex);
        return;
      case Op::general:
        if (kind == Target::Kind::int32) {
          *static_cast<std::int32_t*>(t.pointer()) = read_integer(field(node.width), false);
          return;
        }
        [[fallthrough]];
      default:
        if (!real_target) wrong();
        read_real(field(node.width), node.digits, t);
        return;
    }
  }

  // Aw into a text of length L: w >= L keeps the last L characters of the field, w < L
  // takes the field followed by blanks. A alone reads L columns.
  void store_text(const LayoutNode& node, const Target& t) {
    const std::size_t len = t.length();
    const std::size_t w = node.has_width ? static_cast<std::size_t>(node.width) : len;
    std::string f = field(static_cast<int>(w));
    auto* out = static_cast<std::string*>(t.pointer());
    if (w >= len) {
      out->assign(f, w - len, len);
    } else {
      *out = f + std::string(len - w, ' ');
    }
  }

  std::int32_t read_integer(const std::string& f, bool hex) const {
    const std::string s = squeeze(f, blank_zero_);
    if (s.empty()) return 0;
    std::size_t i = 0;
    bool negative = false;
    if (!hex && (s[0] == '+' || s[0] == '-')) {
      negative = s[0] == '-';
      ++i;
    }
    if (i == s.size()) bad_field(f, "is not a number");
    const int base = hex ? 16 : 10;
    long long value = 0;
    for (; i < s.size(); ++i) {
      const char c = ascii_upper(s[i]);
      int digit = 0;
      if (ascii_digit(c)) {
        digit = c - '0';
      } else if (hex && c >= 'A' && c <= 'F') {
        digit = c - 'A' + 10;
      } else {
        bad_field(f, hex ? "is not a hexadecimal number" : "is not an integer");
      }
      value = value * base + digit;
      if (value > 0xFFFFFFFFLL) bad_field(f, "is out of range");
    }
    if (hex) return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    if (negative) value = -value;
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max()) {
      bad_field(f, "is out of range");
    }
    return static_cast<std::int32_t>(value);
  }

  // [sign] digits [. digits] [exponent], where the exponent is E, e, D or d with an
  // optional sign, or a bare sign, then digits. Without a point the last d digits are
  // decimals; without an exponent the scale factor kP divides by 10^k.
  void read_real(const std::string& f, int d, const Target& t) const {
    const std::string s = squeeze(f, blank_zero_);
    const bool single = t.kind() == Target::Kind::real32;
    if (s.empty()) {
      store_real(t, 0.0, 0.0f);
      return;
    }
    std::size_t i = 0;
    bool negative = false;
    if (s[0] == '+' || s[0] == '-') {
      negative = s[0] == '-';
      ++i;
    }
    std::string digits;
    long long frac = 0;
    bool point = false;
    for (; i < s.size(); ++i) {
      const char c = s[i];
      if (ascii_digit(c)) {
        digits += c;
        if (point) ++frac;
      } else if (c == '.' && !point) {
        point = true;
      } else {
        break;
      }
    }
    if (digits.empty()) bad_field(f, "is not a number");
    bool has_exponent = false;
    long long ex = 0;
    if (i < s.size()) {
      const char c = ascii_upper(s[i]);
      if (c == 'E' || c == 'D') ++i;
      else if (c != '+' && c != '-') bad_field(f, "is not a number");
      has_exponent = true;
      bool ex_negative = false;
      if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        ex_negative = s[i] == '-';
        ++i;
      }
      if (i == s.size()) bad_field(f, "is not a number");
      for (; i < s.size(); ++i) {
        if (!ascii_digit(s[i])) bad_field(f, "is not a number");
        if (ex < 100000000) ex = ex * 10 + (s[i] - '0');
      }
      if (ex_negative) ex = -ex;
    }
    const long long power = ex - (point ? frac : d) - (has_exponent ? 0 : scale_);
    const std::string text = digits + "e" + std::to_string(power);
    const char* first = text.data();
    const char* last = text.data() + text.size();
    double dv = 0.0;
    float fv = 0.0f;
    const std::errc ec = single ? std::from_chars(first, last, fv).ec : std::from_chars(first, last, dv).ec;
    if (ec == std::errc::result_out_of_range) {
      // Too small to show is zero; too large is an error.
      const std::size_t lead = digits.find_first_not_of('0');
      const long long significant = lead == std::string::npos ? 0 : static_cast<long long>(digits.size() - lead);
      if (power + significant > 0) bad_field(f, "is out of range");
      dv = 0.0;
      fv = 0.0f;
    } else if (ec != std::errc()) {
      bad_field(f, "is not a number");
    }
    if (negative) {
      dv = -dv;
      fv = -fv;
    }
    store_real(t, dv, fv);
  }

  static void store_real(const Target& t, double dv, float fv) {
    if (t.kind() == Target::Kind::real32) {
      *static_cast<float*>(t.pointer()) = fv;
    } else {
      *static_cast<double*>(t.pointer()) = dv;
    }
  }

  const std::string& layout_;
  const RecordSource& source_;
  std::span<const Target> targets_;
  std::size_t next_ = 0;
  std::string rec_;
  std::size_t pos_ = 0;
  int scale_ = 0;
  bool blank_zero_ = false;
  std::size_t idle_ = 0;
};

}  // namespace

// A read always takes its first record; with none it returns false. Later records are taken
// by slashes and by a new pass at the closing parenthesis. Running out of records once every
// target is filled (on a trailing slash) still counts as success.
bool read_layout(const LayoutPlan& plan, const RecordSource& next, std::span<const Target> targets) {
  if (!targets.empty() && !plan.has_data) fail(plan.text, "targets given but the layout has no data descriptor");
  Reader r(plan.text, next, targets);
  if (!r.fetch()) return false;
  std::size_t start = 0;
  for (;;) {
    for (std::size_t i = start; i < plan.items.size(); ++i) {
      switch (r.exec(plan.items[i])) {
        case Flow::go: continue;
        case Flow::stop: return true;
        case Flow::eof: return r.all_filled();
      }
    }
    if (r.all_filled()) return true;
    if (!plan.reversion_has_data) {
      fail(plan.text, "targets left over but the part that repeats has no data descriptor");
    }
    if (!r.fetch()) return false;
    start = plan.reversion;
  }
}

}  // namespace layout_detail
}  // namespace korvex::io
