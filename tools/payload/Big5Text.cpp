#include "Big5Text.h"

#include <iconv.h>

#include <vector>

namespace payload {

namespace {

class IconvHandle {
public:
    IconvHandle(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
    ~IconvHandle() {
        if (valid()) iconv_close(handle_);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;

    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return handle_; }

private:
    iconv_t handle_;
};

}  // namespace

std::optional<std::string> ToCodePage950(const std::string& utf8) {
    IconvHandle converter("CP950", "UTF-8");
    if (!converter.valid()) return std::nullopt;

    std::vector<char> in(utf8.begin(), utf8.end());
    std::vector<char> out(utf8.size() * 2 + 4);
    char* inPtr = in.data();
    std::size_t inLeft = in.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    if (iconv(converter.get(), &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
        return std::nullopt;
    }
    return std::string(out.data(), out.size() - outLeft);
}

}  // namespace payload
