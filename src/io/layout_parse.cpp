// Parsing of layout texts into item trees. Blanks are ignored outside quoted texts and nH
// texts, letters may be lower-case, and commas may be left out around slashes and colons,
// after a scale factor (1PE12.4), after quoted and nH texts, and after a group.
#include <string>

#include "io/layout_int.hpp"

namespace korvex::io {
namespace layout_detail {

void fail(std::string_view text, const std::string& what) {
  std::string message = "layout \"";
  message += text;
  message += "\": ";
  message += what;
  throw LayoutError(message);
}

bool is_data_descriptor(LayoutNode::Op op) {
  using Op = LayoutNode::Op;
  switch (op) {
    case Op::integer:
    case Op::fixed:
    case Op::exponent:
    case Op::exponent_d:
    case Op::general:
    case Op::hex:
    case Op::text:
      return true;
    default:
      return false;
  }
}

bool holds_data(const LayoutNode& node) {
  if (is_data_descriptor(node.op)) return true;
  for (const LayoutNode& child : node.children) {
    if (holds_data(child)) return true;
  }
  return false;
}

std::string describe(const LayoutNode& node) {
  using Op = LayoutNode::Op;
  std::string s;
  switch (node.op) {
    case Op::integer: s = "I"; break;
    case Op::fixed: s = "F"; break;
    case Op::exponent: s = "E"; break;
    case Op::exponent_d: s = "D"; break;
    case Op::general: s = "G"; break;
    case Op::hex: s = "Z"; break;
    case Op::text: return node.has_width ? "A" + std::to_string(node.width) : "A";
    default: return "item";
  }
  s += std::to_string(node.width);
  if (node.op == Op::integer || node.op == Op::hex) {
    if (node.has_digits) s += "." + std::to_string(node.digits);
  } else {
    s += "." + std::to_string(node.digits);
  }
  return s;
}

namespace {

using Op = LayoutNode::Op;

class Parser {
 public:
  explicit Parser(std::string_view text) : text_(text) {}

  std::vector<LayoutNode> run() {
    skip_blanks();
    if (at_end() || text_[pos_] != '(') error("a layout starts with '('");
    ++pos_;
    std::vector<LayoutNode> items = parse_list(1);
    skip_blanks();
    if (!at_end()) error("text after the closing parenthesis");
    return items;
  }

 private:
  bool at_end() const { return pos_ >= text_.size(); }
  static bool blank(char c) { return c == ' ' || c == '\t'; }

  void skip_blanks() {
    while (!at_end() && blank(text_[pos_])) ++pos_;
  }

  // The next character after blanks, upper-cased; '\0' at the end of the text.
  char peek() {
    skip_blanks();
    return at_end() ? '\0' : ascii_upper(text_[pos_]);
  }

  [[noreturn]] void error(const std::string& what) const {
    fail(text_, what + " (column " + std::to_string(pos_ + 1) + ")");
  }

  // An unsigned number whose digits may be separated by blanks; nothing when no digit
  // comes next.
  std::optional<long> number() {
    if (!ascii_digit(peek())) return std::nullopt;
    long value = 0;
    while (ascii_digit(peek())) {
      value = value * 10 + (text_[pos_] - '0');
      if (value > 1000000000L) error("number too large");
      ++pos_;
    }
    return value;
  }

  int required_number(const std::string& what, long min) {
    std::optional<long> n = number();
    if (!n) error(what + " needs a number");
    if (*n < min) error(what + " must be at least " + std::to_string(min));
    if (*n > kMaxWidth) error(what + " is larger than " + std::to_string(kMaxWidth));
    return static_cast<int>(*n);
  }

  // Items up to and including the ')' that closes the list.
  std::vector<LayoutNode> parse_list(int depth) {
    std::vector<LayoutNode> items;
    bool need_comma = false;
    bool after_comma = false;
    for (;;) {
      const char c = peek();
      if (c == '\0') error("missing ')'");
      if (c == ')') {
        if (after_comma) error("empty item before ')'");
        ++pos_;
        return items;
      }
      if (c == ',') {
        if (items.empty() || after_comma) error("empty item");
        ++pos_;
        need_comma = false;
        after_comma = true;
        continue;
      }
      const bool free_start = c == '/' || c == ':' || c == '\'' || c == '"';
      if (need_comma && !free_start) error("comma missing");
      after_comma = false;
      need_comma = parse_item(depth, items);
    }
  }

