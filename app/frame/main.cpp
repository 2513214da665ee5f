#include "app/frame/quorix_app.h"

#if defined(__SANITIZE_ADDRESS__)
// Under AddressSanitizer: the desktop's message-bus library keeps a buffer
// for the life of the process and never frees it; that is not ours to fix.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n";
}
#endif

int main(int argc, char** argv) {
    return RunQuorix(argc, argv);
}
