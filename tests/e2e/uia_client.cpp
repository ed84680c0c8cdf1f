// What a Windows screen reader gets from the program: a UI Automation client
// that reads a window through IUIAutomation, as screen readers there do.
//
//   uia_client tree WINDOW          every element a screen reader can reach,
//                                   a line each: type|name|description|states|
//                                   rectangle|automation id
//   uia_client invoke WINDOW NAME   presses the element of that name, through
//                                   its Invoke pattern; ends with 3 where
//                                   UI Automation has no pattern calls
//   uia_client focus WINDOW SECONDS each element the focus moves to, as the
//                                   focus-changed event reports it
//
// WINDOW is the name of the window in front, which is read once it is there.
// Each command also checks that the window still answers its messages, and
// fails if not.
#include <cstdio>
#include <cwchar>
#include <string>
#include <uiautomation.h>
#include <windows.h>

namespace {

const wchar_t *typeName(CONTROLTYPEID type)
{
    switch (type) {
    case UIA_ButtonControlTypeId:
        return L"Button";
    case UIA_CheckBoxControlTypeId:
        return L"CheckBox";
    case UIA_EditControlTypeId:
        return L"Edit";
    case UIA_HyperlinkControlTypeId:
        return L"Hyperlink";
    case UIA_ImageControlTypeId:
        return L"Image";
    case UIA_MenuBarControlTypeId:
        return L"MenuBar";
    case UIA_MenuItemControlTypeId:
        return L"MenuItem";
    case UIA_TextControlTypeId:
        return L"Text";
    case UIA_GroupControlTypeId:
        return L"Group";
    case UIA_WindowControlTypeId:
        return L"Window";
    case UIA_PaneControlTypeId:
        return L"Pane";
    case UIA_TitleBarControlTypeId:
        return L"TitleBar";
    case UIA_DocumentControlTypeId:
        return L"Document";
    case UIA_ScrollBarControlTypeId:
        return L"ScrollBar";
    case UIA_SeparatorControlTypeId:
        return L"Separator";
    default:
        return L"Other";
    }
}

// A BSTR property as text, line breaks shown as " / ".
std::wstring text(BSTR value)
{
    std::wstring result;
    for (const wchar_t *c = value; c && *c; ++c) {
        if (*c == L'\r')
            continue;
        result += *c == L'\n' ? std::wstring(L" / ") : std::wstring(1, *c);
    }
    SysFreeString(value);
    return result;
}

// A property through the one call that Wine 10 has for all of them:
// GetCurrentPropertyValue and most get_Current... calls are stubs there.
std::wstring property(IUIAutomationElement *element, PROPERTYID id)
{
    VARIANT value;
    VariantInit(&value);
    std::wstring result;
    if (SUCCEEDED(element->GetCurrentPropertyValueEx(id, FALSE, &value)) && value.vt == VT_BSTR) {
        result = text(value.bstrVal);
        value.vt = VT_EMPTY;
    }
    VariantClear(&value);
    return result;
}

std::wstring name(IUIAutomationElement *element)
{
    BSTR value = nullptr;
    element->get_CurrentName(&value);
    return text(value);
}

bool flag(IUIAutomationElement *element, PROPERTYID id)
{
    VARIANT value;
    VariantInit(&value);
    const bool set = SUCCEEDED(element->GetCurrentPropertyValueEx(id, FALSE, &value))
        && value.vt == VT_BOOL && value.boolVal == VARIANT_TRUE;
    VariantClear(&value);
    return set;
}

std::wstring describe(IUIAutomationElement *element)
{
    CONTROLTYPEID type = 0;
    RECT rect {};
    element->get_CurrentControlType(&type);
    element->get_CurrentBoundingRectangle(&rect);
    wchar_t where[96];
    swprintf(where, 96, L"|%ld,%ld,%ldx%ld|", rect.left, rect.top, rect.right - rect.left,
             rect.bottom - rect.top);
    return std::wstring(typeName(type)) + L"|" + name(element) + L"|"
        + property(element, UIA_FullDescriptionPropertyId) + L"|"
        + (flag(element, UIA_IsOffscreenPropertyId) ? L"offscreen" : L"onscreen")
        + (flag(element, UIA_IsKeyboardFocusablePropertyId) ? L",focusable" : L"")
        + (flag(element, UIA_HasKeyboardFocusPropertyId) ? L",focused" : L"") + where
        + property(element, UIA_AutomationIdPropertyId);
}

void print(const std::wstring &line)
{
    const int size
        = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, utf8.data(), size, nullptr, nullptr);
    std::printf("%s\n", utf8.c_str());
    std::fflush(stdout);
}

IUIAutomation *automation = nullptr;

// The window in front, once it has the name wanted: the script brings the
// window to read to the front first, since three of the program's windows
// share a title.
IUIAutomationElement *window(const wchar_t *wanted, HWND *handle)
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        IUIAutomationElement *element = nullptr;
        const HWND front = GetForegroundWindow();
        if (front && SUCCEEDED(automation->ElementFromHandle(front, &element)) && element) {
            if (name(element) == wanted) {
                *handle = front;
                return element;
            }
            element->Release();
        }
        Sleep(200);
    }
    return nullptr;
}

