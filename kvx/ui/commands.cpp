#include "commands.h"

#include "autostart.h"
#include "changer.h"
#include "form1.h"
#include "form1parts.h"
#include "form2.h"
#include "keylist.h"
#include "listedsounds.h"
#include "listfiles.h"
#include "originals.h"
#include "pickers.h"
#include "schemetable.h"
#include "settings.h"

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <utility>

namespace {
using namespace form3;

struct Commandstate {
    bool running = false;
    bool closepending = false;
};
Commandstate commands;

// The icon's tooltip tells the state: the interval and the time of the next pass, the pause, or
// that nothing changes by itself.
std::wstring Traytip()
{
    if (paused) return L"KVX - 一時停止中";
    if (cinterval == 0) return L"KVX - 自動では変更しません";
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER at{{now.dwLowDateTime, now.dwHighDateTime}};
    at.QuadPart += ULONGLONG(Minutestonextpass()) * 60 * 10000000;  // in 100-ns units
    FILETIME next{at.LowPart, at.HighPart};
    SYSTEMTIME utc{}, local{};
    FileTimeToSystemTime(&next, &utc);
    SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
    wchar_t text[64];
    std::swprintf(text, 64, L"KVX - %d 分ごとに変更（次回 %d:%02d）", std::max<int>(cinterval, 1), local.wHour,
                  local.wMinute);
    return text;
}

// A setting changed holds for this run either way; only a stored one holds for the next.
int Stored(const Invocation& how, bool stored)
{
    if (!stored) Tell(how, L"設定を保存できませんでした。\r\n次に Kvx を起動したときには元に戻ります。", MB_ICONWARNING);
    return stored ? exitdone : exitfailed;
}

// The current sound and the tooltip after the sounds changed.
void Showchanges()
{
    Showcurrentline();
    Updatetip();
}

int Show(const Invocation&)
{
    Showform1();
    return exitdone;
}

// A pass now, whatever the interval or the pause. A run without a window has none to keep
// alive: it makes the copies its lists need first, so a script gets what the menu gets.
int Changeall(const Invocation&)
{
    if (!Form1()) Convertlistedsounds();
    Passresult result = Changenow();
    Showchanges();
    return result.failed == 0 ? exitdone : exitfailed;
}

int Pause(const Invocation& how)
{
    paused = how.on ? 1 : 0;
    bool stored = Savesetting(L"paused", std::to_wstring(paused));
    Updatetip();
    return Stored(how, stored);
}

int Options(const Invocation& how)
{
    Showform2(how.owner, [](bool on) {
        Settimer1(on);
        // The frame's note follows the setting of the session sounds.
        Showcurrentline();
    });
    return exitdone;
}

int Startwithwindows(const Invocation& how)
{
    if (Setstartwithwindows(how.on)) return exitdone;
    Tell(how, L"Windows の起動時に実行するかどうかを変更できませんでした。", MB_ICONWARNING);
    return exitfailed;
}

int Norepeat(const Invocation& how)
{
    norepeat = how.on ? 1 : 0;
    return Stored(how, Savesetting(L"norepeat", std::to_wstring(norepeat)));
}

// Puts back the sounds the user had before Kvx. A running Kvx then pauses, so that they stay;
// where none runs, nothing changes them again.
int Restore(const Invocation& how)
{
    if (!Ask(how,
             L"すべてのイベントのサウンドを、Kvx が変更する前のサウンドに戻します。\r\n"
             L"戻した後、Kvx は一時停止します。よろしいですか？",
             MB_OKCANCEL | MB_DEFBUTTON2))
        return exitfailed;
    Restoreresult result = Restoreoriginals();
    int code = Form1() ? Pause(Invocation{how.owner, true, {}}) : exitdone;
    Showchanges();
    if (result.failed > 0)
        Tell(how,
             std::to_wstring(result.failed) + L" 個のイベントのサウンドを元に戻せませんでした。\r\n"
                                              L"もう一度「元のサウンドに戻す」を選んでください。",
             MB_ICONWARNING);
    return result.failed == 0 ? code : exitfailed;
}

// The main window's unload must not run inside the menu's own handler: the close is posted.
int Exit(const Invocation&)
{
    Endfromtray();
    return exitdone;
}

bool Ispaused()
{
    return paused != 0;
}

bool Isnorepeat()
{
    return norepeat != 0;
}

const Kvxcommand table[] = {
    {mresize, L"元のサイズに戻す", Switch::show, Switch::none, 0, Show, nullptr, false},
    {mchange, L"今すぐ変更", Switch::change, Switch::none, VK_F5, Changeall, nullptr, true},
    {mpause, L"一時停止", Switch::pause, Switch::resume, 0, Pause, Ispaused, false},
    {moption, L"詳細設定", Switch::none, Switch::none, 0, Options, nullptr, false},
    {mexport, L"サウンドセットを書き出す...", Switch::exportset, Switch::none, 0, Exportcommand, nullptr, true},
    {mimport, L"サウンドセットを読み込む...", Switch::importset, Switch::none, 0, Importcommand, nullptr, true},
    {mstartup, L"Windows の起動時に実行", Switch::none, Switch::none, 0, Startwithwindows, Startswithwindows, false},
    {mnorepeat, L"同じサウンドを続けない", Switch::none, Switch::none, 0, Norepeat, Isnorepeat, false},
    {mrestore, L"元のサウンドに戻す", Switch::restore, Switch::none, 0, Restore, nullptr, false},
    {0, nullptr, Switch::none, Switch::none, 0, nullptr, nullptr, false},
    {mend, L"終了", Switch::exit, Switch::none, 0, Exit, nullptr, false},
};

int Runcommand(const Kvxcommand& command, const Invocation& how)
{
    // While another runs, showing the window harms nothing, and an exit comes once it has ended.
    if (commands.running && command.run == Show) return Show(how);
    if (commands.running && command.run == Exit) {
        Closeaftercommand();
        return exitdone;
    }
    int code = exitfailed;
    Runalone([&] { code = command.run(how); });
    return code;
}

// Where no Kvx runs, the lists and settings are read as a start-up reads them.
void Loadlists()
{
    Buildtable();
    Loadoriginals();
    Loadalllists();
    Loadsettings();
}
}

