#include "options.h"

#include "form1.h"
#include "form2.h"

void Openoptions()
{
    Showform2(Form1(), Settimer1);
}
