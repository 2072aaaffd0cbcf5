// The active-variable protocol on the ISF: what a reader makes of VNAMS1 and REORD1 with and
// without a selection in force, and that the writers' pair keeps the mark of a selection
// even when it sets no variable aside.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data_entry/active_variables.hpp"
#include "io/fixed_text.hpp"
#include "test_isf_fixture.hpp"

namespace korvex::testing {
namespace {

class ActiveVariables : public IsfFolder {
 public:
  static std::vector<std::string> names(std::initializer_list<const char*> list) {
    std::vector<std::string> n;
    for (const char* s : list) n.push_back(io::pad(s, 20));
    return n;
  }
  void write_order(std::vector<std::int32_t> order) {
    Kpar kpar{};
    kpar[0] = 3;
    kpar[1] = static_cast<std::int32_t>(order.size());
    kpar[2] = 1;
    kpar[3] = 1;
    std::int32_t notfound = 0;
    isf_int_vector("REORD1", 1, kpar, notfound, order);
  }
};

TEST_F(ActiveVariables, WithoutVnams1TheVariablesAreNumberedNames) {
  const active_variables v = read_active_variables(12);
  EXPECT_FALSE(v.names_found);
  EXPECT_FALSE(v.selection);
  EXPECT_EQ(v.numvar, 12);
  EXPECT_EQ(v.numact, 12);
  EXPECT_EQ(v.names.front(), io::pad("VAR01", 20));
  EXPECT_EQ(v.names.back(), io::pad("VAR12", 20));
  EXPECT_EQ(v.numbers.back(), 12);
  EXPECT_FALSE(selection_in_force());
}

TEST_F(ActiveVariables, WithoutASelectionAnOldReord1IsIgnored) {
  write_no_selection(names({"A", "B", "C"}), 3);
  write_order({3, 1, 2});  // left behind by an undone selection
  const active_variables v = read_active_variables(0);
  EXPECT_TRUE(v.names_found);
  EXPECT_FALSE(v.selection);
  EXPECT_FALSE(v.order_found);
  EXPECT_EQ(v.names, names({"A", "B", "C"}));
  EXPECT_EQ(v.numbers, (std::vector<std::int32_t>{1, 2, 3}));
  EXPECT_FALSE(selection_in_force());
}

TEST_F(ActiveVariables, ASelectionListsVariablesUnderTheirOriginalNumbers) {
  struct selection_case {
    std::int32_t numdel;
    std::vector<std::int32_t> order;
  };
  for (const selection_case& c :
       {selection_case{2, {2, 4, 1, 3}}, selection_case{0, {1, 2, 3, 4}}}) {
    SCOPED_TRACE(c.numdel);
    write_selection(names({"B", "D", "A", "C"}), c.order, 4, c.numdel);
    Kpar kpar{};
    std::vector<std::string> stored(999);
    std::int32_t notfound = 0;
    isf_name_vector("VNAMS1", 0, kpar, notfound, stored);
    EXPECT_EQ(kpar[0], 3);  // a selection of every variable is still a selection
    EXPECT_EQ(kpar[3], c.numdel);
    EXPECT_TRUE(selection_in_force());
    const active_variables v = read_active_variables(0);
    EXPECT_TRUE(v.selection);
    EXPECT_TRUE(v.order_found);
    EXPECT_EQ(v.numvar, 4);
    EXPECT_EQ(v.numdel, c.numdel);
    EXPECT_EQ(v.numact, 4 - c.numdel);
    EXPECT_EQ(v.numbers, c.order);
    EXPECT_EQ(v.names[0], io::pad("B", 20));
  }
  write_no_selection(names({"A", "B", "C", "D"}), 4);
  EXPECT_FALSE(selection_in_force());
  EXPECT_EQ(read_active_variables(0).numbers, (std::vector<std::int32_t>{1, 2, 3, 4}));
}

TEST_F(ActiveVariables, ASelectionWithoutReord1KeepsTheIdentityOrder) {
  Kpar kpar{};
  kpar[0] = 3;
  kpar[1] = 3;
  kpar[2] = 1;
  kpar[3] = 1;
  std::vector<std::string> n = names({"C", "A", "B"});
  std::int32_t notfound = 0;
  isf_name_vector("VNAMS1", 1, kpar, notfound, n);
  const active_variables v = read_active_variables(0);
  EXPECT_TRUE(v.selection);
  EXPECT_FALSE(v.order_found);
  EXPECT_EQ(v.numact, 2);
  EXPECT_EQ(v.numbers, (std::vector<std::int32_t>{1, 2, 3}));
}

TEST_F(ActiveVariables, AReord1ThatIsNoOrderOfTheVariablesStops) {
  struct bad {
    std::vector<std::int32_t> order;
    const char* message;
  };
  for (const bad& c : {bad{{1, 1, 2}, "REORD1 is not an order of the variables 1..3"},
                       bad{{1, 4, 2}, "REORD1 is not an order of the variables 1..3"},
                       bad{{2, 1}, "REORD1 holds 2 variables but VNAMS1 3"}}) {
    write_selection(names({"A", "B", "C"}), std::vector<std::int32_t>{1, 2, 3}, 3, 1);
    write_order(c.order);
    const Stopped s = stop_of([] { read_active_variables(0); });
    EXPECT_TRUE(s.stopped);
    EXPECT_EQ(s.message, c.message);
  }
}

}  // namespace
}  // namespace korvex::testing
