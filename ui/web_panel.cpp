#include "web_panel.h"

// The panel is an OLE container of the smallest kind that the WebBrowser
// control accepts: a client site, an in-place site, an in-place frame, and a
// sink for the control's events. The three live in one `Container`, counted
// as one object, so the control may keep any of them for as long as it
// likes; the panel window holds one reference and lets go of it when it is
// destroyed, after the control has been closed and has dropped its own.
//
// The control's window is a child of the panel, kept over the panel's whole
// client area (which shrinks by the border added after creation). The panel
// paints nothing: its erase request is answered as done.

#include <exdisp.h>
#include <ole2.h>

#include <memory>
#include <utility>

#include "fatal_error.h"
#include "scoped_win.h"
#include "window_class.h"
#include "window_texts.h"

namespace {

WebPanelEventObserver g_eventObserver = nullptr;

struct Container;
HRESULT queryContainer(Container* container, REFIID iid, void** object);
ULONG addContainerReference(Container* container);
ULONG releaseContainer(Container* container);

// IUnknown for each face of the container: one count, one set of interfaces.
#define FORWARD_IUNKNOWN_TO_CONTAINER                                                  \
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {     \
        return queryContainer(container, iid, object);                                 \
    }                                                                                   \
    ULONG STDMETHODCALLTYPE AddRef() override { return addContainerReference(container); } \
    ULONG STDMETHODCALLTYPE Release() override { return releaseContainer(container); }

struct ClientSite : IOleClientSite {
    Container* container;
    explicit ClientSite(Container* owner) : container(owner) {}
    FORWARD_IUNKNOWN_TO_CONTAINER
    HRESULT STDMETHODCALLTYPE SaveObject() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
        *moniker = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** oleContainer) override {
        *oleContainer = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }
};

struct InPlaceFrame : IOleInPlaceFrame {
    Container* container;
    explicit InPlaceFrame(Container* owner) : container(owner) {}
    FORWARD_IUNKNOWN_TO_CONTAINER
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }
};

struct InPlaceSite : IOleInPlaceSite {
    Container* container;
    explicit InPlaceSite(Container* owner) : container(owner) {}
    FORWARD_IUNKNOWN_TO_CONTAINER
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                               LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
    HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT) override { return S_OK; }
};

// The control's events arrive here and go to the panel's dispatch, which has
// no handler for any of them: nothing is cancelled, no new window refused.
struct EventSink : IDispatch {
    Container* container;
    explicit EventSink(Container* owner) : container(owner) {}
    FORWARD_IUNKNOWN_TO_CONTAINER
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID event, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*, EXCEPINFO*,
                                     UINT*) override;
};

#undef FORWARD_IUNKNOWN_TO_CONTAINER

struct Container {
    HWND panel = nullptr;
    LONG references = 1;  // the panel's own
    ClientSite clientSite{this};
    InPlaceSite inPlaceSite{this};
    InPlaceFrame frame{this};
    EventSink events{this};

    HRESULT queryInterface(REFIID iid, void** object) {
        if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
            *object = static_cast<IOleClientSite*>(&clientSite);
        } else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite) {
            *object = static_cast<IOleInPlaceSite*>(&inPlaceSite);
        } else if (iid == IID_IOleInPlaceFrame || iid == IID_IOleInPlaceUIWindow) {
            *object = static_cast<IOleInPlaceFrame*>(&frame);
        } else if (iid == IID_IDispatch || iid == DIID_DWebBrowserEvents2) {
            *object = static_cast<IDispatch*>(&events);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        addRef();
        return S_OK;
    }
    ULONG addRef() { return static_cast<ULONG>(InterlockedIncrement(&references)); }
    ULONG release() {
        const LONG left = InterlockedDecrement(&references);
        if (left == 0) std::unique_ptr<Container> last(this);
        return static_cast<ULONG>(left);
    }
};

HRESULT queryContainer(Container* container, REFIID iid, void** object) {
    return container->queryInterface(iid, object);
}
ULONG addContainerReference(Container* container) { return container->addRef(); }
ULONG releaseContainer(Container* container) { return container->release(); }

