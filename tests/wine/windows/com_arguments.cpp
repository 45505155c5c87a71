#include "com_arguments.h"

namespace vex::wine {
namespace {

constexpr UINT kCp932 = 932;

// The argument itself, or the VARIANT it refers to.
const VARIANT& target(const VARIANT& arg) {
    return arg.vt == (VT_BYREF | VT_VARIANT) && arg.pvarVal ? *arg.pvarVal : arg;
}

}  // namespace

// One conversion call each: a CP932 byte gives at most one UTF-16 unit, a unit at most two bytes.
std::wstring wideOfCp932(const std::string& bytes) {
    if (bytes.empty()) return {};
    std::wstring out(bytes.size(), L'\0');
    int n = MultiByteToWideChar(kCp932, 0, bytes.data(), static_cast<int>(bytes.size()), out.data(),
                                static_cast<int>(out.size()));
    out.resize(static_cast<std::size_t>(n));
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
    std::wstring wide = wideOfCp932(cp932);
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
