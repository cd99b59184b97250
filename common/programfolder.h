// The running program's own file and folder: where Kvx keeps its lists, where Tebbet's file
// picker starts, and what the Run value names.
#pragma once

#include <string>

// Full path of the program's file; empty when the system cannot tell.
std::wstring Programpath();
// Its folder; "." when the system cannot tell.
std::wstring Programfolder();
