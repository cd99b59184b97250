#include "editing.h"

#include "form1.h"
#include "handles.h"
#include "keylist.h"
#include "pickers.h"
#include "programfolder.h"
#include "registry.h"
#include "text.h"

#include <commdlg.h>

#include <array>

namespace {
constexpr WORD titlebuffer = 261;
constexpr DWORD keynamebuffer = 256;  // registry key names hold at most 255 characters
constexpr UINT confirmflags = MB_OKCANCEL | MB_ICONEXCLAMATION;  // 49

std::wstring Appkey(const std::wstring& name)
{
    return std::wstring(appsroot) + L"\\" + name;
}

// Deletes the subkey name of parent, its own subkeys first: NT-family registries refuse to
// delete a key that still has subkeys.
bool Deletetree(HKEY parent, const std::string& name)
{
    Regkey key;
    if (RegOpenKeyExA(parent, name.c_str(), 0, KEY_ALL_ACCESS, key.put()) == ERROR_SUCCESS) {
        std::array<char, keynamebuffer> child{};
        // Deleting a subkey moves the next one to its index; one that stays is stepped over.
        for (DWORD i = 0; RegEnumKeyA(key.get(), i, child.data(), keynamebuffer) == ERROR_SUCCESS;)
            if (!Deletetree(key.get(), child.data())) ++i;
    }
    key.reset();
    return RegDeleteKeyA(parent, name.c_str()) == ERROR_SUCCESS;
}

bool Haskey(const std::wstring& keypath)
{
    Regkey key;
    return RegOpenKeyExA(HKEY_CURRENT_USER, Toansi(keypath).c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

std::wstring Combotext(LRESULT row)
{
    LRESULT length = SendMessageW(form1.combo1, CB_GETLBTEXTLEN, WPARAM(row), 0);
    if (length < 0) return {};
    std::wstring text(size_t(length) + 1, L'\0');
    SendMessageW(form1.combo1, CB_GETLBTEXT, WPARAM(row), reinterpret_cast<LPARAM>(text.data()));
    return Cutnull(text);
}

// Whether an application is selected; Combo1 may hold none.
bool Haveapp()
{
    return curapp >= 1 && curapp <= Appcount() && size_t(curapp) < apps.size();
}
}

bool Delregkey(HKEY root, const std::wstring& parent, const std::wstring& name)
{
    // An empty name would stand for parent itself.
    if (name.empty()) return false;
    Regkey key;
    if (RegOpenKeyExA(root, Toansi(parent).c_str(), 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS) return false;
    bool deleted = Deletetree(key.get(), Toansi(name));
    return RegCloseKey(key.release()) == ERROR_SUCCESS && deleted;
}

std::wstring Filetitle(const std::wstring& path)
{
    std::array<char, titlebuffer> title{};
    GetFileTitleA(Toansi(path).c_str(), title.data(), titlebuffer);
    return Cutnull(Fromansi(std::string(title.data(), title.size())));
}

std::wstring Appkeyname(const std::wstring& title)
{
    return title.substr(0, title.find(L'.'));
}

void OnCommand1click()
{
    LRESULT k = SendMessageW(form1.list2, LB_GETCURSEL, 0, 0);
    if (!Haveapp() || k < 0 || k > eventlabels.last) return;
    Keylist& events = apps[size_t(curapp)];
    if (events.last >= INT16_MAX - 1) return;  // event indexes are 16-bit
    // Nothing checks for the event already being there: the user may add it again.
    const std::wstring& name = eventlabels.names[size_t(k)];
    events.names.push_back(name);
    events.texts.push_back(name);
    events.labelidx.push_back(int16_t(k));
    events.last = int16_t(events.names.size() - 1);
    SendMessageW(form1.list1, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Eventtext(curapp, events.last).c_str()));
    Setregstr(HKEY_CURRENT_USER, Appkey(apps[0].names[size_t(curapp - 1)]) + L"\\" + name + L"\\.Current", L"", L"");
}

void OnCommand2click()
{
    LRESULT j = SendMessageW(form1.list1, LB_GETCURSEL, 0, 0);
    if (!Haveapp() || j < 0 || j > apps[size_t(curapp)].last) return;
    Keylist& events = apps[size_t(curapp)];
    std::wstring appkey = Appkey(apps[0].names[size_t(curapp - 1)]);
    // A key already gone (the second line of an event added twice) counts as removed; a key
    // the registry keeps leaves everything as it was.
    if (!Delregkey(HKEY_CURRENT_USER, appkey, events.names[size_t(j)]) &&
        Haskey(appkey + L"\\" + events.names[size_t(j)]))
        return;
    SendMessageW(form1.list1, LB_DELETESTRING, WPARAM(j), 0);
    events.names.erase(events.names.begin() + j);
    events.texts.erase(events.texts.begin() + j);
    events.labelidx.erase(events.labelidx.begin() + j);
    events.last = int16_t(events.names.size() - 1);
}

void OnCommand3click()
{
    std::wstring filter = std::wstring(L"ｱﾌﾟﾘｹｰｼｮﾝ") + L'\0' + L"*.exe;*.bat";
    std::wstring path = Openfiledlg(form1.window, filter, Programfolder(), L"ｱﾌﾟﾘｹｰｼｮﾝの追加");
    if (path.empty()) return;
    std::wstring name = Appkeyname(Filetitle(path));
    // A file name beginning with "." gives no name; writing it would set the default value of
    // the applications key itself.
    if (name.empty()) return;
    Setregstr(HKEY_CURRENT_USER, Appkey(name), L"", name);
    Reloadapps();
}

void OnCommand4click()
{
    LRESULT row = SendMessageW(form1.combo1, CB_GETCURSEL, 0, 0);
    if (row < 0 || row >= Appcount()) return;
    // Named by its display text, deleted by its key name.
    std::wstring question = Combotext(row) + L"を削除します\r\nよろしいですか？";
    if (Showmessage(form1.window, question, formtitle, confirmflags) != IDOK) return;
    if (!Delregkey(HKEY_CURRENT_USER, appsroot, apps[0].names[size_t(row)])) return;
    Reloadapps();
}
