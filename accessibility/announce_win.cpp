#include "accessibility/announce.h"
#include "ui/windows_handle.h"

#include <QAccessible>
#include <QString>

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

void notifySystem(QWidget *widget, const QString &text)
{
    static const auto raise = lookUp<RaiseNotification>("UiaRaiseNotificationEvent");
    static const auto host = lookUp<HostProvider>("UiaHostProviderFromHwnd");
    void *handle = QAccessible::isActive() ? windowsHandle(widget) : nullptr;
    IRawElementProviderSimple *provider = nullptr;
    if (!handle || !raise || !host || FAILED(host(static_cast<HWND>(handle), &provider))
        || !provider)
        return;
    const std::wstring wide = text.toStdWString();
    BSTR words = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    BSTR activity = SysAllocString(L"zel-orvalis-announcement");
    raise(provider, NotificationKindOther, NotificationProcessingImportantMostRecent, words,
          activity);
    SysFreeString(activity);
    SysFreeString(words);
    provider->Release();
}

} // namespace zel
