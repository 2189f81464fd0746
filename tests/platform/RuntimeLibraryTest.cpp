#include "platform/RuntimeLibrary.h"
#include "media/engines/FluidSynthLibrary.h"
#include "media/engines/MpvLibrary.h"

#include <gtest/gtest.h>

using namespace velmoa;

TEST(RuntimeLibrary, BindsFunctionsOfALibraryFoundByNameAndVersion) {
    struct Row {
        const char* label;
        const char* soname;
        const char* symbol;
        bool loaded;
        bool bound;
    };
    const Row rows[] = {
        {"present function", "libm.so.6", "cos", true, true},
        {"missing function", "libm.so.6", "no_such_function_here", true, false},
        {"missing library", "libvelmoa-no-such-library.so.1", "cos", false, false},
        {"another major version", "libm.so.99", "cos", false, false},
    };
    for (const Row& row : rows) {
        RuntimeLibrary library(row.soname);
        double (*function)(double) = nullptr;
        EXPECT_EQ(library.loaded(), row.loaded) << row.label;
        EXPECT_EQ(library.bind(row.symbol, function), row.bound) << row.label;
        if (row.bound) {
            EXPECT_DOUBLE_EQ(function(0), 1.0) << row.label;
        }
    }
}

// The media players' libraries are installed with the program: every function they use binds.
TEST(RuntimeLibrary, MediaLibrariesBindWhole) {
    const MpvLibrary* mpv = MpvLibrary::get();
    ASSERT_NE(mpv, nullptr);
    EXPECT_EQ(MpvLibrary::get(), mpv) << "loaded once";
    EXPECT_NE(mpv->create, nullptr);
    ASSERT_NE(FluidSynthLibrary::get(), nullptr);
}
