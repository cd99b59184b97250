// The program's life in the session: the load of Form1 at start-up (and at logon, the logon
// sound), the question of the session's end (the logoff or shut-down sound) and the unload.
#include "form1parts.h"

#include "changer.h"
#include "commands.h"
#include "conversions.h"
#include "form1.h"
#include "form3.h"
#include "handover.h"
#include "keylist.h"
#include "listbox.h"
#include "listfiles.h"
#include "messagewait.h"
#include "originals.h"
#include "pickers.h"
#include "player.h"
#include "registry.h"
#include "schemetable.h"
#include "sessionsounds.h"
#include "settings.h"

namespace {
struct Sessionstate {
    bool closing = false;
    // While the end of the session waits for its sound.
    bool endingsound = false;
};
Sessionstate session;
}

// Builds the table, loads every list, shows application 1 in the hidden window, reads the
// settings, arms Timer1 and adds the icon. At logon it then plays the logon sound where Windows
// no longer does: after the start-up pass, so that the sound just picked is heard, and while the
// program goes on.
void Startup(bool logon)
{
    HWND window = Form1();
    // Nothing stored yet: this user starts Kvx for the first time.
    bool firstuse = !Regkeyexists(HKEY_CURRENT_USER, settingskey);
    // Before the window listens to switches handed over.
    Publishhandover();
    Seedfromclock();
    ShowWindow(window, SW_HIDE);
    // Nothing is shown yet, so selecting the first application saves nothing.
    curapp = 0;
    curevent = 0;
    HWND combo = Form1item(form1::Combo1);
    Fillrows(combo, Buildtable(), true);
    // Before any save of this run: a temporary file there now is one an earlier run left.
    Removeleftovers();
    Loadalllists();
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
    OnCombo1click();
    bool timer = Loadsettings();
    bool passed = Startuppass();
    Settimer1(timer);
    // At logon the shell may not be ready for the icon: Form3 keeps trying. Without Form3 there
    // will be no icon, and the window stays in sight instead.
    if (!Loadform3(Traymenu()))
        Showform1();
    else
        tuskicon1();
    Updatetip();
    // Which events have their user's sound recorded is first needed by a write: learnt once the
    // icon is there, unless a start-up pass needed it already.
    if (!passed) Loadoriginalslater();
    // After the pass, which puts aside what is not converted yet, and after the icon: each copy
    // joins the picks once it is made, and the start is not held up by the look over the lists.
    Startconversions(window, form1::convertedmessage);
    // Windows 10 and 11 put a new icon out of sight: a new user is told once where Kvx is. At
    // logon nobody has just started it.
    if (firstuse && !logon && Getsetting(L"welcomed", L"") != L"1")
        Notifyonce(L"Kvx は通知領域で動いています。アイコンをダブルクリックすると設定画面が開きます。",
                   [] { Savesetting(L"welcomed", L"1"); });
    // After the settings: a change pass at start-up shows here.
    Showcurrentline();
    // Said once now rather than at every save later (a folder under Program Files, say).
    if (!Listfolderwritable())
        Showmessage(window,
                    L"Kvx のフォルダーに書き込めないため、サウンドリストを保存できません。\r\n" + listfolder +
                        L"\r\n\r\nKvx を書き込めるフォルダー（インストーラーの既定の %LOCALAPPDATA%\\Programs\\Kvx "
                        L"など）に置いてください。",
                    form1caption, MB_OK | MB_ICONWARNING);
    if (logon && Kvxplayssessionsounds()) Startsound(Sessionsoundfile(Sessionsound::logon));
}

// Windows asks whether the session may end. Where Windows no longer plays the logoff and
// shut-down sounds, Kvx plays them here and answers once the sound has ended (or the time given
// to it has passed), its windows answering meanwhile; Windows shows why it waits. Nothing plays
// while Kvx ends for another reason, or when the session goes on (programs closed by an
// installer) or ends critically.
LRESULT OnQueryendsession(LPARAM reason)
{
    if (session.closing || session.endingsound || Commandrunning()) return TRUE;
    std::optional<Sessionsound> which = Endingsound(reason);
    if (!which) return TRUE;
    // Saved now, as WM_ENDSESSION would: a session that ends before its answer (the user's
    // "shut down anyway") never sends WM_ENDSESSION.
    Savelist(false);
    Kernelhandle playing = Startsound(Sessionsoundfile(*which));
    if (!playing) return TRUE;
    HWND window = Form1();
    session.endingsound = true;
    ShutdownBlockReasonCreate(window, L"サウンドを再生しています");
    if (!Waitwithmessages(playing.get(), sessionsoundlimit)) Stopsound();
    ShutdownBlockReasonDestroy(window);
    if (Form1() == window) session.endingsound = false;
    return TRUE;
}

// The program ends even when the shown list cannot be stored; the user is told so, except at the
// end of the session, when no one is there to answer a message.
void Shutdown(bool endofsession)
{
    // A question or a warning below lets messages through: a second close request (the icon's
    // 終了, the end of the session) must not start a second shut-down meanwhile.
    if (session.closing) return;
    session.closing = true;
    HWND window = Form1();
    KillTimer(window, form1::Timer1);
    tuskicon2();
    // Saved before anything waits: at the end of the session the process may go at any moment.
    Saveshownlist(!endofsession);
    Stopconversions();
    DestroyWindow(window);
}

void Endsessionstate()
{
    session = Sessionstate{};
}
