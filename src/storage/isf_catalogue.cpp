// The catalogue of ISF labels: the 29 labels components exchange, each with the accessor
// that stores it, its entry type, its KPAR and the meaning of its data records. It is the
// contract between writers and readers; the entry decks and the data listing look labels up
// here. NV variables, NSUB subjects, NF factors or clusters, NDIM profile dimensions.
#include "io/fixed_text.hpp"
#include "storage/storage.hpp"

namespace korvex {

namespace {

using enum IsfAccessor;

constexpr IsfLabelInfo catalogue[] = {
    // Run description and data summaries.
    {"IDFILE", word_vector, 1, 2, "(2: 12, 1)",
     "one record of 12 words of 6 characters: the 72-column run title", "DAP, COMP2",
     "COMP1, COR2, DVP, FAST, RESTOR, SELECT, SLEEP, CC5, FACS, SPAN2, GYRO, OTYPE, CSA2; "
     "RSCAT when IPFILE is absent",
     true},
    {"IPFILE", word_vector, 1, 9, "(9: 12, 1, NV, NSUB, NV, NSUB, NOMISS, 0, 0)",
     "one record of the 12 title words", "DAP", "RSCAT (title and d4 = NSUB)", false},
    {"VNAMS1", name_vector, 2, 3, "(2: NV, 1); after a selection (3: NV, 1, ninactive)",
     "one record of NV names of 20 characters; after a selection in the selected order, active "
     "variables first",
     "DAP, SELECT, SLEEP, RESTOR (back to c = 2), COMP2 (names of the compared dimensions)",
     "COMP1, COR2, COR3, DVP, FAST, RESTOR, SELECT, SLEEP, CC5, FACS, SPAN2, GYRO, CSA2", true},
    {"REORD1", int_vector, 3, 3, "(3: NV, 1, ninactive)",
     "one record of NV int32: element k is the number, before the selection, of the variable "
     "now at position k (kept variables ascending first, then the others ascending)",
     "SELECT, SLEEP", "DVP, FAST, RESTOR, CC5, SPAN2, GYRO, CSA2; only when VNAMS1 has c = 3",
     true},
    {"VSUMS1", real_vector, 4, 2, "(2: NV, 1)", "one record of NV sums", "DAP", "COR2", true},
    {"MEANS1", real_vector, 4, 3, "(3: NV, 1, NSUB)",
     "one record of NV means; d3 is the subject count", "DAP",
     "COR2, COR3, FACS and OTYPE (through isf_real_matrix, one column), *DPRINT", true},
    {"STDEV1", real_vector, 4, 2, "(2: NV, 1)", "one record of NV standard deviations",
     "DAP, COR2 (rewrites it)", "FACS, OTYPE (through isf_real_matrix)", true},
    {"VAREN1", int_vector, 3, 2, "(2: NV, 1)",
     "one record of NV int32: the number of non-missing values of each variable",
     "DAP (only when NOMISS is 0), COR3", "COR3, FACS (through isf_int_matrix)", true},
    {"ONAMS1", name_chunks, 2, 3, "(3: 1, NSUB, 100)",
     "NSUB subject names of 20 characters in records of 100 names, the last one shorter", "DAP",
     "RSCAT, OTYPE, *DPRINT", false},
    // Correlation matrices.
    {"CORRM1", real_square, 4, 2, "(2: NV, d2)",
     "triangle of the correlation matrix; d2 = NSUB from COR2 and COR3, 1 from FAST for a "
     "residual matrix, 2 from FAST for a reproduced matrix, kept by RESTOR; after a selection "
     "the order is NV - ninactive",
     "COR2 (opt 2), COR3 (opt 1), FAST, RESTOR, SELECT, SLEEP, COMP2 (order = dimensions "
     "compared, d2 = variables used)",
     "DVP, FAST, SELECT, SLEEP, CC5, FACS, CSA2 (all opt 2)", true},
    {"CORRM2", real_square, 4, 3, "(3: NV, d2, ninactive)",
     "triangle of the whole correlation matrix before a selection, in the selected order",
     "SELECT, SLEEP", "RESTOR", true},
    {"COVAR1", real_square, 4, 1, "(1: NV)", "triangle of the covariance matrix", "COR3 (opt 1)",
     "no component", true},
    {"2SENS1", int_square, 3, 1, "(1: NV)",
     "integer triangle: the number of subjects that have both variables of each pair",
     "COR3 (opt 1)", "no component", true},
    {"2MEAN1", real_matrix, 4, 2, "(2: NV, NV)",
     "NV columns of NV: means over the subjects present in each pair", "COR3", "no component",
     true},
    {"2STDV1", real_matrix, 4, 2, "(2: NV, NV)",
     "NV columns of NV: standard deviations over the subjects present in each pair", "COR3",
     "no component", true},
    // Factoring, rotation and clusters.
    {"DIAGV1", real_vector, 4, 2, "(2: NV, 1)",
     "one record of NV communality estimates (diagonal values); also read as a one-column "
     "matrix",
     "DVP, CC5, RESTOR", "CC5, FACS, CSA2", true},
    {"UFACT1", real_matrix, 4, 2, "(2: NV, NF)",
     "NF columns of NV unrotated factor coefficients", "CC5, RESTOR",
     "FAST, RESTOR, FACS, SPAN2, GYRO, CSA2", true},
    {"CLUST1", int_table, 3, 1, "(1: NF)",
     "a record of NF member counts (1..99 each), then one record per cluster with its defining "
     "variables' numbers",
     "CC5, RESTOR", "RESTOR, CC5", true},
    {"REFLX1", int_table, 3, 1, "(1: NF)",
     "as CLUST1: per cluster the list of variables to reflect", "CC5, RESTOR",
     "COMP1, RESTOR, FACS, SPAN2, CSA2", true},
    {"RFACT1", real_matrix, 4, 2, "(2: NV, NF)", "NF columns of NV rotated factor coefficients",
     "GYRO, CSA2", "COMP1, FACS, SPAN2", true},
    {"BASIS1", real_matrix, 4, 2, "(2: NF, NF)", "NF columns of NF: the rotation basis",
     "GYRO, CSA2", "FACS", true},
    // Scores and object types.
    {"WEIGH1", real_matrix, 4, 2, "(2: NV, NF)", "NF columns of NV effective score weights",
     "FACS", "FACS", true},
    {"FSCOR1", real_chunks, 4, 3, "(3: NF, NSUB, NF)",
     "NSUB records of NF scores, one subject per record", "FACS", "RSCAT, OTYPE", true},
    {"DSCOR1", real_chunks, 4, 3, "(3: NF, NSUB, NF)",
     "as FSCOR1", "no component; only a binary permanent file taken in supplies it", "OTYPE",
     false},
    {"MEANS2", real_matrix, 4, 2, "(2: 1, 1)",
     "one record of one value: the mean given to the composite scores", "FACS",
     "OTYPE (through isf_real_vector)", true},
    {"STDEV2", real_matrix, 4, 2, "(2: NF, 1)",
     "one record of NF standard deviations of the composite scores", "FACS",
     "OTYPE (through isf_real_vector)", true},
    {"OMEAN1", row_entry, 6, 5, "(5: NDIM, ntypes, 999, 2, 2)",
     "code 2: a NAME record of the NDIM dimension names, an ORDER record of NDIM int32, then "
     "ntypes rows of kind 6: the type's NDIM means, its type number, its 20-character name",
     "OTYPE", "OTYPE", false},
    {"OTYPE1", membership, 5, 2, "(2: ntypes, 999)",
     "LENGTH: ntypes member counts; NAME: ntypes type names; ORDER: ntypes int32; then for each "
     "type in order its members' ordinal positions in records of at most 999 (none for an "
     "empty type)",
     "OTYPE", "OTYPE", false},
    {"OCLUS1", int_table, 3, 1, "(1: number of object clusters, at most 15)", "as CLUST1",
     "entry decks only", "entry decks only", true},
};

}  // namespace

std::span<const IsfLabelInfo> isf_label_catalogue() { return catalogue; }

const IsfLabelInfo* find_isf_label(std::string_view label) {
  for (const auto& row : catalogue) {
    if (io::padded_equal(row.label, label)) return &row;
  }
  return nullptr;
}

}  // namespace korvex
