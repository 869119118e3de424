// Player entry. The window host arrives in a later step; for now the player
// reports that it cannot run applications yet.
#include <cstdio>

int main(int argc, char** argv)
{
    (void)argc;
    (void)argv;
    std::fprintf(stderr, "mcbplayer: running applications is not available in this build yet\n");
    return 1;
}
