// The executable of the Linux-native sample bundles: prints the file name it
// was started under and exits 0, so a launch is easy to see and to test.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    const char* path = argc > 0 && argv[0] != nullptr ? argv[0] : "sample";
    const char* slash = std::strrchr(path, '/');
    std::printf("%s is running\n", slash != nullptr ? slash + 1 : path);
    return 0;
}
