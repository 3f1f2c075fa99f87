// A stand-in for the sibling firmware updater: appends one line with its arguments (an empty line for a
// run without any) to the file named by ZQ_TEST_SIBLING_LOG. Asked for its status, it exits with the code
// in ZQ_TEST_SIBLING_STATUS (2, nothing to do, when unset), and with ZQ_TEST_SIBLING_VANISH set it removes
// its own file first, so that the next start fails; any other run exits 0.
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>

int main(int argc, char** argv)
{
    std::string line;
    for (int i = 1; i < argc; ++i)
    {
        line += i > 1 ? " " : "";
        line += argv[i];
    }
    if (const char* log = std::getenv("ZQ_TEST_SIBLING_LOG"))
        std::ofstream(log, std::ios::app) << line << '\n';
    if (argc == 2 && std::strcmp(argv[1], "-RETURN_UPDATE_MODE_STATUS") == 0)
    {
        if (std::getenv("ZQ_TEST_SIBLING_VANISH") != nullptr)
        {
            char self[4096] = {};
            if (::readlink("/proc/self/exe", self, sizeof self - 1) > 0)
                (void)::unlink(self);
        }
        const char* status = std::getenv("ZQ_TEST_SIBLING_STATUS");
        return status != nullptr ? std::atoi(status) : 2;
    }
    return 0;
}
