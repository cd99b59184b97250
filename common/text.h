// Conversion between the programs' Unicode strings and the system's ANSI code page.
// Everything that crosses into the registry, the shell, the common dialogs, the sound player
// or a list file goes through these two.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The byte-order mark that opens a UTF-8 file.
inline constexpr char utf8mark[] = "\xEF\xBB\xBF";

std::string Toansi(const std::wstring& text);
std::wstring Fromansi(const std::string& bytes);
// UTF-8, as list files with a byte-order mark and sound sets hold text.
std::string Toutf8(const std::wstring& text);
// Nothing for bytes that are not UTF-8.
std::optional<std::wstring> Fromutf8(const std::string& bytes);
// Whether text survives the trip to the ANSI code page and back unchanged.
bool Fitsansi(const std::wstring& text);
// Whether two names are the same as Windows compares file and registry names: without regard
// to case.
bool Sametext(std::wstring_view a, std::wstring_view b);
// Whether text ends in suffix, compared so.
bool Endswithtext(std::wstring_view text, std::wstring_view suffix);
// The text in capitals, as Windows compares names: two names that are the same are equal so.
std::wstring Foldcase(std::wstring text);
// The text with each character that escape(index, character) picks written as "%" and its code in
// two capital hex digits; only characters below U+0100 may be picked.
std::wstring Percentescape(const std::wstring& text, const std::function<bool(size_t, wchar_t)>& escape);
// The text with every %XX back as its character; nothing when a "%" is not followed by two hex digits.
std::optional<std::wstring> Percentunescape(const std::wstring& text);
