#include "kvxwindows.h"

#include "changer.h"
#include "form1.h"
#include "form3.h"
#include "listfiles.h"
#include "pickers.h"
#include "program.h"
#include "player.h"
#include "registry.h"
#include "keylist.h"
#include "listbox.h"
#include "settings.h"

#include <cstring>

namespace {
const std::wstring root = std::wstring(appsroot) + L"\\";
const std::wstring labels = std::wstring(labelsroot) + L"\\";
}

void Puttree(const Scratchfolder& folder)
{
    Putvalue(root + L".Default", L"", L"Windows");
    for (const wchar_t* event : {L".Default", L"Open", L"SystemHand", L"Unlabelled"}) Putkey(root + L".Default\\" + event);
    Putvalue(root + L"Empty", L"", L"空");
    Putvalue(root + L"Explorer", L"", L"エクスプローラー");
    for (const wchar_t* event : {L"EmptyRecycleBin", L"Navigating"}) Putkey(root + L"Explorer\\" + event);
    for (auto [name, label] : {std::pair{L".Default", L"一般の警告音"}, {L"Open", L"プログラムを開く"},
                               {L"SystemHand", L"システム エラー"}, {L"EmptyRecycleBin", L"ごみ箱を空にする"},
                               {L"Navigating", L"ナビゲーションの開始"}})
        Putvalue(labels + name, L"", label);
    Putvalue(root + L".Default\\.Default\\.Current", L"", L"old.wav");
    // The lists name their sounds relative to the folder, which the tests make the current one.
    for (const wchar_t* sound : {L"a.wav", L"b.wav", L"hand1.wav", L"hand2.wav", L"hand3.wav", L"nav.wav"})
        folder.Sound(sound);
    Writebytes(folder.File(L".Default-0.dat"), "a.wav\r\nb.wav\r\n");
    Writebytes(folder.File(L".Default-2.dat"), "hand1.wav\r\nhand2.wav\r\nhand3.wav\r\n");
    Writebytes(folder.File(L"Explorer-1.dat"), "nav.wav\r\n");
    Savesetting(L"listcount.Default-0", L"7");
}

void Kvxwindows::SetUp()
{
    listfolder = folder.path();
    tickcount = 0;
    SetCurrentDirectoryW(folder.path().c_str());
    Refuseunexpectedmessages();
}

void Kvxwindows::TearDown()
{
    Unloadform1();
    // As at the end of the program; the next test starts with a new tray form.
    Unloadform3();
    Pump();
    // The folder goes at the end of the test, and a current folder cannot be removed.
    SetCurrentDirectoryW(L"C:\\");
    messagehook = nullptr;
    playerhook = nullptr;
    popupmenuhook = nullptr;
}

void Kvxwindows::Start()
{
    ASSERT_NE(Createform1(GetModuleHandleW(nullptr)), nullptr);
    Pump();
}

HWND Kvxwindows::Item(int id) const
{
    return GetDlgItem(Form1(), id);
}

std::wstring Kvxwindows::Text(int id) const
{
    wchar_t text[512] = {};
    GetWindowTextW(Item(id), text, 512);
    return text;
}

std::vector<std::wstring> Kvxwindows::Rows(int id) const
{
    return Listrows(Item(id));
}

std::vector<std::wstring> Kvxwindows::Approws() const
{
    std::vector<std::wstring> rows;
    HWND combo = Item(form1::Combo1);
    for (LRESULT k = 0; k < SendMessageW(combo, CB_GETCOUNT, 0, 0); ++k) {
        wchar_t text[256] = {};
        SendMessageW(combo, CB_GETLBTEXT, WPARAM(k), reinterpret_cast<LPARAM>(text));
        rows.push_back(text);
    }
    return rows;
}

void Kvxwindows::Click(int id)
{
    SendMessageW(Form1(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Item(id)));
}

void Kvxwindows::Pickapp(int row)
{
    SendMessageW(Item(form1::Combo1), CB_SETCURSEL, WPARAM(row), 0);
    SendMessageW(Form1(), WM_COMMAND, MAKEWPARAM(form1::Combo1, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Item(form1::Combo1)));
}

void Kvxwindows::Pickevent(int row)
{
    SendMessageW(Item(form1::List1), LB_SETCURSEL, WPARAM(row), 0);
    SendMessageW(Form1(), WM_COMMAND, MAKEWPARAM(form1::List1, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Item(form1::List1)));
}

std::wstring Kvxwindows::Count(const std::wstring& key) const
{
    return Getsetting(key, L"<none>");
}

Ink Drawrow(HWND window, int id, int row)
{
    constexpr int width = 400, height = 24;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    DRAWITEMSTRUCT item{ODT_LISTBOX, UINT(id), UINT(row), ODA_DRAWENTIRE, 0, GetDlgItem(window, id), dc,
                        {0, 0, width, height}, 0};
    SendMessageW(window, WM_DRAWITEM, WPARAM(id), reinterpret_cast<LPARAM>(&item));
    GdiFlush();
    Ink ink;
    auto colour = [](COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); };
    const auto* pixel = static_cast<const DWORD*>(bits);
    for (int k = 0; k < width * height; ++k) {
        DWORD p = pixel[k] & 0xFFFFFF;
        if (p == DWORD(colour(GetSysColor(COLOR_WINDOW)))) continue;
        ++ink.pixels;
        ink.windowtext |= p == DWORD(colour(GetSysColor(COLOR_WINDOWTEXT)));
        ink.greytext |= p == DWORD(colour(GetSysColor(COLOR_GRAYTEXT)));
    }
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return ink;
}

POINT Kvxwindows::Middleof(int id) const
{
    RECT r{};
    GetWindowRect(Item(id), &r);
    POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ScreenToClient(Form1(), &at);
    return at;
}

void Kvxwindows::Drop(const std::vector<std::wstring>& paths, POINT at)
{
    SendMessageW(Form1(), WM_DROPFILES, reinterpret_cast<WPARAM>(Makedrop(paths, at)), 0);
}

void Notifytray(UINT event, POINT anchor)
{
    SendMessageW(Form3(), traycallback, MAKEWPARAM(anchor.x, anchor.y), MAKELPARAM(event, trayid));
}

void Rightclicktray()
{
    POINT at{};
    GetCursorPos(&at);
    for (UINT event : {UINT(WM_RBUTTONDOWN), UINT(WM_RBUTTONUP), UINT(WM_CONTEXTMENU)}) Notifytray(event, at);
}

bool Pump()
{
    bool quit = false;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quit = true;
            continue;
        }
        if (Kvxmessage(message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return quit;
}

bool Iconpresent()
{
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = FindWindowW(form3class, nullptr);
    record.uID = 1;
    record.uFlags = NIF_TIP;
    std::strcpy(record.szTip, "KVX");
    return record.hWnd && Shell_NotifyIconA(NIM_MODIFY, &record);
}

bool Stoptimer1()
{
    return KillTimer(Form1(), form1::Timer1) != FALSE;
}
