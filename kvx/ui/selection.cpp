#include "selection.h"

#include "keylist.h"
#include "listbox.h"
#include "listedsounds.h"
#include "registry.h"
#include "schemetable.h"

void Showsounds(HWND list, int16_t a, int16_t e)
{
    Fillrows(list, Savedsounds(a, e));
}

void Showcurrent(HWND regbox1, HWND regbox2, int16_t a, int16_t e)
{
    bool valid = Validevent(a, e);
    // The same text as row e of List1, which Showevents fills with Eventtext.
    SetWindowTextW(regbox1, valid ? Eventtext(a, e).c_str() : L"");
    // A converted sound is named by the user's own file, not by its copy.
    SetWindowTextW(regbox2, valid ? Listedsound(a, e, Getregstr(HKEY_CURRENT_USER, Currentkey(a, e), L"")).c_str() : L"");
}
