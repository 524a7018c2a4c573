// Reads tests/expect from the source tree: its folder is compiled in, and Wine shows the Unix
// root as drive Z:.
#include "tests/expected.h"
#include <fstream>
#include <sstream>
#include <vector>

namespace {
std::string ExpectPath(const char* name) {
    std::string folder = SMEARSCOPE_EXPECT_DIR;
    if (!folder.empty() && folder[0] == '/') folder = "Z:" + folder;
    return folder + "/" + name;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream stream(line);
    for (std::string field; std::getline(stream, field, '\t');) fields.push_back(field);
    return fields;
}
}  // namespace

std::string ExpectedFile(const char* name) {
    std::ifstream file(ExpectPath(name), std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

ExpectedBox ExpectedBoxFor(const char* stage, const std::string& call) {
    std::stringstream lines(ExpectedFile("boxes.tsv"));
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> fields = Fields(line);
        if (fields.size() == 5 && fields[0] == stage && fields[1] == call)
            return ExpectedBox{fields[2], fields[4], std::stoll(fields[3])};
    }
    return ExpectedBox();
}
