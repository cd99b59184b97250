#include "settings.h"

#include "registry.h"

#include <cwctype>

std::wstring defdir;
int16_t cinterval = 1;
int16_t optval1 = 0;
int16_t paused = 0;
int16_t norepeat = 0;
int16_t sessionsounds = 1;

std::wstring Getsetting(const std::wstring& key, const std::wstring& deflt)
{
    std::wstring value = Getregstr(HKEY_CURRENT_USER, settingskey, key);
    return value.empty() ? deflt : value;
}

bool Savesetting(const std::wstring& key, const std::wstring& value)
{
    return Setregstr(HKEY_CURRENT_USER, settingskey, key, value);
}

std::optional<int16_t> Parseint16(const std::wstring& text)
{
    size_t at = 0;
    size_t end = text.size();
    while (at < end && std::iswspace(text[at])) ++at;
    while (end > at && std::iswspace(text[end - 1])) --end;
    bool negative = false;
    if (at < end && (text[at] == L'-' || text[at] == L'+')) negative = text[at++] == L'-';
    if (at == end) return std::nullopt;
    long value = 0;
    for (; at < end; ++at) {
        if (text[at] < L'0' || text[at] > L'9') return std::nullopt;
        value = value * 10 + (text[at] - L'0');
        if (value > 32768) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > INT16_MAX) return std::nullopt;
    return int16_t(value);
}

bool Loadsettings()
{
    defdir = Getsetting(L"defdir", L"");
    cinterval = Parseint16(Getsetting(L"cinterval", L"1")).value_or(1);
    optval1 = Parseint16(Getsetting(L"optval1", L"0")).value_or(0);
    paused = Parseint16(Getsetting(L"paused", L"0")).value_or(0) != 0 ? 1 : 0;
    norepeat = Parseint16(Getsetting(L"norepeat", L"0")).value_or(0) != 0 ? 1 : 0;
    sessionsounds = Parseint16(Getsetting(L"sessionsounds", L"1")).value_or(1) != 0 ? 1 : 0;
    return cinterval != 0;
}
