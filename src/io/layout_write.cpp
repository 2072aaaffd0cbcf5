// Formatted writing: runs a parsed layout over a list of values and builds the records.
// Numbers are rounded on their exact binary value (ties to even) through std::to_chars;
// nothing here depends on the C locale.
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "io/layout_int.hpp"

namespace korvex::io {
namespace layout_detail {
namespace {

using Op = LayoutNode::Op;

std::string stars(int w) { return std::string(static_cast<std::size_t>(w), '*'); }

// Right-aligns `s` in w columns; w asterisks when it does not fit; `s` itself when w is 0.
std::string right(std::string s, int w) {
  if (w == 0) return s;
  const auto width = static_cast<std::size_t>(w);
  if (s.size() > width) return stars(w);
  s.insert(0, width - s.size(), ' ');
  return s;
}

// NaN and infinities: "NaN", "Inf"/"-Inf", or "Infinity"/"-Infinity" when that fits.
std::string special(double x, int w) {
  if (std::isnan(x)) return w != 0 && w < 3 ? stars(w) : right("NaN", w);
  const bool neg = std::signbit(x);
  std::string s = neg ? "-Infinity" : "Infinity";
  if (w == 0 || s.size() > static_cast<std::size_t>(w)) s = neg ? "-Inf" : "Inf";
  return right(s, w);
}

// |x| rounded to `places` decimals (ties to even on the exact value), as a digit string S
// whose value is S * 10^-places; no leading zeros except a lone "0". `places` may be
// negative (rounding to tens, hundreds, ...).
std::string rounded_digits(double ax, int places) {
  std::string s;
  if (places >= 0) {
    s.resize(330 + static_cast<std::size_t>(places));
    auto r = std::to_chars(s.data(), s.data() + s.size(), ax, std::chars_format::fixed, places);
    s.resize(static_cast<std::size_t>(r.ptr - s.data()));
    if (const auto dot = s.find('.'); dot != std::string::npos) s.erase(dot, 1);
  } else {
    // Every double has at most 1074 decimals: this expansion is exact. Round it by hand.
    constexpr int exact = 1100;
    s.resize(330 + exact);
    auto r = std::to_chars(s.data(), s.data() + s.size(), ax, std::chars_format::fixed, exact);
    s.resize(static_cast<std::size_t>(r.ptr - s.data()));
    s.erase(s.find('.'), 1);
    const std::size_t lead = s.find_first_not_of('0');
    s.erase(0, lead == std::string::npos ? s.size() : lead);
    const auto drop = static_cast<std::size_t>(exact - places);  // digits below the unit
    if (drop > s.size()) return "0";
    const std::size_t keep = s.size() - drop;
    const char first = s[keep];
    const bool rest = s.find_first_not_of('0', keep + 1) != std::string::npos;
    std::string kept = keep == 0 ? "0" : s.substr(0, keep);
    const bool odd = ((kept.back() - '0') & 1) != 0;
    if (first > '5' || (first == '5' && (rest || odd))) {
      std::size_t i = kept.size();
      while (i > 0 && kept[i - 1] == '9') kept[--i] = '0';
      if (i == 0) {
        kept.insert(0, 1, '1');
      } else {
        ++kept[i - 1];
      }
    }
    s = kept;
  }
  const std::size_t lead = s.find_first_not_of('0');
  s.erase(0, lead == std::string::npos ? s.size() - 1 : lead);
  return s;
}

// |x| > 0 rounded to `sig` significant digits: sets `digits` (sig characters) and the
// decimal exponent e, value = d.ddd * 10^e.
void rounded_significant(double ax, int sig, std::string& digits, int& e) {
  std::string s(static_cast<std::size_t>(sig) + 16, '\0');
  auto r = std::to_chars(s.data(), s.data() + s.size(), ax, std::chars_format::scientific, sig - 1);
  s.resize(static_cast<std::size_t>(r.ptr - s.data()));
  const std::size_t epos = s.find('e');
  digits = s.substr(0, epos);
  if (const auto dot = digits.find('.'); dot != std::string::npos) digits.erase(dot, 1);
  std::from_chars(s.data() + epos + 1 + (s[epos + 1] == '+' ? 1 : 0), s.data() + s.size(), e);
}

bool all_zero(const std::string& s) { return s.find_first_not_of('0') == std::string::npos; }

// Puts sign and body into w columns. A body that starts with an optional "0" before the
// point loses it when that is what makes it fit (or always, for w == 0).
std::string fit(bool negative, std::string body, bool optional_zero, int w) {
  std::string s = negative ? "-" + body : std::move(body);
  if (optional_zero) {
    const std::size_t zero = negative ? 1 : 0;
    if (w == 0 || s.size() == static_cast<std::size_t>(w) + 1) s.erase(zero, 1);
  }
  return right(std::move(s), w);
}

// format_fixed for 0 <= d + k <= 64, the common case, in one buffer on the stack: the
// same digits and the same rules as the general path below, without its temporary strings.
std::string format_fixed_short(double x, int w, int d, int k) {
  // |x| rounded to d + k decimals: at most 309 digits before the point, 64 after it.
  char text[400];
  const auto r = std::to_chars(text, text + sizeof text, std::fabs(x), std::chars_format::fixed,
                               d + k);
  // The digit string S (value S * 10^-(d+k)) without the point and its leading zeros.
  char digits[400];
  std::size_t n = 0;
  for (const char* p = text; p != r.ptr; ++p) {
    if (*p != '.' && (n != 0 || *p != '0')) digits[n++] = *p;
  }
  if (n == 0) digits[n++] = '0';
  const bool negative = std::signbit(x) && !(n == 1 && digits[0] == '0');
  // At least one digit before the point: S padded with zeros in front to d + 1 digits.
  const auto dd = static_cast<std::size_t>(d);
  const std::size_t pad = n <= dd ? dd + 1 - n : 0;
  const std::size_t int_digits = n + pad - dd;
  const bool lone_zero = int_digits == 1 && (pad > 0 || digits[0] == '0');
  // Sign, integer digits, point, decimals; the lone zero before the point dropped when that
  // makes the number fit (or always in free width).
  const std::size_t full = (negative ? 1 : 0) + int_digits + 1 + dd;
  const bool drop_zero = lone_zero && d > 0 && (w == 0 || full == static_cast<std::size_t>(w) + 1);
  const std::size_t len = full - (drop_zero ? 1 : 0);
  const std::size_t width = w == 0 ? len : static_cast<std::size_t>(w);
  if (len > width) return stars(w);
  std::string out(width, ' ');
  char* o = out.data() + (width - len);
  if (negative) *o++ = '-';
  std::size_t i = 0;  // position in S padded
  const auto digit = [&](std::size_t at) { return at < pad ? '0' : digits[at - pad]; };
  for (; i < int_digits; ++i) {
    if (!drop_zero) *o++ = digit(i);
  }
  *o++ = '.';
  for (; i < int_digits + dd; ++i) *o++ = digit(i);
  return out;
}

// Fw.d with scale factor k: the value times 10^k, rounded to d decimals.
std::string format_fixed(double x, int w, int d, int k) {
  if (!std::isfinite(x)) return special(x, w);
  if (d >= 0 && d + k >= 0 && d + k <= 64) return format_fixed_short(x, w, d, k);
  std::string s = rounded_digits(std::fabs(x), d + k);
  const auto dd = static_cast<std::size_t>(d);
  if (s.size() <= dd) s.insert(0, dd + 1 - s.size(), '0');
  const std::string int_part = s.substr(0, s.size() - dd);
  const bool negative = std::signbit(x) && !all_zero(s);
  return fit(negative, int_part + "." + s.substr(s.size() - dd), int_part == "0" && d > 0, w);
}

// Ew.d / Dw.d with scale factor k (the caller has checked -d < k < d + 2).
std::string format_exponent(double x, int w, int d, int k, char letter) {
  if (!std::isfinite(x)) return special(x, w);
  const int sig = k <= 0 ? d + k : d + 1;
  std::string digits;
  int ex = 0;
  const double ax = std::fabs(x);
  if (ax == 0.0) {
    digits.assign(static_cast<std::size_t>(sig), '0');
  } else {
    int e = 0;
    rounded_significant(ax, sig, digits, e);
    ex = e + 1 - k;
  }
  std::string body;
  if (ax == 0.0 && k > 0) {
    body = "0." + digits.substr(static_cast<std::size_t>(k));
  } else if (k > 0) {
    body = digits.substr(0, static_cast<std::size_t>(k)) + "." + digits.substr(static_cast<std::size_t>(k));
  } else {
    body = "0." + std::string(static_cast<std::size_t>(-k), '0') + digits;
  }
  const int mag = ex < 0 ? -ex : ex;
  if (mag > 999) return stars(w);
  const std::string exp_digits = std::to_string(mag);
  if (mag <= 99) body += letter;
  body += ex < 0 ? '-' : '+';
  if (mag < 10) body += '0';
  body += exp_digits;
  return fit(std::signbit(x) && ax != 0.0, body, k <= 0, w);
}

// Gw.d (d > 0): fixed point in w-4 columns and 4 blanks when the value rounded to d
// significant digits has 0..d digits before the point; otherwise Ew.d (with the scale
// factor).
std::string format_general(double x, int w, int d, int k) {
  if (!std::isfinite(x)) return special(x, w);
  const double ax = std::fabs(x);
  const int fw = w - 4;
  auto fixed_form = [&](int decimals) {
    if (fw <= 0) return stars(w);
    std::string f = format_fixed(x, fw, decimals, 0);
    return f.front() == '*' ? stars(w) : f + "    ";
  };
  if (ax == 0.0) return fixed_form(d - 1);
  std::string digits;
  int e = 0;
  rounded_significant(ax, d, digits, e);
  const int s = e + 1;  // digits before the point
  if (s >= 1 && s <= d) return fixed_form(d - s);
  if (s == 0) return fixed_form(d);
  return format_exponent(x, w, d, k, 'E');
}

std::string format_integer(long long v, int w, int m, bool has_m) {
  const unsigned long long mag = v < 0 ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
  std::string digits = std::to_string(mag);
  if (has_m && m == 0 && v == 0) return std::string(static_cast<std::size_t>(w), ' ');
  if (digits.size() < static_cast<std::size_t>(m)) digits.insert(0, static_cast<std::size_t>(m) - digits.size(), '0');
  return right(v < 0 ? "-" + digits : digits, w);
}

// Hexadecimal, upper-case; a negative value that fits int32 shows its 32-bit pattern.
std::string format_hex(long long v, int w, int m, bool has_m) {
  unsigned long long bits = static_cast<unsigned long long>(v);
  if (v < 0 && v >= std::numeric_limits<std::int32_t>::min()) bits = static_cast<std::uint32_t>(v);
  if (has_m && m == 0 && v == 0) return std::string(static_cast<std::size_t>(w), ' ');
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, bits, 16);
  std::string digits(buf, r.ptr);
  for (char& c : digits) c = ascii_upper(c);
  if (digits.size() < static_cast<std::size_t>(m)) digits.insert(0, static_cast<std::size_t>(m) - digits.size(), '0');
  return right(digits, w);
}

std::string format_text(std::string_view s, const LayoutNode& node) {
  if (!node.has_width) return std::string(s);
  const auto w = static_cast<std::size_t>(node.width);
  if (s.size() >= w) return std::string(s.substr(0, w));
  return std::string(w - s.size(), ' ') + std::string(s);
}

// A value shown in an error message.
std::string show(const Value& v) {
  switch (v.kind()) {
    case Value::Kind::integer: return "the integer " + std::to_string(v.integer());
    case Value::Kind::real: {
      char buf[40];
      auto r = std::to_chars(buf, buf + sizeof buf, v.real());
      return "the real " + std::string(buf, r.ptr);
    }
    case Value::Kind::text: break;
  }
  return "the text \"" + std::string(v.text()) + "\"";
}

// The state of one formatted write. The record under construction is `rec`; `pos` is the
// column where the next item goes, which may lie past the end of `rec` after X, T or TR:
// those blanks are only added when something is written there or the record is ended by a
// slash or by reaching the closing parenthesis.
class Writer {
 public:
  Writer(const std::string& layout, std::span<const Value> values) : layout_(layout), values_(values) {}

