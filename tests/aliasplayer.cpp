// Plays an event's sound the way Windows does for its own events: by the event's name, looked up
// in the registry (PlaySound with SND_ALIAS). It runs with the UTF-8 code page (its manifest), as
// Windows' own lookup opens any path; Wine's opens only what the process's code page spells.
//   aliasplayer <key standing for HKEY_CURRENT_USER> <event name>
// Exit code 0 when the sound was found and played to its end, 1 when not, 2 on bad arguments.
#include <windows.h>
#include <mmsystem.h>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) return 2;
    HKEY user = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, argv[1], 0, KEY_READ, &user) != ERROR_SUCCESS) return 2;
    RegOverridePredefKey(HKEY_CURRENT_USER, user);
    return PlaySoundW(argv[2], nullptr, SND_ALIAS | SND_SYNC | SND_NODEFAULT) ? 0 : 1;
}
