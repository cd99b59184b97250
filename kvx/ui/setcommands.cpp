#include "commands.h"

#include "folders.h"
#include "form1.h"
#include "form1parts.h"
#include "form4.h"
#include "pickers.h"
#include "schemetable.h"
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
        note += L"\r\nリストには " + std::to_wstring(Soundtable::capacity) + L" 個までしか入らないため、" +
                std::to_wstring(plan.leftout) + L" 個は追加しません。";
    if (!plan.lacking.empty())
        note += L"\r\n\r\nこのパソコンにないイベント（作りません。KVX用イベント設定で追加できます）:" + Names(plan.lacking);
    if (!plan.unreadable.empty())
        note += L"\r\n\r\n読み込めない部分があるため変更しないリスト:" + Names(plan.unreadable);
    return note;
}

// The progress window while a person waits for the copies; a script waits for the exit code.
class Progress {
public:
    Progress(const Invocation& how, const std::wstring& title, const std::wstring& text) : shown_(how.Person())
    {
        if (shown_) Showform4(how.owner, title, text);
    }
    ~Progress()
    {
        if (shown_) Unloadform4();
    }
    Setprogress Callback() const { return shown_ ? Setprogress(Setform4progress) : Setprogress(); }

private:
    bool shown_;
};
}

// A set holds the lists as saved: the shown one is saved first.
int Exportcommand(const Invocation& how)
{
    if (!Saveshownlist(how.Person())) return exitfailed;
    std::wstring folder = how.folder;
    if (how.Person()) {
        folder = Browsefolder(how.owner, L"サウンドセットを書き出すフォルダーを選んでください（空のフォルダーか、新しいフォルダー）",
                              true);
        if (folder.empty()) return exitfailed;
        if (!Exporttargetfree(folder)) {
            Tell(how, L"このフォルダーは空ではありません。空のフォルダーか、新しいフォルダーを選んでください。\r\n" + folder,
                 MB_ICONWARNING);
            return exitfailed;
        }
    }
    Exportresult result;
    {
        Progress progress(how, L"サウンドセットを書き出す", L"サウンドをコピーしています: " + folder);
        result = Exportset(folder, Lastname(folder), progress.Callback());
    }
    if (!result.done) {
        Tell(how, L"サウンドセットを書き出せませんでした。何も残していません。\r\n" + result.why, MB_ICONWARNING);
        return exitfailed;
    }
    std::wstring summary = std::to_wstring(result.written) + L" 個のサウンドを書き出しました。";
    if (result.leftout > 0) summary += L"見つからないか使えない " + std::to_wstring(result.leftout) + L" 個は含めていません。";
    Tell(how, summary + L"\r\n" + folder, MB_ICONINFORMATION);
    return exitdone;
}

// What an import adds goes to the lists as saved: the shown one is saved first, and shows what it
// got afterwards.
int Importcommand(const Invocation& how)
{
    if (!Saveshownlist(how.Person())) return exitfailed;
    std::wstring folder = how.folder;
    if (how.Person()) {
        folder = Browsefolder(how.owner, L"読み込むサウンドセットのフォルダー（kvxset.txt のあるフォルダー）を選んでください");
        if (folder.empty()) return exitfailed;
    }
    return Importandshow([&how, &folder] {
        Setread read = Readset(folder);
        if (!read.set) {
            Tell(how, L"サウンドセットを読み込めません。何も変更していません。\r\n" + read.fault, MB_ICONWARNING);
            return exitfailed;
        }
        Importplan plan = Planimport(*read.set, folder);
        std::wstring aside = Asidenote(plan);
        if (plan.sounds == 0) {
            Tell(how, L"「" + read.set->name + L"」から追加するサウンドはありません。" + aside, MB_ICONINFORMATION);
            return exitdone;
        }
        if (!Ask(how, L"サウンドセット「" + read.set->name + L"」から、" + std::to_wstring(plan.events.size()) +
                          L" 個のイベントに " + std::to_wstring(plan.sounds) + L" 個のサウンド" +
                          (plan.folders > 0 ? L"（うち " + std::to_wstring(plan.folders) + L" 個はフォルダー）" : L"") +
                          L"を追加します。今のリストのサウンドはそのまま残ります。" + aside +
                          L"\r\n\r\nよろしいですか？"))
            return exitfailed;
        Importresult result;
        {
            Progress progress(how, L"サウンドセットを読み込む", L"サウンドをコピーしています: " + read.set->name);
            result = Importset(*read.set, folder, plan, progress.Callback());
        }
        if (!result.done) {
            Tell(how, L"サウンドセットを読み込めませんでした。\r\n" + result.why, MB_ICONWARNING);
            return exitfailed;
        }
        Tell(how,
             std::to_wstring(result.added) + L" 個のサウンドを追加しました。\r\nサウンドのコピーは次のフォルダーにあります:\r\n" +
                 result.copiedto + aside,
             MB_ICONINFORMATION);
        return exitdone;
    });
}
