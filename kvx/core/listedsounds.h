// The sounds the lists name, as the pass, the window and the conversions see them: which file
// names Kvx takes for sounds, what file Windows is given for a listed sound, and which listed
// sounds still wait for their wave copies.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The endings of the files Kvx takes as sounds, wave files first, in the file picker's form
// ("*.wav;*.mp3;..."): what a drop, a paste and a folder bring.
std::wstring Soundpatterns();
// Whether a file's name ends as a sound's does (Soundpatterns).
bool Soundfilename(std::wstring_view name);
// Whether a file that is no wave file that plays may still be a sound to convert: its name is a
// sound's, and not a wave file's (a file named .wav that does not play plays nowhere).
bool Convertiblename(std::wstring_view name);

// The file Windows is given for a listed sound: a wave file as it is, another format's converted
// copy once it is made. Nothing for a sound that is missing, refused or not converted yet; the
// last is handed to convertlater. Costs one look at the file (and one at its copy).
std::optional<std::wstring> Playedfile(const std::wstring& sound);
// Where the running Kvx takes a sound met without its copy, to convert it in the background.
extern std::function<void(const std::wstring& sound)> convertlater;
// The listed sound of (app, event) that a file given to Windows stands for: the source of a
// converted copy, else the file itself.
std::wstring Listedsound(int16_t app, int16_t event, const std::wstring& played);

// Every sound the lists name, each once, a listed folder's as it holds them now.
std::vector<std::wstring> Listedsounds();
// The listed sounds whose wave copies are still to be made.
std::vector<std::wstring> Unconvertedsounds();
// Converts them here and now (for a run without a window, before its pass).
void Convertlistedsounds();
