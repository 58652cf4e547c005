#include "GstTestSupport.h"

#include <climits>
#include <dlfcn.h>

namespace {

// The module beside the programs: build/app/mixorel-gst-backend.so, the test program
// being in build/tests/.
std::string ModulePath() {
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) {
        return {};
    }
    std::string folder(path, static_cast<std::size_t>(n));
    folder = folder.substr(0, folder.find_last_of('/'));
    return folder.substr(0, folder.find_last_of('/')) + "/app/mixorel-gst-backend.so";
}

class GstModuleTest : public GstContextFixture {};

TEST_F(GstModuleTest, ModuleMakesAWorkingFactory) {
    const std::string path = ModulePath();
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        GTEST_SKIP() << "module not built: " << path;
    }
    using Factory = IMciContextFactory* (*)();
    auto create = reinterpret_cast<Factory>(::dlsym(module, "MixorelCreateGstFactory"));
    ASSERT_NE(create, nullptr);
    std::unique_ptr<IMciContextFactory> factory(create());
    ASSERT_NE(factory, nullptr);
    auto context = factory->CreateContext();
    std::string reply;
    ASSERT_EQ(context->SendString("open \"" + Media("cbr.mp3") + "\" alias mpeg wait", reply), 0u);
    ASSERT_EQ(context->SendString("status mpeg length", reply), 0u);
    EXPECT_NEAR(std::stoll(reply), 3000, 100);
    ASSERT_EQ(context->SendString("close mpeg", reply), 0u);
    // The module stays loaded: the process may still hold objects made by it.
}

} // namespace
