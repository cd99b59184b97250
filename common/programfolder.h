// The folder of the running program's own file: where Kvx keeps its lists and where Tebbet's
// file picker starts.
#pragma once

#include <string>

std::wstring Programfolder();
