// The layout-text engine: every formatted record the system writes or reads (listing lines,
// console lines, punched cards, card fields, internal texts) goes through a layout text such
// as "(20X,I3,2X,A10,3F18.4)". A text is parsed once into a Layout and cached; writing turns
// a list of values into records (lines), reading fills targets from records.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace korvex::io {

// A layout text that cannot be parsed or interpreted, or an input field that is not a
// number. The message names the layout or the field; the executive turns it into a stop.
class LayoutError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One value handed to a formatted write: an integer, a real or a text.
class Value {
 public:
  enum class Kind { integer, real, text };
  Value(int v) : kind_(Kind::integer), i_(v) {}
  Value(long v) : kind_(Kind::integer), i_(v) {}
  Value(long long v) : kind_(Kind::integer), i_(v) {}
  Value(unsigned v) : kind_(Kind::integer), i_(v) {}
  Value(float v) : kind_(Kind::real), r_(v) {}
  Value(double v) : kind_(Kind::real), r_(v) {}
  Value(const char* s) : kind_(Kind::text), s_(s) {}
  Value(std::string_view s) : kind_(Kind::text), s_(s) {}
  Value(const std::string& s) : kind_(Kind::text), s_(s) {}

  Kind kind() const { return kind_; }
  long long integer() const { return i_; }
  double real() const { return r_; }
  std::string_view text() const { return s_; }

 private:
  Kind kind_;
  long long i_ = 0;
  double r_ = 0.0;
  std::string_view s_;
};

// One target of a formatted read. Texts are fixed-length: the target string is resized to
// `length` and filled as a character variable of that length would be.
class Target {
 public:
  enum class Kind { int32, real32, real64, text };
  Target(std::int32_t* p) : kind_(Kind::int32), p_(p) {}
  Target(float* p) : kind_(Kind::real32), p_(p) {}
  Target(double* p) : kind_(Kind::real64), p_(p) {}
  Target(std::string* p, std::size_t length) : kind_(Kind::text), p_(p), length_(length) {}

  Kind kind() const { return kind_; }
  void* pointer() const { return p_; }
  std::size_t length() const { return length_; }

 private:
  Kind kind_;
  void* p_;
  std::size_t length_ = 0;
};

// Supplies the next input record, or nothing at end of input.
using RecordSource = std::function<std::optional<std::string>()>;

struct LayoutNode;  // parsed item tree, private to the engine

// A parsed layout text. Obtain one with Layout::get, which parses each distinct text once.
class Layout {
 public:
  // Parses `text` (or returns the cached parse). Throws LayoutError naming the text when it
  // cannot be parsed, or when a count is zero or negative.
  static const Layout& get(std::string_view text);

  // Writes `values` under this layout; returns the records, without line ends. Output stops
  // at the first data descriptor with no value left (or at a colon when none are left).
  // Throws LayoutError when a value does not suit its descriptor.
  std::vector<std::string> write(std::span<const Value> values) const;

  // Reads the targets from records supplied by `next`. Returns false when the source ran out
  // before every target was filled (end of file); the targets read so far are kept.
  // Throws LayoutError when a field is not a number.
  bool read(const RecordSource& next, std::span<const Target> targets) const;

  const std::string& text() const { return text_; }

  Layout(std::string text, std::vector<LayoutNode> items);
  ~Layout();
  Layout(const Layout&) = delete;
  Layout& operator=(const Layout&) = delete;

 private:
  std::string text_;
  std::vector<LayoutNode>* items_;
  std::size_t reversion_ = 0;        // top-level item where a new pass starts
  bool has_data_ = false;            // any data descriptor at all
  bool reversion_has_data_ = false;  // a data descriptor from reversion_ to the end
};

// Convenience forms.
std::vector<std::string> format(std::string_view layout, std::initializer_list<Value> values);
std::vector<std::string> format(std::string_view layout, std::span<const Value> values);
// The single record that a one-record layout produces ("" when it produces none).
std::string format_line(std::string_view layout, std::initializer_list<Value> values);
// Reads targets from one text (an internal record), as a formatted read from a string.
// Returns false when the text ran out of records before every target was filled.
bool read_text(std::string_view layout, std::string_view record, std::span<const Target> targets);

// A free-form line: a leading blank, then the items in order; texts unchanged, each number
// after one blank (integers in decimal, reals in their shortest exact form). No items: "".
std::string free_line(std::initializer_list<Value> values);

}  // namespace korvex::io
