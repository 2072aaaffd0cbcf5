// Saving the ISF: object-typing entries are left out with a listing line each and one console
// line, an unknown entry type is damage that ends the run, and a stop never leaves a
// half-written file behind.
#include "storage/give.hpp"

#include <filesystem>

#include "executive/stop.hpp"
#include "printing/page.hpp"
#include "run_fixture.hpp"
#include "storage/storage.hpp"

namespace korvex {
namespace {

using testing::RunFolder;

class GiveTest : public RunFolder {
 protected:
  void SetUp() override {
    RunFolder::SetUp();
    isf_init();
    init_page();
  }
  void write_means() {
    Kpar kpar{};
    make_kpar(kpar, 2, 1, 0);
    std::vector<float> x{1.0f, 2.0f};
    std::int32_t notfound = 0;
    isf_real_vector("MEANS1", 1, kpar, notfound, x);
  }
  // An entry framed by hand with the given entry type and one integer data record.
  void write_entry_of_type(const std::string& label, std::int32_t type) {
    Kpar kpar{};
    make_kpar(kpar, 1, 0, 0);
    std::int32_t notfound = 0;
    isf_open_entry(label, 1, type, kpar, notfound);
    std::vector<std::int32_t> data{7};
    std::int32_t n = 1;
    rwreci(data, n, isf_unit(), 1);
    filfin(1);
  }
  bool listing_has(const std::string& line) {
    for (const std::string& l : file_lines("MONOUT")) {
      if (l == line) return true;
    }
    return false;
  }
  std::int32_t page_ = 0, lines_ = 0;
};

TEST_F(GiveTest, ObjectTypingEntriesAreLeftOutWithALine) {
  write_means();
  std::vector<std::int32_t> length{2}, order{1};
  std::vector<std::string> names{std::string(20, ' ')};
  Kpar kpar{};
  make_kpar(kpar, 1, 1, 0);
  std::int32_t notfound = 0;
  OXFIL1("OTYPE1", 1, kpar, notfound, length, names, order);
  isf_filfin(1);
  write_entry_of_type("OMEAN1", 6);

  GIVE(get_unit("GIVE"), page_, lines_, get_monout());
  EXPECT_TRUE(listing_has("                MEANS1"));
  EXPECT_TRUE(listing_has("                OTYPE1 not saved: an object-typing entry cannot be kept."));
  EXPECT_TRUE(listing_has("                OMEAN1 not saved: an object-typing entry cannot be kept."));
  EXPECT_TRUE(listing_has(" Output of Binary Permanent File Ends"));
  // MEANS1 alone: label 22 + KPAR 24 + type 20 + data 24 + END 40 bytes, then the closing END.
  EXPECT_EQ(std::filesystem::file_size("GIVE"), 22u + 24u + 20u + 24u + 40u + 40u);
  // One console line for both, on MONERR; nothing on standard output.
  EXPECT_EQ(err_.str(), "  *GIVE: OTYPE1 and OMEAN1 were not saved (object-typing entries cannot be kept).\n");
  EXPECT_EQ(out_.str(), "");
}

TEST_F(GiveTest, TheConsoleLineNamesWhatWasLeftOut) {
  const struct {
    std::vector<std::string> labels;
    const char* line;  // nullptr: no line
  } cases[] = {
      {{}, nullptr},
      {{"OTYPE1"}, "  *GIVE: OTYPE1 was not saved (an object-typing entry cannot be kept)."},
      {{"OTYPE1", "OMEAN1", "OMEAN2"},
       "  *GIVE: OTYPE1, OMEAN1 and OMEAN2 were not saved (object-typing entries cannot be kept)."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.labels.size());
    isf_init();
    init_page();
    write_means();
    for (const std::string& label : c.labels) write_entry_of_type(label, 6);
    err_.str("");
    GIVE(get_unit("GIVE"), page_, lines_, get_monout());
    EXPECT_EQ(err_.str(), c.line == nullptr ? std::string() : std::string(c.line) + "\n");
  }
}

TEST_F(GiveTest, UnknownEntryTypeIsDamageAndLeavesTheOldFile) {
  write_file("GIVE", "an earlier image");
  write_means();
  write_entry_of_type("ODD001", 7);
  EXPECT_THROW(GIVE(get_unit("GIVE"), page_, lines_, get_monout()), Stop);
  EXPECT_TRUE(listing_has(" BAD ISF TYPE RECORD (    1      7)"));
  close_all_units();  // what the end of the process does after a stop
  EXPECT_EQ(std::filesystem::file_size("GIVE"), 16u);
  EXPECT_FALSE(std::filesystem::exists("GIVE.part"));
}

TEST_F(GiveTest, EachSaveReplacesTheFileWithOneImage) {
  write_means();
  GIVE(get_unit("GIVE"), page_, lines_, get_monout());
  const auto first = std::filesystem::file_size("GIVE");
  GIVE(get_unit("GIVE"), page_, lines_, get_monout());
  EXPECT_EQ(std::filesystem::file_size("GIVE"), first);
}

}  // namespace
}  // namespace korvex
