// Private parts of the layout-text engine: the parsed item tree, the limits that keep a
// layout from running away, and the helpers shared by the parser (layout_parse.cpp), the
// writer (layout_write.cpp) and the reader (layout_read.cpp).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "io/layout.hpp"

namespace korvex::io {

// One item of a parsed layout. Groups hold their items in `children`.
struct LayoutNode {
  enum class Op : unsigned char {
    group,       // n( ... )
    literal,     // 'text', "text" or nHtext
    integer,     // Iw, Iw.m
    fixed,       // Fw.d
    exponent,    // Ew.d
    exponent_d,  // Dw.d
    general,     // Gw.d
    hex,         // Zw, Zw.m
    text,        // A, Aw
    skip,        // nX
    tab,         // Tn
    tab_right,   // TRn
    tab_left,    // TLn
    slash,       // /
    colon,       // :
    scale,       // kP
    blank_null,  // BN
    blank_zero,  // BZ
  };
  Op op = Op::literal;
  long repeat = 1;          // groups, data descriptors and slashes
  int width = 0;            // field width; count of X/TR/TL; column of T; factor of P
  int digits = 0;           // d of F/E/D/G; m of I/Z
  bool has_width = false;   // A with a width
  bool has_digits = false;  // I/Z with a minimum digit count
  std::string literal;
  std::vector<LayoutNode> children;
};

namespace layout_detail {

inline constexpr int kMaxWidth = 100000;           // widths, counts, columns, decimals
inline constexpr std::size_t kMaxRecord = 1000000;  // columns one output record may reach
inline constexpr std::size_t kMaxRecords = 1000000;  // records one write may make
// Items executed in a row without using a value; past this the layout is taken to loop.
inline constexpr std::size_t kMaxIdleSteps = 1000000;
inline constexpr int kMaxDepth = 50;  // nesting of parentheses

// Parses a layout text into its top-level items; throws LayoutError naming the text.
std::vector<LayoutNode> parse_layout(std::string_view text);

// Runs a parsed layout over `values` (layout_write.cpp) or `targets` (layout_read.cpp).
// `reversion` is the top-level item where a new pass starts when the items ran out first.
struct LayoutPlan {
  const std::string& text;
  const std::vector<LayoutNode>& items;
  std::size_t reversion;
  bool has_data;
  bool reversion_has_data;
};
std::vector<std::string> write_layout(const LayoutPlan& plan, std::span<const Value> values);
bool read_layout(const LayoutPlan& plan, const RecordSource& next, std::span<const Target> targets);

// Throws LayoutError with `what` about the layout `text`, quoting it.
[[noreturn]] void fail(std::string_view text, const std::string& what);

// The descriptor as it would be written in a layout ("F10.4", "I3.2", "A"), for messages.
std::string describe(const LayoutNode& node);

// Whether the item is, or holds, a data descriptor (one that takes a value).
bool holds_data(const LayoutNode& node);
bool is_data_descriptor(LayoutNode::Op op);

inline char ascii_upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
inline bool ascii_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace layout_detail
}  // namespace korvex::io
