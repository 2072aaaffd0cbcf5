// The name-list reader of DAP's name sections: free lists of names up to ".", numbered
// lists of number and name pairs, blanks that never separate, lists over several cards,
// every list on a new card, and each error with its message.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data_entry/dap_internal.hpp"
#include "test_isf_fixture.hpp"

namespace korvex::dap {
namespace {

// Cards handed out one by one, counting how many were taken.
struct deck_cards {
  std::vector<std::string> cards;
  std::size_t taken = 0;
  card_source source() {
    return [this]() -> std::string {
      if (taken >= cards.size()) throw std::runtime_error("the list asked for one card too many");
      return cards[taken++];
    };
  }
};

// A list read into a table of entries by number, names trimmed of their padding.
struct read_list {
  std::int32_t count = 0;
  std::map<std::int32_t, std::string> entries;
};

class DapNameList : public testing::IsfFolder {
 protected:
  read_list read(deck_cards& deck, std::int32_t capacity, std::int32_t form) {
    read_list r;
    r.count = DPNROL(
        [&r](std::int32_t index, const std::string& name) {
          EXPECT_EQ(name.size(), 20u);
          r.entries[index] = name.substr(0, name.find_last_not_of(' ') + 1);
        },
        capacity, form, deck.source());
    return r;
  }
};

TEST_F(DapNameList, FreeListsOfNames) {
  struct Case {
    std::vector<std::string> cards;
    std::vector<std::string> names;
    std::size_t cards_taken;
  };
  const Case cases[] = {
      {{"A,B,C."}, {"A", "B", "C"}, 1},
      {{"MY NAME, X ."}, {"MYNAME", "X"}, 1},                       // a blank never separates
      {{"."}, {""}, 1},                                             // "." alone: one blank name
      {{"ALPHA,", "BETA.  REST OF THE CARD"}, {"ALPHA", "BETA"}, 2},  // over two cards
      {{"", "A.", "NOT READ"}, {"A"}, 2},                           // blank cards are skipped
      {{"ABCDEFGHIJKLMNOPQRST,_@#$%&*()-+=<>'."}, {"ABCDEFGHIJKLMNOPQRST", "_@#$%&*()-+=<>'"}, 1},
      {{"\xc0\xe9\xdf\xff."}, {"\xc0\xe9\xdf\xff"}, 1},             // ISO 8859-1 letters
  };
  for (const Case& c : cases) {
    deck_cards deck{c.cards};
    const read_list r = read(deck, 10, 0);
    EXPECT_EQ(r.count, static_cast<std::int32_t>(c.names.size())) << c.cards[0];
    for (std::size_t i = 0; i < c.names.size(); ++i) {
      EXPECT_EQ(r.entries.at(static_cast<std::int32_t>(i + 1)), c.names[i]) << c.cards[0];
    }
    EXPECT_EQ(deck.taken, c.cards_taken) << c.cards[0];
  }
}

// Every list begins on a card of its own: what follows the "." of one list is not read.
TEST_F(DapNameList, EveryListStartsOnANewCard) {
  deck_cards deck{{"A. B,C.", "D,E."}};
  EXPECT_EQ(read(deck, 5, 0).count, 1);
  const read_list second = read(deck, 5, 0);
  EXPECT_EQ(second.entries.at(1), "D");
  EXPECT_EQ(deck.taken, 2u);
}

TEST_F(DapNameList, NumberedListsSetOnlyTheirEntries) {
  deck_cards deck{{"2,HEIGHT,1,", " WEIGHT, 1 0,LAST."}};
  const read_list r = read(deck, 10, 1);
  EXPECT_EQ(r.count, 0);
  EXPECT_EQ(r.entries, (std::map<std::int32_t, std::string>{{1, "WEIGHT"}, {2, "HEIGHT"}, {10, "LAST"}}));
}

TEST_F(DapNameList, ErrorsStopWithTheirMessages) {
  struct Case {
    std::string card;
    std::int32_t form;
    std::string message;
  };
  const Case cases[] = {
      {"ABCDEFGHIJKLMNOPQRSTU.", 0, "NAME TOO LONG"},
      {"A,B,C,D.", 0, "TOO MANY NAMES"},
      {"A;B.", 0, "ILLEGAL CHARACTER IN NAME"},
      {"4,X.", 1, "NUMBER TOO LARGE (LIST CARD 1, COLUMN 1)"},
      {"1,A, 0,B.", 1, "NUMBER 0 NAMES NO ENTRY (LIST CARD 1, COLUMN 6)"},
      {",A.", 1, "NUMBER 0 NAMES NO ENTRY (LIST CARD 1, COLUMN 1)"},
      {"2.", 1, "NUMBER NOT PAIRED WITH NAME"},
      {"X,A.", 1, "ILLEGAL CHARACTER IN NUMBER"},
      {"1,A?.", 1, "ILLEGAL CHARACTER IN NAME"},
      {"9999999999,A.", 1, "TOO MANY DIGITS IN NUMBER (LIST CARD 1, COLUMN 10)"},
  };
  for (const Case& c : cases) {
    deck_cards deck{{c.card}};
    const testing::Stopped s = stop_of([&] { read(deck, 3, c.form); });
    EXPECT_TRUE(s.stopped) << c.card;
    EXPECT_NE(s.console.find("\n " + c.message + "\n"), std::string::npos) << c.card << "\n" << s.console;
  }
}

TEST_F(DapNameList, IllegalCharacterShowsItsCodeInHexadecimal) {
  struct Case {
    std::string card;
    std::string line;
  };
  const Case cases[] = {{"A/B.", "Illegal character in name:  2F"}, {"A\xd7.", "Illegal character in name:  D7"},
                        {"A\t.", "Illegal character in name:  09"}};
  for (const Case& c : cases) {
    deck_cards deck{{c.card}};
    const testing::Stopped s = stop_of([&] { read(deck, 3, 0); });
    EXPECT_EQ(s.console.substr(0, s.console.find('\n')), c.line);
  }
}

}  // namespace
}  // namespace korvex::dap
