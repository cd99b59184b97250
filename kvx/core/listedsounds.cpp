#include "listedsounds.h"

#include "convertedcopies.h"
#include "keylist.h"
#include "schemetable.h"
#include "soundfolders.h"
#include "text.h"

#include <atomic>
#include <unordered_set>

namespace {
// Wave files play as they are; the others are what Media Foundation decodes on most systems.
constexpr const wchar_t* endings[] = {L".wav",  L".mp3", L".m4a", L".aac", L".wma", L".flac",
                                      L".ogg",  L".oga", L".opus", L".aif", L".aiff", L".aifc"};
}

std::wstring Soundpatterns()
{
    std::wstring patterns;
    for (const wchar_t* ending : endings) patterns += (patterns.empty() ? L"*" : L";*") + std::wstring(ending);
    return patterns;
}

bool Soundfilename(std::wstring_view name)
{
    for (const wchar_t* ending : endings)
        if (name.size() > std::wstring_view(ending).size() && Endswithtext(name, ending)) return true;
    return false;
}

std::function<void(const std::wstring& sound)> convertlater;

bool Convertiblename(std::wstring_view name)
{
    return Soundfilename(name) && !Endswithtext(name, endings[0]);
}

std::optional<std::wstring> Playedfile(const std::wstring& sound)
{
    Soundcopy copy = Copyfor(sound);
    if (copy.state == Copystate::pending && convertlater) convertlater(sound);
    if (copy.state != Copystate::wave && copy.state != Copystate::ready) return std::nullopt;
    return copy.path;
}

std::wstring Listedsound(int16_t app, int16_t event, const std::wstring& played)
{
    // Only a copy needs its source found, among the sounds of its event.
    if (convertedfolder.empty() || !Sametext(played.substr(0, convertedfolder.size() + 1), convertedfolder + L"\\"))
        return played;
    for (const std::wstring& entry : Savedsounds(app, event)) {
        if (!Isfolderentry(entry)) {
            if (Sametext(Copyfor(entry).path, played)) return entry;
            continue;
        }
        // A copy's name begins with its source's: only those of the folder's sounds are looked at.
        std::wstring copyname = played.substr(convertedfolder.size() + 1);
        for (const std::wstring& name : Listfolder(entry)->names) {
            std::wstring sound = Folderfile(entry, name);
            std::wstring stem = Copystem(sound);
            if (copyname.size() > stem.size() && Sametext(copyname.substr(0, stem.size()), stem) &&
                Sametext(Copyfor(sound).path, played))
                return sound;
        }
    }
    return played;
}

std::vector<std::wstring> Listedsounds()
{
    std::vector<std::wstring> sounds;
    std::unordered_set<std::wstring> seen;
    // Lists name the same few sounds over and over: an entry met before exactly as written is
    // passed over before its case is folded.
    std::unordered_set<std::wstring> met;
    auto take = [&](std::wstring sound) {
        if (!sound.empty() && seen.insert(Foldcase(sound)).second) sounds.push_back(std::move(sound));
    };
    Foreachevent([&](int16_t app, int16_t event) {
        int16_t count = soundlists.Count(app, event);
        for (int16_t k = 0; k < count; ++k) {
            std::wstring entry = soundlists.Get(app, event, k);
            if (!met.insert(entry).second) continue;
            if (!Isfolderentry(entry)) {
                take(std::move(entry));
            } else if (seen.insert(Foldcase(entry)).second) {
                // A folder entry ends in "\", which no sound's path does: one set serves both.
                for (const std::wstring& name : Listfolder(entry)->names) take(Folderfile(entry, name));
            }
        }
    });
    return sounds;
}

std::vector<std::wstring> Unconvertedsounds()
{
    std::vector<std::wstring> pending;
    for (std::wstring& sound : Listedsounds())
        if (Copyfor(sound).state == Copystate::pending) pending.push_back(std::move(sound));
    return pending;
}

void Convertlistedsounds()
{
    std::atomic<bool> never{false};
    Mediascope media;
    for (const std::wstring& sound : Unconvertedsounds()) Convertsound(sound, never);
}
