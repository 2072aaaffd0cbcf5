// The reports of the sector phase of OTYPE: the table of every occupied sector with its
// count and mean profile (the arbitrary O-types), and the choice of the best-filled sectors
// as the core O-types that start the iteration, with their means and counts.
#include <algorithm>
#include <string>
#include <vector>

#include "executive/errors.hpp"
#include "executive/utilities.hpp"
#include "printing/page.hpp"
#include "printing/printing.hpp"
#include "typing/otype_internal.hpp"

namespace korvex::otype {

namespace {

std::string num(std::int32_t n) { return int_to_text(n, 3); }

// The label of a sector right-aligned in a blank field of w characters.
std::string sector_label(std::int32_t sector, std::int32_t w) {
  std::string label(static_cast<std::size_t>(w), ' ');
  SECNAM(label, sector);
  return label;
}

}  // namespace

void OTARBP() {
  otype_state_record& s = state();
  const std::int32_t ndim = s.c.ndim;
  const std::int32_t w = std::max(ndim, 10);
  const std::int32_t width = table_width(w + 32);
  const std::int32_t k = std::max((width - w - 11) / 21, 1);
  const std::string h1 = "('0'," + num(w - 6) + "X,'SECTOR',10X," + num(k) + "I21)";
  const std::string h2 = "(1X," + num(w - 6) + "X,'NUMBER',8X,'N',1X," + num(k) + "(1X,A))";
  const std::string row = "(1X,A,I9,1X," + num(k) + "F21.3)";

  std::vector<std::int32_t> nodes;
  for (std::int32_t p = pool().head; p != 0; p = pool().word[static_cast<std::size_t>(p + 3)])
    nodes.push_back(p);
  s.lines = 0;
  const auto total = static_cast<std::int32_t>(nodes.size());
  for (std::int32_t b = 0; b < total; b += 50) {
    const std::int32_t r = std::min(50, total - b);
    for (std::int32_t f = 1; f <= ndim; f += k) {
      const std::int32_t l = std::min(f + k - 1, ndim);
      if (s.lines - (r - 1) - 5 <= 0) {
        ++s.page;
        s.lines = 55;
        put("(   '1SCORE MEANS OF ARBITRARY OTYPES ORDERED BY SCORE PATTERNS (ARBITRARY SECTORS "
            "OF SCORE SPACE)', 30X, ' PAGE', I5)",
            {s.page});
      }
      std::vector<io::Value> numbers;
      std::vector<std::string> names;
      for (std::int32_t j = f; j <= l; ++j) {
        numbers.emplace_back(s.dim_num[at(j)]);
        std::string n(name_len, ' ');
        rjust_text(s.dim_names[at(j)], n);
        names.push_back(n);
      }
      put(h1, numbers);
      std::vector<io::Value> nv(names.begin(), names.end());
      put(h2, nv);
      put("(1X)");
      s.lines -= 4;
      for (std::int32_t i = b; i < b + r; ++i) {
        const std::int32_t p = nodes[static_cast<std::size_t>(i)];
        const std::string label = sector_label(pool().word[static_cast<std::size_t>(p)], w);
        std::vector<io::Value> v;
        v.emplace_back(label);
        v.emplace_back(pool().word[static_cast<std::size_t>(p + 1)]);
        for (std::int32_t j = f; j <= l; ++j) v.emplace_back(pool_real(p + 3 + j));
        put(row, v);
        s.lines -= 1;
      }
      if (s.lines > 2) {
        put("( '0')");
        s.lines -= 2;
      }
    }
  }
}

void OTCORE() {
  otype_state_record& s = state();
  control_record& c = s.c;
  std::int32_t n = 0;
  std::int32_t next = 0;
  std::int32_t above = 0;
  std::int32_t t = 0;
  if (c.kotype <= 0) {
    t = c.kcrit;
    SECLST(t, n, next, above);
    while (n > max_types) {
      // No sector holds more than t: raising t makes no progress, keep the fullest.
      if (above == 0) {
        keep_fullest();
        n = max_types;
        break;
      }
      t = next;
      SECLST(t, n, next, above);
    }
    if (t > c.kcrit) {
      pager(2);
      put("( '0TOO MANY OTYPES, KCRIT = ', I5, ' USED.')", {t});
    }
  } else {
    t = 1;
    SECLST(t, n, next, above);
    while (above >= c.kotype || n > max_types) {
      if (above == 0) {
        keep_fullest();
        n = max_types;
        break;
      }
      t = next;
      SECLST(t, n, next, above);
    }
  }
  if (n == 0) proc_error("NO OTYPES REMAINING");
  c.ntypes = n;
  c.maxnum = n;
  GENAME("OTYPE", s.type_names, n, 0);
  s.lookup_mode = 0;
  s.lookup.fill(0);
  s.type_position.fill(0);
  std::vector<std::int32_t> sectors;
  std::int32_t i = 0;
  for (std::int32_t p = pool().head; p != 0 && i < n; p = pool().word[static_cast<std::size_t>(p + 3)]) {
    ++i;
    s.lookup[at(i)] = pool().word[static_cast<std::size_t>(p)];
    s.type_count[at(i)] = pool().word[static_cast<std::size_t>(p + 1)];
    s.type_num[at(i)] = i;
    s.type_position[at(i)] = i;
    for (std::int32_t j = 1; j <= c.ndim; ++j) omean(j, i) = pool_real(p + 3 + j);
    sectors.push_back(s.lookup[at(i)]);
  }
  const std::int32_t w = std::max(c.ndim, 10);
  const std::string sx = num(w - 6);
  pager(n + 8);
  put("( '0SECTOR NUMBERS OF SCORE PATTERNS ACCEPTED AS CORE OTYPES'/ '0', " + sx +
      "X, 'SECTOR  CORE OTYPE  CORE OTYPE'/ 1X, " + sx + "X, 'NUMBER      NUMBER  NAME'/ 1X)");
  for (std::int32_t k = 1; k <= n; ++k)
    put("( 1X, a, I12, 2X, A)", {sector_label(sectors[at(k)], w), s.type_num[at(k)], s.type_names[at(k)]});
  put("( '0')");
  OTPRTM(s.omeans, "OMEANS OF CORE OTYPES (WITHOUT ASSIGNEES)");
  pr_ivector(s.type_count, s.type_names, n, "NUMBER OF OBJECTS IN EACH CORE OTYPE (WITHOUT ASSIGNEES)",
             s.page, s.lines, s.monout);
}

}  // namespace korvex::otype
