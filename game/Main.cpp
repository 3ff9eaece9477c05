// The program's entry point.
#include <cstdio>

int main()
{
    std::printf("Pellucor: nothing to show yet.\n");
    return 0;
}
