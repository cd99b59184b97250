// The set file, kvxset.txt: its first line names the format; then a line for the set's name and
// version, one for each event (application, event, label) and one for each of its sounds (a path
// inside the set's folder) or folders (the same, without a "\" at the end). Fields are separated by
// tabs; the text is UTF-8 with a byte-order mark. A set of files only is written in the first
// format, which every Kvx reads; one with folders in the second, which one that knows only files
// refuses.
#pragma once

#include "soundsets.h"

#include <string>

// The bytes of set's kvxset.txt.
std::string Setfilebytes(const Soundset& set);
