// Code page 932 through iconv, for the native build.
#include <errno.h>
#include <iconv.h>

#include "base/secret.h"
#include "sys/cp932.h"

namespace plivex {

namespace {

// Opening a converter loads its tables, so each direction is opened once per thread.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (Valid()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    std::optional<std::string> operator()(std::string_view in) {
        if (!Valid()) return std::nullopt;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
        std::string out(in.size() * 4 + 4, '\0');
        char* inPtr = const_cast<char*>(in.data());
        std::size_t inLeft = in.size();
        char* outPtr = out.data();
        std::size_t outLeft = out.size();
        const std::size_t rc = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
        // rc counts irreversible conversions: a substituted character is a failure here.
        if (rc != 0 || inLeft != 0) {
            SecureWipe(out);  // part of a password may have been converted
            return std::nullopt;
        }
        out.resize(out.size() - outLeft);
        return out;
    }

private:
    bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t cd_;
};

}  // namespace

std::optional<std::string> Utf8ToCp932(std::string_view utf8) {
    thread_local Converter convert("CP932", "UTF-8");
    return convert(utf8);
}

std::optional<std::string> Cp932ToUtf8(std::string_view cp932) {
    thread_local Converter convert("UTF-8", "CP932");
    return convert(cp932);
}

}  // namespace plivex
