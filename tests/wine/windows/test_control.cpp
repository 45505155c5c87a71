// The test control: a COM in-process server registered under the data service's ProgID that
// answers the control's 13 operations by name through IDispatch. Behind them run the core's own
// feed replay and betting account, so a client sees exactly what VEXMORA_SERVICE=feed: gives.
//   VEXMORA_TEST_CONTROL_FEED   the feed folder it serves (layout in control/feed_service.h)
//   VEXMORA_TEST_CONTROL_HOME   the folder of its bet ledger, "ServiceControl.dat"
// Creating the control fails (E_FAIL) while either is unset.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "com_arguments.h"
#include "control/feed_service.h"
#include "control/service_control.h"

namespace {
using vex::DataControl;
using namespace vex::wine;

// {B7C3E2A1-4F5D-4E8B-9A6C-1D2E3F405162}: ours alone, never the service's.
const CLSID kClsid = {0xb7c3e2a1, 0x4f5d, 0x4e8b, {0x9a, 0x6c, 0x1d, 0x2e, 0x3f, 0x40, 0x51, 0x62}};
const wchar_t kClsidText[] = L"{B7C3E2A1-4F5D-4E8B-9A6C-1D2E3F405162}";
const wchar_t kProgId[] = L"NVDTLablib.NVLink";

HMODULE thisModule = nullptr;
LONG liveObjects = 0;

struct BadArgument {
    UINT index;  // in call order
};

// The arguments of one call in call order (IDispatch hands them over last first).
class Arguments {
public:
    explicit Arguments(DISPPARAMS& p) : p_(p) {}
    std::string text(UINT i) const { return check(i, textArgument(at(i))); }
    int number(UINT i) const { return static_cast<int>(check(i, numberArgument(at(i)))); }
    void setText(UINT i, const std::string& v) { check(i, vex::wine::setText(at(i), v) ? std::optional(0) : std::nullopt); }
    void setNumber(UINT i, int v) { check(i, vex::wine::setNumber(at(i), v) ? std::optional(0) : std::nullopt); }

private:
    VARIANT& at(UINT i) const { return p_.rgvarg[p_.cArgs - 1 - i]; }
    template <typename T>
    static T check(UINT i, std::optional<T> v) {
        if (!v) throw BadArgument{i};
        return *v;
    }
    DISPPARAMS& p_;
};

struct Operation {
    const wchar_t* name;
    UINT arguments;
    int (*call)(DataControl&, Arguments&);
};

const Operation kOperations[] = {
    {L"NVInit", 1, [](DataControl& c, Arguments& a) { return c.NVInit(a.text(0)); }},
    {L"NVSetUIProperties", 0, [](DataControl& c, Arguments&) { return c.NVSetUIProperties(); }},
    {L"NVOpen", 6,
     [](DataControl& c, Arguments& a) {
         int reads = 0, downloads = 0;
         std::string last;
         int r = c.NVOpen(a.text(0), a.text(1), a.number(2), reads, downloads, last);
         a.setNumber(3, reads);
         a.setNumber(4, downloads);
         a.setText(5, last);
         return r;
     }},
    {L"NVStatus", 0, [](DataControl& c, Arguments&) { return c.NVStatus(); }},
    {L"NVRead", 3,
     [](DataControl& c, Arguments& a) {
         std::string record, file;
         int size = a.number(1);
         int r = c.NVRead(record, size, file);
         a.setText(0, record);
         a.setNumber(1, size);
         a.setText(2, file);
         return r;
     }},
    {L"NVRTOpen", 2, [](DataControl& c, Arguments& a) { return c.NVRTOpen(a.text(0), a.text(1)); }},
    {L"NVCancel", 0, [](DataControl& c, Arguments&) { return c.NVCancel(); }},
    {L"NVClose", 0, [](DataControl& c, Arguments&) { return c.NVClose(); }},
    {L"RakutenLogin", 2, [](DataControl& c, Arguments& a) { return c.RakutenLogin(a.text(0), a.text(1)); }},
    {L"RakutenLogout", 0, [](DataControl& c, Arguments&) { return c.RakutenLogout(); }},
    {L"RakutenBet", 7,
     [](DataControl& c, Arguments& a) {
         int amount = 0, remaining = 0, limit = 0;
         std::string result;
         int r = c.RakutenBet(a.text(0), a.text(1), a.number(2), amount, remaining, limit, result);
         a.setNumber(3, amount);
         a.setNumber(4, remaining);
         a.setNumber(5, limit);
         a.setText(6, result);
         return r;
     }},
    {L"RakutenZandaka", 5,
     [](DataControl& c, Arguments& a) {
         int limit = 0, bought = 0, paid = 0, remaining = 0;
         int r = c.RakutenZandaka(limit, bought, paid, remaining, a.text(4));
         a.setNumber(0, limit);
         a.setNumber(1, bought);
         a.setNumber(2, paid);
         a.setNumber(3, remaining);
         return r;
     }},
    {L"RakutenDeposit", 0, [](DataControl& c, Arguments&) { return c.RakutenDeposit(); }},
};
constexpr DISPID kOperationCount = sizeof(kOperations) / sizeof(kOperations[0]);

HRESULT failWith(EXCEPINFO* info, const std::string& cp932) {
    if (info) {
        *info = EXCEPINFO{};
        info->scode = E_FAIL;
        std::wstring text = wideOfCp932(cp932);
        info->bstrDescription = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    }
    return DISP_E_EXCEPTION;
}

class TestControl final : public IDispatch {
public:
    explicit TestControl(std::unique_ptr<DataControl> control) : control_(std::move(control)) {
        InterlockedIncrement(&liveObjects);
    }
    ~TestControl() { InterlockedDecrement(&liveObjects); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = (riid == IID_IUnknown || riid == IID_IDispatch) ? static_cast<IDispatch*>(this) : nullptr;
        if (!*out) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            for (DISPID k = 0; i == 0 && k < kOperationCount; ++k)
                if (_wcsicmp(names[0], kOperations[k].name) == 0) ids[i] = k + 1;
            if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* info, UINT* argError) override {
        if (id < 1 || id > kOperationCount) return DISP_E_MEMBERNOTFOUND;
        if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
        const Operation& op = kOperations[id - 1];
        if (!params || params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
        if (params->cArgs != op.arguments) return DISP_E_BADPARAMCOUNT;
        Arguments args(*params);
        try {
            int code = op.call(*control_, args);
            if (result) {
                VariantInit(result);
                result->vt = VT_I4;
                result->lVal = code;
            }
            return S_OK;
        } catch (const BadArgument& bad) {
            if (argError) *argError = params->cArgs - 1 - bad.index;
            return DISP_E_TYPEMISMATCH;
        } catch (const std::exception& e) {  // the ledger cannot be read or written
            return failWith(info, e.what());
        }
    }

private:
    LONG references_ = 1;
    std::unique_ptr<DataControl> control_;
};

std::wstring environment(const wchar_t* name) {
    const wchar_t* value = _wgetenv(name);
    return value ? value : L"";
}

class Factory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = (riid == IID_IUnknown || riid == IID_IClassFactory) ? static_cast<IClassFactory*>(this) : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // static: lives as long as the DLL
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        const std::wstring feed = environment(L"VEXMORA_TEST_CONTROL_FEED");
        if (feed.empty() || environment(L"VEXMORA_TEST_CONTROL_HOME").empty()) return E_FAIL;
        auto source = std::make_unique<vex::control::FeedService>(std::filesystem::path(feed));
        auto* control = new TestControl(std::make_unique<vex::control::ServiceControl>(std::move(source), nullptr));
        HRESULT hr = control->QueryInterface(riid, out);
        control->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock) InterlockedIncrement(&liveObjects);
        else InterlockedDecrement(&liveObjects);
        return S_OK;
    }
};

