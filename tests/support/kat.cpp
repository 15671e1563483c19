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

std::vector<StrongKatVector> LoadStrongKatVectors() {
    const std::string dir = std::string(PLIVEX_TEST_DATA) + "/kat/";
    std::istringstream lines(ReadBinary(dir + "strong_vectors.txt"));
    std::vector<StrongKatVector> out;
    for (std::string line; std::getline(lines, line);) {
        if (line.empty()) continue;
        std::vector<std::string> f;
        std::istringstream fields(line);
        for (std::string x; std::getline(fields, x, '|');) f.push_back(x);
        if (f.size() != 8) throw std::runtime_error("bad vector line: " + line);
        StrongKatVector v{f[0], FromHex(f[1]), static_cast<std::uint32_t>(std::stoul(f[2])), FromHex(f[3]),
                          FromHex(f[4]), f[5], std::string(), ReadBinary(dir + f[7])};
        if (f[6].rfind("text:", 0) == 0) {
            v.body = FromHex(f[6].substr(5));
        } else if (f[6].rfind("mod251:", 0) == 0) {
            const std::size_t size = std::stoul(f[6].substr(7));
            for (std::size_t i = 0; i < size; ++i) v.body += static_cast<char>(i % 251);
        } else {
            throw std::runtime_error("bad body: " + f[6]);
        }
        out.push_back(std::move(v));
    }
    return out;
}

}  // namespace plivex::test
