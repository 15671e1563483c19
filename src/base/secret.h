// Memory that held a password, a key or plain bytes is wiped before it is released.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace plivex {

inline void SecureWipe(void* data, std::size_t size) {
    if (size == 0) return;
#if defined(__GNUC__) || defined(__clang__)
    // A compiler may drop a memset of memory about to be freed; the empty asm
    // claims to read that memory, so the stores stay. memset writes whole
    // words: a byte at a time cost a batch of small files a tenth of its time.
    std::memset(data, 0, size);
    __asm__ __volatile__("" : : "r"(data) : "memory");
#else
    volatile unsigned char* p = static_cast<volatile unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) p[i] = 0;
#endif
}

// Wipes the string's whole buffer, beyond its size too: bytes dropped by
// pop_back or erase, and a short string's inline bytes, stay there otherwise.
inline void SecureWipe(std::string& s) {
    s.resize(s.capacity());
    SecureWipe(s.data(), s.size());
    s.clear();
}

inline void SecureWipe(std::wstring& s) {
    s.resize(s.capacity());
    SecureWipe(s.data(), s.size() * sizeof(wchar_t));
    s.clear();
}

// A string that wipes its bytes when it dies or is reassigned.
class Secret {
public:
    Secret() = default;
    // Copied into a buffer of its own; the caller wipes what it copied from.
    explicit Secret(std::string_view value) { Assign(value); }
    explicit Secret(const char* value) : Secret(std::string_view(value)) {}
    // Taking a string over would keep a short one's bytes in the string moved
    // from (the library copies small strings): it is copied, then wiped whole.
    explicit Secret(std::string&& value) {
        Assign(value);
        SecureWipe(value);
    }
    Secret(const Secret& other) { Assign(other.value_); }
    Secret& operator=(const Secret& other) {
        if (this != &other) {
            SecureWipe(value_);
            Assign(other.value_);
        }
        return *this;
    }
    ~Secret() { SecureWipe(value_); }

    const std::string& str() const { return value_; }
    // For transforming the bytes in place; their size never changes through it.
    char* data() { return value_.data(); }
    bool empty() const { return value_.empty(); }

private:
    void Assign(std::string_view value) {
        value_.reserve(value.size());  // one buffer: no reallocation leaves a copy behind
        value_.assign(value.data(), value.size());
    }

    std::string value_;
};

// A buffer of plain bytes or keys, wiped by its destructor however its owner ends.
class WipedBytes {
public:
    explicit WipedBytes(std::size_t size = 0) : bytes_(size) {}
    ~WipedBytes() { Wipe(); }
    WipedBytes(const WipedBytes&) = delete;
    WipedBytes& operator=(const WipedBytes&) = delete;

    unsigned char* data() { return bytes_.data(); }
    std::size_t size() const { return bytes_.size(); }
    bool empty() const { return bytes_.empty(); }
    unsigned char& operator[](std::size_t i) { return bytes_[i]; }
    // Trades buffers with other: neither's bytes are copied.
    void Swap(WipedBytes& other) noexcept { bytes_.swap(other.bytes_); }
    // A new size, its bytes zero: the old ones are wiped first, as the buffer may move.
    void Reset(std::size_t size) {
        Wipe();
        bytes_.resize(size);
    }

private:
    void Wipe() {
        if (!bytes_.empty()) SecureWipe(bytes_.data(), bytes_.size());
    }
    std::vector<unsigned char> bytes_;
};

// Wipes a fixed-size object (a key in an array) when the scope ends, however.
template <class T>
class WipeGuard {
public:
    explicit WipeGuard(T& object) : object_(object) {}
    ~WipeGuard() { SecureWipe(&object_, sizeof object_); }
    WipeGuard(const WipeGuard&) = delete;
    WipeGuard& operator=(const WipeGuard&) = delete;

private:
    T& object_;
};

}  // namespace plivex
