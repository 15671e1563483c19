// Test helper: another program holding a file open without sharing.
//   hold_file PATH READY_EVENT QUIT_EVENT
// Opens PATH with share mode 0, signals READY_EVENT, and keeps it open until
// QUIT_EVENT is set (at most a minute). Exit code 0 when the file was held.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) return 2;
    HANDLE file = CreateFileW(argv[1], GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2]);
    HANDLE quit = OpenEventW(SYNCHRONIZE, FALSE, argv[3]);
    if (!ready || !quit) return 3;
    SetEvent(ready);
    WaitForSingleObject(quit, 60000);
    CloseHandle(file);
    return 0;
}
