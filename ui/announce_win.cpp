#include "ui/announce_win.h"

#include <ole2.h>
#include <uiautomationcore.h>
#include <windows.h>

namespace zel {

namespace {

// From the system's UI Automation headers, which MinGW's lack; the function
// itself came with Windows 10 1709, so it is looked up when first needed.
enum NotificationKind { NotificationKindOther = 4 };
enum NotificationProcessing { NotificationProcessingImportantMostRecent = 1 };
using RaiseNotification = HRESULT(WINAPI *)(IRawElementProviderSimple *, int, int, BSTR, BSTR);
using HostProvider = HRESULT(WINAPI *)(HWND, IRawElementProviderSimple **);

template<typename Function>
Function lookUp(const char *name)
{
    static HMODULE core = LoadLibraryW(L"UIAutomationCore.dll");
    return core ? reinterpret_cast<Function>(reinterpret_cast<void *>(GetProcAddress(core, name)))
                : nullptr;
}

} // namespace

void raiseNotification(void *windowHandle, const std::wstring &text)
{
    static const auto raise = lookUp<RaiseNotification>("UiaRaiseNotificationEvent");
    static const auto host = lookUp<HostProvider>("UiaHostProviderFromHwnd");
    IRawElementProviderSimple *provider = nullptr;
    if (!raise || !host || FAILED(host(static_cast<HWND>(windowHandle), &provider)) || !provider)
        return;
    BSTR words = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    BSTR activity = SysAllocString(L"zel-orvalis-announcement");
    raise(provider, NotificationKindOther, NotificationProcessingImportantMostRecent, words,
          activity);
    SysFreeString(activity);
    SysFreeString(words);
    provider->Release();
}

} // namespace zel
