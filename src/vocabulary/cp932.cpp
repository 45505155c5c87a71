#include "vocabulary/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <memory>
#include <stdexcept>

namespace vex {
namespace {

// One converter per direction and thread; iconv_open is far too slow to call per text.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts `in`; on an invalid or unconvertible sequence calls onBad(out, in) which appends a
    // substitute and returns how many input bytes to skip.
    template <typename OnBad>
    std::string run(std::string_view in, OnBad onBad) {
        std::string out;
        out.reserve(in.size() * 3 / 2 + 4);
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        size_t srcLeft = in.size();
        char buffer[4096];
        while (srcLeft > 0) {
            char* dst = buffer;
            size_t dstLeft = sizeof buffer;
            size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buffer, dst - buffer);
            if (rc != static_cast<size_t>(-1)) break;
            if (errno == E2BIG) continue;
            // EILSEQ or EINVAL (truncated sequence at the end): substitute and resynchronise.
            size_t skip = onBad(out, std::string_view(src, srcLeft));
            if (skip > srcLeft) skip = srcLeft;
            src += skip;
            srcLeft -= skip;
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        return out;
    }

private:
    iconv_t cd_;
};

size_t utf8SequenceLength(unsigned char c) {
    if (c < 0x80) return 1;
    if ((c & 0xE0) == 0xC0) return 2;
    if ((c & 0xF0) == 0xE0) return 3;
    if ((c & 0xF8) == 0xF0) return 4;
    return 1;
}

// A character the target cannot hold, or malformed UTF-8: '?' for the whole sequence.
size_t questionMarkForBadUtf8(std::string& out, std::string_view rest) {
    out += '?';
    size_t n = utf8SequenceLength(static_cast<unsigned char>(rest[0]));
    return n <= rest.size() ? n : rest.size();
}

}  // namespace

std::string toUtf8(std::string_view cp932) {
    thread_local Converter converter("UTF-8", "CP932");
    return converter.run(cp932, [](std::string& out, std::string_view) {
        out += "\xEF\xBF\xBD";
        return size_t{1};
    });
}

std::string toCp932(std::string_view utf8) {
    thread_local Converter converter("CP932", "UTF-8");
    return converter.run(utf8, questionMarkForBadUtf8);
}

std::string fromUtf8To(std::string_view encoding, std::string_view utf8) {
    // The terminal's encoding does not change during a run: one converter is kept.
    thread_local std::string openFor;
    thread_local std::unique_ptr<Converter> converter;
    if (!converter || openFor != encoding) {
        try {
            converter = std::make_unique<Converter>(std::string(encoding).c_str(), "UTF-8");
        } catch (const std::runtime_error&) {
            converter.reset();
            return std::string(utf8);
        }
        openFor = encoding;
    }
    return converter->run(utf8, questionMarkForBadUtf8);
}

std::string_view cutToWidth(std::string_view cp932, std::size_t width) {
    std::size_t i = 0;
    while (i < cp932.size()) {
        std::size_t n = isLeadByte(static_cast<unsigned char>(cp932[i])) && i + 1 < cp932.size() ? 2 : 1;
        if (i + n > width) break;
        i += n;
    }
    return cp932.substr(0, i);
}

std::string padRight(std::string_view cp932, std::size_t width) {
    std::string out(cutToWidth(cp932, width));
    out.append(width - out.size(), ' ');
    return out;
}

std::string padLeft(std::string_view cp932, std::size_t width) {
    std::string_view cut = cutToWidth(cp932, width);
    std::string out(width - cut.size(), ' ');
    out += cut;
    return out;
}

}  // namespace vex
