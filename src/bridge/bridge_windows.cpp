// vexmora-bridge.exe on Windows: hosts the data service's control in a single-threaded apartment
// and calls its operations by name through IDispatch. The control's own windows need a message
// loop, so requests are read on a second thread and handed to the apartment's thread as messages.
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cstdio>
#include <map>
#include <memory>
#include <thread>

#include "bridge/bridge_dispatch.h"

namespace vex::bridge {
namespace {

constexpr UINT kCodePage = 932;
constexpr UINT kRequestMessage = WM_APP + 1;    // lParam: the request payload (std::string*)
constexpr UINT kInputEndedMessage = WM_APP + 2; // wParam: the exit code
// An operation the control's dispatch interface refused: no result of the control's own.
constexpr int kInvokeFailed = -9005;

std::wstring wide(const std::string& cp932) {
    if (cp932.empty()) return {};
    const int n = MultiByteToWideChar(kCodePage, 0, cp932.data(), static_cast<int>(cp932.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(kCodePage, 0, cp932.data(), static_cast<int>(cp932.size()), w.data(), n);
    return w;
}

// The end of the run of ASCII characters from `i`: four at a time while all four are ASCII.
std::size_t asciiEnd(const wchar_t* text, std::size_t i, std::size_t length) {
    for (std::uint64_t four; i + 4 <= length; i += 4) {
        std::memcpy(&four, text + i, 8);
        if (four & 0xFF80FF80FF80FF80u) break;
    }
    while (i < length && text[i] < 0x80) ++i;
    return i;
}

// ASCII is the same in both encodings and the records are mostly digits and blanks: only the runs
// of other characters go through the code page, which converts each character on its own. Into
// `s`, whose buffer is reused.
void toCp932(const wchar_t* text, std::size_t length, std::string& s) {
    s.clear();
    for (std::size_t i = 0; i < length;) {
        std::size_t end = asciiEnd(text, i, length);
        std::size_t at = s.size();
        s.resize(at + (end - i));
        std::transform(text + i, text + end, s.begin() + static_cast<std::ptrdiff_t>(at),
                       [](wchar_t c) { return static_cast<char>(c); });
        for (i = end; end < length && text[end] >= 0x80;) ++end;
        if (end == i) continue;
        at = s.size();
        s.resize(at + 2 * (end - i));  // one or two bytes a character
        const int n = WideCharToMultiByte(kCodePage, 0, text + i, static_cast<int>(end - i), s.data() + at,
                                          static_cast<int>(end - i) * 2, nullptr, nullptr);
        s.resize(at + static_cast<std::size_t>(n));
        i = end;
    }
}

std::string hresultText(HRESULT hr) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string s = code;
    if (text) {
        std::string words;
        toCp932(text, wcslen(text), words);
        while (!words.empty() && (words.back() == '\n' || words.back() == '\r')) words.pop_back();
        s += " " + words;
        LocalFree(text);
    }
    return s;
}

// The arguments of one call as the dispatch interface takes them: in reverse order, out ones by
// reference to storage that lives as long as the call. Kept in place, not on the heap: the batched
// read makes one call a record.
class CallArguments {
public:
    CallArguments(const Operation& op, const std::vector<Value>& args) : count_(std::strlen(op.args)) {
        for (std::size_t i = 0; i < count_; ++i) set(op.args[i], args[i], variants_[count_ - 1 - i], i);
    }
    ~CallArguments() {
        for (std::size_t i = 0; i < count_; ++i) {
            if (V_VT(&variants_[i]) == VT_BSTR) VariantClear(&variants_[i]);
            if (texts_[i]) SysFreeString(texts_[i]);
        }
    }
    DISPPARAMS params() { return DISPPARAMS{variants_, nullptr, static_cast<UINT>(count_), 0}; }
    void collect(const Operation& op, std::vector<Value>& args) const {
        for (std::size_t i = 0; i < count_; ++i) {
            if (op.args[i] == 'T') toCp932(texts_[i], texts_[i] ? SysStringLen(texts_[i]) : 0, args[i].text);
            if (op.args[i] == 'N' || op.args[i] == 'B') args[i].number = static_cast<int>(numbers_[i]);
        }
    }

private:
    void set(char kind, const Value& value, VARIANTARG& v, std::size_t i) {
        VariantInit(&v);
        switch (kind) {
            case 't': {
                const std::wstring text = wide(value.text);
                V_VT(&v) = VT_BSTR;
                V_BSTR(&v) = SysAllocStringLen(text.c_str(), static_cast<UINT>(text.size()));
                break;
            }
            case 'n':
                V_VT(&v) = VT_I4;
                V_I4(&v) = value.number;
                break;
            case 'T':
                texts_[i] = SysAllocString(L"");
                V_VT(&v) = VT_BYREF | VT_BSTR;
                V_BSTRREF(&v) = &texts_[i];
                break;
            default:  // 'N', 'B'
                numbers_[i] = kind == 'B' ? value.number : 0;
                V_VT(&v) = VT_BYREF | VT_I4;
                V_I4REF(&v) = &numbers_[i];
                break;
        }
    }

    static constexpr std::size_t kMost = 7;  // RakutenBet's
    std::size_t count_;
    VARIANTARG variants_[kMost];
    BSTR texts_[kMost] = {};
    LONG numbers_[kMost] = {};
};

class ComHost : public ControlHost {
public:
    ComHost() {
        CLSID clsid;
        const std::wstring progId = wide(kControlProgId);
        HRESULT hr = CLSIDFromProgID(progId.c_str(), &clsid);
        if (FAILED(hr)) {
            problem_ = std::string("ProgID ") + kControlProgId + " is not registered (" + hresultText(hr) + ")";
            return;
        }
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                              reinterpret_cast<void**>(&control_));
        if (FAILED(hr)) problem_ = std::string("the control could not be created (") + hresultText(hr) + ")";
    }
    ~ComHost() override {
        if (control_) control_->Release();
    }
    std::string problem() const override { return problem_; }

    int call(const Operation& op, std::vector<Value>& args) override {
        DISPID id;
        HRESULT hr = dispatchId(op, id);
        if (FAILED(hr)) return failed(op, "has no such operation", hr);
        CallArguments call(op, args);
        DISPPARAMS params = call.params();
        VARIANT result;
        VariantInit(&result);
        EXCEPINFO exception{};
        UINT badArgument = 0;
        hr = control_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, &exception,
                              &badArgument);
        if (exception.bstrSource) SysFreeString(exception.bstrSource);
        if (exception.bstrDescription) SysFreeString(exception.bstrDescription);
        if (exception.bstrHelpFile) SysFreeString(exception.bstrHelpFile);
        if (FAILED(hr)) return failed(op, "failed", hr);
        call.collect(op, args);
        VARIANT code;
        VariantInit(&code);
        const bool numeric = SUCCEEDED(VariantChangeType(&code, &result, 0, VT_I4));
        VariantClear(&result);
        return numeric ? V_I4(&code) : failed(op, "gave no number", E_UNEXPECTED);
    }