  bool values_left() const { return next_ < values_.size(); }

  // Executes one item; false when output stops (a data descriptor or colon with no value
  // left).
  bool exec(const LayoutNode& node) {
    if (!is_data_descriptor(node.op)) step();
    switch (node.op) {
      case Op::group:
        for (long r = 0; r < node.repeat; ++r) {
          if (r > 0) step();
          for (const LayoutNode& child : node.children) {
            if (!exec(child)) return false;
          }
        }
        return true;
      case Op::literal: put(node.literal); return true;
      case Op::skip:
      case Op::tab_right: move_to(pos_ + static_cast<std::size_t>(node.width)); return true;
      case Op::tab_left: {
        const auto n = static_cast<std::size_t>(node.width);
        pos_ = pos_ >= n ? pos_ - n : 0;
        return true;
      }
      case Op::tab: move_to(static_cast<std::size_t>(node.width) - 1); return true;
      case Op::slash:
        for (long r = 0; r < node.repeat; ++r) {
          if (r > 0) step();
          end_record();
        }
        return true;
      case Op::colon: return values_left();
      case Op::scale: scale_ = node.width; return true;
      case Op::blank_null:
      case Op::blank_zero: return true;
      default: break;
    }
    for (long r = 0; r < node.repeat; ++r) {
      if (!values_left()) return false;
      put(convert(node, values_[next_]));
      ++next_;
      idle_ = 0;
    }
    return true;
  }

