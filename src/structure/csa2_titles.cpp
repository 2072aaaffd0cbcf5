// Variable titles of CSA2: one free-text title per variable of the data set, read from the
// text file bound to MTXIN2 (a title ends at "/" and may run over several lines), and
// printed split at blanks after the rows of each cluster block of the expanded structure.
#include <algorithm>
#include <string>
#include <vector>

#include "executive/errors.hpp"
#include "executive/status.hpp"
#include "executive/units.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"
#include "structure/csa2_internal.hpp"

namespace korvex::csa2 {

namespace {

constexpr std::size_t title_capacity = 480;
constexpr std::int32_t max_titles = 1000;
constexpr std::int32_t min_piece = 10;

// Reduces every run of two or more blanks from column `from` (1-based) on to one blank.
void squeeze_runs(std::string& t, std::int32_t from) {
  std::string out = t.substr(0, static_cast<std::size_t>(from - 1));
  for (std::size_t i = static_cast<std::size_t>(from - 1); i < t.size(); ++i) {
    if (t[i] == ' ' && !out.empty() && out.back() == ' ' &&
        out.size() >= static_cast<std::size_t>(from)) {
      continue;
    }
    out.push_back(t[i]);
  }
  t = out;
}

}  // namespace

std::int32_t continuation_indent(std::int32_t width, std::int32_t ktcol) {
  return std::max(0, std::min(ktcol, (width - 5) - min_piece));
}

void RDTITL(state& s) {
  s.vtitle.assign(static_cast<std::size_t>(std::max(s.ntotal, 0)), std::string());
  const std::int32_t unit = get_unit("MTXIN2");
  std::int32_t lines_read = 0;
  std::int32_t titles_read = 0;
  const std::int32_t from = std::max(1, s.ktcol);
  while (titles_read < max_titles) {
    // Collects one title: the text before the first "/", continued over lines without one.
    std::string buf;       // the collected text, at most 480 characters
    std::size_t pos = 0;   // write position (0-based): the next line goes here
    bool cut = false;
    std::string title;
    for (;;) {
      std::string rec;
      if (!read_record(unit, rec)) {
        if (titles_read == s.ntotal) return;
        proc_error(io::format_line("(A,I5,A,I5,A)", {" end of file: ", lines_read,
                                                     " lines read,  ", titles_read,
                                                     " variable titles read"}));
      }
      ++lines_read;
      const std::size_t slash = rec.find('/');
      const std::string_view part =
          io::trim_right(std::string_view(rec).substr(0, slash == std::string::npos ? rec.size() : slash));
      if (pos == 0 && slash == std::string::npos && part.empty()) continue;  // blank line
      if (pos == 0 && slash == 0) continue;  // "/" where a title should start
      std::string joined = buf.substr(0, pos);
      joined += part;
      if (joined.size() > title_capacity) {
        cut = true;
        joined.resize(title_capacity);
      }
      if (slash != std::string::npos) {
        title = std::string(io::trim_right(joined));
        break;
      }
      // No "/": one blank after the last non-blank character, the next line goes after it.
      buf = std::string(io::trim_right(joined));
      if (buf.size() < title_capacity) buf.push_back(' ');
      pos = buf.size();
    }
    squeeze_runs(title, from);
    ++titles_read;
    if (cut) {
      line(s, -1, io::format_line("(A,I0,A)", {"VARIABLE TITLE ", titles_read,
                                               " IS LONGER THAN 480 CHARACTERS: CUT AT 480."}));
    }
    if (titles_read <= s.ntotal) s.vtitle[at(titles_read)] = title;
  }
}

std::vector<piece> SPLTTL(std::string_view title, std::int32_t width, std::int32_t ktcol) {
  const std::int32_t len = static_cast<std::int32_t>(io::trim_right(title).size());
  const std::int32_t first_allowance = std::max(min_piece, width - 5 - 1);
  const std::int32_t next_allowance = (width - 5) - continuation_indent(width, ktcol);
  std::vector<piece> out;
  std::int32_t start = 1;
  std::int32_t allowance = first_allowance;
  for (;;) {
    if (len - start + 1 <= allowance) {
      out.push_back({start, len});
      return out;
    }
    std::int32_t e = start + allowance;
    while (e > start && title[at(e)] != ' ') --e;
    if (e > start) {
      out.push_back({start, e - 1});
      start = e + 1;
    } else {
      out.push_back({start, start + allowance - 1});  // no blank to split at
      start += allowance;
    }
    allowance = std::max(min_piece, next_allowance);
  }
}

namespace {

// One page part: its members (1-based in member order) first..last.
struct page_part {
  std::int32_t first = 1;
  std::int32_t last = 0;
};

// PRTITL: the titles of members first..last.
void PRTITL(state& s, const std::vector<member_row>& members,
            const std::vector<std::vector<piece>>& splits, const page_part& p) {
  pager(s, -1);
  const std::string indent(static_cast<std::size_t>(continuation_indent(s.ncline, s.ktcol) + 3), ' ');
  for (std::int32_t i = p.first; i <= p.last; ++i) {
    const member_row& m = members[at(i)];
    const std::string& t = s.vtitle[at(s.varnum[at(m.v)])];
    const std::vector<piece>& ps = splits[at(i)];
    pager(s, static_cast<std::int32_t>(ps.size()));
    for (std::size_t k = 0; k < ps.size(); ++k) {
      const std::string_view text =
          ps[k].last >= ps[k].first
              ? io::trim_right(std::string_view(t).substr(at(ps[k].first),
                                                          static_cast<std::size_t>(ps[k].last - ps[k].first + 1)))
              : std::string_view();
      if (k == 0) {
        write_formatted(s.monout, "(1X,A3,A)", {m.negative ? " - " : "   ", text});
      } else {
        write_formatted(s.monout, "(1X,a,A)", {indent, text});
      }
    }
  }
}

// The quarter-page rule after the rows and after the titles of a cluster.
void blank_and_quarter(state& s) {
  pager(s, -1);
  if (s.lines < s.nlpage / 4) s.lines = 0;
}

}  // namespace

void print_with_titles(state& s, const std::vector<member_row>& members,
                       const std::function<void(std::int32_t, std::int32_t)>& rows) {
  const std::int32_t nc = static_cast<std::int32_t>(members.size());
  // A variable number beyond the titles read has no title to print: the run stops.
  std::vector<std::vector<piece>> splits;
  for (const member_row& m : members) {
    const std::int32_t num = s.varnum[at(m.v)];
    if (num < 1 || num > static_cast<std::int32_t>(s.vtitle.size())) {
      proc_error("CSA2: variable " + std::to_string(num) + " has no title.");
    }
    splits.push_back(SPLTTL(s.vtitle[at(num)], s.ncline, s.ktcol));
  }
  // TITLAY: the members in page-sized parts.
  std::vector<page_part> parts;
  std::int32_t space = s.lines;
  std::int32_t in_part = 0;
  page_part cur;
  for (std::int32_t i = 1; i <= nc; ++i) {
    if (in_part > space) {
      parts.push_back(cur);
      cur = page_part{i, i - 1};
      in_part = 0;
      space = s.nlpage - 5;
    }
    cur.last = i;
    in_part += static_cast<std::int32_t>(splits[at(i)].size());
  }
  parts.push_back(cur);

  for (std::size_t k = 0; k < parts.size(); ++k) {
    rows(parts[k].first, parts[k].last);
    if (k + 1 < parts.size()) s.lines = 0;
  }
  blank_and_quarter(s);
  for (std::size_t k = 0; k < parts.size(); ++k) {
    PRTITL(s, members, splits, parts[k]);
    if (k + 1 < parts.size()) s.lines = 0;
  }
  blank_and_quarter(s);
}

}  // namespace korvex::csa2