    LibraryCheckResult checkLibrary(const std::string& library) override {
        HMODULE module = LoadLibraryExW(libraryPath(library).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        if (!module) return LibraryCheckResult::NotLoaded;
        const bool exported = GetProcAddress(module, "ipat_call") != nullptr;
        FreeLibrary(module);
        return exported ? LibraryCheckResult::Present : LibraryCheckResult::NoExport;
    }

private:
    // Looked up once per operation: the batched read calls NVRead many thousand times.
    HRESULT dispatchId(const Operation& op, DISPID& id) {
        if (auto known = ids_.find(op.op); known != ids_.end()) {
            id = known->second;
            return S_OK;
        }
        const std::wstring name = wide(op.name);
        LPOLESTR names[] = {const_cast<LPOLESTR>(name.c_str())};
        const HRESULT hr = control_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        if (SUCCEEDED(hr)) ids_[op.op] = id;
        return hr;
    }
    static int failed(const Operation& op, const char* what, HRESULT hr) {
        std::fprintf(stderr, "%s %s: %s\n", op.name, what, hresultText(hr).c_str());
        std::fflush(stderr);
        return kInvokeFailed;
    }
    // A relative name is taken in the bridge's own folder, where the program expects it.
    static std::wstring libraryPath(const std::string& library) {
        std::wstring name = wide(library);
        if (name.size() > 1 && (name[1] == L':' || name[0] == L'\\' || name[0] == L'/')) return name;
        wchar_t exe[MAX_PATH];
        const DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
        std::wstring folder(exe, n);
        folder.erase(folder.find_last_of(L"\\/") + 1);
        return folder + name;
    }

    IDispatch* control_ = nullptr;
    std::map<Op, DISPID> ids_;
    std::string problem_;
};

// Reads requests until stdin ends and hands each to the apartment's thread.
void readRequests(DWORD apartment) {
    std::string payload;
    while (true) {
        const FrameRead r = readFrame(stdin, payload);
        if (r != FrameRead::Ok) {
            PostThreadMessageW(apartment, kInputEndedMessage, r == FrameRead::End ? kExitInputEnded : kExitBrokenInput, 0);
            return;
        }
        PostThreadMessageW(apartment, kRequestMessage, 0, reinterpret_cast<LPARAM>(new std::string(std::move(payload))));
    }
}

int runApartment(ControlHost& host, const Options& options) {
    std::string reply;  // kept: a batch's is megabytes
    MSG msg;
    PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // the queue exists before the reader posts
    std::thread reader(readRequests, GetCurrentThreadId());
    reader.detach();  // it may sit in a read of stdin when the output fails
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == nullptr && msg.message == kInputEndedMessage) return static_cast<int>(msg.wParam);
        if (msg.hwnd == nullptr && msg.message == kRequestMessage) {
            std::unique_ptr<std::string> request(reinterpret_cast<std::string*>(msg.lParam));
            dispatch(host, *request, reply);
            if (options.delayMs > 0) Sleep(static_cast<DWORD>(options.delayMs));
            if (!writeFrame(stdout, reply)) return kExitOutputFailed;
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return kExitInputEnded;
}

}  // namespace
}  // namespace vex::bridge

int main(int argc, char** argv) {
    using namespace vex::bridge;
    const std::optional<Options> options = parseOptions(argc, argv);
    if (!options) {
        std::fputs("usage: vexmora-bridge.exe [--delay-ms N]\n", stderr);
        return kExitBadArguments;
    }
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    // OLE, not bare COM: an ActiveX control's dialogs use its drag-and-drop and clipboard parts.
    const HRESULT hr = OleInitialize(nullptr);
    if (FAILED(hr)) {
        std::fprintf(stderr, "the apartment could not be started: %s\n", hresultText(hr).c_str());
        return kExitNoControl;
    }
    int code;
    {
        ComHost host;
        if (!host.problem().empty()) std::fprintf(stderr, "%s\n", host.problem().c_str());
        code = runApartment(host, *options);
    }
    OleUninitialize();
    return code;
}
