#include "options.h"

// The options dialog (Form2) is not part of the program yet: both triggers already call here.
void Openoptions() {}
