// subreaper COMMAND [ARGUMENT...]: runs the command as the subreaper of every
// process it starts. A process whose parent ends is then handed to the
// command, not to the system's first process, so a test script run this way
// finds what its own children started and left behind (a program relaunched
// by its old process) among its own children, by id, and never needs to
// look at the other processes of the machine.
#include <cstdio>
#include <sys/prctl.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: subreaper COMMAND [ARGUMENT...]\n", stderr);
        return 2;
    }
    if (prctl(PR_SET_CHILD_SUBREAPER, 1L, 0L, 0L, 0L) != 0) {
        std::perror("subreaper: prctl");
        return 2;
    }
    // The setting stays with this process through exec.
    execvp(argv[1], argv + 1);
    std::perror(argv[1]);
    return 127;
}
