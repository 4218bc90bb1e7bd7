// The browser's interface is used here through its table of functions, so
// that the recorder can put its own functions in the control's table.
#define CINTERFACE
#include "browser_calls.h"

#include <windows.h>
#include <exdisp.h>

namespace {

std::vector<std::string> g_calls;
IWebBrowser2Vtbl* g_table = nullptr;
IWebBrowser2Vtbl g_original;

std::string narrow(BSTR text) {
    if (!text) return "null";
    const int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(length > 0 ? length - 1 : 0, '\0');
    if (length > 1) WideCharToMultiByte(CP_ACP, 0, text, -1, out.data(), length, nullptr, nullptr);
    return out;
}

std::string describe(const VARIANT* value) {
    if (!value) return "absent";
    switch (value->vt) {
        case VT_EMPTY: return "VT_EMPTY";
        case VT_I4: return "VT_I4:" + std::to_string(value->lVal);
        case VT_BSTR: return "VT_BSTR:" + narrow(value->bstrVal);
        default: return "vt" + std::to_string(value->vt);
    }
}

#define RECORD_SETTING(name)                                                                     \
    HRESULT STDMETHODCALLTYPE record_##name(IWebBrowser2* self, VARIANT_BOOL value) {             \
        g_calls.push_back(#name " " + std::to_string(value));                                     \
        return g_original.name(self, value);                                                      \
    }
RECORD_SETTING(put_Silent)
RECORD_SETTING(put_Offline)
RECORD_SETTING(put_RegisterAsDropTarget)
RECORD_SETTING(put_RegisterAsBrowser)
#undef RECORD_SETTING

HRESULT STDMETHODCALLTYPE recordNavigate(IWebBrowser2* self, BSTR url, VARIANT* flags, VARIANT* frame,
                                          VARIANT* postData, VARIANT* headers) {
    g_calls.push_back("Navigate " + narrow(url) + " flags=" + describe(flags) + " frame=" + describe(frame) +
                      " post=" + describe(postData) + " headers=" + describe(headers));
    return g_original.Navigate(self, url, flags, frame, postData, headers);
}

HRESULT STDMETHODCALLTYPE recordNavigate2(IWebBrowser2* self, VARIANT* url, VARIANT* flags, VARIANT* frame,
                                           VARIANT* postData, VARIANT* headers) {
    g_calls.push_back("Navigate2");
    return g_original.Navigate2(self, url, flags, frame, postData, headers);
}

}  // namespace

bool startRecordingBrowserCalls() {
    g_calls.clear();
    if (g_table) return true;
    IWebBrowser2* browser = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IWebBrowser2,
                                reinterpret_cast<void**>(&browser)))) {
        return false;
    }
    // Every control of the class shares this table.
    IWebBrowser2Vtbl* table = browser->lpVtbl;
    browser->lpVtbl->Release(browser);
    DWORD previous;
    if (!VirtualProtect(table, sizeof *table, PAGE_READWRITE, &previous)) return false;
    g_table = table;
    g_original = *table;
    table->put_Silent = record_put_Silent;
    table->put_Offline = record_put_Offline;
    table->put_RegisterAsDropTarget = record_put_RegisterAsDropTarget;
    table->put_RegisterAsBrowser = record_put_RegisterAsBrowser;
    table->Navigate = recordNavigate;
    table->Navigate2 = recordNavigate2;
    return true;
}

void stopRecordingBrowserCalls() {
    if (g_table) *g_table = g_original;
    g_table = nullptr;
}

const std::vector<std::string>& recordedBrowserCalls() { return g_calls; }

void noteBrowserEvent(const std::string& note) { g_calls.push_back(note); }
