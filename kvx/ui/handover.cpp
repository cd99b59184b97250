#include "handover.h"

#include "form1.h"
#include "handles.h"
#include "instance.h"

#include <windows.h>
#include <ntsecapi.h>

#include <cstring>
#include <vector>

namespace {
// /change over a large tree takes some seconds; a Kvx that answers nothing for this long is hung.
constexpr UINT answertime = 120000;
// Copying a set of hundreds of sounds may take many minutes on a slow disk.
constexpr UINT setanswertime = 3600000;
constexpr LRESULT answermark = 0x4B560000;  // "KV"
constexpr DWORD secretsize = sizeof(Handoverpacket::secret);

// The object holding this Kvx's secret, open for the program's life so that it stays.
Kernelhandle secretobject;

std::wstring Secretname()
{
    return Instancename() + L"-handover";
}

bool Absolute(const std::wstring& path)
{
    return (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') || path.starts_with(L"\\\\");
}
// /exit: the user may first be asked whether to drop what a list file holds that was not read.
constexpr DWORD endtime = 120000;

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

void Publishhandover()
{
    if (!secretobject) {
        // Made with the process's own default access: the same user may open it, no other user.
        secretobject.reset(
            CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, secretsize, Secretname().c_str()));
        Mappedview view(secretobject ? MapViewOfFile(secretobject.get(), FILE_MAP_WRITE, 0, 0, secretsize) : nullptr);
        // A secret nobody could guess; without one, nothing is ever taken.
        // RtlGenRandom rather than BCryptGenRandom: the system's generator without loading the
        // cryptography library at every start.
        if (!view || !RtlGenRandom(view.get(), secretsize))
            secretobject.reset();
    }
    // After the secret: a start that waited for the window hands over at once.
    Announcewindow(Form1());
}

bool Readhandoversecret(BYTE (&secret)[16])
{
    Kernelhandle mapping(OpenFileMappingW(FILE_MAP_READ, FALSE, Secretname().c_str()));
    if (!mapping) return false;
    Mappedview view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, secretsize));
    if (!view) return false;
    std::memcpy(secret, view.get(), secretsize);
    return true;
}

LRESULT Handoveranswer(int code)
{
    return answermark | (code & 0xFFFF);
}

int Handover(const Commandline& line)
{
    Switch what = line.what;
    HWND kvx = Runningkvx();
    if (!kvx) return exitfailed;
    DWORD kvxprocess = 0;
    GetWindowThreadProcessId(kvx, &kvxprocess);
    // The running Kvx may bring its window to the front for /show.
    AllowSetForegroundWindow(kvxprocess);
    // The message names this process by a window of its own, which the receiver checks.
    Windowhandle self(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
    Handoverpacket header{GetCurrentProcessId(), DWORD(what), {}};
    if (!Readhandoversecret(header.secret)) return exitfailed;
    std::vector<BYTE> packet(sizeof header + (line.folder.size() + 1) * sizeof(wchar_t));
    std::memcpy(packet.data(), &header, sizeof header);
    std::memcpy(packet.data() + sizeof header, line.folder.c_str(), (line.folder.size() + 1) * sizeof(wchar_t));
    COPYDATASTRUCT data{handovertag, DWORD(packet.size()), packet.data()};
    DWORD_PTR answer = 0;
    bool sets = what == Switch::exportset || what == Switch::importset;
    bool answered = SendMessageTimeoutW(kvx, WM_COPYDATA, reinterpret_cast<WPARAM>(self.get()),
                                        reinterpret_cast<LPARAM>(&data), SMTO_NORMAL,
                                        sets ? setanswertime : answertime, &answer) != 0;
    self.reset();
    if (!answered || (LRESULT(answer) & ~LRESULT(0xFFFF)) != answermark) return exitfailed;
    int code = int(answer & 0xFFFF);
    if (what == Switch::exit && code == exitdone) {
        // Done once the main window is gone: Kvx has saved the shown list by then, and holds no
        // list file open, so a backup may begin.
        if (!Awaitwindowend(kvx, kvxprocess, endtime)) return exitfailed;
    }
    return code;
}

std::optional<Commandline> Receivedswitch(HWND sender, const COPYDATASTRUCT& data)
{
    constexpr size_t header = sizeof(Handoverpacket);
    // A header and at least the folder's NUL, in whole characters.
    if (data.dwData != handovertag || !data.lpData || data.cbData < header + sizeof(wchar_t) ||
        (data.cbData - header) % sizeof(wchar_t) != 0)
        return std::nullopt;
    Handoverpacket packet{};
    std::memcpy(&packet, data.lpData, header);
    BYTE secret[secretsize];
    if (!Readhandoversecret(secret) || std::memcmp(secret, packet.secret, secretsize) != 0) return std::nullopt;
    DWORD owner = 0;
    if (!sender || !GetWindowThreadProcessId(sender, &owner) || owner != packet.process) return std::nullopt;
    if (!Sameuserandsession(packet.process)) return std::nullopt;
    if (packet.what > DWORD(Switch::unknown)) return std::nullopt;
    std::wstring folder((data.cbData - header) / sizeof(wchar_t), L'\0');
    std::memcpy(folder.data(), static_cast<const BYTE*>(data.lpData) + header, folder.size() * sizeof(wchar_t));
    if (folder.back() != L'\0') return std::nullopt;
    folder.pop_back();
    // The folders of sets come in full from the sender, which knew its own current folder.
    bool sets = Switch(packet.what) == Switch::exportset || Switch(packet.what) == Switch::importset;
    if (sets && !Absolute(folder)) return std::nullopt;
    return Commandline{Switch(packet.what), folder, {}};
}
