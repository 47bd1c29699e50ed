#include <cstdio>

int main(int argc, char** argv)
{
    std::puts("orlinda-cli");
    return 0;
}
