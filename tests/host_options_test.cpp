// The host's command line as users meet it: --help and the README list the same options with the
// same values, and malformed command lines end with status 1 and a reason naming the option.
#include <gtest/gtest.h>
#include <set>
#include <sstream>
#include <string>
#include <vector>
#include "tests/bench.h"

namespace {

// From each line that starts with `prefix`: the text after its first `skip` characters, up to `end`.
std::set<std::string> Cells(const std::string& text, const char* prefix, size_t skip, const char* end) {
    std::set<std::string> cells;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind(prefix, 0) == 0) cells.insert(line.substr(skip, line.find(end, skip) - skip));
    return cells;
}

// "--name VALUE" of every option: help rows are "  --name VALUE  help", README rows "| `--name VALUE` | ...".
std::set<std::string> HelpOptions(const std::string& help) { return Cells(help, "  --", 2, "  "); }
// A table cell escapes the bar even inside code: "[output\|input]" is "[output|input]".
std::set<std::string> ReadmeOptions(const std::string& readme) {
    std::set<std::string> options;
    for (std::string cell : Cells(readme, "| `--", 3, "`")) {
        for (size_t at; (at = cell.find("\\|")) != std::string::npos;) cell.erase(at, 1);
        options.insert(cell);
    }
    return options;
}

std::string Missing(const std::set<std::string>& from, const std::set<std::string>& in) {
    std::string missing;
    for (const std::string& option : from)
        if (!in.count(option)) missing += " [" + option + "]";
    return missing.empty() ? " none" : missing;
}

TEST(HostOptions, ReadmeTableAndHelpListTheSameOptionsAndValues) {
    BenchRun run = RunBench({"--help"});
    ASSERT_TRUE(run.Finished()) << run.Describe();
    const std::set<std::string> help = HelpOptions(run.outputText);
    const std::string readmeText = ReadWholeFile(ExeFolder() + "\\README.md");
    ASSERT_FALSE(readmeText.empty()) << "no README.md beside the tests";
    const std::set<std::string> readme = ReadmeOptions(readmeText);
    // The help lists the host's own options and the drills; both must be there to compare.
    EXPECT_GT(help.count("--plugin PATH") + help.count("--runs N"), 1u) << run.outputText;
    EXPECT_EQ(help, readme) << "in --help only:" << Missing(help, readme)
                            << "\nin README.md only:" << Missing(readme, help);
    EXPECT_NE(run.outputText.find("Exit status: 0 when the plug-in kept its contract"), std::string::npos)
        << run.outputText;
}

struct BadCommandLine {
    std::vector<std::string> arguments;
    const char* reason;  // a part of the one-line reason on stderr
};

TEST(HostOptions, MalformedCommandLinesEndWithStatusOneAndTheReason) {
    const BadCommandLine cases[] = {
        {{"--no-such-option"}, "unknown option --no-such-option"},
        {{"--frames"}, "--frames needs a value"},
        {{"--frames", "0"}, "--frames wants a positive number, got 0"},
        {{"--frames", "99999999999"}, "--frames wants a positive number, got 99999999999"},
        {{"--frames", "3x"}, "--frames wants a positive number, got 3x"},
        {{"--spectrum", "const:256"}, "--spectrum wants const:0..255"},
        {{"--clock-step", "-5"}, "--clock-step wants a positive number of milliseconds, got -5"},
        {{"--fail", "GetDC:0"}, "--fail wants NAME[:N]"},
        {{"--quirk", "sideways"}, "--quirk wants config-before-init"},
        {{"--runs", "0"}, "--runs wants a positive number, got 0"},
        {{"--random-keys", "2000000"}, "--random-keys wants a count, got 2000000"},
        {{"--key-storm", "A"}, "--key-storm wants KEY:COUNT, got A"},
        {{"--call-order", "backwards"}, "--call-order wants render-after-quit"},
        {{"--capture-frames", "1"}, "--capture-frames needs --capture DIR"},
        {{"--listen", "speakers"}, "--listen wants output or input, got speakers"},
        {{"--listen", "--audio", "a.wav"}, "--listen and --audio exclude each other"},
    };
    for (const BadCommandLine& bad : cases) {
        BenchRun run = RunBench(bad.arguments);
        ASSERT_TRUE(run.started);
        EXPECT_EQ(run.exitCode, 1u) << bad.reason << ": " << run.Describe();
        EXPECT_NE(run.stderrText.find(bad.reason), std::string::npos)
            << "wanted \"" << bad.reason << "\", got " << run.stderrText;
    }
}

}  // namespace
