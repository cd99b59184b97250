#include "handover.h"

#include "form1.h"
#include "handles.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace {
// /change over a large tree takes some seconds; a Kvx that answers nothing for this long is hung.
constexpr UINT answertime = 120000;
// /exit: the user may first be asked whether to drop what a list file holds that was not read.
constexpr DWORD endtime = 120000;

std::vector<BYTE> Usersid(HANDLE process)
{
    Kernelhandle token;
    if (!OpenProcessToken(process, TOKEN_QUERY, token.put())) return {};
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size == 0 || !GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return {};
    PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    const BYTE* bytes = static_cast<const BYTE*>(sid);
    return std::vector<BYTE>(bytes, bytes + GetLengthSid(sid));
}

// Whether process is one of this user's, in this session.
bool Sameuserandsession(DWORD process)
{
    DWORD theirs = 0, ours = 0;
    if (!ProcessIdToSessionId(process, &theirs) || !ProcessIdToSessionId(GetCurrentProcessId(), &ours) ||
        theirs != ours)
        return false;
    Kernelhandle other(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
    if (!other) return false;
    std::vector<BYTE> sid = Usersid(other.get());
    return !sid.empty() && sid == Usersid(GetCurrentProcess());
}
}

int Handover(Switch what)
{
    HWND kvx = FindWindowW(form1class, form1caption);
    if (!kvx) return exitfailed;
    DWORD kvxprocess = 0;
    GetWindowThreadProcessId(kvx, &kvxprocess);
    // The running Kvx may bring its window to the front for /show.
    AllowSetForegroundWindow(kvxprocess);
    // The message names this process by a window of its own, which the receiver checks.
    HWND self = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    Handoverpacket packet{GetCurrentProcessId(), DWORD(what)};
    COPYDATASTRUCT data{handovertag, sizeof packet, &packet};
    DWORD_PTR answer = exitfailed;
    bool answered = SendMessageTimeoutW(kvx, WM_COPYDATA, reinterpret_cast<WPARAM>(self),
                                        reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, answertime, &answer) != 0;
    if (self) DestroyWindow(self);
    if (!answered) return exitfailed;
    if (what == Switch::exit && answer == exitdone) {
        // Done once the main window is gone: Kvx has saved the shown list by then, and holds no
        // list file open, so a backup may begin.
        for (DWORD waited = 0; IsWindow(kvx) && waited < endtime; waited += 50) Sleep(50);
        if (IsWindow(kvx)) return exitfailed;
    }
    return int(answer);
}

std::optional<Switch> Receivedswitch(HWND sender, const COPYDATASTRUCT& data)
{
    if (data.dwData != handovertag || data.cbData != sizeof(Handoverpacket) || !data.lpData) return std::nullopt;
    Handoverpacket packet{};
    std::memcpy(&packet, data.lpData, sizeof packet);
    DWORD owner = 0;
    if (!sender || !GetWindowThreadProcessId(sender, &owner) || owner != packet.process) return std::nullopt;
    if (!Sameuserandsession(packet.process)) return std::nullopt;
    if (packet.what > DWORD(Switch::unknown)) return std::nullopt;
    return Switch(packet.what);
}