  // Ends the current record, writing pending blanks, and starts a new one.
  void end_record() {
    if (records_.size() >= kMaxRecords) {
      fail(layout_, "more than " + std::to_string(kMaxRecords) + " records");
    }
    settle();
    records_.push_back(std::move(rec_));
    rec_.clear();
    pos_ = 0;
  }

  // Output reached the closing parenthesis with no value left: the record keeps its
  // pending blanks.
  std::vector<std::string> finish_at_end() {
    settle();
    return stop();
  }

  // Output stopped at a data descriptor or colon: pending positioning is dropped.
  std::vector<std::string> stop() {
    records_.push_back(std::move(rec_));
    return std::move(records_);
  }

 private:
  // Counts an item (or a group repetition) done without taking a value.
  void step() {
    if (++idle_ > kMaxIdleSteps) fail(layout_, "the layout runs on without using any value");
  }

  void move_to(std::size_t column) {
    if (column > kMaxRecord) fail(layout_, "record longer than " + std::to_string(kMaxRecord) + " columns");
    pos_ = column;
  }

  void settle() {
    if (pos_ > rec_.size()) rec_.resize(pos_, ' ');
  }

  // Writes at the current column, overwriting what is there.
  void put(std::string_view s) {
    if (pos_ + s.size() > kMaxRecord) fail(layout_, "record longer than " + std::to_string(kMaxRecord) + " columns");
    if (pos_ + s.size() > rec_.size()) rec_.resize(pos_ + s.size(), ' ');
    rec_.replace(pos_, s.size(), s);
    pos_ += s.size();
  }

