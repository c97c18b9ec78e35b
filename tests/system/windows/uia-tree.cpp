// uia-tree: what a screen reader on Windows reads of the program's window through UI Automation.
// Prints the window's raw tree, one element a line: two spaces of indent per level, the control
// type's number, the name in double quotes (quotes, backslashes and line breaks escaped), the
// automation id, and "focused" on each element that has the keyboard focus (GetFocusedElement
// gives the desktop under Wine). It keeps to the part of the client API that Wine 10 implements:
// elements from the window's handle, properties through GetCurrentPropertyValueEx, the walker
// from CreateTreeWalker. The COM objects go with the process.
// Exit status: 0 printed, 1 a call failed (the reason on stderr).
#include <cstdio>
#include <ole2.h>
#include <stdexcept>
#include <string>
#include <uiautomation.h>
#include <windows.h>

namespace {

void check(HRESULT hr, const char *what)
{
    if (FAILED(hr))
        throw std::runtime_error(std::string(what) + " failed, HRESULT "
                                 + std::to_string(static_cast<unsigned long>(hr)));
}

// A property as text: a string in UTF-8, a number in digits, true as "1"; "" for anything else,
// such as the value a provider gives for a property it does not support.
std::string property(IUIAutomationElement *element, PROPERTYID id)
{
    VARIANT v;
    VariantInit(&v);
    check(element->GetCurrentPropertyValueEx(id, TRUE, &v), "GetCurrentPropertyValueEx");
    std::string text;
    if (v.vt == VT_BSTR && v.bstrVal) {
        const int length = static_cast<int>(SysStringLen(v.bstrVal));
        text.resize(4 * length);
        text.resize(WideCharToMultiByte(CP_UTF8, 0, v.bstrVal, length, text.data(),
                                        static_cast<int>(text.size()), nullptr, nullptr));
    } else if (v.vt == VT_I4) {
        text = std::to_string(v.lVal);
    } else if (v.vt == VT_BOOL && v.boolVal == VARIANT_TRUE) {
        text = "1";
    }
    VariantClear(&v);
    return text;
}

std::string describe(IUIAutomationElement *element)
{
    std::string line = property(element, UIA_ControlTypePropertyId) + " \"";
    for (const char c : property(element, UIA_NamePropertyId))
        line += c == '\n'           ? std::string("\\n")
            : c == '"' || c == '\\' ? std::string { '\\', c }
                                    : std::string { c };
    line += '"';
    if (const std::string id = property(element, UIA_AutomationIdPropertyId); !id.empty())
        line += " id=" + id;
    return line + (property(element, UIA_HasKeyboardFocusPropertyId).empty() ? "\n" : " focused\n");
}

std::string tree(IUIAutomationTreeWalker *walker, IUIAutomationElement *element, int depth)
{
    if (depth > 32) // deeper than any real window: a provider whose navigation loops
        throw std::runtime_error("the tree is deeper than 32 levels");
    std::string out = std::string(2 * depth, ' ') + describe(element);
    IUIAutomationElement *child = nullptr;
    check(walker->GetFirstChildElement(element, &child), "GetFirstChildElement");
    while (child) {
        out += tree(walker, child, depth + 1);
        IUIAutomationElement *next = nullptr;
        check(walker->GetNextSiblingElement(child, &next), "GetNextSiblingElement");
        child = next;
    }
    return out;
}

} // namespace

int main()
{
    try {
        check(CoInitializeEx(nullptr, COINIT_MULTITHREADED), "CoInitializeEx");
        const HWND hwnd = FindWindowW(nullptr, L"Conversione");
        if (!hwnd)
            throw std::runtime_error("no window titled \"Conversione\"");
        IUIAutomation *automation = nullptr;
        check(CoCreateInstance(CLSID_CUIAutomation, nullptr, CLSCTX_INPROC_SERVER,
                               IID_IUIAutomation, reinterpret_cast<void **>(&automation)),
              "CoCreateInstance(CUIAutomation)");
        IUIAutomationElement *window = nullptr;
        check(automation->ElementFromHandle(hwnd, &window), "ElementFromHandle");
        IUIAutomationCondition *condition = nullptr;
        check(automation->get_RawViewCondition(&condition), "get_RawViewCondition");
        IUIAutomationTreeWalker *walker = nullptr;
        check(automation->CreateTreeWalker(condition, &walker), "CreateTreeWalker");
        const std::string text = tree(walker, window, 0);
        return std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0 ? 0 : 1;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "uia-tree: %s\n", e.what());
        return 1;
    }
}
