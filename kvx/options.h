// The options dialog, opened from the main window's "詳細設定" button and the icon's menu.
#pragma once

// Opens the options dialog filled with the current settings, without blocking the caller.
void Openoptions();
