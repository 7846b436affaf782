// A stand-in program for the tests: it idles, so that a test can find it in the process list
// under whatever name it was copied to, and ends by itself should the test fail to end it.
#include <windows.h>

int main() {
    Sleep(30000);
    return 0;
}
