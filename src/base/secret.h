// Memory that held a password or key string is wiped before it is released.
#pragma once

#include <cstddef>
#include <string>

namespace plivex {

inline void SecureWipe(void* data, std::size_t size) {
    // volatile keeps the compiler from dropping stores to memory about to be freed
    volatile unsigned char* p = static_cast<volatile unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) p[i] = 0;
}

inline void SecureWipe(std::string& s) {
    if (!s.empty()) SecureWipe(s.data(), s.size());
    s.clear();
}

// A string that wipes its bytes when it dies or is reassigned.
class Secret {
public:
    Secret() = default;
    explicit Secret(std::string value) : value_(std::move(value)) {}
    Secret(const Secret& other) : value_(other.value_) {}
    Secret& operator=(const Secret& other) {
        if (this != &other) {
            SecureWipe(value_);
            value_ = other.value_;
        }
        return *this;
    }
    ~Secret() { SecureWipe(value_); }

    const std::string& str() const { return value_; }
    bool empty() const { return value_.empty(); }

private:
    std::string value_;
};

}  // namespace plivex
