// Format-card analysis: the user's format text (up to 10 cards after the DAP parameter card)
// is parsed into the field table, the record, column, width and descriptor of every field of
// a subject. A small state machine over the items of the text applies repeat counts, nested
// groups, skips, record breaks and the reversion rule; every error names its position.
#include <array>
#include <string>

#include "data_entry/dap_internal.hpp"
#include "executive/errors.hpp"
#include "executive/units.hpp"
#include "io/layout.hpp"

namespace korvex::dap {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_sign(char c) { return c == '+' || c == '-'; }

// An optional integer of the format text: its text as typed (sign kept, leading zeros
// dropped, "0" for an all-zero number), value and the flags the items test.
struct scanned_integer {
  char next = ' ';          // the character that ended the number (or the only one seen)
  bool present = false;
  bool is_signed = false;
  bool unsigned_nonzero = false;
  bool is_unsigned = false;
  std::string text;
  std::int64_t value = 0;
};

// The format text as it is read: cards are appended only when the text held is used up.
class format_text {
 public:
  explicit format_text(const card_source& source) : source_(source) {}

  // The next non-blank character; reads a card when needed.
  char next() {
    for (;;) {
      if (pos_ >= static_cast<std::int32_t>(text_.size())) {
        if (cards_ == max_format_cards) throw format_problem("TOO MANY FORMAT CARDS.", pos_, false);
        std::string card = source_();
        card.resize(static_cast<std::size_t>(card_width), ' ');
        text_ += card;
        ++cards_;
      }
      ++pos_;
      const char c = text_[static_cast<std::size_t>(pos_ - 1)];
      if (c != ' ') return c;
    }
  }

  // Puts the last character taken back: the next call returns it again.
  void put_back() { --pos_; }

  // Continues after the character at `position` (the "(" of a group).
  void resume_after(std::int32_t position) { pos_ = position; }

  std::int32_t position() const { return pos_; }

  // True when the card holding the last character taken is blank after it.
  bool rest_of_card_blank() const {
    const std::int32_t card_end = ((pos_ - 1) / card_width + 1) * card_width;
    for (std::int32_t i = pos_ + 1; i <= card_end; ++i) {
      if (text_[static_cast<std::size_t>(i - 1)] != ' ') return false;
    }
    return true;
  }

  [[noreturn]] void error(const std::string& message) const { throw format_problem(message, pos_, true); }

  // A capacity refusal: the message names the card and column of the last character taken.
  [[noreturn]] void refuse(const std::string& what) const {
    const std::int32_t card = (pos_ - 1) / card_width + 1;
    const std::int32_t column = (pos_ - 1) % card_width + 1;
    error(what + " (FORMAT CARD " + number_text(card) + ", COLUMN " + number_text(column) + ").");
  }

  scanned_integer scan_integer() {
    scanned_integer s;
    char c = next();
    if (!is_digit(c) && !is_sign(c)) {
      s.next = c;
      return s;
    }
    s.present = true;
    if (is_sign(c)) {
      s.text = std::string(1, c);
      s.is_signed = true;
      c = next();
      if (!is_digit(c)) error("DIGIT EXPECTED FOLLOWING SIGN.");
    }
    while (c == '0') c = next();
    if (!is_digit(c)) {
      s.text += '0';
      s.value = 0;
      s.is_unsigned = !s.is_signed;
      s.next = c;
      return s;
    }
    while (is_digit(c)) {
      if (s.text.size() == 10) error("TOO MANY DIGITS.");
      s.text += c;
      s.value = s.value * 10 + (c - '0');
      c = next();
    }
    if (s.text[0] == '-') s.value = -s.value;
    s.is_unsigned = !s.is_signed;
    s.unsigned_nonzero = !s.is_signed;
    s.next = c;
    return s;
  }

