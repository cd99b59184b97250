// Conversion between the programs' Unicode strings and the system's ANSI code page.
// Everything that crosses into the registry, the shell, the common dialogs, the sound player
// or a list file goes through these two.
#pragma once

#include <string>

std::string Toansi(const std::wstring& text);
std::wstring Fromansi(const std::string& bytes);
// Whether text survives the trip to the ANSI code page and back unchanged.
bool Fitsansi(const std::wstring& text);
