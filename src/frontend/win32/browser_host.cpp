#include "frontend/win32/browser_host.h"

#include <fstream>
#include <iterator>
#include <vector>

#include "frontend/win32/document_text.h"

namespace tavolin {

namespace {

std::wstring wide(const std::string& text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring result(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &result[0], length);
  return result;
}

constexpr char kFileScheme[] = "file://";

// The HTML document class, {25336920-03F9-11CF-8FD0-00AA00686F13}; not
// every import library carries it.
const CLSID kHtmlDocument = {0x25336920, 0x03F9, 0x11CF, {0x8F, 0xD0, 0x00, 0xAA, 0x00, 0x68, 0x6F, 0x13}};

}  // namespace

BrowserHost::BrowserHost(HWND placeholder, Trace& trace)
    : m_hDialog(GetParent(placeholder)),
      m_hPlaceholder(placeholder),
      m_iId(GetDlgCtrlID(placeholder)),
      m_rect(),
      m_trace(trace) {
  GetWindowRect(placeholder, &m_rect);
  MapWindowPoints(nullptr, m_hDialog, reinterpret_cast<POINT*>(&m_rect), 2);
}

BrowserHost::~BrowserHost() { close(); }

HRESULT STDMETHODCALLTYPE BrowserHost::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IOleClientSite)) {
    *object = static_cast<IOleClientSite*>(this);
  } else if (IsEqualIID(riid, IID_IOleWindow) || IsEqualIID(riid, IID_IOleInPlaceSite)) {
    *object = static_cast<IOleInPlaceSite*>(this);
  } else if (IsEqualIID(riid, IID_IOleInPlaceUIWindow) || IsEqualIID(riid, IID_IOleInPlaceFrame)) {
    *object = static_cast<IOleInPlaceFrame*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE BrowserHost::GetContainer(IOleContainer** container) {
  if (container) *container = nullptr;
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE BrowserHost::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = m_hDialog;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE BrowserHost::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                                        LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) {
  if (frame) {
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
  }
  if (document) *document = nullptr;
  if (position) *position = m_rect;
  if (clip) *clip = m_rect;
  if (frameInfo) {
    frameInfo->fMDIApp = FALSE;
    frameInfo->hwndFrame = m_hDialog;
    frameInfo->haccel = nullptr;
    frameInfo->cAccelEntries = 0;
  }
  return S_OK;
}

bool BrowserHost::createBrowser() {
  // The browser control draws its documents through the HTML document
  // class; without it the control stays empty.
  IUnknown* document = nullptr;
  HRESULT result =
      CoCreateInstance(kHtmlDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&document));
  if (FAILED(result)) {
    m_trace(
        "BrowserHost::createBrowser(): keine HTML-Darstellung (CoCreateInstance(CLSID_HTMLDocument): 0x%08lX), "
        "Hilfe als Text\n",
        static_cast<unsigned long>(result));
    return false;
  }
  document->Release();

  result = CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                            reinterpret_cast<void**>(&m_pObject));
  if (FAILED(result)) {
    m_pObject = nullptr;
    m_trace("BrowserHost::createBrowser(): CoCreateInstance(CLSID_WebBrowser) failed: 0x%08lX, Hilfe als Text\n",
            static_cast<unsigned long>(result));
    return false;
  }
  m_pObject->SetClientSite(static_cast<IOleClientSite*>(this));
  OleSetContainedObject(m_pObject, TRUE);
  result =
      m_pObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(this), 0, m_hDialog, &m_rect);
  if (SUCCEEDED(result)) {
    result = m_pObject->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&m_pBrowser));
  }
  if (FAILED(result)) {
    m_trace("BrowserHost::createBrowser(): Aktivierung des Webbrowsers failed: 0x%08lX, Hilfe als Text\n",
            static_cast<unsigned long>(result));
    close();
    return false;
  }
  ShowWindow(m_hPlaceholder, SW_HIDE);
  return true;
}

void BrowserHost::navigate(const std::string& address) {
  if (!m_bTried) {
    m_bTried = true;
    if (!createBrowser()) {
      showAsText(address);
      return;
    }
  }
  if (!m_pBrowser) {
    showAsText(address);
    return;
  }
  BSTR url = SysAllocString(wide(address).c_str());
  VARIANT empty;
  VariantInit(&empty);
  const HRESULT result = m_pBrowser->Navigate(url, &empty, &empty, &empty, &empty);
  SysFreeString(url);
  if (FAILED(result))
    m_trace("BrowserHost::navigate(): Navigate() failed: 0x%08lX\n", static_cast<unsigned long>(result));
}

void BrowserHost::showAsText(const std::string& address) {
  std::string text;
  const std::string path = address.rfind(kFileScheme, 0) == 0 ? address.substr(sizeof kFileScheme - 1) : address;
  std::ifstream file(path, std::ios::binary);
  if (file) {
    text = documentText(std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
  } else {
    // As a browser shows a page that cannot be had: the address.
    text = address;
  }
  // The edit takes the placeholder's id, so that the dialog finds the
  // document where the browser would have been.
  if (m_hPlaceholder && GetDlgCtrlID(m_hPlaceholder) == m_iId) {
    DestroyWindow(m_hPlaceholder);
    m_hPlaceholder = nullptr;
  }
  HWND edit = GetDlgItem(m_hDialog, m_iId);
  if (!edit) {
    edit =
        CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                        WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                        m_rect.left, m_rect.top, m_rect.right - m_rect.left, m_rect.bottom - m_rect.top, m_hDialog,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(m_iId)), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(edit, WM_SETFONT, SendMessageA(m_hDialog, WM_GETFONT, 0, 0), FALSE);
    SendMessageA(edit, EM_SETLIMITTEXT, 0, 0);
  }
  SetWindowTextA(edit, text.c_str());
}

void BrowserHost::close() {
  if (m_pBrowser) {
    m_pBrowser->Release();
    m_pBrowser = nullptr;
  }
  if (m_pObject) {
    m_pObject->Close(OLECLOSE_NOSAVE);
    m_pObject->SetClientSite(nullptr);
    m_pObject->Release();
    m_pObject = nullptr;
  }
}

}  // namespace tavolin
