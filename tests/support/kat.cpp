#include <fstream>
#include <sstream>
#include <stdexcept>

#include "scripted_ui.h"

namespace plivex::test {

std::string ReadBinary(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

namespace {
std::string FromHex(const std::string& hex) {
    std::string out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}
}  // namespace

std::vector<KatVector> LoadKatVectors() {
    const std::string dir = std::string(PLIVEX_TEST_DATA) + "/kat/";
    std::istringstream lines(ReadBinary(dir + "vectors.txt"));
    std::vector<KatVector> out;
    for (std::string line; std::getline(lines, line);) {
        if (line.empty()) continue;
        std::vector<std::string> f;
        std::istringstream fields(line);
        for (std::string x; std::getline(fields, x, '|');) f.push_back(x);
        if (f.size() != 5) throw std::runtime_error("bad vector line: " + line);
        KatVector v{f[0], FromHex(f[1]), f[2], std::string(), ReadBinary(dir + f[4])};
        const std::size_t size = std::stoul(f[3]);
        for (std::size_t i = 0; i < size; ++i) v.body += static_cast<char>((i * 131 + 17) % 256);
        out.push_back(std::move(v));
    }
    return out;
}

}  // namespace plivex::test
