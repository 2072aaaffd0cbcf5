// The public face of the layout-text engine: the parse cache, Layout itself, the
// convenience forms and free-form lines. Parsing, writing and reading live in
// layout_parse.cpp, layout_write.cpp and layout_read.cpp.
#include "io/layout.hpp"

#include <charconv>
#include <cmath>
#include <limits>
#include <memory>
#include <unordered_map>

#include "io/layout_int.hpp"

namespace korvex::io {

using layout_detail::holds_data;
using layout_detail::LayoutPlan;

const Layout& Layout::get(std::string_view text) {
  static std::unordered_map<std::string, std::unique_ptr<Layout>> cache;
  std::string key(text);
  if (auto it = cache.find(key); it != cache.end()) return *it->second;
  auto layout = std::make_unique<Layout>(key, layout_detail::parse_layout(text));
  const Layout& result = *layout;
  cache.emplace(std::move(key), std::move(layout));
  return result;
}

// The reversion item is the last group among the top-level items, or the first item when
// there is none.
Layout::Layout(std::string text, std::vector<LayoutNode> items)
    : text_(std::move(text)), items_(new std::vector<LayoutNode>(std::move(items))) {
  for (std::size_t i = items_->size(); i-- > 0;) {
    if ((*items_)[i].op == LayoutNode::Op::group) {
      reversion_ = i;
      break;
    }
  }
  for (std::size_t i = 0; i < items_->size(); ++i) {
    if (holds_data((*items_)[i])) {
      has_data_ = true;
      if (i >= reversion_) reversion_has_data_ = true;
    }
  }
}

Layout::~Layout() { delete items_; }

std::vector<std::string> Layout::write(std::span<const Value> values) const {
  return layout_detail::write_layout(LayoutPlan{text_, *items_, reversion_, has_data_, reversion_has_data_}, values);
}

bool Layout::read(const RecordSource& next, std::span<const Target> targets) const {
  return layout_detail::read_layout(LayoutPlan{text_, *items_, reversion_, has_data_, reversion_has_data_}, next,
                                    targets);
}

std::vector<std::string> format(std::string_view layout, std::initializer_list<Value> values) {
  return Layout::get(layout).write(std::span<const Value>(values.begin(), values.size()));
}

std::vector<std::string> format(std::string_view layout, std::span<const Value> values) {
  return Layout::get(layout).write(values);
}

// Throws LayoutError when the layout makes more than one record: a caller asking for one
// line would otherwise lose the rest silently.
std::string format_line(std::string_view layout, std::initializer_list<Value> values) {
  std::vector<std::string> records = format(layout, values);
  if (records.empty()) return {};
  if (records.size() > 1) {
    layout_detail::fail(layout, "makes " + std::to_string(records.size()) + " records where one line was asked for");
  }
  return std::move(records.front());
}

bool read_text(std::string_view layout, std::string_view record, std::span<const Target> targets) {
  bool given = false;
  RecordSource source = [&]() -> std::optional<std::string> {
    if (given) return std::nullopt;
    given = true;
    return std::string(record);
  };
  return Layout::get(layout).read(source, targets);
}

namespace {

// Shortest text that reads back as the same value: as a float when the value is exactly a
// float (so 0.92f shows as 0.92), else as a double.
std::string shortest_real(double v) {
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v < 0 ? "-Inf" : "Inf";
  char buf[64];
  std::to_chars_result r;
  if (std::fabs(v) <= std::numeric_limits<float>::max() && static_cast<double>(static_cast<float>(v)) == v) {
    r = std::to_chars(buf, buf + sizeof buf, static_cast<float>(v));
  } else {
    r = std::to_chars(buf, buf + sizeof buf, v);
  }
  return std::string(buf, r.ptr);
}

}  // namespace

// The leading blank also separates a first number: free_line({5}) is " 5",
// free_line({"N=", 5}) is " N= 5", free_line({"A", "B"}) is " AB".
std::string free_line(std::initializer_list<Value> values) {
  if (values.size() == 0) return {};
  std::string line = " ";
  bool first = true;
  for (const Value& v : values) {
    switch (v.kind()) {
      case Value::Kind::text: line += v.text(); break;
      case Value::Kind::integer:
        if (!first) line += ' ';
        line += std::to_string(v.integer());
        break;
      case Value::Kind::real:
        if (!first) line += ' ';
        line += shortest_real(v.real());
        break;
    }
    first = false;
  }
  return line;
}

}  // namespace korvex::io
