// dll_probe [NAME...]: with names, loads each DLL by name, as a program
// that does not limit the DLL search would. Without, it only imports
// user32 as every GUI program does: what that loads happens before any of
// a program's own code runs. The planted-DLL test runs it beside the
// planted DLLs for both answers.
#include <windows.h>

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; i++) LoadLibraryA(argv[i]);
    return GetSystemMetrics(SM_CXSCREEN) > 0 ? 0 : 1;
}
