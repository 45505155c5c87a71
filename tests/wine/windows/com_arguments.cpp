#include "com_arguments.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace vex::wine {
namespace {

constexpr UINT kCp932 = 932;

// The argument itself, or the VARIANT it refers to.
const VARIANT& target(const VARIANT& arg) {
    return arg.vt == (VT_BYREF | VT_VARIANT) && arg.pvarVal ? *arg.pvarVal : arg;
}

bool isLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// The end of the run of ASCII bytes from `i`: eight at a time while all eight are ASCII.
std::size_t asciiEnd(const std::string& bytes, std::size_t i) {
    for (std::uint64_t eight; i + 8 <= bytes.size(); i += 8) {
        std::memcpy(&eight, bytes.data() + i, 8);
        if (eight & 0x8080808080808080u) break;
    }
    while (i < bytes.size() && static_cast<unsigned char>(bytes[i]) < 0x80) ++i;
    return i;
}

}  // namespace

// A CP932 byte gives at most one UTF-16 unit, a unit at most two bytes. ASCII bytes stand for
// themselves and make up most of a record: only the runs of other characters (a lead byte with the
// byte after it) go through the code page.
void wideOfCp932(const std::string& bytes, std::wstring& out) {
    out.resize(bytes.size());
    std::size_t at = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t ascii = asciiEnd(bytes, i);
        for (; i < ascii; ++i) out[at++] = static_cast<wchar_t>(bytes[i]);
        std::size_t end = i;
        while (end < bytes.size() && static_cast<unsigned char>(bytes[end]) >= 0x80)
            end += isLeadByte(static_cast<unsigned char>(bytes[end])) ? 2 : 1;
        end = std::min(end, bytes.size());
        if (end == i) continue;
        at += static_cast<std::size_t>(MultiByteToWideChar(kCp932, 0, bytes.data() + i, static_cast<int>(end - i),
                                                           out.data() + at, static_cast<int>(out.size() - at)));
        i = end;
    }
    out.resize(at);
}

std::wstring wideOfCp932(const std::string& bytes) {
    std::wstring out;
    wideOfCp932(bytes, out);
    return out;
}

std::string cp932OfWide(const wchar_t* text, int length) {
    if (!text || length <= 0) return {};
    std::string out(static_cast<std::size_t>(length) * 2, '\0');
    int n = WideCharToMultiByte(kCp932, 0, text, length, out.data(), static_cast<int>(out.size()), nullptr, nullptr);
    out.resize(static_cast<std::size_t>(n));
    return out;
}

std::optional<std::string> textArgument(const VARIANT& arg) {
    const VARIANT& v = target(arg);
    if (v.vt == VT_BSTR) return cp932OfWide(v.bstrVal, static_cast<int>(SysStringLen(v.bstrVal)));
    if (v.vt == (VT_BYREF | VT_BSTR) && v.pbstrVal)
        return cp932OfWide(*v.pbstrVal, static_cast<int>(SysStringLen(*v.pbstrVal)));
    VARIANT copy;
    VariantInit(&copy);
    if (FAILED(VariantChangeType(&copy, const_cast<VARIANT*>(&v), 0, VT_BSTR))) return std::nullopt;
    std::string out = cp932OfWide(copy.bstrVal, static_cast<int>(SysStringLen(copy.bstrVal)));
    VariantClear(&copy);
    return out;
}

std::optional<long> numberArgument(const VARIANT& arg) {
    const VARIANT& v = target(arg);
    if (v.vt == VT_I4) return v.lVal;
    if (v.vt == (VT_BYREF | VT_I4) && v.plVal) return *v.plVal;
    VARIANT copy;
    VariantInit(&copy);
    if (FAILED(VariantChangeType(&copy, const_cast<VARIANT*>(&v), 0, VT_I4))) return std::nullopt;
    return copy.lVal;
}

bool setText(VARIANT& arg, const std::string& cp932) {
    // Kept from call to call: a record of odds is tens of kilobytes, and Wine's heap gives the
    // pages of a large block back when it is freed.
    static thread_local std::wstring wide;
    wideOfCp932(cp932, wide);
    BSTR value = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (arg.vt == (VT_BYREF | VT_BSTR) && arg.pbstrVal) {
        SysFreeString(*arg.pbstrVal);
        *arg.pbstrVal = value;
        return true;
    }
    if (arg.vt == (VT_BYREF | VT_VARIANT) && arg.pvarVal) {
        VariantClear(arg.pvarVal);
        arg.pvarVal->vt = VT_BSTR;
        arg.pvarVal->bstrVal = value;
        return true;
    }
    SysFreeString(value);
    return false;
}

bool setNumber(VARIANT& arg, long value) {
    if (arg.vt == (VT_BYREF | VT_I4) && arg.plVal) {
        *arg.plVal = value;
        return true;
    }
    if (arg.vt == (VT_BYREF | VT_VARIANT) && arg.pvarVal) {
        VariantClear(arg.pvarVal);
        arg.pvarVal->vt = VT_I4;
        arg.pvarVal->lVal = value;
        return true;
    }
    return false;
}

}  // namespace vex::wine
