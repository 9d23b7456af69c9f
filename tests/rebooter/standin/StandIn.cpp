// Stands in for an installed program in the restarter tests: every start
// appends "<pid> <arguments>" to "<own path>.log", then the program idles for
// a minute (the tests end it earlier).
#include <chrono>
#include <fstream>
#include <thread>

#include <unistd.h>

int main(int argc, char **argv)
{
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return 2;
    self[length] = '\0';
    {
        std::ofstream log(std::string(self) + ".log", std::ios::app);
        log << getpid();
        for (int i = 1; i < argc; ++i)
            log << ' ' << argv[i];
        log << '\n';
    }
    std::this_thread::sleep_for(std::chrono::seconds(60));
    return 0;
}
