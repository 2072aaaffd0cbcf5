// Progress lines and component states, consulted by the interpreter for every card.
#include "executive/progress.hpp"

#include <string>

#include "executive/errors.hpp"
#include "executive/units.hpp"
#include "io/fixed_text.hpp"
#include "io/layout.hpp"

namespace korvex {

namespace {

struct progress_text {
  const char* key;
  const char* line;  // nullptr: the word is announced by no line
};

const progress_text progress_texts[] = {
    {"CC5", " Executing  CC5     - Key Cluster Analysis Module"},
    {"COMMEN", " Executing  COMMENT"},
    {"COMP1", " Executing  COMP1   - Comparative Analysis, Data Writing Module"},
    {"COMP2", " Executing  COMP2   - Comparative Analysis, Similarity Matrix Module"},
    {"COR2", " Executing  COR2    - Correlation Module for Compete Data"},
    {"COR3", " Executing  COR3    - Correlation Module for Missing Data"},
    {"CSA2", " Executing  CSA2    - Cluster Structure Analysis Module"},
    {"DAP", " Executing  DAP     - Data Processing Module"},
    {"DICDMP", nullptr},
    {"DPRINT", " Executing  DPRINT  - Data Printing Module"},
    {"DVP", " Executing  DVP     - Diagonal Values Module"},
    {"END", " KORVEX Execution Ending"},
    {"EUCO2", nullptr},
    {"FACS", " Executing  FACS    - Cluster/Factor Score Module"},
    {"FALS", nullptr},
    {"FAST", " Executing  FAST    - Saving the Residual Matrix"},
    {"GIST", nullptr},
    {"GIVE", " Executing  GIVE    - Saving the ISF File"},
    {"GYRO", " Executing  GYRO    - Orthogonal Factor Rotation"},
    {"ISF_DE", " Executing  ISF_DEBUG  - Printing the ISF File Contents in Vertical Hex Format"},
    {"ISFDMP", " Executing  ISFDMP  - Printing the ISF File Contents"},
    {"NCSA2", nullptr},
    {"NC2", nullptr},
    {"OSTAT", nullptr},
    {"OTYPE", " Executing  OTYPE   - Object Cluster Analysis Module"},
    {"PICK", nullptr},
    {"PRANK", nullptr},
    {"PRY", nullptr},
    {"REDE", nullptr},
    {"RESTOR", " Executing  RESTORE - Variable Reactivation Module"},
    {"RLIST", nullptr},
    {"SELECT", " Executing  SELECT  - Variable Selection Module"},
    {"SLEEP", " Executing  SLEEP   - Variable Suppression Module"},
    {"SMIS", nullptr},
    {"SPAN2", " Executing  SPAN2   - Spherical Analysis Module"},
    {"RSCAT", " Executing  RSCAT   - Scatterplot Module"},
    {"START", " KORVEX Execution Beginning"},
    {"SYDA", nullptr},
    {"SYRN", nullptr},
    {"TAG", nullptr},
    {"TAKE", " Executing  TAKE    - Restoring the ISF File"},
    {"VAR_SE", " Executing  VAR_SELECT  - Variable Selection Modulue"},
    {"4CAST", nullptr},
};

struct component_state {
  const char* name;
  int state;  // 1 available, 2 not available, 3 available with a warning
};

const component_state component_states[] = {
    {"CC5", 1},   {"COMP1", 1}, {"COMP2", 1}, {"COR2", 1},   {"COR3", 1},   {"CSA2", 1},
    {"DAP", 1},   {"DVP", 1},   {"EUCO2", 1}, {"FACS", 1},   {"FALS", 1},   {"FAST", 1},
    {"GIST", 1},  {"GYRO", 1},  {"NC2", 1},   {"OSTAT", 1},  {"OTYPE", 1},  {"PICK", 2},
    {"PRANK", 2}, {"PRY", 2},   {"REDE", 1},  {"RESTOR", 1}, {"RLIST", 1},  {"RSCAT", 1},
    {"SLEEP", 1}, {"SMIS", 1},  {"SPAN2", 1}, {"SYDA", 2},   {"SYRN", 2},   {"TAG", 3},
    {"4CAST", 1}, {"VAR_SE", 1}};

}  // namespace

void progress_line(std::string_view text, std::int32_t unit) {
  write_record(unit, io::free_line({text}));
}

void exec_banner(std::string_view word, std::int32_t unit) {
  for (const progress_text& p : progress_texts) {
    if (io::padded_equal(p.key, word)) {
      if (p.line != nullptr) progress_line(p.line, unit);
      return;
    }
  }
  write_record(unit, io::free_line({" Executing  ", io::pad(word, 6)}));
}

void ORGPNT(std::string_view name, std::int32_t unit) {
  int state = 4;
  for (const component_state& c : component_states) {
    if (io::padded_equal(c.name, name)) {
      state = c.state;
      break;
    }
  }
  if (state == 2) proc_error("PROGRAM CURRENTLY UNCONVERTED.");
  if (state == 3) {
    write_record(unit, std::string(33, ' ') + "WARNING.. PATTERN METHODS ARE CURRENTLY NOT AVAILABLE.");
  }
}

}  // namespace korvex
