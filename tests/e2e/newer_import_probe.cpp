// A program that imports a function of Windows 10 directly, as kestrova.exe
// once did: the import check must refuse it.
#include <windows.h>

int main() { return static_cast<int>(GetDpiForWindow(GetDesktopWindow()) == 0); }
