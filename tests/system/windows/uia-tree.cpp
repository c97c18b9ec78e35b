// uia-tree: what a screen reader on Windows reads of the program's window through UI Automation.
// Prints the window's raw tree, one element a line (two spaces of indent per level, the control
// type, the name in double quotes, the automation id, "focused" on each element that reports the
// keyboard focus), or with --focus only the line of the element inside the window that has it.
// It keeps to the part of the client API that Wine 10 implements: elements from the window's
// handle, properties through GetCurrentPropertyValueEx, the walker from CreateTreeWalker, the
// focus from a search (GetFocusedElement gives the desktop there).
// Exit status: 0 printed, 1 the window or a call failed (one line on stderr saying which), 2 usage.
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <iterator>
#include <memory>
#include <ole2.h>
#include <stdexcept>
#include <string>
#include <string_view>
#include <uiautomation.h>
#include <windows.h>

namespace {

struct Releaser
{
    void operator()(IUnknown *p) const { p->Release(); }
};
template<typename T> using Com = std::unique_ptr<T, Releaser>;

void check(HRESULT hr, const char *what)
{
    if (FAILED(hr))
        throw std::runtime_error(std::string(what) + " failed (HRESULT "
                                 + std::to_string(static_cast<unsigned long>(hr)) + ")");
}

// A VARIANT property of an element, cleared when it goes.
struct Property
{
    Property(IUIAutomationElement *element, PROPERTYID id)
    {
        VariantInit(&v);
        check(element->GetCurrentPropertyValueEx(id, TRUE, &v), "GetCurrentPropertyValueEx");
    }
    ~Property() { VariantClear(&v); }
    // A property the provider does not support comes back as a reserved VT_UNKNOWN value.
    std::wstring text() const
    {
        return v.vt == VT_BSTR && v.bstrVal ? std::wstring(v.bstrVal, SysStringLen(v.bstrVal))
                                            : std::wstring();
    }
    VARIANT v;
};

std::string utf8(const std::wstring &text)
{
    std::string out(4 * text.size(), '\0');
    out.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                   out.data(), static_cast<int>(out.size()), nullptr, nullptr));
    return out;
}

std::string describe(IUIAutomationElement *element)
{
    static constexpr const char *types[] = {
        "Button",      "Calendar",    "CheckBox",  "ComboBox",     "Edit",     "Hyperlink",
        "Image",       "ListItem",    "List",      "Menu",         "MenuBar",  "MenuItem",
        "ProgressBar", "RadioButton", "ScrollBar", "Slider",       "Spinner",  "StatusBar",
        "Tab",         "TabItem",     "Text",      "ToolBar",      "ToolTip",  "Tree",
        "TreeItem",    "Custom",      "Group",     "Thumb",        "DataGrid", "DataItem",
        "Document",    "SplitButton", "Window",    "Pane",         "Header",   "HeaderItem",
        "Table",       "TitleBar",    "Separator", "SemanticZoom", "AppBar",
    };
    static_assert(std::size(types) == UIA_AppBarControlTypeId - UIA_ButtonControlTypeId + 1);
    const unsigned type
        = Property(element, UIA_ControlTypePropertyId).v.lVal - UIA_ButtonControlTypeId;
    std::string line = type < std::size(types) ? types[type] : "ControlType" + std::to_string(type);
    // The name on one line: quotes, backslashes and line breaks escaped.
    line += " \"";
    for (const char c : utf8(Property(element, UIA_NamePropertyId).text()))
        line += c == '"' || c == '\\' ? std::string { '\\', c }
            : c == '\n'               ? "\\n"
                                      : std::string { c };
    line += '"';
    if (const std::wstring id = Property(element, UIA_AutomationIdPropertyId).text(); !id.empty())
        line += " id=" + utf8(id);
    const Property focused(element, UIA_HasKeyboardFocusPropertyId);
    if (focused.v.vt == VT_BOOL && focused.v.boolVal == VARIANT_TRUE)
        line += " focused";
    return line + '\n';
}

void printTree(IUIAutomationTreeWalker *walker, IUIAutomationElement *element, int depth,
               std::string &out)
{
    if (depth > 32) // deeper than any real window: a provider whose navigation loops
        throw std::runtime_error("the tree is deeper than 32 levels");
    out += std::string(2 * depth, ' ') + describe(element);
    IUIAutomationElement *raw = nullptr;
    check(walker->GetFirstChildElement(element, &raw), "GetFirstChildElement");
    for (Com<IUIAutomationElement> child(raw); child; child.reset(raw)) {
        printTree(walker, child.get(), depth + 1, out);
        raw = nullptr;
        check(walker->GetNextSiblingElement(child.get(), &raw), "GetNextSiblingElement");
    }
}

std::string read(bool focusOnly)
{
    const HWND hwnd = FindWindowW(nullptr, L"Conversione");
    if (!hwnd)
        throw std::runtime_error("no window titled \"Conversione\"");
    IUIAutomation *automation = nullptr;
    check(CoCreateInstance(CLSID_CUIAutomation, nullptr, CLSCTX_INPROC_SERVER, IID_IUIAutomation,
                           reinterpret_cast<void **>(&automation)),
          "CoCreateInstance(CUIAutomation)");
    const Com<IUIAutomation> owner(automation);
    IUIAutomationElement *window = nullptr;
    check(automation->ElementFromHandle(hwnd, &window), "ElementFromHandle");
    const Com<IUIAutomationElement> windowOwner(window);
    IUIAutomationCondition *condition = nullptr;
    std::string out;
    if (focusOnly) {
        VARIANT on;
        on.vt = VT_BOOL;
        on.boolVal = VARIANT_TRUE;
        check(automation->CreatePropertyCondition(UIA_HasKeyboardFocusPropertyId, on, &condition),
              "CreatePropertyCondition");
        const Com<IUIAutomationCondition> conditionOwner(condition);
        IUIAutomationElement *focused = nullptr;
        check(window->FindFirst(TreeScope_Descendants, condition, &focused), "FindFirst");
        if (!focused)
            throw std::runtime_error("no element in the window has the keyboard focus");
        return describe(Com<IUIAutomationElement>(focused).get());
    }
    check(automation->get_RawViewCondition(&condition), "get_RawViewCondition");
    const Com<IUIAutomationCondition> conditionOwner(condition);
    IUIAutomationTreeWalker *walker = nullptr;
    check(automation->CreateTreeWalker(condition, &walker), "CreateTreeWalker");
    printTree(Com<IUIAutomationTreeWalker>(walker).get(), window, 0, out);
    return out;
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
        check(CoInitializeEx(nullptr, COINIT_MULTITHREADED), "CoInitializeEx");
        const std::string text = read(mode == "--focus");
        CoUninitialize();
        // Binary, so that lines end in \n alone, as the expected tree's do.
        _setmode(_fileno(stdout), _O_BINARY);
        return std::fwrite(text.data(), 1, text.size(), stdout) == text.size()
                && std::fflush(stdout) == 0
            ? 0
            : 1;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "uia-tree: %s\n", e.what());
        return 1;
    }
}
