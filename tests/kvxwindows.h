// Kvx's windows in-process: Form1 started on a private registry tree and list folder, and the
// helpers that drive its controls like a user would.
#pragma once

#include "scratch.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The scheme tree most tests start from, in enumeration (name) order:
//   1 .Default "Windows": 0 .Default, 1 Open, 2 SystemHand, 3 Unlabelled (no label key)
//   2 Empty "空": no events
//   3 Explorer "エクスプローラー": 0 EmptyRecycleBin, 1 Navigating
// with list files .Default-0 (a.wav, b.wav), .Default-2 (three entries), Explorer-1 (nav.wav),
// a stale count 7 for .Default-0 and the .Current value old.wav for .Default\.Default.
void Puttree(const Scratchfolder& folder);

class Kvxwindows : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates Form1, which runs the start-up.
    void Start();
    HWND Item(int id) const;
    std::wstring Text(int id) const;
    std::vector<std::wstring> Rows(int id) const;
    std::vector<std::wstring> Approws() const;
    void Click(int id);
    // Picks a row of Combo1 or List1 as a click does.
    void Pickapp(int row);
    void Pickevent(int row);
    std::wstring Count(const std::wstring& key) const;
    // The middle of a control, in Form1's client area; files dropped there from Explorer.
    POINT Middleof(int id) const;
    void Drop(const std::vector<std::wstring>& paths, POINT at);

    Scratchregistry scratch;
    Scratchfolder folder;
};

// The ink of a list row drawn as the window draws it: how many pixels, and whether any is in the
// window text colour (dark) or only in the grey of text that is not available.
struct Ink {
    int pixels = 0;
    bool windowtext = false;
    bool greytext = false;
};
Ink Drawrow(HWND window, int id, int row);

// Tells Kvx's icon of an event as the shell does under the notification contract of version 4:
// the event in the low word of lParam, the icon's id in the high word, the anchor in wParam.
void Notifytray(UINT event, POINT anchor = {});
// A right click on the icon as the shell reports it: button down, button up, context menu.
void Rightclicktray();

// Handles the pending messages as Kvx's message loop does; true when WM_QUIT was among them.
bool Pump();
// Whether Kvx's icon is in the notification area (a modification succeeds only for an icon there).
bool Iconpresent();
// Whether Timer1 runs; stops it.
bool Stoptimer1();
