// The bench of converting a song into its wave copy, beside decoding it to memory.
#pragma once

#include <string>

// Prints the times and their ratio; 0 when the song converted.
int Conversionbench(const std::wstring& song, const std::wstring& folder);