std::span<const Kvxcommand> Kvxcommands()
{
    return table;
}

void Tell(const Invocation& how, const std::wstring& text, UINT icon)
{
    if (how.Person()) Showmessage(how.owner, text, form1caption, MB_OK | icon);
}

bool Ask(const Invocation& how, const std::wstring& question, UINT buttons)
{
    return !how.Person() || Showmessage(how.owner, question, form1caption, buttons | MB_ICONQUESTION) == IDOK;
}

Trayactions Traymenu()
{
    Trayactions actions{{}, Endfromtray};
    for (const Kvxcommand& command : table)
        actions.items.push_back({command.id, command.text, [id = command.id] { Runforperson(id); },
                                 command.checked ? std::function<bool()>(command.checked) : nullptr});
    return actions;
}

void Runforperson(UINT id)
{
    auto command = std::find_if(std::begin(table), std::end(table), [id](const Kvxcommand& c) { return c.id == id; });
    if (id == 0 || command == std::end(table)) return;
    Runcommand(*command, Invocation{Form1(), !(command->checked && command->checked()), {}});
}

int Runswitch(const Commandline& line)
{
    // A start without a switch, or at logon, shows the running Kvx.
    Switch what = line.what == Switch::none || line.what == Switch::logon ? Switch::show : line.what;
    for (const Kvxcommand& command : table) {
        if (what == Switch::none || (command.on != what && command.off != what)) continue;
        if (!Form1() && command.needslists) Loadlists();
        return Runcommand(command, Invocation{nullptr, command.on == what, line.folder});
    }
    return exitbadswitch;
}

bool Commandrunning()
{
    return commands.running;
}

bool Runalone(const std::function<void()>& work)
{
    if (commands.running) return false;
    commands.running = true;
    work();
    commands.running = false;
    if (std::exchange(commands.closepending, false) && Form1()) PostMessageW(Form1(), WM_CLOSE, 0, 0);
    return true;
}

void Closeaftercommand()
{
    commands.closepending = true;
}

void Endfromtray()
{
    if (Form1()) PostMessageW(Form1(), WM_CLOSE, 0, 0);
}

void Updatetip()
{
    Settraytip(Traytip());
}
