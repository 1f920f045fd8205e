// shader_join: writes one GLSL 1.10 shader stage from its parts. The output
// is "#version 110", a header comment naming the parts by number, a #define
// for each name given, then each part after "#line 0 N", so that a compile
// message's "N:line" names the part and its own line.
//
// The parts come from a list file, one a line, in order; blank lines and
// lines starting with '#' are skipped, and relative paths are read from the
// list's directory. A line "FILE only-with PREFIX" joins FILE only when a
// name given begins with PREFIX (the steps shown alone join only with a
// SHOW_... switch). A name that no joined part mentions is refused, so that
// a mistyped switch fails instead of giving the finished picture.
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "usage: shader_join [-D NAME]... [-o OUT] LIST\n"
    "  writes the shader stage whose parts LIST names (to OUT, or standard output)\n";
const char kOnlyWith[] = "only-with";
// What "#line" is given so that a part's first line is its line 1: GLSL
// 1.10 numbers the line after "#line L" as L + 1.
const int kFirstLine = 0;

struct PartLine {
    std::string path;
    int number;             // its place among the list's parts, from 1
    std::string onlyWith;   // a prefix some name must have; empty: always joined
};

struct Options {
    std::vector<std::string> names;
    std::string out;
    std::string list;
};

bool isIdentifier(const std::string &s)
{
    if (s.empty() || std::isdigit(static_cast<unsigned char>(s[0])))
        return false;
    for (char c : s)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_')
            return false;
    return true;
}

void complain(const std::string &message)
{
    std::fprintf(stderr, "shader_join: %s\n", message.c_str());
}

// Reads the command line; false (after saying why) when it is not one.
bool readOptions(int argc, char **argv, Options &o)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool takesValue = arg == "-D" || arg == "-o";
        if (takesValue && i + 1 == argc) {
            complain(arg + " needs a value");
            return false;
        }
        if (arg == "-D")
            o.names.push_back(argv[++i]);
        else if (arg == "-o")
            o.out = argv[++i];
        else if (!arg.empty() && arg[0] == '-') {
            complain("unknown option " + arg);
            return false;
        } else if (o.list.empty())
            o.list = arg;
        else {
            complain("more than one list: " + arg);
            return false;
        }
    }
    if (o.list.empty()) {
        complain("no list of parts given");
        return false;
    }
    for (const std::string &name : o.names)
        if (!isIdentifier(name)) {
            complain("not a name to define: '" + name + "'");
            return false;
        }
    return true;
}

bool readFile(const std::string &path, std::string &text)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

std::string directoryOf(const std::string &path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

// The list's lines, with paths made relative to where the list lies.
bool readPartList(const std::string &list, std::vector<PartLine> &parts)
{
    std::string text;
    if (!readFile(list, text)) {
        complain("cannot read the list " + list);
        return false;
    }
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        std::istringstream words(line);
        PartLine part;
        std::string keyword, extra;
        if (!(words >> part.path) || part.path[0] == '#')
            continue;
        const bool conditional = static_cast<bool>(words >> keyword);
        if (conditional && (keyword != kOnlyWith || !(words >> part.onlyWith) || words >> extra)) {
            complain(list + ":" + std::to_string(number) + ": expected FILE [" + kOnlyWith +
                     " PREFIX]");
            return false;
        }
        if (part.path[0] != '/')
            part.path = directoryOf(list) + part.path;
        part.number = static_cast<int>(parts.size()) + 1;
        parts.push_back(part);
    }
    return true;
}

bool joins(const PartLine &part, const std::vector<std::string> &names)
{
    if (part.onlyWith.empty())
        return true;
    for (const std::string &name : names)
        if (name.compare(0, part.onlyWith.size(), part.onlyWith) == 0)
            return true;
    return false;
}

// Whether `name` stands in `text` as a whole identifier.
bool mentions(const std::string &text, const std::string &name)
{
    auto identifierChar = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
    for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1)) {
        const size_t end = at + name.size();
        if ((at == 0 || !identifierChar(text[at - 1])) &&
            (end == text.size() || !identifierChar(text[end])))
            return true;
    }
    return false;
}

// A part's place in the header comment: its directory and file name.
std::string shortName(const std::string &path)
{
    const size_t slash = path.rfind('/');
    const size_t before = slash == std::string::npos || slash == 0 ? std::string::npos
                                                                    : path.rfind('/', slash - 1);
    return before == std::string::npos ? path : path.substr(before + 1);
}

struct Part {
    std::string path;
    int number;
    std::string text;
};

std::string joinedStage(const std::vector<Part> &parts, const std::vector<std::string> &names)
{
    std::string out = "#version 110\n"
                      "// Joined by the build (tools/shader_join) from its parts. A compile\n"
                      "// message's \"N:line\" is that line of part N (Mesa gives 0 for N\n"
                      "// in some messages, but still the part's line):\n";
    for (const Part &part : parts)
        out += "//   " + std::to_string(part.number) + "  " + shortName(part.path) + "\n";
    for (const std::string &name : names)
        out += "#define " + name + "\n";
    for (const Part &part : parts) {
        out += "#line " + std::to_string(kFirstLine) + " " + std::to_string(part.number) + "\n" + part.text;
        if (!part.text.empty() && part.text.back() != '\n')
            out += "\n";
    }
    return out;
}

bool writeOutput(const std::string &path, const std::string &text)
{
    if (path.empty())
        return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (!file)
        complain("cannot write " + path);
    return static_cast<bool>(file);
}

// The parts that join with these names, read.
bool readParts(const std::vector<PartLine> &lines, const std::vector<std::string> &names,
               std::vector<Part> &parts)
{
    for (const PartLine &line : lines) {
        if (!joins(line, names))
            continue;
        Part part{line.path, line.number, ""};
        if (!readFile(part.path, part.text)) {
            complain("cannot read the part " + part.path);
            return false;
        }
        parts.push_back(part);
    }
    return true;
}

// False (after naming it) when a name given is in none of the parts.
bool everyNameMentioned(const std::vector<Part> &parts, const std::vector<std::string> &names)
{
    for (const std::string &name : names) {
        bool known = false;
        for (const Part &part : parts)
            known = known || mentions(part.text, name);
        if (!known) {
            complain("no part mentions " + name + "; nothing would change");
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char **argv)
{
    Options o;
    if (!readOptions(argc, argv, o)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::vector<PartLine> lines;
    std::vector<Part> parts;
    if (!readPartList(o.list, lines) || !readParts(lines, o.names, parts) ||
        !everyNameMentioned(parts, o.names))
        return 1;
    return writeOutput(o.out, joinedStage(parts, o.names)) ? 0 : 1;
}
