#include "tree.h"

#include "keylist.h"
#include "registry.h"
#include "settings.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>

namespace {
std::wstring Numbered(const wchar_t* prefix, int n, int width)
{
    wchar_t text[32];
    std::swprintf(text, 32, L"%ls%0*d", prefix, width, n);
    return text;
}

int Digits(int n)
{
    int d = 1;
    while (n >= 10) n /= 10, ++d;
    return d;
}
}

// Event numbers are positions in the registry's listing, which is sorted by name: zero-padded
// names keep that order numeric. scripts/bench names the list files the same way.
std::wstring Appname(const Treesize& size, int a) { return Numbered(L"A", a, std::max(4, Digits(size.apps - 1))); }
std::wstring Eventname(const Treesize& size, int e) { return Numbered(L"E", e, std::max(2, Digits(size.events - 1))); }

int Listlength(const Treesize& size, int a, int e)
{
    return size.sounds + ((a + e) % 10 == 0 ? 2 : 0);
}

bool Setstring(HKEY key, const wchar_t* name, const std::wstring& value)
{
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          DWORD((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

Regkey Createkey(HKEY parent, const std::wstring& name)
{
    Regkey key;
    if (RegCreateKeyExW(parent, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        key.reset();
    return key;
}

std::vector<std::wstring> Subkeys(HKEY key)
{
    std::vector<std::wstring> names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    return names;
}

// Through open parent handles: Wine's RegDeleteTreeW takes about twice as long on a big tree.
void Deletetree(HKEY parent, const std::wstring& name)
{
    Regkey key = Openkey(parent, name, KEY_READ);
    if (!key) return;
    for (const std::wstring& subkey : Subkeys(key.get())) Deletetree(key.get(), subkey);
    key.reset();
    RegDeleteKeyW(parent, name.c_str());
}

bool Generate(const Treesize& size, const std::wstring& folder)
{
    Deletetree(HKEY_CURRENT_USER, appsroot);
    Deletetree(HKEY_CURRENT_USER, labelsroot);
    Deletetree(HKEY_CURRENT_USER, L"Software\\Kvx");
    Deletetree(HKEY_CURRENT_USER, L"Software\\KvxBench");
    if (size.apps > 0) {
        std::wstring last = folder + L"\\" + Appname(size, size.apps - 1) + L"-" + std::to_wstring(size.events - 1) + L".dat";
        if (GetFileAttributesW(last.c_str()) == INVALID_FILE_ATTRIBUTES) {
            std::printf("  missing list file %ls\n", last.c_str());
            return false;
        }
    }

    Regkey settings = Createkey(HKEY_CURRENT_USER, settingskey);
    if (!settings) return false;
    // No change pass at start-up and no timer: start-up is only the loading.
    Setstring(settings.get(), L"optval1", L"0");
    Setstring(settings.get(), L"cinterval", L"0");
    Setstring(settings.get(), L"defdir", folder + L"\\" + soundfolder);

    Regkey labels = Createkey(HKEY_CURRENT_USER, labelsroot);
    for (int e = 0; labels && e < size.events; ++e)
        Setstring(Createkey(labels.get(), Eventname(size, e)).get(), nullptr, Numbered(L"イベント ", e, 2));

    Regkey root = Createkey(HKEY_CURRENT_USER, appsroot);
    if (!root) return false;
    bool ok = true;
    for (int a = 0; ok && a < size.apps; ++a) {
        std::wstring appname = Appname(size, a);
        Regkey app = Createkey(root.get(), appname);
        ok = app && Setstring(app.get(), nullptr, Numbered(L"アプリ ", a, 4));
        for (int e = 0; ok && e < size.events; ++e) {
            Regkey current = Createkey(app.get(), Eventname(size, e) + L"\\.Current");
            ok = current && Setstring(current.get(), nullptr, L"") &&
                 Setstring(settings.get(), (L"listcount" + appname + L"-" + std::to_wstring(e)).c_str(),
                           std::to_wstring(Listlength(size, a, e)));
        }
    }
    return ok;
}

void Setallcurrent()
{
    Regkey root = Openkey(HKEY_CURRENT_USER, appsroot, KEY_READ);
    if (!root) return;
    for (const std::wstring& appname : Subkeys(root.get())) {
        Regkey app = Openkey(root.get(), appname, KEY_READ);
        if (!app) continue;
        for (const std::wstring& eventname : Subkeys(app.get()))
            if (Regkey current = Openkey(app.get(), eventname + L"\\.Current", KEY_SET_VALUE))
                Setstring(current.get(), nullptr, othersound);
    }
}