  // Parses one item and appends it; returns whether a comma (or slash, colon, quote or
  // ')') must follow it.
  bool parse_item(int depth, std::vector<LayoutNode>& items) {
    int sign = 1;
    bool signed_count = false;
    const char first = peek();
    if (first == '+' || first == '-') {
      sign = first == '-' ? -1 : 1;
      signed_count = true;
      ++pos_;
    }
    const std::optional<long> n = number();
    const char c = peek();
    if (c == '\0') error("unfinished item");
    if (signed_count && c != 'P') error("a sign may only stand before P");

    LayoutNode node;
    auto count_or_one = [&](const char* what) {
      if (n && *n == 0) error(std::string("zero count before ") + what);
      return n ? *n : 1L;
    };
    auto no_count = [&](const char* what) {
      if (n) error(std::string("no count may stand before ") + what);
    };

    switch (c) {
      case 'P': {
        if (!n) error("P needs a scale factor before it, as in 1P");
        if (*n > kMaxWidth) error("scale factor too large");
        ++pos_;
        node.op = Op::scale;
        node.width = sign * static_cast<int>(*n);
        items.push_back(std::move(node));
        return false;
      }
      case 'H': {
        if (!n || *n == 0) error("H needs a positive count before it");
        ++pos_;
        if (static_cast<std::size_t>(*n) > text_.size() - pos_) error("the text of nH runs past the end");
        node.op = Op::literal;
        node.literal = std::string(text_.substr(pos_, static_cast<std::size_t>(*n)));
        pos_ += static_cast<std::size_t>(*n);
        items.push_back(std::move(node));
        return false;
      }
      case '\'':
      case '"': {
        no_count("a quoted text");
        node.op = Op::literal;
        node.literal = quoted();
        items.push_back(std::move(node));
        return false;
      }
      case 'X': {
        ++pos_;
        const long count = count_or_one("X");
        if (count > kMaxWidth) error("X count larger than " + std::to_string(kMaxWidth));
        node.op = Op::skip;
        node.width = static_cast<int>(count);
        items.push_back(std::move(node));
        return true;
      }
      case '(': {
        if (depth >= kMaxDepth) error("parentheses nested too deeply");
        ++pos_;
        node.op = Op::group;
        node.repeat = count_or_one("a group");
        node.children = parse_list(depth + 1);
        items.push_back(std::move(node));
        return false;
      }
      case '/': {
        ++pos_;
        node.op = Op::slash;
        node.repeat = count_or_one("/");
        items.push_back(std::move(node));
        return false;
      }
      case ':': {
        no_count(":");
        ++pos_;
        node.op = Op::colon;
        items.push_back(std::move(node));
        return false;
      }
      case 'T': {
        no_count("T");
        ++pos_;
        const char c2 = peek();
        if (c2 == 'R' || c2 == 'L') {
          ++pos_;
          node.op = c2 == 'R' ? Op::tab_right : Op::tab_left;
          node.width = required_number(c2 == 'R' ? "TR" : "TL", 1);
        } else {
          node.op = Op::tab;
          node.width = required_number("T", 1);
        }
        items.push_back(std::move(node));
        return true;
      }
      case 'B': {
        no_count("BN or BZ");
        ++pos_;
        const char c2 = peek();
        if (c2 != 'N' && c2 != 'Z') error("B must be followed by N or Z");
        ++pos_;
        node.op = c2 == 'N' ? Op::blank_null : Op::blank_zero;
        items.push_back(std::move(node));
        return true;
      }
      case 'I':
      case 'F':
      case 'E':
      case 'D':
      case 'G':
      case 'Z':
      case 'A': {
        ++pos_;
        node.repeat = count_or_one(c == 'A' ? "A" : "a descriptor");
        descriptor(c, node);
        items.push_back(std::move(node));
        return true;
      }
      default:
        error(std::string("unexpected character '") + text_[pos_] + "'");
    }
  }

  // The rest of a data descriptor after its letter: width and decimals or digits.
  void descriptor(char letter, LayoutNode& node) {
    const std::string name(1, letter);
    switch (letter) {
      case 'A':
        node.op = Op::text;
        if (ascii_digit(peek())) {
          node.width = required_number("the width of A", 1);
          node.has_width = true;
        }
        return;
      case 'I':
      case 'Z':
        node.op = letter == 'I' ? Op::integer : Op::hex;
        node.width = required_number("the width of " + name, 0);
        if (peek() == '.') {
          ++pos_;
          node.digits = required_number("the digit count of " + name, 0);
          node.has_digits = true;
          if (node.width > 0 && node.digits > node.width) error("more digits than the width in " + name);
        }
        return;
      default:
        break;
    }
    node.op = letter == 'F'   ? Op::fixed
              : letter == 'E' ? Op::exponent
              : letter == 'D' ? Op::exponent_d
                              : Op::general;
    node.width = required_number("the width of " + name, letter == 'F' ? 0 : 1);
    if (peek() != '.') error(name + " needs decimals, as in " + name + "10.4");
    ++pos_;
    node.digits = required_number("the decimals of " + name, 0);
  }

  // A text in quotes; a doubled quote inside stands for one.
  std::string quoted() {
    const char q = text_[pos_++];
    std::string s;
    for (;;) {
      if (at_end()) error("quoted text not closed");
      const char c = text_[pos_++];
      if (c == q) {
        if (!at_end() && text_[pos_] == q) {
          s += q;
          ++pos_;
          continue;
        }
        return s;
      }
      s += c;
    }
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

std::vector<LayoutNode> parse_layout(std::string_view text) { return Parser(text).run(); }

}  // namespace layout_detail
}  // namespace korvex::io
