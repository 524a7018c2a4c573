// One table of options drives a program's parser and its --help: each program has rows of its own
// and words the faults in its own way. Platform-free, so it is unit-tested natively.
#pragma once
#include <cstddef>
#include <string>

// One option. `Options` is the program's record; `Group` places the row in a section of --help.
template <class Options, class Group = int>
struct OptionRow {
    Group group;
    const char* name;
    const char* value;  // the value's placeholder in --help; null for an option without a value, and
                        // in brackets for an optional one (taken when the next argument is no option)
    const char* help;   // flowed to the width of --help; a '\n' is a space
    const char* wants;  // what a refused value is told
    // Applies the value (ignored without one); false when the value is malformed.
    bool (*apply)(const std::string& value, Options& options);
};

// Why a command line was refused, for the program to say.
struct OptionFault {
    enum Kind { None, Unknown, NoValue, Refused };
    Kind kind = None;
    std::string option;               // as given
    std::string value;                // the refused value
    const char* valueName = nullptr;  // the row's placeholder (NoValue, Refused)
    const char* wants = nullptr;      // the row's `wants` (Refused)
};

// Where --help puts the help: from `column`, at least `gap` spaces after the option, its lines
// flowed to at most `width` columns (0: each help on one line).
struct UsageLayout {
    size_t column;
    size_t gap;
    size_t width;
};

// "  NAME VALUE", padded to the layout's column, then the help flowed, its later lines starting at
// that column.
void AppendUsageRow(std::string& text, const char* name, const char* value, const char* help,
                    const UsageLayout& layout);
// A whole decimal number and nothing else; out of int's range is refused, not clamped.
bool ParseInt(const std::string& text, int& value);
// A count: a whole number from `least` up to a million.
bool ParseCount(const std::string& text, int& value, int least);

template <class Options, class Group, size_t N>
const OptionRow<Options, Group>* FindOptionRow(const OptionRow<Options, Group> (&rows)[N], const std::string& name) {
    for (const OptionRow<Options, Group>& row : rows)
        if (name == row.name) return &row;
    return nullptr;
}

// Applies argv's options in order, stopping at the first fault. `spelled`, when given, turns an
// argument into the name it stands for (a short form).
template <class Options, class Group, size_t N>
OptionFault ParseOptionRows(const OptionRow<Options, Group> (&rows)[N], int argc, char** argv, Options& options,
                            std::string (*spelled)(const std::string& argument) = nullptr) {
    OptionFault fault;
    for (int i = 1; i < argc; ++i) {
        fault.option = spelled ? spelled(argv[i]) : std::string(argv[i]);
        const OptionRow<Options, Group>* row = FindOptionRow(rows, fault.option);
        if (!row) {
            fault.kind = OptionFault::Unknown;
            return fault;
        }
        fault.valueName = row->value;
        fault.wants = row->wants;
        fault.value.clear();
        if (row->value && row->value[0] == '[') {
            if (i + 1 < argc && argv[i + 1][0] != '-') fault.value = argv[++i];
        } else if (row->value) {
            if (i + 1 >= argc) {
                fault.kind = OptionFault::NoValue;
                return fault;
            }
            fault.value = argv[++i];
        }
        if (!row->apply(fault.value, options)) {
            fault.kind = OptionFault::Refused;
            return fault;
        }
    }
    return OptionFault();
}

// Every row of `group`, in order, as AppendUsageRow lays it out.
template <class Options, class Group, size_t N>
void AppendUsageRows(std::string& text, const OptionRow<Options, Group> (&rows)[N], Group group,
                     const UsageLayout& layout) {
    for (const OptionRow<Options, Group>& row : rows)
        if (row.group == group) AppendUsageRow(text, row.name, row.value, row.help, layout);
}
