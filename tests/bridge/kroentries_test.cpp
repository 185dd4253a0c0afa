// The bridge's binding table of the model-object library (bridge/kroentries.h) against the
// model-object stand-in's own signature table: every entry the stand-in implements is bound
// by the bridge with the same codes, and the stand-in's check refuses a code that differs.
#include "bridge/kroentries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "standins/brin/kro_signatures.h"
#include "standins/common/standin.h"

namespace {

// One row of the bridge's table: result code, then the parameter codes.
struct bridgerow {
  std::string_view name;
  std::vector<std::int32_t> codes;
};

#define KROENTRIES_TEST_ROW(name, cpp, method, ...) {#name, {__VA_ARGS__}},
const std::vector<bridgerow> bridgerows = {KROENTRIES(KROENTRIES_TEST_ROW)};
#undef KROENTRIES_TEST_ROW

const bridgerow* bridgeentry(std::string_view name) {
  const auto it = std::find_if(bridgerows.begin(), bridgerows.end(),
                               [&](const bridgerow& r) { return r.name == name; });
  return it != bridgerows.end() ? &*it : nullptr;
}

// The stand-in's check of an entry with these codes: 1 confirmed, 0 refused (why says why).
int standincheck(std::string_view name, const std::vector<std::int32_t>& codes, std::string& why) {
  static const std::vector<standin::signature> table =
      standin::parsesignatures(brin::krosignaturetext);
  const standin::faults none("KROENTRIES_TEST");
  return standin::xcheck(table, none, "brin", name, static_cast<int>(codes.size()) - 1,
                         codes.data(), why);
}

}  // namespace

TEST(KroEntries, StandinConfirmsEveryEntryItImplementsWithTheBridgesCodes) {
  const std::vector<standin::signature> table = standin::parsesignatures(brin::krosignaturetext);
  ASSERT_FALSE(table.empty());
  for (const standin::signature& s : table) {
    SCOPED_TRACE(s.name);
    const bridgerow* row = bridgeentry(s.name);
    ASSERT_NE(row, nullptr) << "the bridge does not bind this entry";
    std::string why;
    EXPECT_EQ(standincheck(row->name, row->codes, why), 1) << why;
  }
}

TEST(KroEntries, StandinRefusesACodeThatDiffersFromItsOwn) {
  const bridgerow* row = bridgeentry("kroSetVarLOne");
  ASSERT_NE(row, nullptr);
  struct change {
    std::size_t position;
    std::int32_t code;
    const char* message;
    const char* why;
  };
  const change changes[] = {
      {0, 3, "brin: kroSetVarLOne has type code 0 at position 0, not 3", "the result code"},
      {2, 3, "brin: kroSetVarLOne has type code 13 at position 2, not 3", "a parameter's code"},
  };
  for (const change& c : changes) {
    SCOPED_TRACE(c.why);
    std::vector<std::int32_t> codes = row->codes;
    codes[c.position] = c.code;
    std::string why;
    EXPECT_EQ(standincheck(row->name, codes, why), 0);
    EXPECT_EQ(why, c.message);
  }
  std::vector<std::int32_t> shorter(row->codes.begin(), row->codes.end() - 1);
  std::string why;
  EXPECT_EQ(standincheck(row->name, shorter, why), 0);
  EXPECT_EQ(why, "brin: kroSetVarLOne takes 2 parameters, not 1");
}