// The control view: what a screen reader moves through. Wine 10's tree
// walkers find no children, so each element's children are what FindAll
// gives under the view's condition.
IUIAutomationCondition *controlView = nullptr;

// Calls `visit` on each child in turn until it returns true; says whether one did.
template<typename Visit>
bool anyChild(IUIAutomationElement *element, Visit visit)
{
    IUIAutomationElementArray *children = nullptr;
    if (FAILED(element->FindAll(TreeScope_Children, controlView, &children)) || !children)
        return false;
    int count = 0;
    children->get_Length(&count);
    bool done = false;
    for (int i = 0; i < count && !done; ++i) {
        IUIAutomationElement *child = nullptr;
        if (SUCCEEDED(children->GetElement(i, &child)) && child) {
            done = visit(child);
            child->Release();
        }
    }
    children->Release();
    return done;
}

void walk(IUIAutomationElement *element, int depth)
{
    print(std::wstring(depth * 2, L' ') + describe(element));
    anyChild(element, [depth](IUIAutomationElement *child) {
        walk(child, depth + 1);
        return false;
    });
}

IUIAutomationElement *named(IUIAutomationElement *element, const std::wstring &wanted)
{
    if (name(element) == wanted) {
        element->AddRef();
        return element;
    }
    IUIAutomationElement *found = nullptr;
    anyChild(element, [&](IUIAutomationElement *child) { return (found = named(child, wanted)); });
    return found;
}

// GetCurrentPattern, or, where that is a stub (Wine 10), GetCurrentPatternAs.
HRESULT invokePattern(IUIAutomationElement *element, IUIAutomationInvokePattern **invoke)
{
    IUnknown *pattern = nullptr;
    HRESULT result = element->GetCurrentPattern(UIA_InvokePatternId, &pattern);
    if (SUCCEEDED(result) && pattern) {
        result = pattern->QueryInterface(__uuidof(IUIAutomationInvokePattern),
                                         reinterpret_cast<void **>(invoke));
        pattern->Release();
        return result;
    }
    return element->GetCurrentPatternAs(UIA_InvokePatternId, __uuidof(IUIAutomationInvokePattern),
                                        reinterpret_cast<void **>(invoke));
}

class FocusWatch final : public IUIAutomationFocusChangedEventHandler
{
public:
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&references); }
    ULONG STDMETHODCALLTYPE Release() override { return InterlockedDecrement(&references); }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override
    {
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IUIAutomationFocusChangedEventHandler)) {
            *object = static_cast<IUIAutomationFocusChangedEventHandler *>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE HandleFocusChangedEvent(IUIAutomationElement *sender) override
    {
        print(L"focus " + describe(sender));
        return S_OK;
    }

private:
    LONG references = 1;
};

// A hung window is what a screen reader's user would meet next.
bool answers(HWND handle)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(handle, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

int run(int argc, wchar_t **argv)
{
    const std::wstring command = argc > 2 ? argv[1] : L"";
    HWND handle = nullptr;
    IUIAutomationElement *top = argc > 2 ? window(argv[2], &handle) : nullptr;
    if (!top) {
        print(L"no window " + std::wstring(argc > 2 ? argv[2] : L""));
        return 1;
    }
    int status = 0;
    if (command == L"tree") {
        walk(top, 0);
    } else if (command == L"invoke" && argc == 4) {
        IUIAutomationElement *element = named(top, argv[3]);
        IUIAutomationInvokePattern *invoke = nullptr;
        HRESULT result = element ? invokePattern(element, &invoke) : E_FAIL;
        if (invoke)
            result = invoke->Invoke();
        if (!invoke || FAILED(result)) {
            wchar_t code[16];
            swprintf(code, 16, L"%08lx", static_cast<unsigned long>(result));
            print(L"no invoke on " + std::wstring(argv[3]) + (element ? L": " : L": not found, ")
                  + code);
            // A client that lacks the pattern calls says so apart.
            status = element && result == E_NOTIMPL ? 3 : 1;
        }
        if (invoke)
            invoke->Release();
        if (element)
            element->Release();
    } else if (command == L"focus" && argc == 4) {
        FocusWatch watch;
        if (FAILED(automation->AddFocusChangedEventHandler(nullptr, &watch))) {
            print(L"no focus events");
            status = 1;
        } else {
            print(L"watching");
            Sleep(1000 * _wtoi(argv[3]));
            automation->RemoveFocusChangedEventHandler(&watch);
        }
    } else {
        print(L"usage: uia_client tree|invoke|focus WINDOW [NAME|SECONDS]");
        status = 2;
    }
    top->Release();
    if (!answers(handle)) {
        print(L"the window no longer answers");
        status = 1;
    }
    return status;
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (FAILED(CoCreateInstance(__uuidof(CUIAutomation), nullptr, CLSCTX_INPROC_SERVER,
                                __uuidof(IUIAutomation), reinterpret_cast<void **>(&automation)))) {
        print(L"no UI Automation");
        return 1;
    }
    automation->get_ControlViewCondition(&controlView);
    const int status = run(argc, argv);
    if (controlView)
        controlView->Release();
    automation->Release();
    CoUninitialize();
    return status;
}