  std::string convert(const LayoutNode& node, const Value& v) {
    const Value::Kind kind = v.kind();
    auto wrong = [&]() -> std::string { fail(layout_, describe(node) + " cannot write " + show(v)); };
    switch (node.op) {
      case Op::integer:
        if (kind != Value::Kind::integer) wrong();
        return format_integer(v.integer(), node.width, node.digits, node.has_digits);
      case Op::hex:
        if (kind != Value::Kind::integer) wrong();
        return format_hex(v.integer(), node.width, node.digits, node.has_digits);
      case Op::text:
        if (kind != Value::Kind::text) wrong();
        return format_text(v.text(), node);
      case Op::fixed:
        if (kind != Value::Kind::real) wrong();
        return format_fixed(v.real(), node.width, node.digits, scale_);
      case Op::exponent:
      case Op::exponent_d:
        if (kind != Value::Kind::real) wrong();
        check_scale(node);
        return format_exponent(v.real(), node.width, node.digits, scale_, node.op == Op::exponent ? 'E' : 'D');
      case Op::general:
        if (kind == Value::Kind::integer) return format_integer(v.integer(), node.width, 0, false);
        if (kind == Value::Kind::text) {
          LayoutNode as_text;
          as_text.width = node.width;
          as_text.has_width = true;
          return format_text(v.text(), as_text);
        }
        if (node.digits == 0) fail(layout_, describe(node) + " has no significant digits for " + show(v));
        check_scale(node);
        return format_general(v.real(), node.width, node.digits, scale_);
      default: break;
    }
    return {};
  }

  // E and D need -d < k < d + 2 for a scale factor kP.
  void check_scale(const LayoutNode& node) const {
    const int d = node.digits;
    if (scale_ <= -d || scale_ >= d + 2) {
      fail(layout_, "scale factor " + std::to_string(scale_) + "P does not suit " + describe(node));
    }
  }

  const std::string& layout_;
  std::span<const Value> values_;
  std::size_t next_ = 0;
  std::vector<std::string> records_;
  std::string rec_;
  std::size_t pos_ = 0;
  int scale_ = 0;
  std::size_t idle_ = 0;
};

}  // namespace

// Runs the layout: items in order; at the closing parenthesis with values left, a new record
// and a new pass from the reversion item. Every write returns at least one record: with no
// values, a layout whose first data descriptor comes right away, as "(I5)" or "(1X,I5)",
// yields one empty record.
std::vector<std::string> write_layout(const LayoutPlan& plan, std::span<const Value> values) {
  if (!values.empty() && !plan.has_data) fail(plan.text, "values given but the layout has no data descriptor");
  Writer w(plan.text, values);
  std::size_t start = 0;
  for (;;) {
    for (std::size_t i = start; i < plan.items.size(); ++i) {
      if (!w.exec(plan.items[i])) return w.stop();
    }
    if (!w.values_left()) return w.finish_at_end();
    if (!plan.reversion_has_data) {
      fail(plan.text, "values left over but the part that repeats has no data descriptor");
    }
    w.end_record();
    start = plan.reversion;
  }
}

}  // namespace layout_detail
}  // namespace korvex::io
