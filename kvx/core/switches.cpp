#include "switches.h"

#include "changer.h"
#include "listfiles.h"
#include "originals.h"
#include "schemetable.h"
#include "settings.h"
#include "text.h"

#include <string_view>
#include <utility>

namespace {
constexpr std::pair<const wchar_t*, Switch> names[] = {
    {L"change", Switch::change}, {L"pause", Switch::pause},     {L"resume", Switch::resume},
    {L"show", Switch::show},     {L"exit", Switch::exit},       {L"restore", Switch::restore},
    {L"logon", Switch::logon},
};
}

Commandline Parsecommandline(const std::wstring& line)
{
    size_t begin = line.find_first_not_of(L" \t");
    if (begin == std::wstring::npos) return {};
    size_t end = line.find_last_not_of(L" \t");
    std::wstring text = line.substr(begin, end - begin + 1);
    if (text.size() > 1 && (text[0] == L'/' || text[0] == L'-'))
        for (auto [name, what] : names)
            if (Sametext(std::wstring_view(text).substr(1), name)) return {what, text};
    return {Switch::unknown, text};
}

std::wstring Switchhelp(const std::wstring& given)
{
    return L"Kvx.exe の引数「" + given + L"」はわかりません。使える引数は次のとおりです（大文字・小文字、/ と - の区別なし）。\r\n\r\n"
           L"/change\t今すぐすべてのサウンドを変更します\r\n"
           L"/pause\t一時停止します\r\n"
           L"/resume\t一時停止をやめます\r\n"
           L"/show\tメインウィンドウを表示します\r\n"
           L"/exit\tKvx を終了します（表示中のリストは保存します）\r\n"
           L"/restore\t元のサウンドに戻し、一時停止します\r\n"
           L"/logon\tWindows へのログオン時の起動です（ログオンのサウンドを鳴らします）\r\n\r\n"
           L"終了コード: 0 完了、1 失敗、2 わからない引数";
}

int Runwithoutkvx(Switch what)
{
    switch (what) {
    case Switch::change: {
        Buildtable();
        Loadoriginals();
        Loadalllists();
        Loadsettings();
        return Changepass().failed == 0 ? exitdone : exitfailed;
    }
    case Switch::pause:
    case Switch::resume:
        return Savesetting(L"paused", what == Switch::pause ? L"1" : L"0") ? exitdone : exitfailed;
    case Switch::restore: return Restoreoriginals().failed == 0 ? exitdone : exitfailed;
    case Switch::exit: return exitdone;
    default: return exitbadswitch;
    }
}
