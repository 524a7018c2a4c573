// The option table both programs parse with: how --help lays rows out in each program's layout, and
// which fault a command line gets, for each program to word its own way.
#include <gtest/gtest.h>
#include <vector>
#include "host/base/option_table.h"

namespace {
struct Picked {
    std::string file, mode;
    int count = 0;
    bool flag = false;
};

const OptionRow<Picked> kRows[] = {
    {0, "--file", "PATH", "a file", "", [](const std::string& v, Picked& p) { p.file = v; return true; }},
    {0, "--mode", "[a|b]", "a mode", "a or b",
     [](const std::string& v, Picked& p) { p.mode = v; return v.empty() || v == "a" || v == "b"; }},
    {1, "--count", "N", "a count", "a count", [](const std::string& v, Picked& p) { return ParseCount(v, p.count, 1); }},
    {1, "--flag", nullptr, "a switch", "", [](const std::string&, Picked& p) { return p.flag = true; }},
};

OptionFault Parse(std::vector<const char*> arguments, Picked& picked) {
    arguments.insert(arguments.begin(), "program");
    return ParseOptionRows(kRows, int(arguments.size()), const_cast<char**>(arguments.data()), picked,
                           [](const std::string& a) { return a == "-f" ? std::string("--flag") : a; });
}
}  // namespace

TEST(OptionTable, FaultsNameTheOptionAndWhatItWants) {
    Picked picked;
    EXPECT_EQ(Parse({"--file", "x", "--mode", "--flag", "-f"}, picked).kind, OptionFault::None);
    EXPECT_EQ(picked.file, "x");
    EXPECT_EQ(picked.mode, "");  // an optional value is not taken from the next option
    EXPECT_TRUE(picked.flag);
    const OptionFault unknown = Parse({"--flag", "--nope"}, picked);
    EXPECT_EQ(unknown.kind, OptionFault::Unknown);
    EXPECT_EQ(unknown.option, "--nope");
    const OptionFault missing = Parse({"--file"}, picked);
    EXPECT_EQ(missing.kind, OptionFault::NoValue);
    EXPECT_STREQ(missing.valueName, "PATH");
    const OptionFault refused = Parse({"--mode", "c"}, picked);
    EXPECT_EQ(refused.kind, OptionFault::Refused);
    EXPECT_EQ(refused.value, "c");
    EXPECT_STREQ(refused.wants, "a or b");
    EXPECT_EQ(Parse({"--count", "1000001"}, picked).kind, OptionFault::Refused);
    EXPECT_EQ(Parse({"--count", "99999999999"}, picked).kind, OptionFault::Refused);
    EXPECT_EQ(Parse({"--count", "12x"}, picked).kind, OptionFault::Refused);
}

TEST(OptionTable, UsageRowsPadToTheColumnAndFlowToTheWidth) {
    std::string text;
    AppendUsageRows(text, kRows, 1, UsageLayout{12, 1, 0});
    EXPECT_EQ(text, "  --count N a count\n  --flag    a switch\n");
    text.clear();
    AppendUsageRow(text, "--long-name", "VALUE", "one two\nthree four five", UsageLayout{10, 2, 30});
    EXPECT_EQ(text, "  --long-name VALUE  one two\n          three four five\n");
}
