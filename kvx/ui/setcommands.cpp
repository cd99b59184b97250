#include "setcommands.h"

#include "folders.h"
#include "form1.h"
#include "form4.h"
#include "pickers.h"
#include "soundsets.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {
// A long list of events is shown by its first names.
constexpr size_t named = 10;

std::wstring Names(const std::vector<std::wstring>& names)
{
    std::wstring text;
    for (size_t k = 0; k < std::min(named, names.size()); ++k) text += L"\r\n  " + names[k];
    if (names.size() > named) text += L"\r\n  ほか " + std::to_wstring(names.size() - named) + L" 個";
    return text;
}

// What an import leaves aside, told before and after it.
std::wstring Asidenote(const Importplan& plan)
{
    std::wstring note;
    if (plan.duplicates > 0)
        note += L"\r\n同じサウンドがすでにリストにある " + std::to_wstring(plan.duplicates) + L" 個は追加しません。";
    if (plan.leftout > 0)
        note += L"\r\nリストには 101 個までしか入らないため、" + std::to_wstring(plan.leftout) + L" 個は追加しません。";
    if (!plan.lacking.empty())
        note += L"\r\n\r\nこのパソコンにないイベント（作りません。KVX用イベント設定で追加できます）:" + Names(plan.lacking);
    if (!plan.unreadable.empty())
        note += L"\r\n\r\n読み込めない部分があるため変更しないリスト:" + Names(plan.unreadable);
    return note;
}

void Tell(HWND owner, const std::wstring& text, UINT icon)
{
    Showmessage(owner, text, form1caption, MB_OK | icon);
}
}

void Exportfromuser(HWND owner)
{
    std::wstring folder =
        Browsefolder(owner, L"サウンドセットを書き出すフォルダーを選んでください（空のフォルダーか、新しいフォルダー）", true);
    if (folder.empty()) return;
    if (!Exporttargetfree(folder))
        return Tell(owner, L"このフォルダーは空ではありません。空のフォルダーか、新しいフォルダーを選んでください。\r\n" + folder,
                    MB_ICONWARNING);
    Showform4(owner, L"サウンドセットを書き出す", L"サウンドをコピーしています: " + folder);
    Exportresult result = Exportset(folder, Lastname(folder), Setform4progress);
    Unloadform4();
    if (!result.done)
        return Tell(owner, L"サウンドセットを書き出せませんでした。何も残していません。\r\n" + result.why, MB_ICONWARNING);
    std::wstring summary = std::to_wstring(result.written) + L" 個のサウンドを書き出しました。";
    if (result.leftout > 0)
        summary += L"見つからない " + std::to_wstring(result.leftout) + L" 個は含めていません。";
    Tell(owner, summary + L"\r\n" + folder, MB_ICONINFORMATION);
}

bool Importfromuser(HWND owner)
{
    std::wstring folder = Browsefolder(owner, L"読み込むサウンドセットのフォルダー（kvxset.txt のあるフォルダー）を選んでください");
    if (folder.empty()) return false;
    Setread read = Readset(folder);
    if (!read.set) {
        Tell(owner, L"サウンドセットを読み込めません。何も変更していません。\r\n" + read.fault, MB_ICONWARNING);
        return false;
    }
    Importplan plan = Planimport(*read.set, folder);
    std::wstring aside = Asidenote(plan);
    if (plan.sounds == 0) {
        Tell(owner, L"「" + read.set->name + L"」から追加するサウンドはありません。" + aside, MB_ICONINFORMATION);
        return false;
    }
    std::wstring question = L"サウンドセット「" + read.set->name + L"」から、" + std::to_wstring(plan.events.size()) +
                            L" 個のイベントに " + std::to_wstring(plan.sounds) +
                            L" 個のサウンドを追加します。今のリストのサウンドはそのまま残ります。" + aside +
                            L"\r\n\r\nよろしいですか？";
    if (Showmessage(owner, question, form1caption, MB_OKCANCEL | MB_ICONQUESTION) != IDOK) return false;
    Showform4(owner, L"サウンドセットを読み込む", L"サウンドをコピーしています: " + read.set->name);
    Importresult result = Importset(*read.set, folder, plan, Setform4progress);
    Unloadform4();
    if (!result.done) {
        Tell(owner, L"サウンドセットを読み込めませんでした。\r\n" + result.why, MB_ICONWARNING);
        return false;
    }
    Tell(owner,
         std::to_wstring(result.added) + L" 個のサウンドを追加しました。\r\nサウンドのコピーは次のフォルダーにあります:\r\n" +
             result.copiedto + aside,
         MB_ICONINFORMATION);
    return true;
}