HRESULT InPlaceFrame::GetWindow(HWND* window) {
    *window = GetAncestor(container->panel, GA_ROOT);
    return *window ? S_OK : E_FAIL;
}

HRESULT InPlaceSite::GetWindow(HWND* window) {
    *window = container->panel;
    return *window ? S_OK : E_FAIL;
}

HRESULT InPlaceSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                      LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
    container->frame.AddRef();
    *frame = &container->frame;
    *document = nullptr;
    GetClientRect(container->panel, position);
    *clip = *position;
    info->fMDIApp = FALSE;
    info->hwndFrame = GetAncestor(container->panel, GA_ROOT);
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

HRESULT EventSink::Invoke(DISPID event, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*, EXCEPINFO*, UINT*) {
    if (g_eventObserver) g_eventObserver(container->panel, event, parameters);
    return S_OK;  // no handler: the event goes by as it came
}

// What a panel window owns, bound to it at WM_NCCREATE.
struct PanelState {
    Container* container = nullptr;  // one reference
    ComPtr<IOleObject> control;
    ComPtr<IWebBrowser2> browser;
    DWORD eventCookie = 0;
    ComPtr<IConnectionPoint> eventSource;
};

PanelState* stateOf(HWND panel) { return reinterpret_cast<PanelState*>(GetWindowLongPtrA(panel, GWLP_USERDATA)); }

// Lets go of the control: events unhooked, the control closed and told to
// forget its site, so it drops its references to the container.
void releaseControl(PanelState& state) {
    if (state.eventSource) {
        state.eventSource->Unadvise(state.eventCookie);
        state.eventSource.reset();
    }
    state.browser.reset();
    if (state.control) {
        state.control->Close(OLECLOSE_NOSAVE);
        state.control->SetClientSite(nullptr);
        state.control.reset();
    }
}

// Makes the control in the panel over its client area; false when the
// control or its IWebBrowser2 cannot be had.
bool embedControl(HWND panel, PanelState& state) {
    if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                reinterpret_cast<void**>(state.control.put())))) {
        return false;
    }
    IOleClientSite* site = &state.container->clientSite;
    if (FAILED(state.control->SetClientSite(site))) return false;
    RECT area;
    GetClientRect(panel, &area);
    if (FAILED(state.control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, panel, &area))) return false;
    if (FAILED(state.control->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(state.browser.put())))) {
        return false;
    }
    // The events are the control's to report; a control without them still serves.
    ComPtr<IConnectionPointContainer> sources;
    if (SUCCEEDED(state.control->QueryInterface(IID_IConnectionPointContainer,
                                                reinterpret_cast<void**>(sources.put()))) &&
        SUCCEEDED(sources->FindConnectionPoint(DIID_DWebBrowserEvents2, state.eventSource.put()))) {
        if (FAILED(state.eventSource->Advise(&state.container->events, &state.eventCookie))) state.eventSource.reset();
    }
    return true;
}

// Keeps the control over the whole client area.
void onSize(HWND panel, PanelState& state) {
    if (!state.control) return;
    ComPtr<IOleInPlaceObject> inPlace;
    if (FAILED(state.control->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(inPlace.put())))) return;
    RECT area;
    GetClientRect(panel, &area);
    inPlace->SetObjectRects(&area, &area);
}

// The focus given to the panel goes on to the page inside it.
void onSetFocus(HWND panel) {
    if (HWND inside = GetWindow(panel, GW_CHILD)) SetFocus(inside);
}

void onDestroy(PanelState& state) {
    releaseControl(state);
    if (state.container) {
        state.container->panel = nullptr;
        std::exchange(state.container, nullptr)->release();
    }
}

