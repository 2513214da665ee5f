#include "app/quorix_app.h"

int main(int argc, char** argv) { return RunQuorix(argc, argv); }
