/* Exits with what GetVersion tells it, so a test can see the Windows version Wine shows a
   program of this name. */
#include <windows.h>

int main(void) { return (int)GetVersion(); }
