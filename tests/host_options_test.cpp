// The host's command line as users meet it: --help and docs/host.md list the same options with the
// same values and the same descriptions, --help in lines of at most 96 columns, and malformed command
// lines end with status 1 and a reason naming the option.
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <vector>
#include "tests/bench.h"

namespace {

using OptionTexts = std::map<std::string, std::string>;  // "--name VALUE" -> its description

// Runs of spaces as one, no backticks (the docs mark code with them) nor carriage returns, no
// spaces at either end.
std::string Plain(const std::string& text) {
    std::string plain;
    for (char c : text) {
        if (c == '`' || c == '\r' || (c == ' ' && (plain.empty() || plain.back() == ' '))) continue;
        plain += c;
    }
    while (!plain.empty() && plain.back() == ' ') plain.pop_back();
    return plain;
}

// Help rows are "  --name VALUE  help", the help's later lines indented past the option.
OptionTexts HelpOptions(const std::string& help) {
    OptionTexts options;
    std::string current;
    std::istringstream lines(help);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("  --", 0) == 0) {
            const size_t gap = line.find("  ", 2);
            current = line.substr(2, gap - 2);
            options[current] = gap == std::string::npos ? "" : line.substr(gap);
        } else if (!current.empty() && line.rfind("      ", 0) == 0) {
            options[current] += " " + line;
        } else {
            current.clear();
        }
    }
    for (auto& option : options) option.second = Plain(option.second);
    return options;
}

// Table rows are "| `--name VALUE` | description |".
OptionTexts DocsOptions(const std::string& docs) {
    OptionTexts options;
    std::istringstream lines(docs);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("| `--", 0) != 0) continue;
        const size_t close = line.find("` | ", 3);
        if (close == std::string::npos) continue;
        const size_t last = line.rfind(" |");
        // A table cell escapes the bar even inside code: "[output\|input]" is "[output|input]".
        std::string name = line.substr(3, close - 3);
        for (size_t at; (at = name.find("\\|")) != std::string::npos;) name.erase(at, 1);
        options[name] = Plain(line.substr(close + 4, last - close - 4));
    }
    return options;
}

std::string Differences(const OptionTexts& help, const OptionTexts& docs) {
    std::string text;
    for (const auto& option : help) {
        auto found = docs.find(option.first);
        if (found == docs.end()) text += "\n  in --help only: " + option.first;
        else if (found->second != option.second)
            text += "\n  " + option.first + "\n    --help: " + option.second + "\n    docs:   " + found->second;
    }
    for (const auto& option : docs)
        if (!help.count(option.first)) text += "\n  in docs/host.md only: " + option.first;
    return text;
}

TEST(HostOptions, DocsTableAndHelpListTheSameOptionsValuesAndTexts) {
    BenchRun run = RunBench({"--help"});
    ASSERT_TRUE(run.Finished()) << run.Describe();
    const OptionTexts help = HelpOptions(run.outputText);
    const std::string docsText = ReadWholeFile(ExeFolder() + "\\host.md");
    ASSERT_FALSE(docsText.empty()) << "no host.md (docs/host.md) beside the tests";
    // The help lists the host's own options and the drills; both must be there to compare.
    EXPECT_EQ(help.count("--plugin PATH") + help.count("--runs N"), 2u) << run.outputText;
    const std::string differences = Differences(help, DocsOptions(docsText));
    EXPECT_TRUE(differences.empty()) << differences;
    EXPECT_NE(run.outputText.find("Exit status: 0 when the plug-in kept its contract"), std::string::npos)
        << run.outputText;
    std::istringstream lines(run.outputText);
    for (std::string line; std::getline(lines, line);)
        EXPECT_LE(line.size() - (!line.empty() && line.back() == '\r'), 96u) << "a --help line past 96 columns: " << line;
    BenchRun shortForm = RunBench({"-h"});
    EXPECT_EQ(shortForm.outputText, run.outputText) << "-h is not --help: " << shortForm.Describe();
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
        {{"--device", ""}, "--device wants a device's number, id or name, got "},
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
