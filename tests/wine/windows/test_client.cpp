// A small COM client of the test control: creates it by ProgID in a single-threaded apartment, as
// the bridge does, and reads every record of the difference stream since FROM, writing them to
// stdout as they came (CP932, each ending CR LF). Exit code 0 when the stream ended normally;
// problems go to stderr.
//   vexmora-test-client FROM
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <ole2.h>

#include <cstdio>
#include <string>
#include <vector>

#include "com_arguments.h"

namespace {
using namespace vex::wine;

// Calls `name` with `args` given in call order; the result code, or nullopt on a COM failure.
std::optional<long> call(IDispatch* control, const wchar_t* name, std::vector<VARIANT> args) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (FAILED(control->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return std::nullopt;
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    VARIANT result;
    VariantInit(&result);
    if (FAILED(control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr, nullptr)))
        return std::nullopt;
    return numberArgument(result);
}

VARIANT text(BSTR value) {
    VARIANT v;
    v.vt = VT_BSTR;
    v.bstrVal = value;
    return v;
}
VARIANT number(long value) {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}
VARIANT byRef(VARIANT* target) {
    VARIANT v;
    v.vt = VT_BYREF | VT_VARIANT;
    v.pvarVal = target;
    return v;
}

int readAll(IDispatch* control, const std::wstring& from) {
    VARIANT reads, downloads, last;
    VariantInit(&reads), VariantInit(&downloads), VariantInit(&last);
    auto opened = call(control, L"NVOpen", {text(SysAllocString(L"RACEDIFF")), text(SysAllocString(from.c_str())),
                                            number(1), byRef(&reads), byRef(&downloads), byRef(&last)});
    if (opened != 0) return std::fprintf(stderr, "NVOpen: %ld\n", opened.value_or(-9999)), 1;
    std::string records;  // written once: many small writes to a pipe are slow under Wine
    for (;;) {
        VARIANT record, size, file;
        VariantInit(&record), VariantInit(&file);
        size = number(100000);
        auto r = call(control, L"NVRead", {byRef(&record), byRef(&size), byRef(&file)});
        if (!r || *r < -3) return std::fprintf(stderr, "NVRead: %ld\n", r.value_or(-9999)), 1;
        if (*r == 0) break;
        if (*r > 0) records += textArgument(record).value_or("");
        VariantClear(&record), VariantClear(&file);
    }
    _setmode(_fileno(stdout), _O_BINARY);
    std::fwrite(records.data(), 1, records.size(), stdout);
    return call(control, L"NVClose", {}) == 0 ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return std::fprintf(stderr, "usage: vexmora-test-client FROM\n"), 2;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CLSID clsid;
    IDispatch* control = nullptr;
    HRESULT hr = CLSIDFromProgID(L"NVDTLablib.NVLink", &clsid);
    if (SUCCEEDED(hr)) hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&control));
    if (FAILED(hr)) return std::fprintf(stderr, "cannot create the control: 0x%08lx\n", hr), 1;
    int code = call(control, L"NVInit", {text(SysAllocString(L"TEST"))}) == 0 ? readAll(control, argv[1]) : 1;
    control->Release();
    CoUninitialize();
    return code;
}
