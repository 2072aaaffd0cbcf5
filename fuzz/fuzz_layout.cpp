// Fuzz driver for the layout-text engine: the first line of the input is a layout text,
// parsed outside the cache; the following bytes make a list of values to write under it,
// and the records written, then the input's remaining lines, are read back into targets.
#include <bit>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fuzz_support.hpp"
#include "io/layout.hpp"
#include "io/layout_int.hpp"

using namespace korvex;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Bytes in(data, size);
  const std::string text(in.line());
  std::unique_ptr<io::Layout> layout;
  try {
    layout = std::make_unique<io::Layout>(text, io::layout_detail::parse_layout(text));
  } catch (const io::LayoutError&) {
    return 0;
  }

  // Values and, for each, a target of the same family.
  const int count = in.byte() % 17;
  std::vector<std::string> texts(static_cast<std::size_t>(count));
  std::vector<io::Value> values;
  std::vector<std::int32_t> ints(static_cast<std::size_t>(count));
  std::vector<float> reals(static_cast<std::size_t>(count));
  std::vector<double> doubles(static_cast<std::size_t>(count));
  std::vector<std::string> strings(static_cast<std::size_t>(count));
  std::vector<io::Target> targets;
  for (int i = 0; i < count; ++i) {
    const auto k = static_cast<std::size_t>(i);
    switch (in.byte() % 5) {
      case 0:
        values.emplace_back(in.i32());
        targets.emplace_back(&ints[k]);
        break;
      case 1:
        values.emplace_back(std::bit_cast<float>(in.i32()));
        targets.emplace_back(&reals[k]);
        break;
      case 2: {
        const std::uint64_t lo = static_cast<std::uint32_t>(in.i32());
        const std::uint64_t hi = static_cast<std::uint32_t>(in.i32());
        values.emplace_back(std::bit_cast<double>(lo | (hi << 32)));
        targets.emplace_back(&doubles[k]);
        break;
      }
      case 3:
        values.emplace_back(static_cast<long long>(in.i32()) << (in.byte() % 32));
        targets.emplace_back(&ints[k]);
        break;
      default: {
        const std::size_t n = in.byte() % 41;
        for (std::size_t j = 0; j < n; ++j) texts[k].push_back(static_cast<char>(in.byte()));
        values.emplace_back(std::string_view(texts[k]));
        targets.emplace_back(&strings[k], in.byte() % 41);
        break;
      }
    }
  }

  std::vector<std::string> records;
  try {
    records = layout->write(values);
  } catch (const io::LayoutError&) {
  }

  // Reads the written records first, then the rest of the input line by line.
  std::size_t next = 0;
  const io::RecordSource source = [&]() -> std::optional<std::string> {
    if (next < records.size()) return records[next++];
    if (in.left() == 0) return std::nullopt;
    return std::string(in.line());
  };
  try {
    layout->read(source, targets);
  } catch (const io::LayoutError&) {
  }
  return 0;
}
