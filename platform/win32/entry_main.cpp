// The process start on Linux: hands over to the show's WinMain.
#include <windows.h>

int main(int argc, char** argv) {
    return WinMain(nullptr, nullptr, const_cast<LPSTR>(""), SW_SHOWDEFAULT);
}
