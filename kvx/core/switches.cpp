#include "switches.h"

#include "text.h"

#include <windows.h>

#include <string_view>
#include <utility>

namespace {
constexpr std::pair<const wchar_t*, Switch> names[] = {
    {L"change", Switch::change}, {L"pause", Switch::pause},     {L"resume", Switch::resume},
    {L"show", Switch::show},     {L"exit", Switch::exit},       {L"restore", Switch::restore},
    {L"logon", Switch::logon},   {L"export", Switch::exportset}, {L"import", Switch::importset},
};

std::wstring Fullpath(const std::wstring& path)
{
    DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::wstring full(size, L'\0');
    size = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    full.resize(size);
    while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/')) full.pop_back();
    return full;
}
}

Commandline Parsecommandline(const std::wstring& line)
{
    size_t begin = line.find_first_not_of(L" \t");
    if (begin == std::wstring::npos) return {};
    size_t end = line.find_last_not_of(L" \t");
    std::wstring text = line.substr(begin, end - begin + 1);
    size_t blank = text.find_first_of(L" \t");
    std::wstring word = text.substr(0, blank);
    std::wstring rest = blank == std::wstring::npos ? std::wstring() : text.substr(text.find_first_not_of(L" \t", blank));
    if (rest.size() >= 2 && rest.front() == L'"' && rest.back() == L'"') rest = rest.substr(1, rest.size() - 2);
    Switch what = Switch::unknown;
    if (word.size() > 1 && (word[0] == L'/' || word[0] == L'-'))
        for (auto [name, switched] : names)
            if (Sametext(std::wstring_view(word).substr(1), name)) what = switched;
    bool takesfolder = what == Switch::exportset || what == Switch::importset;
    if (takesfolder != !rest.empty() || rest.find(L'"') != std::wstring::npos) what = Switch::unknown;
    return {what, takesfolder && what != Switch::unknown ? Fullpath(rest) : std::wstring(), text};
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
           L"/logon\tWindows へのログオン時の起動です（ログオンのサウンドを鳴らします）\r\n"
           L"/export \"フォルダー\"\tサウンドセットを書き出します\r\n"
           L"/import \"フォルダー\"\tサウンドセットを読み込みます\r\n\r\n"
           L"終了コード: 0 完了、1 失敗、2 わからない引数";
}
