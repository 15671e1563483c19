// plivex.exe killed while it encrypts a large file: the file must survive byte
// for byte, nothing left behind may pass for a container, and the next run
// must encrypt it as if nothing had happened.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "codec/cipher.h"
#include "craft.h"
#include "sys/cp932.h"
#include "sys/text_win.h"
#include "win_support.h"
#include "window_driver.h"

namespace plivex {
namespace {

using namespace e2e;

constexpr std::size_t kChunk = 1 << 20;
constexpr std::size_t kChunks = 300;  // 300 MiB: long enough to be caught half-way

// Chunk number index of the large file; every chunk differs from the others.
std::string PlainChunk(std::size_t index) {
    std::string chunk(kChunk, '\0');
    for (std::size_t i = 0; i < kChunk; ++i) chunk[i] = static_cast<char>(i * 7 + i / 4099 + index * 31);
    return chunk;
}

class File {
public:
    File(const std::string& path, bool write)
        : h_(CreateFileW(Widen(path).c_str(), write ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ, nullptr,
                         write ? CREATE_NEW : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~File() {
        if (ok()) CloseHandle(h_);
    }
    bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
    bool Write(const std::string& bytes) {
        DWORD put = 0;
        return WriteFile(h_, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) && put == bytes.size();
    }
    // Up to size bytes; fewer only at the end.
    std::string Read(std::size_t size) {
        std::string bytes(size, '\0');
        std::size_t got = 0;
        DWORD n = 1;
        while (got < size && n > 0 && ReadFile(h_, bytes.data() + got, static_cast<DWORD>(size - got), &n, nullptr))
            got += n;
        bytes.resize(got);
        return bytes;
    }

private:
    HANDLE h_;
};

// Whether the file holds prefix followed by every chunk, transformed with key
// from the container offset after prefix when a key is given.
bool Holds(const std::string& path, const std::string& prefix, const std::string& key = "") {
    File file(path, false);
    if (!file.ok() || file.Read(prefix.size()) != prefix) return false;
    std::optional<Transform> transform;
    if (!key.empty()) transform.emplace(key);
    std::uint32_t position = static_cast<std::uint32_t>(prefix.size());
    for (std::size_t i = 0; i < kChunks; ++i) {
        std::string chunk = PlainChunk(i);
        if (transform) {
            auto* bytes = reinterpret_cast<unsigned char*>(chunk.data());
            transform->Encode(bytes, bytes, chunk.size(), position);
        }
        if (file.Read(kChunk) != chunk) return false;
    }
    return file.Read(1).empty();
}

// The temporary files of a conversion in the folder, with their sizes.
std::vector<std::pair<std::string, std::uint64_t>> Temps(const std::string& folder) {
    std::vector<std::pair<std::string, std::uint64_t>> temps;
    for (const std::string& name : test::ListFolder(folder)) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (name.rfind("~plvx", 0) == 0 && GetFileAttributesExW(Widen(folder + name).c_str(), GetFileExInfoStandard, &data))
            temps.emplace_back(name, (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow);
    }
    return temps;
}

HWND EncryptionPrompt(const Program& plivex) { return WaitForWindow(plivex.id(), L"パスワード入力 - 暗号化 -"); }

TEST(Faults, KilledHalfWayThroughALargeFileLosesNothingAndTheNextRunStartsAfresh) {
    test::TempDir dir;
    const std::string folder = test::LongPathOf(dir.path());
    const std::string name = "大容量.bin", source = folder + name;
    {
        File file(source, true);
        ASSERT_TRUE(file.ok());
        for (std::size_t i = 0; i < kChunks; ++i) ASSERT_TRUE(file.Write(PlainChunk(i)));
    }
    const std::string password = "kill pw";

    Program killed({source, "/Q"});
    ASSERT_TRUE(killed.started()) << killed.failure();
    const HWND dialog = EncryptionPrompt(killed);
    ASSERT_TRUE(dialog) << "no password dialog; " << Describe(killed);
    ASSERT_EQ(AnswerPassword(dialog, password), 2);
    ASSERT_TRUE(WaitFor([&] {
        const auto temps = Temps(folder);
        return temps.size() == 1 && temps[0].second > 0;
    })) << "no growing temporary file; " << Describe(killed);
    ASSERT_TRUE(TerminateProcess(killed.process(), 9));
    ASSERT_EQ(killed.Wait(10000), 9u);

    // The source is whole; beside it at most the temporary file, which no rule takes for a container.
    EXPECT_TRUE(Holds(source, "")) << "the source changed";
    const auto stale = Temps(folder);
    ASSERT_LE(stale.size(), 1u);
    std::vector<std::string> expected{name};
    for (const auto& [temp, size] : stale) {
        expected.push_back(temp);
        EXPECT_EQ(temp.substr(temp.size() - 4), ".tmp");
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(test::ListFolder(folder), expected);

    Program again({source, "/Q"});
    ASSERT_TRUE(again.started()) << again.failure();
    const HWND second = EncryptionPrompt(again);
    ASSERT_TRUE(second) << "no password dialog in the second run; " << Describe(again);
    ASSERT_EQ(AnswerPassword(second, password), 2);
    ASSERT_EQ(again.Wait(120000), 0u) << "the second run did not end; " << Describe(again);

    const std::optional<std::string> stored = Utf8ToCp932(name);
    ASSERT_TRUE(stored);
    const std::string key = MakeKeyString(password);
    EXPECT_TRUE(Holds(folder + "大容量.pvx", test::Craft(*stored, "", key), key)) << "the container is not the file's";
    std::replace(expected.begin(), expected.end(), name, std::string("大容量.pvx"));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(test::ListFolder(folder), expected) << "the source goes; the stale temporary file is left alone";
    EXPECT_EQ(Temps(folder), stale);
}

}  // namespace
}  // namespace plivex