 private:
  const card_source& source_;
  std::string text_;
  std::int32_t pos_ = 0;  // position of the last character taken
  std::int32_t cards_ = 0;
};

// The analysis proper: one object per format text.
class format_parser {
 public:
  format_parser(std::int32_t nv, const card_source& source) : nv_(nv), text_(source) {}

  field_table run() {
    if (text_.next() != '(') text_.error("LEFT PARENTHESIS EXPECTED.");
    depth_ = 1;
    count_[1] = 1;
    start_[1] = text_.position();
    enum class step { item, separator, record_break, close };
    step s = step::item;
    char c = ' ';
    for (;;) {
      switch (s) {
        case step::item: {
          const scanned_integer n = text_.scan_integer();
          c = n.next;
          if (c == '(') {
            check_repeat(n);
            if (depth_ == max_levels) text_.error("LEFT PARENTHESIS IS NESTED MORE THAN 10 LEVELS DEEP.");
            check_size(n);
            ++depth_;
            count_[depth_] = n.present ? static_cast<std::int32_t>(n.value) : 1;
            start_[depth_] = text_.position();
            if (depth_ == 2) {
              reversion_start_ = start_[2];
              reversion_count_ = count_[2];
            }
            s = step::item;
          } else if (c == 'A') {
            check_repeat(n);
            if (n.present) text_.error("REPEAT SPEC.  NOT ALLOWED FOR AN EDIT DESCRIPTOR.");
            const scanned_integer w = scan_width();
            if (!closed_) add_field(false, w, nullptr);
            c = w.next;
            s = step::separator;
          } else if (c == 'F') {
            check_repeat(n);
            check_size(n);
            const scanned_integer w = scan_width();
            if (w.next != '.') text_.error("PERIOD EXPECTED.");
            const scanned_integer d = text_.scan_integer();
            if (!d.present || !d.is_unsigned) {
              text_.error("UNSIGNED INTEGER CONSTANT EXPECTED FOR IMPLIED DECIMAL POINT.");
            }
            if (d.value > w.value) text_.error("IMPLIED DECIMAL POINT LARGER THAN WIDTH.");
            const std::int64_t repeat = n.present ? n.value : 1;
            for (std::int64_t i = 0; i < repeat; ++i) {
              if (closed_) break;
              if (table_.numeric_count == nv_) {
                closed_ = true;
                break;
              }
              add_field(true, w, &d);
            }
            c = d.next;
            s = step::separator;
          } else if (c == 'X') {
            if (!n.present || !n.unsigned_nonzero) text_.error("NON-ZERO UNSIGNED INTEGER EXPECTED.");
            check_size(n);
            if (!closed_) {
              column_ += static_cast<std::int32_t>(n.value);
              if (column_ - 1 > max_record_columns) text_.refuse("RECORD LONGER THAN 99999 COLUMNS");
            }
            c = text_.next();
            s = step::separator;
          } else if (c == '/') {
            s = step::record_break;
          } else {
            text_.error("ILLEGAL CHARACTER.");
          }
          break;
        }
        case step::separator:
          if (c == '/') {
            s = step::record_break;
          } else if (c == ',') {
            s = step::item;
          } else if (c == ')') {
            s = step::close;
          } else {
            text_.error("ILLEGAL CHARACTER.");
          }
          break;
        case step::record_break:
          if (!closed_) {
            if (record_ == max_records) text_.error("MORE THAN 100 RECORDS PER SUBJECT.");
            ++record_;
            column_ = 1;
          }
          c = text_.next();
          if (c == ',') {
            s = step::item;
          } else if (c == ')') {
            s = step::close;
          } else {
            text_.put_back();
            s = step::item;
          }
          break;
        case step::close:
          // Once the table is closed nothing more can be recorded, so a group is not
          // scanned again: its text has been checked on the way through already.
          count_[depth_] = closed_ ? 0 : count_[depth_] - 1;
          if (count_[depth_] > 0) {
            text_.resume_after(start_[depth_]);
            s = step::item;
          } else if (depth_ > 1) {
            --depth_;
            c = text_.next();
            s = step::separator;
          } else {
            if (!text_.rest_of_card_blank()) {
              text_.error("NON-BLANK CHARACTERS BEYOND RIGHT-MOST PARENTHESIS.");
            }
            if (table_.numeric_count == nv_) {
              table_.records_per_subject = record_;
              return table_;
            }
            if (record_ == max_records) text_.error("MORE THAN 100 RECORDS PER SUBJECT.");
            ++record_;
            column_ = 1;
            count_[1] = 1;
            if (reversion_start_ > 0) {
              depth_ = 2;
              count_[2] = reversion_count_;
              start_[2] = reversion_start_;
              text_.resume_after(reversion_start_);
            } else {
              depth_ = 1;
              text_.resume_after(start_[1]);
            }
            s = step::item;
          }
          break;
      }
    }
  }

