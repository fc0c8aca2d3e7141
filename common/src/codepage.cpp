#include "orvex/codepage.h"

#include "orvex/errors.h"

#include <cerrno>
#include <iconv.h>

namespace orvex {

namespace {

class Converter {
public:
    Converter(const char *to, const char *from) : handle_(iconv_open(to, from)) {
        if (handle_ == reinterpret_cast<iconv_t>(-1))
            throw ConversionError(std::string("No conversion from ") + from + " to " + to);
    }
    ~Converter() { iconv_close(handle_); }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    // Converts the whole input; an input sequence that cannot be converted is
    // skipped (one byte, or one UTF-8 character) and a '?' is written instead.
    std::string Convert(std::string_view input, bool inputIsUtf8) {
        std::string output;
        output.reserve(input.size() * 2 + 4);
        char *in = const_cast<char *>(input.data());
        size_t inLeft = input.size();
        char buffer[4096];
        iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        while (inLeft > 0) {
            char *out = buffer;
            size_t outLeft = sizeof buffer;
            const size_t rc = iconv(handle_, &in, &inLeft, &out, &outLeft);
            output.append(buffer, static_cast<size_t>(out - buffer));
            if (rc != static_cast<size_t>(-1)) break;
            if (errno == E2BIG) continue;
            // EILSEQ or EINVAL: replace the offending character.
            size_t skip = 1;
            if (inputIsUtf8) {
                const auto lead = static_cast<unsigned char>(*in);
                skip = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
                for (size_t i = 1; i < skip && i < inLeft; ++i)
                    if ((static_cast<unsigned char>(in[i]) & 0xC0) != 0x80) skip = i;
                if (skip > inLeft) skip = inLeft;
            }
            output += '?';
            in += skip;
            inLeft -= skip;
        }
        return output;
    }

private:
    iconv_t handle_;
};

} // namespace

std::string Utf8ToCp1251(std::string_view utf8) {
    thread_local Converter converter("CP1251", "UTF-8");
    return converter.Convert(utf8, true);
}

std::string Cp1251ToUtf8(std::string_view cp1251) {
    thread_local Converter converter("UTF-8", "CP1251");
    return converter.Convert(cp1251, false);
}

} // namespace orvex
