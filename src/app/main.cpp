// Velmora's entry point. The tray shell arrives with the main form; until
// then the program starts and ends at once.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return 0; }
