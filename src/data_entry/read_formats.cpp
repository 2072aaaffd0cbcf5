// Run-time read formats and the storage plan: from the field table, the place of every field
// in the subject buffer (numeric fields packed from the bottom in table order, A fields from
// the top down), one record format per record of a subject, the numeric format, and the copy
// runs that move each record's field texts into the buffer when a subject is read.
#include <cassert>
#include <string>

#include "data_entry/dap_internal.hpp"

namespace korvex::dap {

void append_number(std::string& text, std::int32_t n) { text += number_text(n); }

void append_skip(std::string& text, std::int32_t g) {
  append_number(text, g);
  text += "X,";
}

void append_run(std::string& text, std::int32_t c, std::int32_t w, char terminator) {
  if (c > 1) append_number(text, c);
  text += 'A';
  append_number(text, w);
  if (terminator != ' ') text += terminator;
}

void append_numeric_run(std::string& text, std::int32_t c, std::string_view descriptor) {
  if (text.size() > 1) text += ',';
  if (c > 1) append_number(text, c);
  const std::size_t blank = descriptor.find(' ');
  text += descriptor.substr(0, blank);
}

// Numeric fields take positions upward from 1, A fields downward from the buffer's end.
void assign_field_storage(const field_table& table, storage_plan& plan) {
  const auto n = table.fields.size();
  plan.field_start.assign(n, 0);
  plan.field_end.assign(n, 0);
  plan.numeric_list.clear();
  plan.alpha_list.clear();
  std::int32_t next = 1;
  std::int32_t top = buffer_size;
  for (std::size_t k = 0; k < n; ++k) {
    const format_field& f = table.fields[k];
    if (f.numeric) {
      plan.field_start[k] = next;
      plan.field_end[k] = next + f.width - 1;
      next += f.width;
      plan.numeric_list.push_back(static_cast<std::int32_t>(k + 1));
    } else {
      plan.field_end[k] = top;
      plan.field_start[k] = top - f.width + 1;
      top = plan.field_start[k] - 1;
      plan.alpha_list.push_back(static_cast<std::int32_t>(k + 1));
    }
  }
  // The format analysis refuses fields wider than the buffer in all.
  assert(next - 1 <= top);
  plan.low_end = next - 1;
  plan.high_start = top + 1;
}

// Fields are read as texts of their own width; equal widths side by side on one record form
// one repeated item, columns before a field are skipped, columns after the last one are not
// read. The copy runs follow the same walk: fields that touch on the record and in the buffer
// move together. Requires assign_field_storage first.
void build_record_format(const field_table& table, storage_plan& plan) {
  const auto n = static_cast<std::int32_t>(table.fields.size());
  const std::int32_t records = table.records_per_subject;
  plan.record_format = "(";
  plan.record_end.assign(static_cast<std::size_t>(records), 0);
  plan.record_fields.assign(static_cast<std::size_t>(records), 0);
  plan.record_runs.assign(static_cast<std::size_t>(records), {});
  std::string& text = plan.record_format;
  auto field = [&](std::int32_t j) -> const format_field& { return table.fields[static_cast<std::size_t>(j - 1)]; };

  std::int32_t r = 1;
  std::int32_t column = 1;
  std::int32_t run_start = 1;  // pending run: fields run_start .. j - 1
  auto flush = [&](std::int32_t j, char terminator) {
    if (j > run_start) append_run(text, j - run_start, field(run_start).width, terminator);
    run_start = j;
  };
  for (std::int32_t j = 1; j <= n; ++j) {
    const format_field& f = field(j);
    const std::int32_t a = f.record - r;
    if (a > 0) {
      flush(j, ' ');
      for (std::int32_t i = 0; i < a; ++i) {
        text += ')';
        plan.record_end[static_cast<std::size_t>(r - 1)] = static_cast<std::int32_t>(text.size());
        plan.record_fields[static_cast<std::size_t>(r - 1)] = j - 1;
        text += '(';
        ++r;
        column = 1;
      }
    }
    const std::int32_t g = f.column - column;
    if (g > 0) {
      if (j > run_start) flush(j, ',');
      append_skip(text, g);
      column = f.column;
    }
    if (j > run_start && field(run_start).width != f.width) flush(j, ',');
    column += f.width;

    std::vector<copy_run>& runs = plan.record_runs[static_cast<std::size_t>(f.record - 1)];
    const std::int32_t start = plan.field_start[static_cast<std::size_t>(j - 1)];
    if (!runs.empty() && runs.back().column + runs.back().length == f.column &&
        runs.back().position + runs.back().length == start) {
      runs.back().length += f.width;
    } else {
      runs.push_back({f.column, start, f.width});
    }
  }
  flush(n + 1, ')');
  if (n == 0) text += ')';
  plan.record_end[static_cast<std::size_t>(r - 1)] = static_cast<std::int32_t>(text.size());
  plan.record_fields[static_cast<std::size_t>(r - 1)] = n;
  for (std::int32_t q = r + 1; q <= records; ++q) {
    text += "()";
    plan.record_end[static_cast<std::size_t>(q - 1)] = static_cast<std::int32_t>(text.size());
    plan.record_fields[static_cast<std::size_t>(q - 1)] = n;
  }
}

// Consecutive F fields with the same descriptor form one run, whatever their records.
void build_numeric_format(const field_table& table, storage_plan& plan) {
  std::string& text = plan.numeric_format;
  text = "(";
  const format_field* run_first = nullptr;
  std::int32_t run_length = 0;
  for (const format_field& f : table.fields) {
    if (!f.numeric) continue;
    if (run_first != nullptr && run_first->descriptor == f.descriptor) {
      ++run_length;
      continue;
    }
    if (run_first != nullptr) append_numeric_run(text, run_length, run_first->descriptor);
    run_first = &f;
    run_length = 1;
  }
  if (run_first != nullptr) append_numeric_run(text, run_length, run_first->descriptor);
  text += ')';
}

std::string record_format_of(const storage_plan& plan, std::int32_t r) {
  const std::int32_t first = r == 1 ? 1 : plan.record_end[static_cast<std::size_t>(r - 2)] + 1;
  const std::int32_t last = plan.record_end[static_cast<std::size_t>(r - 1)];
  return plan.record_format.substr(static_cast<std::size_t>(first - 1), static_cast<std::size_t>(last - first + 1));
}

}  // namespace korvex::dap
