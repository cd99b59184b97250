// Tebbet's window on a private registry tree, driven the way a user's clicks arrive.
#pragma once

#include "form1.h"
#include "keylist.h"
#include "pickers.h"
#include "scratch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

inline const std::wstring approot = std::wstring(appsroot) + L"\\";
inline const std::wstring labelroot = std::wstring(labelsroot) + L"\\";

using namespace form1;

class Editorwindow : public ::testing::Test {
protected:
    Editorwindow() { Refuseunexpectedmessages(); }
    static HWND Item(int id) { return GetDlgItem(Form1(), id); }
    void TearDown() override
    {
        if (Form1()) DestroyWindow(Form1());
        Quitposted();
        openfilehook = nullptr;
        messagehook = nullptr;
    }
    // Applications .Default (no display name; events SystemAsterisk with .Current, and Unlabelled),
    // Explorer ("エクスプローラー"; Navigating) and Zeta (no events); three labels.
    static void Puttree()
    {
        Putvalue(approot + L".Default\\SystemAsterisk\\.Current", L"", L"ding.wav");
        Putkey(approot + L".Default\\Unlabelled");
        Putvalue(approot + L"Explorer", L"", L"エクスプローラー");
        Putkey(approot + L"Explorer\\Navigating\\.Current");
        Putkey(approot + L"Zeta");
        Putvalue(labelroot + L"Navigating", L"", L"移動の開始");
        Putvalue(labelroot + L"SystemAsterisk", L"", L"一般の警告");
        Putvalue(labelroot + L"Unused", L"", L"未使用");
    }
    static void Open() { ASSERT_NE(Createform1(GetModuleHandleW(nullptr), SW_SHOWNORMAL), nullptr); }
    // Selects a row of Combo1, List1 or List2 (-1: none) and tells the window, as a click does.
    static void Select(HWND control, int row)
    {
        bool combo = control == Item(Combo1);
        SendMessageW(control, combo ? CB_SETCURSEL : LB_SETCURSEL, WPARAM(row), 0);
        WORD code = combo ? WORD(CBN_SELCHANGE) : WORD(LBN_SELCHANGE);
        SendMessageW(Form1(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code), LPARAM(control));
    }
    static void Click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }
    static int Selected(HWND control)
    {
        return int(SendMessageW(control, control == Item(Combo1) ? CB_GETCURSEL : LB_GETCURSEL, 0, 0));
    }
    static std::vector<std::wstring> Rows(HWND control)
    {
        bool combo = control == Item(Combo1);
        std::vector<std::wstring> rows;
        LRESULT count = SendMessageW(control, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
        for (LRESULT k = 0; k < count; ++k) {
            wchar_t text[256] = {};
            SendMessageW(control, combo ? CB_GETLBTEXT : LB_GETTEXT, WPARAM(k), LPARAM(text));
            rows.emplace_back(text);
        }
        return rows;
    }
    // Whether the window posted its quit message; takes it off the queue.
    static bool Quitposted()
    {
        MSG msg;
        return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
    }

    Scratchregistry scratch;
};
