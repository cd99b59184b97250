#include "messagewait.h"

bool Waitwithmessages(HANDLE object, DWORD milliseconds)
{
    ULONGLONG until = GetTickCount64() + milliseconds;
    for (;;) {
        ULONGLONG now = GetTickCount64();
        DWORD left = now >= until ? 0 : DWORD(until - now);
        DWORD woke = MsgWaitForMultipleObjectsEx(1, &object, left, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0) return true;
        if (woke != WAIT_OBJECT_0 + 1) return WaitForSingleObject(object, 0) == WAIT_OBJECT_0;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(int(message.wParam));
                return WaitForSingleObject(object, 0) == WAIT_OBJECT_0;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}