 private:
  // A count before "(", "A" or "F" must be unsigned and non-zero.
  void check_repeat(const scanned_integer& n) const {
    if (n.present && !n.unsigned_nonzero) text_.error("REPEAT SPEC.  MUST BE NON-ZERO UNSIGNED INTEGER.");
  }

  void check_size(const scanned_integer& n) const {
    if (n.present && n.value > max_format_number) text_.refuse("NUMBER LARGER THAN 9999");
  }

  scanned_integer scan_width() {
    const scanned_integer w = text_.scan_integer();
    if (!w.present || !w.unsigned_nonzero) text_.error("NON-ZERO UNSIGNED INTEGER CONSTANT EXPECTED FOR WIDTH.");
    check_size(w);
    return w;
  }

  void add_field(bool numeric, const scanned_integer& w, const scanned_integer* d) {
    const auto width = static_cast<std::int32_t>(w.value);
    if (!numeric && table_.alpha_count == max_alpha_fields) text_.refuse("MORE THAN 100 A FIELDS");
    if (used_ + width > buffer_size) text_.refuse("FIELDS WIDER THAN 10990 CHARACTERS IN ALL");
    if (column_ - 1 + width > max_record_columns) text_.refuse("RECORD LONGER THAN 99999 COLUMNS");
    format_field f;
    f.record = record_;
    f.column = column_;
    f.width = width;
    f.numeric = numeric;
    if (numeric) {
      f.decimals = static_cast<std::int32_t>(d->value);
      f.descriptor = ("F" + w.text + "." + d->text).substr(0, 10);
      ++table_.numeric_count;
    } else {
      f.descriptor = ("A" + w.text).substr(0, 10);
      ++table_.alpha_count;
    }
    table_.fields.push_back(std::move(f));
    used_ += width;
    column_ += width;
  }

  std::int32_t nv_;
  format_text text_;
  field_table table_;
  std::int32_t depth_ = 1;
  std::array<std::int32_t, max_levels + 1> count_{};
  std::array<std::int32_t, max_levels + 1> start_{};
  std::int32_t reversion_start_ = 0;
  std::int32_t reversion_count_ = 0;
  std::int32_t record_ = 1;
  std::int32_t column_ = 1;
  std::int32_t used_ = 0;  // buffer characters the fields take
  bool closed_ = false;
};

}  // namespace

field_table parse_format(std::int32_t nv, const card_source& next_card) {
  format_parser parser(nv, next_card);
  return parser.run();
}

void format_error(std::string_view message, std::int32_t position) {
  dap_line(0);
  const std::int32_t k = position >= 1 ? (position - 1) % card_width : 0;
  write_formatted(print_state().unit, "(1X,A,'*')", {std::string(static_cast<std::size_t>(k), ' ')});
  proc_error(message);
}

void analyze_format() {
  dap_run_state& r = run();
  try {
    r.table = parse_format(r.common.nv, monin_cards());
  } catch (const format_problem& p) {
    if (!p.marker()) proc_error(p.message());
    format_error(p.message(), p.position());
  }
  r.common.records_per_subject = r.table.records_per_subject;
}

}  // namespace korvex::dap
