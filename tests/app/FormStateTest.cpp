#include "app/FormState.h"

#include <gtest/gtest.h>

#include "app/AppPaths.h"
#include "support/TestFiles.h"

namespace velmora {
namespace {

TEST(FormStateTest, FolderEditEnabledOnlyWithSpecifiedFolder) {
    TFormState st;
    for (int n = 1; n <= 5; ++n) {
        SCOPED_TRACE(n);
        st.SetRadioButtonFl(n, true);
        EXPECT_EQ(st.FolderEditEnabled(), n == 4);
    }
    st.SetRadioButtonFl(4, true);
    st.SetRadioButtonFl(4, false);
    EXPECT_FALSE(st.FolderEditEnabled());
}

TEST(FormStateTest, UnknownOrEmptyStyleFallsBackToWindows) {
    const std::vector<std::string> offered = {"Windows", "Fusion"};
    EXPECT_EQ(StyleOrDefault(offered, "Fusion"), "Fusion");
    EXPECT_EQ(StyleOrDefault(offered, "Amethyst Kamri"), "Windows");
    EXPECT_EQ(StyleOrDefault(offered, ""), "Windows");
    // Names are compared exactly, as the settings file stores them.
    EXPECT_EQ(StyleOrDefault(offered, "fusion"), "Windows");
    EXPECT_EQ(StyleOrDefault({}, "Fusion"), "Windows");
}

TEST(AppPathsTest, BrowserStartsAtProgramFolderUnlessFolderExists) {
    test::TScopedTempDir dir;
    const TAppPaths paths = TAppPaths::FromProgramFile(dir.File("velmora"));
    const std::string existing = dir.File("");
    EXPECT_EQ(paths.StartFolder(existing), existing);
    EXPECT_EQ(paths.StartFolder(""), paths.ExeFolder);
    EXPECT_EQ(paths.StartFolder(dir.File("missing/")), paths.ExeFolder);
}

}  // namespace
}  // namespace velmora