Factory factory;

bool setKey(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    HKEY h = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) != ERROR_SUCCESS)
        return false;
    LONG r = RegSetValueExW(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(h);
    return r == ERROR_SUCCESS;
}

std::wstring modulePath() {
    std::wstring path(MAX_PATH, L'\0');
    DWORD n = GetModuleFileNameW(thisModule, path.data(), static_cast<DWORD>(path.size()));
    path.resize(n);
    return path;
}

// The ProgID's CLSID as registered now, empty when it has none.
std::wstring registeredClsid() {
    wchar_t value[64] = {};
    DWORD size = sizeof(value);
    std::wstring key = std::wstring(kProgId) + L"\\CLSID";
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return {};
    return value;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) thisModule = instance;
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
    if (clsid != kClsid) return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(riid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return liveObjects == 0 ? S_OK : S_FALSE; }

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    const std::wstring clsidKey = std::wstring(L"CLSID\\") + kClsidText;
    const bool ok = setKey(kProgId, nullptr, L"Vexmora test control") && setKey(std::wstring(kProgId) + L"\\CLSID", nullptr, kClsidText) &&
                    setKey(clsidKey, nullptr, L"Vexmora test control") && setKey(clsidKey + L"\\ProgID", nullptr, kProgId) &&
                    setKey(clsidKey + L"\\InprocServer32", nullptr, modulePath()) &&
                    setKey(clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    return ok ? S_OK : SELFREG_E_CLASS;
}

// Removes our class; the ProgID only while it still names it (another control may own it now).
extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    if (registeredClsid() == kClsidText) RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
    RegDeleteTreeW(HKEY_CLASSES_ROOT, (std::wstring(L"CLSID\\") + kClsidText).c_str());
    return S_OK;
}
