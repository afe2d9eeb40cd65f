// The 8.3 alias rules of Windows file systems: which names need an alias and what the n-th
// candidate alias of a long name looks like. Folder-wide uniqueness is kept by FileMetaStore.
#pragma once

#include "platform/portable/CodePage.h"

#include <string>

namespace tarn::platform::portable {

// True when name is a legal 8.3 name (1-8 character base, optional dot and 1-3 character
// extension, only characters DOS allows). Such names get no alias; case does not matter.
bool IsValidShortName(const std::string& name);

// The alias "BASE~n.EXT" for a long name: spaces, extra dots and illegal characters removed,
// upper case in the code page, the base cut so that base and "~n" fit in 8 characters, the last
// extension cut to 3. n starts at 1.
std::string MakeShortName(const std::string& longName, unsigned n,
                          unsigned codePage = kDefaultAnsiCodePage);

// Upper case of an ANSI name in the machine's code page, as Windows file names compare.
std::string UpperName(const std::string& name, unsigned codePage = kDefaultAnsiCodePage);
bool SameName(const std::string& a, const std::string& b, unsigned codePage = kDefaultAnsiCodePage);

} // namespace tarn::platform::portable
