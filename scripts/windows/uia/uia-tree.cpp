// uia-tree: what a screen reader on Windows reads of the program's window through UI Automation.
// Prints the window's raw tree, one element a line (two spaces of indent per level, the control
// type, the name in double quotes, the automation id, "focused" on each element that reports the
// keyboard focus: the window's own element too, while it is active), or with --focus only the line
// of the element inside the window that has the keyboard focus.
// It keeps to the part of the client API that Wine 10 implements: elements come from the window's
// handle (the desktop element lists no children there), properties only through
// GetCurrentPropertyValueEx (GetCurrentPropertyValue and most get_Current* getters are E_NOTIMPL),
// the walker only from CreateTreeWalker (get_RawViewWalker is E_NOTIMPL), the focus only from a
// search (GetFocusedElement gives the desktop). The interfaces are mingw-w64's (12.0, Debian 13),
// whose uiautomationclient.h follows the Windows SDK's IDL.
// Exit status: 0 printed, 1 the window or a call failed (one line on stderr saying which), 2 usage.
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <iterator>
#include <ole2.h>
#include <oleauto.h>
#include <stdexcept>
#include <string>
#include <string_view>
#include <uiautomation.h>
#include <utility>
#include <windows.h>

namespace {

constexpr const wchar_t *windowTitle = L"Conversione";
// Deeper than any real window: a provider whose navigation loops stops here.
constexpr int maxDepth = 32;

struct Failure : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

void check(HRESULT hr, const char *what)
{
    if (FAILED(hr)) {
        char text[160];
        std::snprintf(text, sizeof text, "%s failed (HRESULT 0x%08lx)", what,
                      static_cast<unsigned long>(hr));
        throw Failure(text);
    }
}

// Owns one reference to a COM object.
template<typename T> class Ref
{
public:
    Ref() = default;
    Ref(const Ref &) = delete;
    Ref &operator=(const Ref &) = delete;
    ~Ref() { reset(); }

    T *get() const { return m_p; }
    T *operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // For the out parameter of a call: whatever was held is released first.
    T **out()
    {
        reset();
        return &m_p;
    }
    void swap(Ref &other) { std::swap(m_p, other.m_p); }

private:
    void reset()
    {
        if (m_p)
            m_p->Release();
        m_p = nullptr;
    }
    T *m_p = nullptr;
};

class Variant
{
public:
    Variant() { VariantInit(&v); }
    Variant(const Variant &) = delete;
    Variant &operator=(const Variant &) = delete;
    ~Variant() { VariantClear(&v); }
    VARIANT v;
};

class ComApartment
{
public:
    ComApartment() { check(CoInitializeEx(nullptr, COINIT_MULTITHREADED), "CoInitializeEx"); }
    ComApartment(const ComApartment &) = delete;
    ComApartment &operator=(const ComApartment &) = delete;
    ~ComApartment() { CoUninitialize(); }
};

std::string utf8(std::wstring_view text)
{
    if (text.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

// A name goes between double quotes on one line, so quotes, backslashes and line breaks in it
// are escaped.
std::string quoted(std::wstring_view name)
{
    std::string out = "\"";
    for (char c : utf8(name)) {
        switch (c) {
        case '"':
        case '\\':
            out += '\\';
            out += c;
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += c;
        }
    }
    return out + '"';
}

std::string controlTypeName(CONTROLTYPEID id)
{
    // In the order of their ids, from UIA_ButtonControlTypeId on.
    static constexpr const char *names[] = {
        "Button",      "Calendar",    "CheckBox",  "ComboBox",     "Edit",     "Hyperlink",
        "Image",       "ListItem",    "List",      "Menu",         "MenuBar",  "MenuItem",
        "ProgressBar", "RadioButton", "ScrollBar", "Slider",       "Spinner",  "StatusBar",
        "Tab",         "TabItem",     "Text",      "ToolBar",      "ToolTip",  "Tree",
        "TreeItem",    "Custom",      "Group",     "Thumb",        "DataGrid", "DataItem",
        "Document",    "SplitButton", "Window",    "Pane",         "Header",   "HeaderItem",
        "Table",       "TitleBar",    "Separator", "SemanticZoom", "AppBar",
    };
    static_assert(std::size(names) == UIA_AppBarControlTypeId - UIA_ButtonControlTypeId + 1);
    const int index = id - UIA_ButtonControlTypeId;
    if (index >= 0 && index < static_cast<int>(std::size(names)))
        return names[index];
    return "ControlType" + std::to_string(id);
}

std::wstring stringProperty(IUIAutomationElement *element, PROPERTYID id, const char *what)
{
    Variant value;
    check(element->GetCurrentPropertyValueEx(id, TRUE, &value.v), what);
    // A property the provider does not support comes back as a reserved VT_UNKNOWN value.
    if (value.v.vt != VT_BSTR || !value.v.bstrVal)
        return {};
    return { value.v.bstrVal, SysStringLen(value.v.bstrVal) };
}

bool boolProperty(IUIAutomationElement *element, PROPERTYID id, const char *what)
{
    Variant value;
    check(element->GetCurrentPropertyValueEx(id, TRUE, &value.v), what);
    return value.v.vt == VT_BOOL && value.v.boolVal == VARIANT_TRUE;
}

std::string describe(IUIAutomationElement *element)
{
    BSTR name = nullptr;
    check(element->get_CurrentName(&name), "get_CurrentName");
    const std::wstring nameText = name ? std::wstring(name, SysStringLen(name)) : std::wstring();
    SysFreeString(name);

    CONTROLTYPEID type = 0;
    check(element->get_CurrentControlType(&type), "get_CurrentControlType");

    std::string line = controlTypeName(type) + ' ' + quoted(nameText);
    const std::wstring id = stringProperty(element, UIA_AutomationIdPropertyId, "automation id");
    if (!id.empty())
        line += " id=" + utf8(id);
    if (boolProperty(element, UIA_HasKeyboardFocusPropertyId, "keyboard focus"))
        line += " focused";
    return line;
}

void printTree(IUIAutomationTreeWalker *walker, IUIAutomationElement *element, int depth,
               std::string &out)
{
    if (depth > maxDepth)
        throw Failure("the tree is deeper than " + std::to_string(maxDepth) + " levels");
    out.append(2 * static_cast<size_t>(depth), ' ');
    out += describe(element) + '\n';

    Ref<IUIAutomationElement> child;
    check(walker->GetFirstChildElement(element, child.out()), "GetFirstChildElement");
    while (child) {
        printTree(walker, child.get(), depth + 1, out);
        Ref<IUIAutomationElement> next;
        check(walker->GetNextSiblingElement(child.get(), next.out()), "GetNextSiblingElement");
        child.swap(next);
    }
}

std::string tree(IUIAutomation *automation, IUIAutomationElement *window)
{
    Ref<IUIAutomationCondition> raw;
    check(automation->get_RawViewCondition(raw.out()), "get_RawViewCondition");
    Ref<IUIAutomationTreeWalker> walker;
    check(automation->CreateTreeWalker(raw.get(), walker.out()), "CreateTreeWalker");
    std::string out;
    printTree(walker.get(), window, 0, out);
    return out;
}

std::string focus(IUIAutomation *automation, IUIAutomationElement *window)
{
    Variant on;
    on.v.vt = VT_BOOL;
    on.v.boolVal = VARIANT_TRUE;
    Ref<IUIAutomationCondition> hasFocus;
    check(automation->CreatePropertyCondition(UIA_HasKeyboardFocusPropertyId, on.v, hasFocus.out()),
          "CreatePropertyCondition");
    Ref<IUIAutomationElement> focused;
    check(window->FindFirst(TreeScope_Descendants, hasFocus.get(), focused.out()), "FindFirst");
    if (!focused)
        throw Failure("no element in the window has the keyboard focus");
    return describe(focused.get()) + '\n';
}

int run(bool focusOnly)
{
    const HWND hwnd = FindWindowW(nullptr, windowTitle);
    if (!hwnd)
        throw Failure("no window titled \"Conversione\"");

    ComApartment com;
    Ref<IUIAutomation> automation;
    check(CoCreateInstance(CLSID_CUIAutomation, nullptr, CLSCTX_INPROC_SERVER, IID_IUIAutomation,
                           reinterpret_cast<void **>(automation.out())),
          "CoCreateInstance(CUIAutomation)");
    Ref<IUIAutomationElement> window;
    check(automation->ElementFromHandle(hwnd, window.out()), "ElementFromHandle");
    if (!window)
        throw Failure("ElementFromHandle gave no element");

    const std::string text
        = focusOnly ? focus(automation.get(), window.get()) : tree(automation.get(), window.get());
    // Binary, so that lines end in \n alone, as the expected tree's do.
    _setmode(_fileno(stdout), _O_BINARY);
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0)
        throw Failure("the output could not be written");
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    const std::string_view mode = argc > 1 ? argv[1] : "";
    if (argc > 2 || (argc == 2 && mode != "--focus")) {
        std::fputs("usage: uia-tree [--focus]\n", stderr);
        return 2;
    }
    try {
        return run(mode == "--focus");
    } catch (const std::exception &e) {
        std::fprintf(stderr, "uia-tree: %s\n", e.what());
        return 1;
    }
}