LRESULT CALLBACK webPanelProcedure(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(panel, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return DefWindowProcA(panel, message, wParam, lParam);
    }
    PanelState* state = stateOf(panel);
    if (!state) return DefWindowProcA(panel, message, wParam, lParam);
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // the control paints the whole area
        case WM_SIZE:
            onSize(panel, *state);
            return 0;
        case WM_SETFOCUS:
            onSetFocus(panel);
            return 0;
        case WM_DESTROY:
            onDestroy(*state);
            return 0;
        case WM_NCDESTROY: {
            SetWindowLongPtrA(panel, GWLP_USERDATA, 0);
            std::unique_ptr<PanelState> owned(state);
            return DefWindowProcA(panel, message, wParam, lParam);
        }
    }
    return DefWindowProcA(panel, message, wParam, lParam);
}

// A BSTR of an ANSI text; null for a null text.
Scoped<BSTR, SysFreeString> toBstr(const char* text) {
    if (!text) return {};
    const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 0) return {};
    Scoped<BSTR, SysFreeString> converted(SysAllocStringLen(nullptr, static_cast<UINT>(length - 1)));
    if (converted) MultiByteToWideChar(CP_ACP, 0, text, -1, converted.get(), length);
    return converted;
}

}  // namespace

bool registerWebPanelClass(HINSTANCE instance) {
    return registerWindowClass(instance, kWebPanelClassName, webPanelProcedure, 0, arrowCursor());
}

HWND createWebPanel(HWND parent, int id, const RECT& place) {
    auto state = std::make_unique<PanelState>();
    state->container = new Container;
    PanelState* bound = state.get();
    const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP;
    HWND panel = CreateWindowExA(0, kWebPanelClassName, "", style, place.left, place.top, place.right - place.left,
                                 place.bottom - place.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleA(nullptr), bound);
    if (!panel) {
        state->container->release();
        return nullptr;
    }
    state.release();  // the window owns it now, until WM_NCDESTROY
    bound->container->panel = panel;
    if (!embedControl(panel, *bound)) {
        DestroyWindow(panel);  // releases what was made
        return nullptr;
    }
    // The border comes after the control, so the frame is worked out anew and
    // the control follows the smaller client area.
    SetWindowLongPtrA(panel, GWL_STYLE, GetWindowLongPtrA(panel, GWL_STYLE) | WS_BORDER);
    SetWindowPos(panel, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

    // Results ignored: a control that refuses a setting still shows pages.
    IWebBrowser2* browser = bound->browser.get();
    browser->put_Silent(VARIANT_FALSE);
    browser->put_Offline(VARIANT_FALSE);
    browser->put_RegisterAsDropTarget(VARIANT_TRUE);
    browser->put_RegisterAsBrowser(VARIANT_FALSE);
    return panel;
}

IWebBrowser2* browserOf(HWND panel) {
    char className[sizeof kWebPanelClassName + 1] = "";
    if (!panel || !GetClassNameA(panel, className, sizeof className) || lstrcmpA(className, kWebPanelClassName) != 0) {
        return nullptr;
    }
    PanelState* state = stateOf(panel);
    return state ? state->browser.get() : nullptr;
}

void navigate(HWND panel, const char* address, long flags, const char* targetFrame, const char* headers) {
    IWebBrowser2* browser = browserOf(panel);
    if (!browser) fatalError(0, kMessageControlNotLoaded);
    Scoped<BSTR, SysFreeString> url = toBstr(address);
    Scoped<BSTR, SysFreeString> frame = toBstr(targetFrame);
    Scoped<BSTR, SysFreeString> extraHeaders = toBstr(headers);
    VARIANT flagsValue;
    VariantInit(&flagsValue);
    flagsValue.vt = VT_I4;
    flagsValue.lVal = flags;
    VARIANT frameValue;
    VariantInit(&frameValue);
    frameValue.vt = VT_BSTR;
    frameValue.bstrVal = frame.get();
    VARIANT postData;
    VariantInit(&postData);  // VT_EMPTY
    VARIANT headersValue;
    VariantInit(&headersValue);
    headersValue.vt = VT_BSTR;
    headersValue.bstrVal = extraHeaders.get();
    browser->Navigate(url.get(), &flagsValue, &frameValue, &postData, &headersValue);  // loads on; outcome ignored
}

void setWebPanelEventObserver(WebPanelEventObserver observer) { g_eventObserver = observer; }
