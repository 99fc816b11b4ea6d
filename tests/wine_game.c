/* A Windows program for the Linux command to find under Wine, as a player's game: it loads
   the DLL named as its argument, as a game loads the plug-in, says "ready" and runs until its
   input ends. Built with -shared and NO_GAME, the same file is an empty DLL to load. */
#include <stdio.h>
#include <windows.h>

#ifndef NO_GAME
int main(int argc, char** argv) {
    if (argc > 1 && LoadLibraryA(argv[1]) == NULL) return 1;
    puts("ready");
    fflush(stdout);
    while (getchar() != EOF) {
    }
    return 0;
}
#endif
