// The MPRIS tests' entry. With --serve-player MODE the program is instead the scripted
// player that some tests start as a child process.
#include "MprisTestSupport.h"

#include <cstring>

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--serve-player") == 0) {
        return MprisTestSupport::ServePlayer(argc, argv, argv[2]);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
