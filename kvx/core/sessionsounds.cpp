#include "sessionsounds.h"

#include "keylist.h"
#include "registry.h"
#include "settings.h"
#include "text.h"

#include <versionhelpers.h>

#include <array>

std::optional<bool> windowsplayssessionhook;
uint32_t sessionsoundlimit = 10000;

namespace {
constexpr wchar_t sessionapp[] = L".Default";

const wchar_t* Eventname(Sessionsound which)
{
    switch (which) {
    case Sessionsound::logon: return L"WindowsLogon";
    case Sessionsound::logoff: return L"WindowsLogoff";
    case Sessionsound::exit: return L"SystemExit";
    }
    return L"";
}

std::wstring Expanded(const std::wstring& text)
{
    DWORD size = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (size == 0) return text;
    std::wstring out(size, L'\0');
    size = ExpandEnvironmentStringsW(text.c_str(), out.data(), size);
    if (size == 0 || size > out.size()) return text;
    out.resize(size - 1);
    return out;
}
}

bool Windowsplayssessionsounds()
{
    if (windowsplayssessionhook) return *windowsplayssessionhook;
    static const bool windows7 = !IsWindows8OrGreater();
    return windows7;
}

bool Kvxplayssessionsounds()
{
    return !Windowsplayssessionsounds() && sessionsounds != 0;
}

bool Issessionevent(int16_t a, int16_t e)
{
    if (!Validevent(a, e) || !Sametext(apps[0].names[size_t(a - 1)], sessionapp)) return false;
    const std::wstring& name = apps[size_t(a)].names[size_t(e)];
    for (Sessionsound which : {Sessionsound::logon, Sessionsound::logoff, Sessionsound::exit})
        if (Sametext(name, Eventname(which))) return true;
    return false;
}

std::optional<Sessionsound> Endingsound(LPARAM reason)
{
    if ((reason & (ENDSESSION_CLOSEAPP | ENDSESSION_CRITICAL)) || !Kvxplayssessionsounds()) return std::nullopt;
    return (reason & ENDSESSION_LOGOFF) ? Sessionsound::logoff : Sessionsound::exit;
}

std::wstring Sessionsoundfile(Sessionsound which)
{
    Regkey key = Openkey(HKEY_CURRENT_USER, Currentpath(sessionapp, Eventname(which)), KEY_QUERY_VALUE);
    if (!key) return {};
    std::optional<Regdata> value = Queryregdata(key.get(), L"");
    if (!value || !value->Isstring()) return {};
    std::wstring path = value->type == REG_EXPAND_SZ ? Expanded(value->Text()) : value->Text();
    if (path.empty() || path.find_first_of(L"\\/:") != std::wstring::npos) return path;
    std::array<wchar_t, MAX_PATH> windows{};
    UINT length = GetWindowsDirectoryW(windows.data(), UINT(windows.size()));
    if (length == 0 || length >= windows.size()) return path;
    std::wstring media = std::wstring(windows.data(), length) + L"\\Media\\" + path;
    return GetFileAttributesW(media.c_str()) != INVALID_FILE_ATTRIBUTES ? media : path;
}
